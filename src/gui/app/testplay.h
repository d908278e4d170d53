#pragma once

#include "image/editorpaths.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

class QObject;

// Test play: the cartridge of the working image, unsaved edits included, handed to a console
// emulator that runs on its own. The emulator command is one line kept in the editor's settings;
// in it %f stands for the cartridge file and %e for the whole image, and words are quoted as in
// the shell.
class TestPlay {
public:
    // The emulators looked for when no command is set, in this order, each run as "NAME %f".
    static const QStringList Emulators;

    explicit TestPlay(const EditorPaths &paths);

    // Folders searched after PATH for a program named without a folder. Debian installs the
    // emulators into /usr/games, which root's PATH and some desktop sessions leave out.
    QStringList otherFolders = {QStringLiteral("/usr/games")};

    // The command as set; empty when none is (the default is then used).
    QString command() const;
    void setCommand(const QString &command);
    // The emulators of Emulators that are installed, and the command of the first of them;
    // empty when none is.
    QStringList foundEmulators() const;
    QString defaultCommand() const;
    // What F5 runs: the command set, or else the default.
    QString effectiveCommand() const;
    // The full path of a program as a command names it (a name alone is looked for on PATH and
    // in otherFolders); empty when there is none.
    QString findProgram(const QString &name) const;

    // The files handed to the emulator, replaced at every start.
    QString cartridgePath() const;
    QString imagePath() const;

    struct Result {
        enum class Outcome { Started, NoEmulator, WriteFailed, StartFailed };
        Outcome outcome = Outcome::NoEmulator;
        QString program; // the program's name, "fceux"
        QString reason;  // why it could not start or write, in Qt's words
    };
    // Writes the cartridge of image (and the whole image when command holds %e) and starts
    // command as a process of its own, which the editor neither waits for nor ends.
    Result start(const QString &command, const QByteArray &image) const;
    // The same on a thread of its own, so that the editor waits neither for the disk nor for the
    // new process; done then runs on receiver's thread, unless receiver is gone by then.
    void startInBackground(const QString &command, const QByteArray &image, QObject *receiver,
                           std::function<void(const Result &)> done) const;

    // The words of a command line as the shell reads them: blanks separate, '…' keeps
    // everything, "…" keeps all but \" \\ \$ \`, and \ outside quotes keeps the next character.
    static QStringList splitWords(const QString &line);

private:
    QString m_settingsFile;
    QString m_folder;
};
