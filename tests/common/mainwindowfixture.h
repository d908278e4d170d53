#pragma once

#include "app/frmveskedit.h"
#include "editorfolder.h"
#include "scripteddialogs.h"

#include <QApplication>
#include <QTest>

#include <memory>

// A shown, active main window over the built-in image, after its start-up sequence ran.
struct MainWindowFixture {
    QByteArray pristine = loadBuiltInImage();
    ByteImages images;
    ScriptedDialogs dialogs;
    EditorFolder folder;
    std::unique_ptr<frmVeskEdit> window;

    bool start()
    {
        images = ByteImages();
        images.OpenedImage = pristine;
        images.WorkImage = pristine;
        dialogs = ScriptedDialogs();
        window = std::make_unique<frmVeskEdit>(images, dialogs, folder.path());
        window->show();
        QApplication::setActiveWindow(window.get());
        if (!QTest::qWaitForWindowActive(window.get()))
            return false;
        window->timerInit_Timer();
        return true;
    }
};
