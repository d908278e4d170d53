#include "app/testplay.h"

#include "image/fileio.h"
#include "image/mymodule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QPointer>
#include <QStandardPaths>

#include <thread>

namespace {
const QString CommandKey = QStringLiteral("testPlayCommand");

// Every %f and %e of a word replaced, in one pass so that a path holding "%e" stays as it is.
QString expand(const QString &word, const QString &cartridge, const QString &image)
{
    QString out;
    for (qsizetype i = 0; i < word.size(); ++i) {
        const QChar next = i + 1 < word.size() ? word[i + 1] : QChar();
        if (word[i] == u'%' && (next == u'f' || next == u'e')) {
            out += next == u'f' ? cartridge : image;
            ++i;
        } else {
            out += word[i];
        }
    }
    return out;
}
} // namespace

const QStringList TestPlay::Emulators = {QStringLiteral("fceux"), QStringLiteral("nestopia"), QStringLiteral("mednafen")};

TestPlay::TestPlay(const EditorPaths &paths)
    : m_settingsFile(paths.settingsFile()), m_folder(paths.writableFolder() + QStringLiteral("/Data/TestPlay"))
{
}

QString TestPlay::command() const
{
    return QSettings(m_settingsFile, QSettings::IniFormat).value(CommandKey).toString();
}

void TestPlay::setCommand(const QString &command)
{
    QSettings settings(m_settingsFile, QSettings::IniFormat);
    if (command.trimmed().isEmpty())
        settings.remove(CommandKey);
    else
        settings.setValue(CommandKey, command.trimmed());
}

QStringList TestPlay::foundEmulators() const
{
    QStringList found;
    for (const QString &name : Emulators)
        if (!findProgram(name).isEmpty())
            found.append(name);
    return found;
}

QString TestPlay::defaultCommand() const
{
    for (const QString &name : Emulators)
        if (!findProgram(name).isEmpty())
            return name + QStringLiteral(" %f");
    return QString();
}

QString TestPlay::effectiveCommand() const
{
    const QString set = command();
    return set.isEmpty() ? defaultCommand() : set;
}

QString TestPlay::findProgram(const QString &name) const
{
    if (name.isEmpty())
        return QString();
    if (name.contains(u'/')) {
        const QFileInfo info(name);
        return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
    }
    const QString onPath = QStandardPaths::findExecutable(name);
    return onPath.isEmpty() ? QStandardPaths::findExecutable(name, otherFolders) : onPath;
}

QString TestPlay::cartridgePath() const
{
    return m_folder + QStringLiteral("/test.nes");
}

QString TestPlay::imagePath() const
{
    return m_folder + QStringLiteral("/test.exe");
}

TestPlay::Result TestPlay::start(const QString &command, const QByteArray &image) const
{
    Result result;
    const QStringList words = splitWords(command);
    if (words.isEmpty())
        return result;
    result.program = QFileInfo(words.first()).fileName();
    const bool wholeImage = words.join(u' ').contains(QStringLiteral("%e"));
    if (!QDir().mkpath(m_folder) || !writeWholeFile(cartridgePath(), cartridgeOf(image), &result.reason) ||
        (wholeImage && !writeWholeFile(imagePath(), image, &result.reason))) {
        result.outcome = Result::Outcome::WriteFailed;
        return result;
    }
    QStringList arguments;
    for (qsizetype i = 1; i < words.size(); ++i)
        arguments.append(expand(words[i], cartridgePath(), imagePath()));
    const QString found = findProgram(words.first());
    QProcess process;
    process.setProgram(found.isEmpty() ? words.first() : found); // Qt then names what is missing
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    if (!process.startDetached()) {
        result.outcome = Result::Outcome::StartFailed;
        result.reason = process.errorString();
        return result;
    }
    result.outcome = Result::Outcome::Started;
    return result;
}

void TestPlay::startInBackground(const QString &command, const QByteArray &image, QObject *receiver,
                                 std::function<void(const Result &)> done) const
{
    // Everything the thread reads is its own copy; the image is shared until the editor writes.
    std::thread([play = *this, command, image, guard = QPointer<QObject>(receiver), done = std::move(done)] {
        const Result result = play.start(command, image);
        if (QCoreApplication *app = QCoreApplication::instance())
            QMetaObject::invokeMethod(
                app, [guard, done, result] {
                    if (guard)
                        done(result);
                },
                Qt::QueuedConnection);
    }).detach();
}

QStringList TestPlay::splitWords(const QString &line)
{
    QStringList words;
    QString word;
    bool inWord = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == u' ' || c == u'\t') {
            if (inWord)
                words.append(word);
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == u'\'') {
            const qsizetype end = line.indexOf(u'\'', i + 1);
            const qsizetype stop = end < 0 ? line.size() : end;
            word += line.mid(i + 1, stop - i - 1);
            i = stop;
        } else if (c == u'"') {
            for (++i; i < line.size() && line[i] != u'"'; ++i) {
                if (line[i] == u'\\' && i + 1 < line.size() && QStringLiteral("\"\\$`").contains(line[i + 1]))
                    ++i;
                word += line[i];
            }
        } else if (c == u'\\' && i + 1 < line.size()) {
            word += line[++i];
        } else {
            word += c;
        }
    }
    if (inWord)
        words.append(word);
    return words;
}
