#include "app/startup.h"

#include "app/frmstart.h"
#include "app/frmveskedit.h"
#include "app/openfile.h"
#include "image/dialogs.h"
#include "image/journal.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QStatusBar>

QWidget *openFirstWindow(const QString &file, ByteImages &images, Dialogs &dialogs, const EditorPaths &paths)
{
    // Unsaved steps of a gone editor are offered first: the file waits for the user's choice.
    // Otherwise the file opens straight into the main window, the start dialog unmade.
    QStringList damaged;
    const bool recovery = !file.isEmpty() && !findOrphanJournals(paths.journalFolder(), &damaged).empty();
    for (const QString &text : damaged)
        dialogs.message(Dialogs::Icon::Error, QStringLiteral("恢复文件"), text);
    if (!file.isEmpty() && !recovery) {
        const QString path = QFileInfo(file).absoluteFilePath();
        if (loadFile(images, path, dialogs)) {
            images.OpenedImage = images.WorkImage;
            frmVeskEdit *w = showMainWindow(images, dialogs, paths, path, openedMessage(path));
            w->startJournal(JournalBase::Kind::File, path);
            return w;
        }
    }
    auto *start = new frmStart(images, dialogs, paths);
    start->setAttribute(Qt::WA_DeleteOnClose);
    start->show();
    return start;
}

frmVeskEdit *showMainWindow(ByteImages &images, Dialogs &dialogs, const EditorPaths &paths, const QString &fileText,
                            const QString &status)
{
    auto *w = new frmVeskEdit(images, dialogs, paths);
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->txtNowFileName->setText(fileText);
    if (!status.isEmpty())
        w->statusBar()->showMessage(status);
    w->show();
    w->timerInit->start();
    return w;
}
