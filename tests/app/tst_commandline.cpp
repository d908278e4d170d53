#include "app/commandline.h"
#include "app/frmchanges.h"
#include "gamedata/fieldchanges.h"
#include "gamedata/tablefiles.h"
#include "image/builtindata.h"
#include "image/fileio.h"
#include "image/gbk.h"
#include "image/mymodule.h"
#include "image/patches.h"
#include "input.h"
#include "commandrun.h"
#include "mainwindowfixture.h"
#include "tables/characterpage.h"
#include "tables/gametables.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

using namespace GameTables;

class TestCommandLine : public QObject {
    Q_OBJECT

private:
    QByteArray m_pristine;
    QTemporaryDir m_dir;
    QString m_out;
    QString m_err;

    QString file(const QString &name) const { return m_dir.filePath(name); }
    // Runs a command in this process; its output and messages land in m_out and m_err.
    int run(const QStringList &arguments)
    {
        return runCommand(arguments, m_out, m_err);
    }
    // Runs the program as a process, with no display (or the offscreen platform for a window);
    // its messages land in m_err. -1 when it does not end, -2 when it crashes.
    int exec(const QStringList &arguments, bool window = false)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        if (window)
            env.insert("QT_QPA_PLATFORM", "offscreen");
        else
            env.remove("QT_QPA_PLATFORM");
        p.setProcessEnvironment(env);
        p.start(program(), arguments);
        if (!p.waitForFinished(20000)) {
            p.kill();
            p.waitForFinished();
            return -1;
        }
        m_err = QString::fromUtf8(p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    }
    static QString program() { return QCoreApplication::applicationDirPath() + "/veskedit"; }
    static QString native(const QString &path) { return QDir::toNativeSeparators(path); }
    QByteArray read(const QString &path) const
    {
        QByteArray bytes;
        return readWholeFile(path, bytes) ? bytes : QByteArray();
    }
    // The built-in image with a level, a class code and (outside the cartridge) one header byte
    // changed.
    QByteArray edited() const
    {
        QByteArray image = m_pristine;
        image[CharacterBase + 1] = char(42);
        image[CharacterBase + 12] = char(5);
        image[0x120] = char(image[0x120] ^ 0x40);
        return image;
    }

private slots:
    void initTestCase()
    {
        m_pristine = loadBuiltInImage();
        QVERIFY(writeWholeFile(file("game.exe"), m_pristine));
        QVERIFY(writeWholeFile(file("mod.exe"), edited()));
    }
    void cleanup()
    {
        useReferenceImage({});
        useStringTable({});
    }

    // make-patch in each format and apply back are byte-exact, and agree with the window's save.
    void patchRoundTrips()
    {
        QByteArray cartridgeOnly = edited();
        cartridgeOnly[0x120] = m_pristine[0x120]; // a change list holds cartridge bytes only
        QVERIFY(writeWholeFile(file("cart.exe"), cartridgeOnly));
        MainWindowFixture f;
        QVERIFY(f.start());
        for (const char *ending : {"txt", "ips", "bps"}) {
            const QString source = QString(ending) == "txt" ? file("cart.exe") : file("mod.exe");
            const QString patch = file(QString("p.%1").arg(ending));
            QCOMPARE(run({"make-patch", source, "-o", patch}), 0);
            QCOMPARE(run({"apply", patch, "-o", file("back.exe")}), 0);
            QCOMPARE(read(file("back.exe")), read(source));
            // The window saves the same patch of the same image (a change list differs in its date).
            QVERIFY(f.window->openFile(source));
            f.dialogs.answers << file(QString("w.%1").arg(ending));
            QVERIFY(f.window->menuSave_Click());
            if (QString(ending) == "txt")
                QCOMPARE(read(file("w.txt")).mid(read(file("w.txt")).indexOf('*')), read(patch).mid(read(patch).indexOf('*')));
            else
                QCOMPARE(read(file(QString("w.%1").arg(ending))), read(patch));
        }
        // A change list of an image changed outside the cartridge too says what it leaves out.
        QCOMPARE(run({"make-patch", file("mod.exe"), "-o", file("m.txt")}), 0);
        QCOMPARE(m_err, QString("有 1 个字节在卡带范围以外，修改清单不记录它们。\n"));
        // --base: a patch applied to another executable.
        QByteArray other = m_pristine;
        other[0x130] = char(0x77);
        QVERIFY(writeWholeFile(file("other.exe"), other));
        QCOMPARE(run({"apply", file("p.ips"), "--base", file("other.exe"), "-o", file("based.exe")}), 0);
        QByteArray expected = edited();
        expected[0x130] = char(0x77);
        QCOMPARE(read(file("based.exe")), expected);
    }

