// Plays a journalled session of edits and kills itself with SIGKILL after a chosen step, as a
// crash ends the editor:  journaldriver FOLDER STEPS KILL_AFTER [SAVE_AT]
// A KILL_AFTER of 0 ends normally, leaving the journal as a crashed editor would.
//   journaldriver --change-list EDITOR_FOLDER TXT
// plays the main window's change-list session (changelistsession.h) and kills itself after it.
#include "changelistsession.h"
#include "journalsession.h"

#include <QApplication>

#include <csignal>
#include <cstdio>
#include <cstring>

namespace {

int changeListSession(const QString &folder, const QString &txt)
{
    ByteImages images;
    images.OpenedImage = loadBuiltInImage();
    images.load(images.OpenedImage);
    ScriptedDialogs dialogs;
    frmVeskEdit w(images, dialogs, folder);
    w.timerInit_Timer();
    saveChangeListSession(w, images, dialogs, txt);
    editAfterChangeListSave(images);
    std::raise(SIGKILL);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 4 && std::strcmp(argv[1], "--change-list") == 0) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        return changeListSession(app.arguments()[2], app.arguments()[3]);
    }
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        std::fputs("usage: journaldriver FOLDER STEPS KILL_AFTER [SAVE_AT]\n"
                   "       journaldriver --change-list EDITOR_FOLDER TXT\n", stderr);
        return 2;
    }
    const int steps = args[2].toInt();
    const int killAfter = args[3].toInt();
    JournalSession session(args[1], args.size() > 4 ? args[4].toInt() : -1);
    for (int k = 0; k < steps; ++k) {
        session.play(k);
        if (k + 1 == killAfter)
            std::raise(SIGKILL);
    }
    return 0;
}
