#include "app/commandline.h"
#include "app/frmchanges.h"
#include "app/frmtestplay.h"
#include "app/frmveskedit.h"
#include "app/testplay.h"
#include "image/fileio.h"
#include "image/mymodule.h"
#include "tables/gametables.h"
#include "commandrun.h"
#include "editorfolder.h"
#include "scripteddialogs.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <memory>

#include <signal.h>

namespace {

// A console emulator's stand-in: it notes its process ids and arguments and keeps a copy of the
// file it was given (its last argument) beside itself; with a file "stay" there it then waits.
const QByteArray StandIn = "#!/bin/sh\n"
                           "PATH=/usr/bin:/bin\n"
                           "here=$(dirname \"$0\")\n"
                           "echo $$ > \"$here/pid\"\n"
                           "echo $PPID > \"$here/ppid\"\n"
                           "for last; do :; done\n"
                           "cp \"$last\" \"$here/given\"\n"
                           "printf '%s\\n' \"$@\" > \"$here/args.part\"\n"
                           "mv \"$here/args.part\" \"$here/args\"\n"
                           "if [ -f \"$here/stay\" ]; then exec sleep 60; fi\n";

const QString NoEmulator = QStringLiteral("没有找到模拟器。请安装 fceux、nestopia 或 mednafen，或在“试玩设置”中填写模拟器命令。");
const QString HeaderQuestion = QStringLiteral("卡带文件头不是 NES 格式，模拟器可能无法读取。仍要试玩吗？");
const QString Caption = QStringLiteral("苍岚战记外传 EMU + ROM 修改器");

} // namespace

class TestTestPlay : public QObject {
    Q_OBJECT

private:
    QByteArray m_pristine;
    QByteArray m_path; // PATH as the tests found it
    std::unique_ptr<QTemporaryDir> m_tools; // the stand-ins, each in a folder of its own
    std::unique_ptr<EditorFolder> m_folder;
    ByteImages m_images;
    ScriptedDialogs m_dialogs;
    std::unique_ptr<frmVeskEdit> m_window;

    // The built-in image with a cartridge header that emulators read (or another).
    QByteArray withHeader(const QByteArray &image, const QByteArray &header = "NES\x1A") const
    {
        QByteArray out = image;
        out.replace(CartridgeStart, header.size(), header);
        return out;
    }

    // A shown, active main window over image, its start-up sequence run.
    frmVeskEdit *start(const QByteArray &image)
    {
        m_window.reset();
        m_images = ByteImages();
        m_images.OpenedImage = image;
        m_images.load(image);
        m_dialogs = ScriptedDialogs();
        m_window = std::make_unique<frmVeskEdit>(m_images, m_dialogs, m_folder->path());
        m_window->testPlay().otherFolders.clear(); // whatever this machine has in /usr/games
        m_window->show();
        QApplication::setActiveWindow(m_window.get());
        if (!QTest::qWaitForWindowActive(m_window.get()))
            return nullptr;
        m_window->timerInit_Timer();
        return m_window.get();
    }

    // A stand-in named name in a new folder of its own; its full path.
    QString standIn(const QString &folder, const QString &name = QStringLiteral("emu")) const
    {
        const QString dir = m_tools->filePath(folder);
        QDir().mkpath(dir);
        const QString path = dir + u'/' + name;
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(StandIn) != StandIn.size())
            return QString();
        f.close();
        f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
        return path;
    }
    static QByteArray read(const QString &path)
    {
        QByteArray bytes;
        return readWholeFile(path, bytes) ? bytes : QByteArray();
    }
    // What the stand-in in folder noted once it has run.
    static QStringList arguments(const QString &folder)
    {
        return QString::fromUtf8(read(folder + "/args")).split(u'\n', Qt::SkipEmptyParts);
    }
    static QString quoted(const QString &path) { return u'"' + path + u'"'; }