    // changes prints the window's lines, for an executable, a patch and two files.
    void changesPrintsTheWindowsLines()
    {
        MainWindowFixture f;
        QVERIFY(f.start());
        QVERIFY(f.window->openFile(file("mod.exe")));
        f.window->showChanges();
        const QStringList window = f.window->changesWindow()->lines();
        QCOMPARE(window.size(), 3);
        QCOMPARE(run({"changes", file("mod.exe")}), 0);
        QCOMPARE(m_out, window.join('\n') + '\n');
        QCOMPARE(run({"make-patch", file("mod.exe"), "-o", file("c.bps")}), 0);
        QCOMPARE(run({"changes", file("c.bps")}), 0);
        QCOMPARE(m_out, window.join('\n') + '\n');
        QCOMPARE(run({"changes", file("mod.exe"), file("game.exe")}), 0);
        QVERIFY(m_out.contains(QString(" · 等  级: 42 => %1\n").arg(byteAt(m_pristine, CharacterBase + 1))));
        QCOMPARE(run({"changes", file("game.exe")}), 0);
        QCOMPARE(m_out, QString());
    }

    void refusalsAndUsage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        const QString gone = file("gone.exe");
        const QString wrongFile = "文件错误，请选择正确的文件！\n";
        QTest::newRow("missing executable") << QStringList{"changes", gone} << 1 << wrongFile + "找不到文件 " + native(gone);
        QTest::newRow("missing patch") << QStringList{"apply", file("gone.ips"), "-o", file("x.exe")} << 1
                                       << wrongFile + "找不到文件 " + native(file("gone.ips"));
        QTest::newRow("wrong size") << QStringList{"make-patch", file("short.exe"), "-o", file("x.ips")} << 1
                                    << wrongFile + native(file("short.exe")) + " 有 1,000 字节，应为 712,704 字节";
        QTest::newRow("folder as base") << QStringList{"apply", file("p.ips"), "--base", m_dir.path(), "-o", file("x.exe")} << 1
                                        << wrongFile + native(m_dir.path()) + " 是文件夹";
        QTest::newRow("patch for another base") << QStringList{"apply", file("p.bps"), "--base", file("mod.exe"), "-o", file("x.exe")}
                                                << 1 << "补丁与 " + native(file("mod.exe")) + " 不符，无法使用！";
        QTest::newRow("damaged patch") << QStringList{"apply", file("bad.ips"), "-o", file("x.exe")} << 1
                                       << "补丁有误，无法读取！";
        QTest::newRow("damaged change list") << QStringList{"changes", file("bad.txt")} << 1 << "数据有误，无法读取！";
        QTest::newRow("nothing changed") << QStringList{"make-patch", file("game.exe"), "-o", file("x.txt")} << 1
                                         << "没有进行任何修改，请修改后再保存！";
        QTest::newRow("unwritable") << QStringList{"apply", file("p.ips"), "-o", file("no/such/dir/x.exe")} << 1
                                    << "文件保存失败！\n" + native(file("no/such/dir/x.exe")) + "：";
        // An output that is one of the inputs, by any path: refused before anything is read.
        QTest::newRow("output is the patch") << QStringList{"apply", file("p.ips"), "-o", m_dir.path() + "/./p.ips"} << 2
                                             << "输出文件就是输入文件 " + native(file("p.ips")) + "，写出会覆盖它；请另选 -o。";
        QTest::newRow("output is the base") << QStringList{"apply", file("p.ips"), "--base", file("mod.exe"), "-o", file("mod.exe")}
                                            << 2 << "输出文件就是输入文件 " + native(file("mod.exe"));
        QTest::newRow("output is the reference")
            << QStringList{"make-patch", file("mod.exe"), "--reference", file("p.ips"), "-o", file("p.ips")} << 2
            << "输出文件就是输入文件 " + native(file("p.ips"));
        QTest::newRow("output is the executable")
            << QStringList{"import", file("mod.exe"), file("classes.csv"), "-o", file("mod.exe")} << 2 << "输出文件就是输入文件 ";
        QTest::newRow("no output") << QStringList{"apply", file("p.ips")} << 2 << "apply 需要一个补丁和 -o 输出文件。";
        QTest::newRow("not a patch") << QStringList{"apply", file("mod.exe"), "-o", file("x.exe")} << 2
                                     << "补丁须为修改清单（.txt）、IPS（.ips）、BPS（.bps）或卡带文件（.nes）。";
        QTest::newRow("output ending") << QStringList{"make-patch", file("mod.exe"), "-o", file("x.zip")} << 2
                                       << "输出文件须以 .txt、.ips、.bps 或 .nes 结尾。";
        QTest::newRow("too many files") << QStringList{"changes", "a", "b", "c"} << 2 << "changes 需要一个或两个文件。";
        QTest::newRow("unknown option") << QStringList{"changes", "--frobnicate", "a"} << 2 << ""; // Qt's text
        QTest::newRow("base elsewhere") << QStringList{"changes", file("mod.exe"), "--base", file("game.exe")} << 2
                                        << "--base 只用于 apply。";
    }
    void refusalsAndUsage()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, code);
        QFETCH(QString, message);
        QVERIFY(writeWholeFile(file("short.exe"), m_pristine.left(1000)));
        QVERIFY(writeWholeFile(file("bad.ips"), "PATCH\x01"));
        QVERIFY(writeWholeFile(file("bad.txt"), "junk\r\n*Hxyz*"));
        QVERIFY(writeWholeFile(file("p.ips"), Patches::encodeIps(m_pristine, edited())));
        QVERIFY(writeWholeFile(file("p.bps"), Patches::encodeBps(m_pristine, edited())));
        QCOMPARE(run(arguments), code);
        QVERIFY2(m_err.startsWith(message), qPrintable(m_err));
        QVERIFY(!QFile::exists(file("x.exe")) && !QFile::exists(file("x.ips")) && !QFile::exists(file("x.txt")));
        QCOMPARE(read(file("p.ips")), Patches::encodeIps(m_pristine, edited()));
        QCOMPARE(read(file("mod.exe")), edited());
    }

    // Another reference changes what is compared; another string table what the lines say; bad
    // ones are refused before anything runs.
    void referenceAndStrings()
    {
        QCOMPARE(run({"changes", file("mod.exe"), "--reference", file("mod.exe")}), 0);
        QCOMPARE(m_out, QString());
        QCOMPARE(run({"make-patch", file("game.exe"), "--reference", file("mod.exe"), "-o", file("rev.ips")}), 0);
        useReferenceImage({});
        QCOMPARE(Patches::applyIps(read(file("rev.ips")), edited(), TargetSize).value_or(QByteArray()), m_pristine);

        // The built-in table with the first character renamed.
        QFile builtIn(":/strings/stringtable.txt");
        QVERIFY(builtIn.open(QIODevice::ReadOnly));
        QByteArray table = builtIn.readAll();
        const QByteArray firstClass = QString("01骑士|").toUtf8();
        QVERIFY(table.contains("10000\t" + firstClass));
        table.replace("10000\t" + firstClass, "10000\t" + QString("01铁骑|").toUtf8());
        QVERIFY(writeWholeFile(file("strings.txt"), table));
        QByteArray classEdited = m_pristine;
        classEdited[GameTables::ClassBase] = char(99);
        QVERIFY(writeWholeFile(file("class.exe"), classEdited));
        QCOMPARE(run({"changes", file("class.exe"), "--strings", file("strings.txt")}), 0);
        QVERIFY2(m_out.startsWith("职业基础能力 01 铁骑 · 力  量: "), qPrintable(m_out));

        QByteArray broken = table;
        broken.replace("10005\t", "10099\t");
        QVERIFY(writeWholeFile(file("broken.txt"), broken));
        QCOMPARE(run({"changes", file("mod.exe"), "--strings", file("broken.txt")}), 1);
        QCOMPARE(m_err.trimmed(), QString("字符串表第 10005 条缺少"));
        QVERIFY(writeWholeFile(file("badmaps.txt"), QByteArray(table).replace("10009\t000556DF|", "10009\tXYZ|")));
        QCOMPARE(run({"changes", file("mod.exe"), "--strings", file("badmaps.txt")}), 1);
        QVERIFY2(m_err.startsWith("字符串表第 10009 条第 1 项"), qPrintable(m_err));
        QCOMPARE(run({"changes", file("mod.exe"), "--reference", file("short.exe")}), 1);
        QCOMPARE(m_err.trimmed(), "文件错误，请选择正确的文件！\n" + native(file("short.exe")) + " 有 1,000 字节，应为 712,704 字节");
    }

    // export, then import into the same executable: the same bytes; an edited table file: its
    // byte, and errors listed with nothing written.
    void exportAndImport()
    {
        const QString dir = file("tables");
        QCOMPARE(run({"export", file("mod.exe"), dir}), 0);
        QCOMPARE(QDir(dir).entryList({"*.csv"}).size(), 11);
        QCOMPARE(run({"import", file("mod.exe"), dir + "/characters.csv", dir + "/units.csv", "-o", file("same.exe")}), 0);
        QCOMPARE(read(file("same.exe")), edited());

        QString text = TableFiles::decodeText(read(dir + "/classes.csv"));
        const QStringList lines = text.split("\r\n");
        QStringList row = lines[1].split(',');
        row[2] = "77";
        text.replace(lines[1], row.join(','));
        const QString changedRow = row.join(',');
        QVERIFY(writeWholeFile(file("classes.csv"), toAnsi(text))); // as a Chinese spreadsheet saves it
        QCOMPARE(run({"import", file("mod.exe"), file("classes.csv"), "-o", file("imported.exe")}), 0);
        QByteArray expected = edited();
        expected[GameTables::ClassBase] = char(77);
        QCOMPARE(read(file("imported.exe")), expected);

        row[2] = "777";
        row[3] = "x";
        text.replace(changedRow, row.join(','));
        QVERIFY(writeWholeFile(file("classes.csv"), text.toUtf8()));
        QCOMPARE(run({"import", file("mod.exe"), file("classes.csv"), "-o", file("refused.exe")}), 1);
        QCOMPARE(m_err.count('\n'), 2);
        QVERIFY2(m_err.startsWith("classes.csv 第2行 第3列"), qPrintable(m_err));
        QVERIFY(!QFile::exists(file("refused.exe")));
    }

    // The program itself: commands without a display, their exit codes, and a bad reference that
    // keeps the window from opening.
    void asAProcess()
    {
        if (!QFile::exists(program()))
            QSKIP("the program is not built beside the tests");
        QCOMPARE(exec({"make-patch", file("mod.exe"), "-o", file("proc.bps")}), 0);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(exec({"apply", file("proc.bps"), "-o", file("proc.exe")}), 0);
        qInfo("veskedit apply as a process: %lld ms", timer.elapsed());
        QCOMPARE(read(file("proc.exe")), edited());
        QCOMPARE(exec({"changes", file("gone.exe")}), 1);
        QCOMPARE(m_err.trimmed(), "文件错误，请选择正确的文件！\n找不到文件 " + native(file("gone.exe")));
        QCOMPARE(exec({"apply"}), 2);
        QCOMPARE(exec({"--smoke-test"}), 0); // the package check needs no display either
        QCOMPARE(exec({"--reference", file("short.exe")}, true), 1); // no window opens to wait on
        QVERIFY2(m_err.trimmed().endsWith(" 有 1,000 字节，应为 712,704 字节"), qPrintable(m_err)); // after Qt's own notes
    }

    // Without a display nothing aborts: a wrong option is wrong usage, and what would open a
    // window says it needs one and lists the commands.
    void withoutADisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        const QString noDisplay = "打开窗口需要图形显示";
        QTest::newRow("wrong option") << QStringList{"--bogus"} << "bogus"; // in Qt's words
        QTest::newRow("no argument") << QStringList{} << noDisplay;
        QTest::newRow("a file") << QStringList{file("mod.exe")} << noDisplay;
        QTest::newRow("mistyped command") << QStringList{"aply"} << noDisplay;
        QTest::newRow("mistyped command with arguments") << QStringList{"aply", file("p.bps"), "-o", file("x.exe")}
                                                         << "未知的命令：aply";
    }
    void withoutADisplay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        if (!QFile::exists(program()))
            QSKIP("the program is not built beside the tests");
        QCOMPARE(exec(arguments), 2);
        QVERIFY2(m_err.section('\n', 0, 0).contains(message), qPrintable(m_err));
        QVERIFY2(m_err.contains("make-patch EXE -o OUT.txt|.ips|.bps"), qPrintable(m_err)); // the commands
        QVERIFY(!QFile::exists(file("x.exe")));
    }

    // The window: "导出表格" and "导入表格" write and read the same files as the commands.
    void windowExportAndImport()
    {
        MainWindowFixture f;
        QVERIFY(f.start());
        frmVeskEdit *w = f.window.get();
        const QString dir = file("wtables");
        f.dialogs.answers << dir;
        w->menuExportTables->trigger();
        QCOMPARE(QDir(dir).entryList({"*.csv"}).size(), 11);
        QCOMPARE(w->statusBar()->currentMessage(), "已导出表格到 " + QDir::toNativeSeparators(dir));

        f.dialogs.answers << QDir(dir).entryList({"*.csv"}).replaceInStrings(QRegularExpression("^"), dir + "/").join('\n');
        w->menuImportTables->trigger();
        QCOMPARE(f.images.WorkImage, m_pristine);
        QVERIFY(!f.images.history.canUndo());
        QCOMPARE(w->statusBar()->currentMessage(), QString("表格与当前内容相同，没有写入"));

        // Two tables changed: one step, and the page shows the new value.
        QString chars = TableFiles::decodeText(read(dir + "/characters.csv"));
        QString spells = TableFiles::decodeText(read(dir + "/spells.csv"));
        QStringList c = chars.split("\r\n")[1].split(',');
        c[3] = "33"; // 等  级 of the first character
        chars.replace(chars.split("\r\n")[1], c.join(','));
        QStringList s = spells.split("\r\n")[2].split(',');
        s[2] = "9";
        spells.replace(spells.split("\r\n")[2], s.join(','));
        QVERIFY(writeWholeFile(dir + "/characters.csv", chars.toUtf8()));
        QVERIFY(writeWholeFile(dir + "/spells.csv", spells.toUtf8()));
        f.dialogs.answers << dir + "/characters.csv\n" + dir + "/spells.csv";
        w->menuImportTables->trigger();
        QCOMPARE(int(byteAt(f.images.WorkImage, CharacterBase + 1)), 33);
        QCOMPARE(int(byteAt(f.images.WorkImage, ItemAttack + FirstSpell + 1)), 9);
        QCOMPARE(f.images.history.steps(), 1);
        QVERIFY2(f.images.history.undoLabel().startsWith("导入 characters.csv 等 2 个表格"), qPrintable(f.images.history.undoLabel()));
        w->stabAll->setCurrentWidget(w->characterPage);
        w->characterPage->lstCharacter->setCurrentRow(0);
        QCOMPARE(w->characterPage->txtCharacter[0]->text(), QString("33"));

        // A bad value: its place in a message, nothing written.
        c[3] = "300";
        chars.replace(chars.split("\r\n")[1], c.join(','));
        QVERIFY(writeWholeFile(dir + "/characters.csv", chars.toUtf8()));
        const QByteArray before = f.images.WorkImage;
        f.dialogs.answers << dir + "/characters.csv";
        w->menuImportTables->trigger();
        QCOMPARE(f.images.WorkImage, before);
        QCOMPARE(f.dialogs.messages.last().title, QString("导入失败，没有写入"));
        QVERIFY2(f.dialogs.lastText().startsWith("characters.csv 第2行 第4列"), qPrintable(f.dialogs.lastText()));
    }
};

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
