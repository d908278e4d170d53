// Plays a journalled session of edits and kills itself with SIGKILL after a chosen step, as a
// crash ends the editor:  journaldriver FOLDER STEPS KILL_AFTER [SAVE_AT]
// A KILL_AFTER of 0 ends normally, leaving the journal as a crashed editor would.
#include "journalsession.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        std::fputs("usage: journaldriver FOLDER STEPS KILL_AFTER [SAVE_AT]\n", stderr);
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