private slots:
    void initTestCase()
    {
        m_pristine = loadBuiltInImage();
        m_path = qgetenv("PATH");
    }
    void init()
    {
        // Paths with a space, as "Program Files" or a user's name may have.
        const QString spaced = QDir::tempPath() + QStringLiteral("/vesk play XXXXXX");
        m_tools = std::make_unique<QTemporaryDir>(spaced);
        m_folder = std::make_unique<EditorFolder>(spaced);
        QVERIFY(m_tools->isValid() && m_folder->isValid());
    }
    void cleanup()
    {
        m_window.reset();
        qputenv("PATH", m_path);
    }

    // F5 hands the emulator the cartridge of WorkImage with the edit not yet saved (or, for %e,
    // the whole image), each word of the command as the shell would split it, paths with spaces
    // as one argument; a cartridge without the header emulators read once the user says so; with
    // no command, the first emulator on PATH. The emulator is no child of the editor, and
    // outlives it. Each failure gives its message and starts nothing.
    void f5_data()
    {
        QTest::addColumn<QString>("command"); // %1: the stand-in, the only program on PATH
        QTest::addColumn<QString>("name");    // the stand-in's
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<bool>("edited");
        QTest::addColumn<QStringList>("given"); // its arguments, the last a file of Data/TestPlay; none: not started
        QTest::addColumn<QString>("message");   // the status bar's, or the beginning of the error's
        QTest::addColumn<QString>("title");     // the error's
        const QByteArray nes("NES\x1A");
        const QString played = QStringLiteral("已在 emu 中试玩（含未保存的修改）");
        const QStringList cartridge{"test.nes"};
        QTest::newRow("cartridge, quoted words") << "%1 --title 'two  words' %f" << "emu" << nes << true
                                                 << QStringList{"--title", "two  words", "test.nes"} << played << "";
        QTest::newRow("whole image") << "%1 %e" << "emu" << nes << true << QStringList{"test.exe"} << played << "";
        QTest::newRow("header accepted") << "%1 %f" << "emu" << QByteArray("NES\x00", 4) << true << cartridge << played
                                         << "";
        QTest::newRow("none set: found on PATH") << "" << "nestopia" << nes << false << cartridge
                                                 << "已在 nestopia 中试玩" << "";
        QTest::newRow("no emulator") << "" << "emu" << nes << true << QStringList() << NoEmulator << "错误";
        QTest::newRow("cannot start") << "/no/such/folder/fceux %f" << "emu" << nes << true << QStringList()
                                      << "无法启动模拟器 fceux：" << "错误";
        QTest::newRow("cannot write") << "%1 %f" << "emu" << nes << true << QStringList() << "文件保存失败！"
                                      << "文件错误";
        QTest::newRow("header declined") << "%1 %f" << "emu" << QByteArray("VES\x1A") << true << QStringList()
                                         << "" << "";
    }
    void f5()
    {
        QFETCH(QString, command);
        QFETCH(QString, name);
        QFETCH(QByteArray, header);
        QFETCH(bool, edited);
        QFETCH(QStringList, given);
        QFETCH(QString, message);
        QFETCH(QString, title);
        const QString emulator = standIn("bin", name);
        const QString folder = m_tools->filePath("bin");
        QVERIFY(writeWholeFile(folder + "/stay", "")); // it keeps running
        qputenv("PATH", folder.toLocal8Bit());
        if (QTest::currentDataTag() == QByteArray("cannot write")) {
            QDir().mkpath(m_folder->filePath("Data"));
            QVERIFY(writeWholeFile(m_folder->filePath("Data/TestPlay"), "in the way"));
        }
        frmVeskEdit *w = start(withHeader(m_pristine, header));
        QVERIFY(w);
        w->testPlay().setCommand(command.contains("%1") ? command.arg(quoted(emulator)) : command);
        if (edited)
            m_images.write(GameTables::CharacterBase + 1, 0x2A); // not saved
        w->statusBar()->showMessage("before");
        m_dialogs.confirmAnswers = {!given.isEmpty()};
        const QByteArray before = m_images.WorkImage;
        QTest::keyClick(w, Qt::Key_F5);

        QCOMPARE(m_images.WorkImage, before);
        const bool asked = header != "NES\x1A";
        QCOMPARE(m_dialogs.confirmations.size(), asked ? 1 : 0);
        if (asked)
            QCOMPARE(m_dialogs.confirmations[0].text, HeaderQuestion);
        if (given.isEmpty()) {
            if (!message.isEmpty()) {
                QTRY_COMPARE(m_dialogs.messages.size(), 1);
                QVERIFY2(m_dialogs.lastText().startsWith(message), qPrintable(m_dialogs.lastText()));
                QVERIFY(m_dialogs.lastText().size() > message.size() || !message.endsWith(u'：')); // Qt's reason
                QCOMPARE(m_dialogs.messages.last().title, title);
                QVERIFY(m_dialogs.messages.last().icon == Dialogs::Icon::Error);
            }
            QCOMPARE(m_dialogs.messages.size(), message.isEmpty() ? 0 : 1);
            QCOMPARE(w->statusBar()->currentMessage(), QString("before"));
            QTest::qWait(200);
            QVERIFY(!QFile::exists(folder + "/args"));
            return;
        }
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(folder + "/args"), 10000);
        const QString file = given.takeLast();
        QCOMPARE(arguments(folder), given << m_folder->filePath("Data/TestPlay/" + file));
        QCOMPARE(read(folder + "/given"), file.endsWith(".exe") ? before : cartridgeOf(before));
        QTRY_COMPARE(w->statusBar()->currentMessage(), message);
        QVERIFY(m_dialogs.messages.isEmpty());
        // Started on its own: nothing of it is left for the editor to wait for or to end.
        QVERIFY(read(folder + "/ppid").trimmed().toLongLong() != QCoreApplication::applicationPid());
        QVERIFY(w->findChildren<QProcess *>().isEmpty());
        const pid_t pid = pid_t(read(folder + "/pid").trimmed().toLongLong());
        QVERIFY(pid > 0);
        m_window.reset();
        QTest::qWait(100);
        QCOMPARE(::kill(pid, 0), 0); // still running
        ::kill(pid, SIGTERM); // the stand-in, by then its sleep
    }

    // With no command set, the first of fceux, nestopia and mednafen found on PATH or in the
    // other folders is the default; the settings dialog names what it found and keeps a command set.
    void defaultEmulator()
    {
        const QString nestopia = standIn("path", "nestopia");
        qputenv("PATH", QFileInfo(nestopia).path().toLocal8Bit());
        frmVeskEdit *w = start(withHeader(m_pristine));
        QVERIFY(w);
        TestPlay &play = w->testPlay();
        // A folder searched after PATH, as /usr/games is: fceux there comes first.
        const QString fceux = standIn("games", "fceux");
        play.otherFolders = {QFileInfo(fceux).path()};
        QCOMPARE(play.foundEmulators(), (QStringList{"fceux", "nestopia"}));

        // The dialog: what was found, and a command kept in veskedit.conf for the next window.
        {
            frmTestPlay dialog(play, w);
            QVERIFY(dialog.lblTestPlayFound->text().contains("fceux（" + fceux + "）"));
            QVERIFY(dialog.lblTestPlayFound->text().contains("nestopia"));
            QVERIFY(dialog.txtTestPlayCommand->placeholderText().contains("fceux %f"));
            dialog.txtTestPlayCommand->setText("  nestopia --fullscreen %f ");
            dialog.btnOK->click();
        }
        QCOMPARE(TestPlay(m_folder->path()).command(), QString("nestopia --fullscreen %f"));
        // Emptied: the default again.
        {
            frmTestPlay dialog(play, w);
            QCOMPARE(dialog.txtTestPlayCommand->text(), QString("nestopia --fullscreen %f"));
            dialog.txtTestPlayCommand->clear();
            dialog.btnOK->click();
        }
        QCOMPARE(play.effectiveCommand(), QString("fceux %f"));
    }

    // A .nes saves exactly the cartridge of WorkImage as an export (still modified, history and
    // LastFile.dat untouched) and opens into the built-in image as a new history.
    void cartridgeSavesAndOpens()
    {
        frmVeskEdit *w = start(withHeader(m_pristine, QByteArray("NES\x1A\x10\x20", 6)));
        QVERIFY(w);
        m_images.write(GameTables::CharacterBase + 1, 0x2C);
        m_images.write(0x120, 0x77); // outside the cartridge: not in the file
        const QByteArray edited = m_images.WorkImage;
        const QString path = m_folder->filePath("my game.NES");
        m_dialogs.answers << path;
        QVERIFY(w->menuSave_Click());
        QCOMPARE(read(path), cartridgeOf(edited));
        QCOMPARE(w->windowTitle(), Caption + " *");
        QVERIFY(m_images.history.canUndo());
        QVERIFY(!QFile::exists(m_folder->filePath("Data/LastFile.dat")));
        QCOMPARE(w->statusBar()->currentMessage(), "已导出 " + path + "（卡带文件）");
        // Nor does it count as saving when the window closes.
        m_dialogs.saveAnswers = {Dialogs::Answer::Save};
        m_dialogs.answers << path;
        QVERIFY(!w->close());
        QCOMPARE(m_dialogs.questions.size(), 1);

        m_dialogs.saveAnswers = {Dialogs::Answer::DontSave};
        m_dialogs.answers << path;
        w->menuOpen->trigger();
        QByteArray expected = edited;
        expected[0x120] = m_pristine[0x120];
        QCOMPARE(m_images.WorkImage, expected);
        QVERIFY(!m_images.history.canUndo());
        QCOMPARE(w->txtNowFileName->text(), path);
        QCOMPARE(w->windowTitle(), Caption + " - my game.NES（卡带文件）");
        QCOMPARE(w->statusBar()->currentMessage(), "已打开 " + path + "（卡带文件）");
        QCOMPARE(w->menuRecent->actions().first()->text(), "&1 " + path + "（卡带文件）");
    }

    // A file of another size or without the header is refused with its message and changes nothing.
    void cartridgeRefusals_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("message");
        const QByteArray good = cartridgeOf(withHeader(m_pristine));
        const QString size = QStringLiteral("卡带文件应为 393,232 字节，此文件为 %1 字节。");
        QTest::newRow("one byte short") << good.left(393231) << size.arg("393,231");
        QTest::newRow("one byte long") << good + 'x' << size.arg("393,233");
        QTest::newRow("empty") << QByteArray() << size.arg("0");
        QTest::newRow("whole executable") << m_pristine << size.arg("712,704");
        QTest::newRow("another header") << QByteArray("NES\x1B").append(good.mid(4))
                                        << QStringLiteral("不是卡带文件（文件头不是 NES）。");
    }
    void cartridgeRefusals()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, message);
        frmVeskEdit *w = start(m_pristine);
        QVERIFY(w);
        m_images.write(GameTables::CharacterBase + 1, 0x2E);
        const QByteArray before = m_images.WorkImage;
        const QString path = m_folder->filePath("bad.nes");
        QVERIFY(writeWholeFile(path, file));
        w->txtNowFileName->setText("自带Rom文件");
        QVERIFY(!w->openFile(path));
        expectMessage(m_dialogs, message, "文件错误", Dialogs::Icon::Error);
        QCOMPARE(m_images.WorkImage, before);
        QCOMPARE(w->txtNowFileName->text(), QString("自带Rom文件"));
        QCOMPARE(w->windowTitle(), Caption + " *");
    }

    // "查看补丁" lists what a cartridge file changes, as the list shows after opening it.
    void previewOfACartridge()
    {
        frmVeskEdit *w = start(m_pristine);
        QVERIFY(w);
        QByteArray changed = withHeader(m_pristine);
        changed[GameTables::CharacterBase + 1] = char(changed[GameTables::CharacterBase + 1] ^ 3);
        const QString path = m_folder->filePath("p.nes");
        QVERIFY(writeWholeFile(path, cartridgeOf(changed)));
        m_dialogs.answers << path;
        w->menuPreview->trigger();
        frmChanges *preview = w->previewWindow();
        QVERIFY(preview && preview->isVisible());
        QCOMPARE(m_images.WorkImage, m_pristine);
        const QStringList previewed = preview->lines();
        QVERIFY(!previewed.isEmpty());
        m_dialogs.saveAnswers = {Dialogs::Answer::DontSave};
        preview->btnChangesOpen->click();
        QCOMPARE(m_images.WorkImage, changed);
        w->showChanges();
        QCOMPARE(w->changesWindow()->lines(), previewed);
    }

    // make-patch writes the cartridge; apply puts one into the built-in executable or --base;
    // a bad one gets the window's message and exit code 1.
    void commandLine()
    {
        QString out;
        QString err;
        const auto run = [&out, &err](const QStringList &arguments) { return runCommand(arguments, out, err); };
        const auto file = [this](const char *name) { return m_folder->filePath(name); };
        QByteArray mod = withHeader(m_pristine);
        mod[GameTables::CharacterBase + 1] = char(42);
        mod[0x120] = char(0x55); // outside the cartridge
        QByteArray other = m_pristine;
        other[0x130] = char(0x66);
        QVERIFY(writeWholeFile(file("mod.exe"), mod) && writeWholeFile(file("other.exe"), other));
        QVERIFY(writeWholeFile(file("bad.nes"), QByteArray(393232, 'x')));

        QCOMPARE(run({"make-patch", file("mod.exe"), "-o", file("c.nes")}), 0);
        QCOMPARE(read(file("c.nes")), cartridgeOf(mod));
        QCOMPARE(run({"apply", file("c.nes"), "-o", file("out.exe")}), 0);
        QByteArray expected = mod;
        expected[0x120] = m_pristine[0x120];
        QCOMPARE(read(file("out.exe")), expected);
        QCOMPARE(run({"apply", file("c.nes"), "--base", file("other.exe"), "-o", file("based.exe")}), 0);
        expected[0x130] = char(0x66);
        QCOMPARE(read(file("based.exe")), expected);
        QCOMPARE(run({"apply", file("bad.nes"), "-o", file("no.exe")}), 1);
        QVERIFY2(err.startsWith("不是卡带文件（文件头不是 NES）。"), qPrintable(err));
        QVERIFY(!QFile::exists(file("no.exe")));
    }

    // The shell's quoting rules.
    void splitWords_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("words");
        QTest::newRow("blanks") << "  fceux\t %f  " << QStringList{"fceux", "%f"};
        QTest::newRow("single quotes") << "'/opt/my emu/run' 'a \"b\"'" << QStringList{"/opt/my emu/run", "a \"b\""};
        QTest::newRow("double quotes") << "\"C:\\\\x \\\"y\\\" \\n\" z" << QStringList{"C:\\x \"y\" \\n", "z"};
        QTest::newRow("backslash") << "a\\ b\\'c" << QStringList{"a b'c"};
        QTest::newRow("joined") << "--rom=\"my file\"'.nes'" << QStringList{"--rom=my file.nes"};
        QTest::newRow("empty word") << "x '' y" << QStringList{"x", "", "y"};
        QTest::newRow("unclosed") << "x \"a b" << QStringList{"x", "a b"};
        QTest::newRow("nothing") << "   " << QStringList();
    }
    void splitWords()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, words);
        QCOMPARE(TestPlay::splitWords(line), words);
    }
};

QTEST_MAIN(TestTestPlay)
#include "tst_testplay.moc"
