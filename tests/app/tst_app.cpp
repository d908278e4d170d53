#include "app/frmabout.h"
#include "app/frmstart.h"
#include "app/appsetup.h"
#include "app/frmveskedit.h"
#include "app/startup.h"
#include "hexview/frmfind.h"
#include <QMenuBar>
#include "hexview/hexpage.h"
#include "image/fileio.h"
#include "image/gbk.h"
#include "image/mymodule.h"
#include "image/patches.h"
#include "tables/characterpage.h"
#include "tables/terrainpage.h"
#include "controls/flexgrid.h"
#include "editorfolder.h"
#include "scripteddialogs.h"

#include <QAction>
#include <QLabel>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QStatusBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QTest>

#include <memory>

#include <unistd.h>

class TestApp : public QObject {
    Q_OBJECT

private:
    QByteArray m_pristine;
    std::unique_ptr<EditorFolder> m_dir;
    ByteImages m_images;
    ScriptedDialogs m_dialogs;
    std::unique_ptr<frmStart> m_start;

    QString folder() const { return m_dir->path(); }
    QString file(const QString &name) const { return m_dir->filePath(name); }
    QString lastFile() const { return file("Data/LastFile.dat"); }

    // A refused file's message: the first line the design text gives, then the cause.
    void expectRefused(const QString &why) const
    {
        expectMessage(m_dialogs, "文件错误，请选择正确的文件！\n" + why, "文件错误", Dialogs::Icon::Error);
    }
    // The cause for a file of the wrong size.
    static QString sizeWhy(const QString &path, qint64 size)
    {
        return QDir::toNativeSeparators(path) + QString(" 有 %1 字节，应为 712,704 字节").arg(QLocale(QLocale::English).toString(size));
    }

    frmStart *newStart()
    {
        m_start = std::make_unique<frmStart>(m_images, m_dialogs, folder());
        m_start->show();
        return m_start.get();
    }

    // From the start dialog through the built-in image to a main window whose start-up ran.
    frmVeskEdit *openBuiltIn()
    {
        frmStart *s = newStart();
        QTest::mouseClick(s->btnOpenSystem, Qt::LeftButton);
        frmVeskEdit *w = s->mainWindow();
        if (w)
            w->timerInit_Timer();
        return w;
    }


    // A folder that refuses writes even to root: a small file system of its own, remounted
    // read-only or left full. Empty when this machine cannot mount one.
    QString mountTmpfs(const QString &name, const QString &size)
    {
        const QString at = file(name);
        QDir().mkpath(at);
        if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=" + size, "tmpfs", at}) != 0)
            return QString();
        m_mounts.append(at);
        return at;
    }
    QStringList m_mounts;

    // The entries of the File menu's recent files, without their "&1 " numbers.
    static QStringList recentEntries(frmVeskEdit *w)
    {
        QStringList paths;
        for (QAction *a : w->menuRecent->actions())
            if (a->isEnabled())
                paths << a->text().section(' ', 1).replace("&&", "&");
        return paths;
    }

    // A drag of urls entering window, then dropped if it was taken; true when both were taken.
    static bool dropOn(QWidget *window, const QList<QUrl> &urls)
    {
        QMimeData mime;
        mime.setUrls(urls);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &drop);
        return drop.isAccepted();
    }

    // The program itself, run with arguments and no display; its exit code and what it printed.
    static std::tuple<int, QString, QString> runProgram(const QStringList &arguments)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.remove("DISPLAY");
        p.setProcessEnvironment(env);
        p.start(QCoreApplication::applicationDirPath() + "/veskedit", arguments);
        if (!p.waitForFinished(60000))
            return {-1, QString(), QString()};
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }


private slots:
    void initTestCase()
    {
        m_pristine = loadBuiltInImage();
        QCoreApplication::setApplicationName("veskedit");
        QCoreApplication::setOrganizationName("VeskEdit");
        QStandardPaths::setTestModeEnabled(true); // the user's folder under ~/.qttest
    }

    // The user's data folder, emptied.
    static QString freshUserFolder()
    {
        const QString user = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QDir(user).removeRecursively();
        return user;
    }

    void init()
    {
        m_dir = std::make_unique<EditorFolder>();
        m_images = ByteImages();
        m_dialogs = ScriptedDialogs();
    }

    void cleanup()
    {
        for (const QString &at : m_mounts)
            QProcess::execute("umount", {at});
        m_mounts.clear();
        if (m_start && m_start->mainWindow())
            delete m_start->mainWindow();
        m_start.reset();
    }

    void startDialogLayout()
    {
        frmStart *s = newStart();
        QCOMPARE(s->windowTitle(), QString("苍岚战记外传 EMU + ROM 修改器"));
        QCOMPARE(s->btnOpenNewFile->text(), QString("打开新的文件[&N]"));
        QCOMPARE(s->btnOpenLastFile->text(), QString("打开最后一次保存的内容[&L]"));
        QCOMPARE(s->btnOpenSystem->text(), QString("打开自带&Rom文件"));
        QCOMPARE(s->btnExit->text(), QString("退      出[&X]"));
        QCOMPARE(s->menuAbout->text(), QString("关于[&A]"));
        QCOMPARE(s->StartResult, 3);
        // No Data folder: the last-file button is off.
        QVERIFY(!s->btnOpenLastFile->isEnabled());
        QVERIFY(CheckPath(file("Data"), true, true, false) == false);
        QVERIFY(!newStart()->btnOpenLastFile->isEnabled()); // folder without the file
        QVERIFY(writeWholeFile(lastFile(), m_pristine));
        QVERIFY(newStart()->btnOpenLastFile->isEnabled());
    }

    void builtInImageToMainWindow()
    {
        frmStart *s = newStart();
        QTest::mouseClick(s->btnOpenSystem, Qt::LeftButton);
        QCOMPARE(s->StartResult, 0);
        QVERIFY(!s->isVisible());
        frmVeskEdit *w = s->mainWindow();
        QVERIFY(w);
        QVERIFY(w->isVisible());
        QCOMPARE(w->windowTitle(), QString("苍岚战记外传 EMU + ROM 修改器"));
        QCOMPARE(w->txtNowFileName->text(), QString("自带Rom文件"));
        QCOMPARE(w->lblNowFile->text(), QString("当前文件"));
        QVERIFY(w->timerInit->isActive());
        QCOMPARE(w->timerInit->interval(), 20);
        QTRY_VERIFY(!w->timerInit->isActive()); // the tick runs by itself
        QCOMPARE(m_images.WorkImage, m_pristine);
        QCOMPARE(m_images.OpenedImage, m_pristine);
        QCOMPARE(m_images.PristineImage, m_pristine);

        const QStringList captions = {"地址编辑", "我方人物", "敌方部队", "职业、地形设定",
                                      "武器设定", "魔法设定", "盾牌、等级系数设定", "字符处理", "更多表格"};
        QCOMPARE(w->stabAll->count(), 9);
        for (int i = 0; i < 9; ++i)
            QCOMPARE(w->stabAll->tabText(i), captions[i]);
        QCOMPARE(w->stabField->tabText(0), QString("战场部队"));
        QCOMPARE(w->stabField->tabText(1), QString("部队类型"));
        QCOMPARE(w->SSTab1->tabText(0), QString("职业基础能力"));
        QCOMPARE(w->SSTab1->tabText(1), QString("职业转换"));
        QCOMPARE(w->SSTab1->tabText(2), QString("地形效果"));
        QCOMPARE(w->menuFile->title(), QString("文件(&F)"));
        QCOMPARE(w->menuOpen->text(), QString("打开(&O)"));
        QCOMPARE(w->menuSave->text(), QString("保存(&S)"));
        QCOMPARE(w->menuExit->text(), QString("退出(&Q)"));
        QCOMPARE(w->menuAbout->text(), QString("关于[&A]"));
        QCOMPARE(w->HexByteText.size(), 256);
        QCOMPARE(w->HexByteText[10], QString("0A"));
        QCOMPARE(w->HexByteText[255], QString("FF"));
        QCOMPARE(w->findChild<QTabWidget *>("stabAll"), w->stabAll);
    }

    void windowPosition()
    {
        const QSize window(1000, 700);
        QCOMPARE(frmVeskEdit::windowPosition(QRect(0, 0, 800, 600), window), QPoint(-100, 0));
        QCOMPARE(frmVeskEdit::windowPosition(QRect(0, 0, 1280, 601), window), QPoint(140, -49));
        QCOMPARE(frmVeskEdit::windowPosition(QRect(0, 0, 1920, 1080), window), QPoint(460, 190));
    }

    // A refused file names itself and the cause under the first line, whatever its kind.
    void refusedFilesSayWhy_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("why"); // PATH stands for the file's path
        QTest::newRow("missing") << "gone.exe" << "找不到文件 PATH";
        QTest::newRow("missing patch") << "gone.bps" << "找不到文件 PATH";
        QTest::newRow("folder") << "folder.txt" << "PATH 是文件夹";
        QTest::newRow("wrong size") << "small.exe" << "PATH 有 1,000 字节，应为 712,704 字节";
        QTest::newRow("unreadable") << "locked.exe" << "没有读取权限 PATH";
    }
    void refusedFilesSayWhy()
    {
        QFETCH(QString, name);
        QFETCH(QString, why);
        const QString path = file(name);
        QVERIFY(QDir().mkpath(file("folder.txt")));
        QVERIFY(writeWholeFile(file("small.exe"), QByteArray(1000, 'x')));
        QVERIFY(writeWholeFile(file("locked.exe"), m_pristine));
        QVERIFY(QFile::setPermissions(file("locked.exe"), QFileDevice::WriteOwner));
        if (name == "locked.exe" && geteuid() == 0)
            QSKIP("root reads any file");
        frmStart *s = newStart();
        m_dialogs.answers << path;
        QTest::mouseClick(s->btnOpenNewFile, Qt::LeftButton);
        expectRefused(QString(why).replace("PATH", QDir::toNativeSeparators(path)));
        QVERIFY(!s->mainWindow());
        QVERIFY(m_images.WorkImage.isEmpty());
    }

    void chosenExecutableSizes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("one short") << "a.exe" << TargetSize - 1 << false;
        QTest::newRow("one long") << "b.exe" << TargetSize + 1 << false;
        QTest::newRow("exact") << "c.exe" << TargetSize << true;
        QTest::newRow("upper case") << "D.EXE" << TargetSize << true;
        QTest::newRow("other ending, right size") << "game.bin" << TargetSize << true;
        QTest::newRow("other ending, wrong size") << "notes.doc" << 100 << false;
    }
    void chosenExecutableSizes()
    {
        QFETCH(QString, name);
        QFETCH(int, size);
        QFETCH(bool, accepted);
        QByteArray bytes(size, '\x5A');
        QVERIFY(writeWholeFile(file(name), bytes));
        frmStart *s = newStart();
        m_dialogs.answers << file(name);
        QTest::mouseClick(s->btnOpenNewFile, Qt::LeftButton);
        QCOMPARE(m_dialogs.dialogTitles.last(), QString("打开文件"));
        if (accepted) {
            QVERIFY(m_dialogs.messages.isEmpty());
            QCOMPARE(s->StartResult, 2);
            QVERIFY(s->mainWindow());
            QCOMPARE(s->mainWindow()->txtNowFileName->text(), file(name));
            QCOMPARE(m_images.WorkImage, bytes);
            QCOMPARE(m_images.OpenedImage, bytes);
        } else {
            expectRefused(sizeWhy(file(name), size));
            QCOMPARE(s->StartResult, 3);
            QVERIFY(s->isVisible());
            QVERIFY(!s->mainWindow());
            QVERIFY(m_images.WorkImage.isEmpty());
        }
    }

    void chosenChangeList()
    {
        QVERIFY(writeWholeFile(file("list.Txt"), toAnsi("文件名称：x\r\n创建时间：y\r\n*H4D1E512*")));
        QVERIFY(writeWholeFile(file("bad.txt"), "no star here"));
        frmStart *s = newStart();
        m_dialogs.answers << file("bad.txt");
        QTest::mouseClick(s->btnOpenNewFile, Qt::LeftButton);
        expectMessage(m_dialogs, "数据有误，无法读取！", "错误", Dialogs::Icon::Error);
        QCOMPARE(s->StartResult, 3);
        QVERIFY(s->isVisible());

        m_dialogs.answers << file("list.Txt");
        QTest::mouseClick(s->btnOpenNewFile, Qt::LeftButton);
        QVERIFY(s->mainWindow());
        QCOMPARE(int(byteAt(m_images.WorkImage, 0x4D1E5)), 0x12);
        QCOMPARE(m_images.OpenedImage, m_images.WorkImage);
        QCOMPARE(m_images.WorkImage.size(), TargetSize);
    }

    void patchesSavedAndOpened()
    {
        frmVeskEdit *w = openBuiltIn();
        QVERIFY(w);
        // Nothing changed: nothing to save.
        for (const char *name : {"none.ips", "none.bps"}) {
            m_dialogs.answers << file(name);
            QVERIFY(!w->menuSave_Click());
            expectMessage(m_dialogs, "没有进行任何修改，请修改后再保存！", "无法保存", Dialogs::Icon::Information);
            QVERIFY(!QFile::exists(file(name)));
        }
        // A change outside the cartridge too: a patch is of the whole executable.
        m_images.write(0x6E2EC, 0x2A);
        m_images.write(0x10, 0x99);
        const QByteArray edited = m_images.WorkImage;
        for (const char *name : {"mod.IPS", "mod.bps"}) {
            m_dialogs.answers << file(name);
            QVERIFY(w->menuSave_Click());
            QByteArray patch;
            QVERIFY(readWholeFile(file(name), patch));
            const auto applied = QString(name).endsWith("bps") ? Patches::applyBps(patch, m_pristine, TargetSize)
                                                                : Patches::applyIps(patch, m_pristine, TargetSize);
            QCOMPARE(applied.value_or("refused"), edited);
        }
        QVERIFY(!QFile::exists(lastFile()));
        QCOMPARE(w->windowTitle(), QString("苍岚战记外传 EMU + ROM 修改器")); // saved

        // Reopened from the File menu over the pristine image: every view refreshed, the tab kept.
        m_images.load(m_pristine);
        w->refreshViews();
        w->stabAll->setCurrentIndex(1);
        w->characterPage->lstCharacter->setCurrentRow(2);
        for (const char *name : {"mod.IPS", "mod.bps"}) {
            m_dialogs.saveAnswers << Dialogs::Answer::DontSave;
            m_dialogs.answers << file(name);
            w->menuOpen_Click();
            QCOMPARE(m_images.WorkImage, edited);
            QCOMPARE(w->stabAll->currentIndex(), 1);
            QCOMPARE(w->characterPage->txtCharacter[0]->text(), QString("42"));
            QCOMPARE(w->txtNowFileName->text(), file(name));
            m_images.load(m_pristine);
        }

        // Refused: the message, and nothing changed.
        QByteArray shortResult = Patches::encodeIps(m_pristine, m_pristine.left(TargetSize - 1));
        QByteArray otherSource = m_pristine;
        otherSource[0] = 'X';
        const QList<QPair<QString, QByteArray>> bad = {
            {"short.ips", shortResult},
            {"long.ips", Patches::encodeIps(m_pristine, m_pristine + "x")},
            {"noeof.ips", QByteArray("PATCH\x00\x00\x10\x00\x01\x01")},
            {"cut.bps", Patches::encodeBps(m_pristine, edited).chopped(1)},
            {"empty.ips", QByteArray()},
        };
        const QByteArray before = m_images.WorkImage;
        for (const auto &[name, bytes] : bad) {
            QVERIFY(writeWholeFile(file(name), bytes));
            m_dialogs.messages.clear();
            m_dialogs.saveAnswers = {Dialogs::Answer::DontSave};
            m_dialogs.answers << file(name);
            w->menuOpen_Click();
            expectMessage(m_dialogs, "补丁有误，无法读取！", "错误", Dialogs::Icon::Error);
            QCOMPARE(m_images.WorkImage, before);
        }
        QVERIFY(writeWholeFile(file("other.bps"), Patches::encodeBps(otherSource, edited)));
        m_dialogs.saveAnswers = {Dialogs::Answer::DontSave};
        m_dialogs.answers << file("other.bps");
        w->menuOpen_Click();
        expectMessage(m_dialogs, "补丁与自带文件不符，无法使用！", "文件错误", Dialogs::Icon::Error);
        QCOMPARE(m_images.WorkImage, before);
        m_dialogs.saveAnswers = {Dialogs::Answer::DontSave};
        QVERIFY(w->close());

        // From the start dialog.
        frmStart *s = newStart();
        m_dialogs.answers << file("noeof.ips");
        QTest::mouseClick(s->btnOpenNewFile, Qt::LeftButton);
        expectMessage(m_dialogs, "补丁有误，无法读取！", "错误", Dialogs::Icon::Error);
        QVERIFY(!s->mainWindow());
        m_dialogs.answers << file("mod.bps");
        QTest::mouseClick(s->btnOpenNewFile, Qt::LeftButton);
        QVERIFY(s->mainWindow());
        QCOMPARE(m_images.WorkImage, edited);
        QCOMPARE(m_images.OpenedImage, edited);
        QCOMPARE(s->mainWindow()->txtNowFileName->text(), file("mod.bps"));
    }

    void whereTheFilesAre()
    {
        const QString user = freshUserFolder();
        const auto yes = [](const QString &) { return true; };
        const auto no = [](const QString &) { return false; };
        // Data beside the program: everything there while the folder takes files.
        QDir().mkpath(file("Loc0"));
        const EditorPaths portable = EditorPaths::forProgram(folder(), yes);
        QVERIFY(portable.portable());
        QCOMPARE(portable.lastFile(), file("Data/LastFile.dat"));
        QCOMPARE(portable.terrainNames(), file("地形名称.txt"));
        // The same folder read-only: the data stays, the files go to the user's folder.
        const EditorPaths readOnly = EditorPaths::forProgram(folder(), no);
        QCOMPARE(readOnly.dataFolder(), folder());
        QCOMPARE(readOnly.writableFolder(), user);
        QCOMPARE(readOnly.lastFile(), user + "/Data/LastFile.dat");
        // Installed: bin/ and share/veskedit/; the user's folder even where bin/ takes files.
        QDir().mkpath(file("usr/bin"));
        QDir().mkpath(file("usr/share/veskedit/Loc0"));
        const EditorPaths installed = EditorPaths::forProgram(file("usr/bin"), yes);
        QCOMPARE(installed.dataFolder(), file("usr/share/veskedit"));
        QCOMPARE(installed.writableFolder(), user);
        // The real probe writes a file, and leaves none behind.
        QVERIFY(EditorPaths::canWrite(folder()));
        QVERIFY(!EditorPaths::canWrite(file("no/such/folder")));
        QCOMPARE(QDir(folder()).entryList(QDir::Files | QDir::Hidden).filter("probe").size(), 0);
    }

    void readOnlyProgramFolder()
    {
        const QString user = freshUserFolder();
        QDir().mkpath(file("Loc0"));
        const EditorPaths paths = EditorPaths::forProgram(folder(), [](const QString &) { return false; });
        m_start = std::make_unique<frmStart>(m_images, m_dialogs, paths);
        m_start->show();
        QVERIFY(!m_start->btnOpenLastFile->isEnabled());
        QTest::mouseClick(m_start->btnOpenSystem, Qt::LeftButton);
        frmVeskEdit *w = m_start->mainWindow();
        QVERIFY(w);
        w->timerInit_Timer();
        m_images.write(0x6E2EC, 0x21);
        m_dialogs.answers << file("saved.exe");
        QVERIFY(w->menuSave_Click());
        QVERIFY(!QFile::exists(file("Data/LastFile.dat")));
        QByteArray last;
        QVERIFY(readWholeFile(user + "/Data/LastFile.dat", last));
        QCOMPARE(last, m_images.WorkImage);
        const QByteArray saved = m_images.WorkImage;
        QVERIFY(w->close());

        // The next start finds it there.
        m_images = ByteImages();
        m_start = std::make_unique<frmStart>(m_images, m_dialogs, paths);
        m_start->show();
        QVERIFY(m_start->btnOpenLastFile->isEnabled());
        QTest::mouseClick(m_start->btnOpenLastFile, Qt::LeftButton);
        QVERIFY(m_start->mainWindow());
        QCOMPARE(m_images.WorkImage, saved);
    }

    void terrainNamesCopiedOnceThenEdited()
    {
        const QString user = freshUserFolder();
        QDir().mkpath(file("Loc0"));
        const EditorPaths paths = EditorPaths::forProgram(folder(), [](const QString &) { return false; });
        m_images.OpenedImage = m_pristine;
        m_images.load(m_pristine);
        auto w = std::make_unique<frmVeskEdit>(m_images, m_dialogs, paths);
        w->timerInit_Timer();
        const QString copy = user + "/地形名称.txt";
        QVERIFY(QFile::exists(copy));
        FlexGrid *grid = w->terrainPage->msfFieldEffect;
        QCOMPARE(grid->textMatrix(0, 1).trimmed(), m_dir->names()[0]);
        QCOMPARE(QDir::fromNativeSeparators(w->terrainPage->txtTerrainFile->text()), copy);
        QVERIFY(w->terrainPage->txtTerrainFile->isReadOnly());

        // The user edits the copy; the refresh reads it, and the copy is never replaced.
        QStringList names = m_dir->names();
        names[0] = "沼泽地";
        QVERIFY(writeWholeFile(copy, toAnsi(names.join("\r\n"))));
        w->terrainPage->btnRefreshEffect_Click();
        QCOMPARE(grid->textMatrix(0, 1).trimmed(), QString("沼泽地"));
        w.reset();
        w = std::make_unique<frmVeskEdit>(m_images, m_dialogs, paths);
        w->timerInit_Timer();
        QCOMPARE(w->terrainPage->msfFieldEffect->textMatrix(0, 1).trimmed(), QString("沼泽地"));
        QByteArray shipped;
        QVERIFY(readWholeFile(file("地形名称.txt"), shipped));
        QVERIFY(!fromAnsi(shipped).contains("沼泽地"));
    }

    void qtTextsInChinese()
    {
        if (!installQtTranslations(*QCoreApplication::instance()))
            QFAIL("Qt's Chinese translations (qt6-translations-l10n) are not installed");
        QFileDialog dialog(nullptr, "打开文件");
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        auto *box = dialog.findChild<QDialogButtonBox *>();
        QVERIFY(box);
        QStringList texts;
        for (QAbstractButton *b : box->buttons())
            texts << b->text();
        QVERIFY2(texts.contains("取消"), qPrintable(texts.join(",")));
        QVERIFY2(texts.contains("打开(&O)"), qPrintable(texts.join(",")));
        QCOMPARE(QDialogButtonBox(QDialogButtonBox::Ok).button(QDialogButtonBox::Ok)->text(), QString("确定"));
    }

    void savesThatFailKeepTheOldFile()
    {
        frmVeskEdit *w = openBuiltIn();
        QVERIFY(w);
        m_images.write(0x6E2EC, 0x44);
        QByteArray old = m_pristine;
        old[0x20] = 0x11;
        const auto saveOnto = [&](const QString &path, const char *what) {
            m_dialogs.messages.clear();
            m_dialogs.answers << path;
            QVERIFY2(!w->menuSave_Click(), what);
            // The path and Qt's reason, which is never its "unknown error".
            const QString text = m_dialogs.messages.last().text;
            QVERIFY2(text.startsWith("文件保存失败！\n" + QDir::toNativeSeparators(path) + "："), qPrintable(text));
            QVERIFY2(!text.endsWith("：") && !text.endsWith(QFile().errorString()), qPrintable(text));
            QByteArray now;
            QVERIFY2(readWholeFile(path, now), what);
            QVERIFY2(now == old, what);
            QVERIFY2(w->windowTitle().endsWith(" *"), what); // still unsaved
            QCOMPARE(QDir(QFileInfo(path).path()).entryList(QDir::Files).size(), 1); // no temporary left
        };

        // A file that cannot be replaced (immutable, for root as for anyone).
        QDir().mkpath(file("keep"));
        const QString kept = file("keep/game.exe");
        QVERIFY(writeWholeFile(kept, old));
        if (QProcess::execute("chattr", {"+i", kept}) == 0) {
            saveOnto(kept, "immutable file");
            QProcess::execute("chattr", {"-i", kept});
        } else {
            qWarning("chattr +i is not possible here");
        }
        if (geteuid() != 0) {
            QFile::setPermissions(file("keep"), QFile::ReadOwner | QFile::ExeOwner);
            saveOnto(kept, "folder without write permission");
            QFile::setPermissions(file("keep"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }

        // A read-only file system, and a full one.
        const QString ro = mountTmpfs("ro", "2m");
        const QString full = mountTmpfs("full", "1m");
        if (ro.isEmpty() || full.isEmpty())
            QSKIP("no file system can be mounted here");
        QVERIFY(writeWholeFile(ro + "/game.exe", old));
        QCOMPARE(QProcess::execute("mount", {"-o", "remount,ro", ro}), 0);
        saveOnto(ro + "/game.exe", "read-only folder");
        QVERIFY(writeWholeFile(full + "/game.exe", old)); // 712,704 of 1,048,576 bytes
        saveOnto(full + "/game.exe", "full disk");
    }

    void hugeFilesAreRefused()
    {
        frmVeskEdit *w = openBuiltIn();
        QVERIFY(w);
        const QByteArray before = m_images.WorkImage;
        for (const char *name : {"huge.exe", "huge.txt", "huge.ips"}) {
            QFile f(file(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(f.resize(qint64(1) << 33)); // 8 GiB, sparse
            f.close();
            m_dialogs.messages.clear();
            m_dialogs.answers << file(name);
            w->menuOpen_Click();
            QVERIFY2(!m_dialogs.messages.isEmpty(), name);
            QCOMPARE(m_dialogs.messages.last().icon, Dialogs::Icon::Error);
            QCOMPARE(m_images.WorkImage, before);
        }
    }

    void cancelThenCloseEndsProgram()
    {
        frmStart *s = newStart();
        QSignalSpy end(s, &frmStart::programEnd);
        QTest::mouseClick(s->btnOpenNewFile, Qt::LeftButton); // no answer: cancelled
        QVERIFY(m_dialogs.messages.isEmpty());
        QCOMPARE(s->StartResult, 3);
        QVERIFY(s->isVisible());
        s->close();
        QCOMPARE(end.count(), 1);
        QVERIFY(!s->mainWindow());

        // So does the exit button, and closing after a refused file.
        s = newStart();
        QSignalSpy end2(s, &frmStart::programEnd);
        QTest::mouseClick(s->btnExit, Qt::LeftButton);
        QCOMPARE(end2.count(), 1);

        QVERIFY(writeWholeFile(file("short.exe"), "MZ"));
        s = newStart();
        QSignalSpy end3(s, &frmStart::programEnd);
        m_dialogs.answers << file("short.exe");
        QTest::mouseClick(s->btnOpenNewFile, Qt::LeftButton);
        s->close();
        QCOMPARE(end3.count(), 1);
        QVERIFY(m_images.WorkImage.isEmpty() && m_images.OpenedImage.isEmpty());
    }

    void lastSavedContent()
    {
        QDir().mkpath(file("Data"));
        // Shorter than the executable: refused, the dialog stays.
        QVERIFY(writeWholeFile(lastFile(), m_pristine.left(TargetSize - 1)));
        frmStart *s = newStart();
        QTest::mouseClick(s->btnOpenLastFile, Qt::LeftButton);
        expectRefused(sizeWhy(lastFile(), TargetSize - 1));
        QCOMPARE(s->StartResult, 3);
        QVERIFY(!s->mainWindow());

        // One byte longer: refused too.
        m_dialogs.messages.clear();
        QVERIFY(writeWholeFile(lastFile(), m_pristine + QByteArray(1, '\x11')));
        QTest::mouseClick(s->btnOpenLastFile, Qt::LeftButton);
        expectRefused(sizeWhy(lastFile(), TargetSize + 1));
        QVERIFY(!s->mainWindow());
        QVERIFY(m_images.WorkImage.isEmpty());

        // The right size is loaded.
        QByteArray saved = m_pristine;
        saved[0x6E2EC] = 9;
        QVERIFY(writeWholeFile(lastFile(), saved));
        QTest::mouseClick(s->btnOpenLastFile, Qt::LeftButton);
        QVERIFY(s->mainWindow());
        QCOMPARE(s->StartResult, 1);
        QCOMPARE(s->mainWindow()->txtNowFileName->text(), QString("上次保存的内容"));
        QCOMPARE(m_images.WorkImage, saved);
        QCOMPARE(m_images.OpenedImage, saved);
        QCOMPARE(s->mainWindow()->windowTitle(), QString("苍岚战记外传 EMU + ROM 修改器")); // nothing unsaved
    }

    void lastFileVanished()
    {
        QDir().mkpath(file("Data"));
        QVERIFY(writeWholeFile(lastFile(), m_pristine));
        frmStart *s = newStart();
        QVERIFY(s->btnOpenLastFile->isEnabled());
        QVERIFY(QFile::remove(lastFile()));
        QTest::mouseClick(s->btnOpenLastFile, Qt::LeftButton);
        QVERIFY(s->mainWindow());
        QCOMPARE(s->mainWindow()->txtNowFileName->text(), QString("自带Rom文件"));
        QCOMPARE(m_images.WorkImage, m_pristine);
    }

    void saveExecutable()
    {
        frmVeskEdit *w = openBuiltIn();
        QVERIFY(w);
        m_images.WorkImage[0x10] = char(~m_pristine[0x10]); // outside the cartridge
        m_dialogs.answers << file("out.exe");
        w->menuSave->trigger();
        QCOMPARE(m_dialogs.dialogTitles.last(), QString("保存文件"));
        QCOMPARE(m_dialogs.startNames.last(), QString("苍岚战记外传修改版"));
        QVERIFY(m_dialogs.messages.isEmpty());
        QByteArray saved;
        QVERIFY(readWholeFile(file("out.exe"), saved));
        QCOMPARE(saved, m_images.WorkImage);
        QByteArray last;
        QVERIFY(readWholeFile(lastFile(), last));
        QCOMPARE(last, saved);

        // The same state gives nothing to save as a change list.
        m_dialogs.answers << file("out.txt");
        w->menuSave->trigger();
        QCOMPARE(m_dialogs.startNames.last(), file("out.exe")); // the dialog keeps the last name
        expectMessage(m_dialogs, "没有进行任何修改，请修改后再保存！", "无法保存", Dialogs::Icon::Information);
        QVERIFY(!QFile::exists(file("out.txt")));
        // Saving changes neither the opened image nor the current-file box.
        QCOMPARE(m_images.OpenedImage, m_pristine);
        QCOMPARE(w->txtNowFileName->text(), QString("自带Rom文件"));
    }

    void saveAndReopenChangeList()
    {
        frmVeskEdit *w = openBuiltIn();
        QVERIFY(w);
        m_images.WorkImage[0x6E2EC] = 5;
        m_dialogs.answers << file("changes.txt");
        w->menuSave->trigger();
        QVERIFY(m_dialogs.messages.isEmpty());
        QByteArray list;
        QVERIFY(readWholeFile(file("changes.txt"), list));
        QVERIFY(list.contains("*H6E2EC05*"));
        QVERIFY(fromAnsi(list).startsWith("文件名称：changes.txt\r\n创建时间："));
        QVERIFY(!QFile::exists(lastFile()));

        // Back to pristine, then reopen the list from the menu: the tab shown stays shown.
        m_images.WorkImage = m_pristine;
        w->stabAll->setCurrentIndex(3);
        m_dialogs.saveAnswers << Dialogs::Answer::DontSave;
        m_dialogs.answers << file("changes.txt");
        w->menuOpen->trigger();
        QCOMPARE(m_dialogs.dialogTitles.last(), QString("打开文件"));
        QCOMPARE(int(byteAt(m_images.WorkImage, 0x6E2EC)), 5);
        QCOMPARE(w->stabAll->currentIndex(), 3);
        QCOMPARE(w->txtNowFileName->text(), file("changes.txt"));
        QCOMPARE(m_images.OpenedImage, m_pristine);
    }

    void menuOpenRefusals()
    {
        frmVeskEdit *w = openBuiltIn();
        QVERIFY(w);
        QVERIFY(writeWholeFile(file("long.exe"), QByteArray(TargetSize + 1, 'x')));
        QVERIFY(writeWholeFile(file("bad.txt"), "*ZZ*"));
        QVERIFY(writeWholeFile(file("other.dat"), "MZ"));
        m_images.WorkImage[0x4D1E0] = 1;
        const QByteArray before = m_images.WorkImage;
        m_dialogs.saveAnswers = QList<Dialogs::Answer>(5, Dialogs::Answer::DontSave);

        m_dialogs.answers << file("long.exe");
        w->menuOpen->trigger();
        expectRefused(sizeWhy(file("long.exe"), TargetSize + 1));
        m_dialogs.answers << file("bad.txt");
        w->menuOpen->trigger();
        expectMessage(m_dialogs, "数据有误，无法读取！", "错误", Dialogs::Icon::Error);
        // Any other ending is an executable, as in the start dialog.
        m_dialogs.answers << file("other.dat");
        w->menuOpen->trigger();
        expectRefused(sizeWhy(file("other.dat"), 2));
        const int shown = m_dialogs.messages.size();
        w->menuOpen->trigger(); // cancelled
        QCOMPARE(m_dialogs.messages.size(), shown);
        QCOMPARE(m_images.WorkImage, before);
        QCOMPARE(w->txtNowFileName->text(), QString("自带Rom文件"));

        // An executable of the right size replaces the working image only.
        QByteArray other = m_pristine;
        other[0x4D1E1] = 0x42;
        QVERIFY(writeWholeFile(file("other.EXE"), other));
        m_dialogs.answers << file("other.EXE");
        w->menuOpen->trigger();
        QCOMPARE(m_images.WorkImage, other);
        QCOMPARE(m_images.OpenedImage, m_pristine);
        QCOMPARE(m_images.PristineImage, m_pristine);
    }

    void failedSaveKeepsOldFile()
    {
        frmVeskEdit *w = openBuiltIn();
        QVERIFY(w);
        m_images.WorkImage[0x4D1E0] = char(~m_pristine[0x4D1E0]);
        // A name so long that no temporary file can stand beside it: the write fails.
        const QString longName = file(QString(250, 'a') + ".exe");
        {
            QFile f(longName);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("OLD");
        }
        m_dialogs.answers << longName;
        w->menuSave->trigger();
        QVERIFY(m_dialogs.lastText().startsWith("文件保存失败！\n" + QDir::toNativeSeparators(longName) + "："));
        QByteArray kept;
        QVERIFY(readWholeFile(longName, kept));
        QCOMPARE(kept, QByteArray("OLD"));
        QVERIFY(!QFile::exists(lastFile()));

        // A change list into a folder that does not exist.
        m_dialogs.answers << file("missing/list.txt");
        w->menuSave->trigger();
        QCOMPARE(m_dialogs.messages.size(), 2);
        QVERIFY(m_dialogs.lastText().startsWith("文件保存失败！\n" + QDir::toNativeSeparators(file("missing/list.txt")) + "："));
    }

    void closingEndsWithImagesErased()
    {
        frmVeskEdit *w = openBuiltIn();
        QVERIFY(w);
        QPointer<frmVeskEdit> guard(w);
        w->menuExit->trigger();
        QVERIFY(m_images.WorkImage.isEmpty());
        QVERIFY(m_images.OpenedImage.isEmpty());
        QVERIFY(m_images.PristineImage.isEmpty());
        QTRY_VERIFY(guard.isNull()); // deleted on close
    }

    void standardKeys()
    {
        frmVeskEdit *w = openBuiltIn();
        QVERIFY(w);
        QApplication::setActiveWindow(w);
        QVERIFY(QTest::qWaitForWindowActive(w));
        QCOMPARE(w->menuOpen->shortcut(), QKeySequence("Ctrl+O"));
        QCOMPARE(w->menuSave->shortcut(), QKeySequence("Ctrl+S"));
        QCOMPARE(w->menuFind->shortcut(), QKeySequence("Ctrl+F"));
        QCOMPARE(w->menuFind->text(), QString("查找(&F)..."));
        QVERIFY(w->menuEdit->actions().contains(w->menuFind));

        QTest::keyClick(w, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(m_dialogs.dialogTitles, QStringList{"打开文件"});
        QTest::keyClick(w, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(m_dialogs.dialogTitles, (QStringList{"打开文件", "保存文件"}));
        // Find from another tab: the hex grid, where the match is shown, comes to the front.
        w->stabAll->setCurrentIndex(2);
        QTest::keyClick(w, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(w->findDialog()->isVisible());
        QCOMPARE(w->stabAll->currentWidget(), static_cast<QWidget *>(w->hexPage));
        // It stands beside the bytes, not over the menu; Escape closes it.
        const QWidget *grid = w->hexPage->msfFileContent;
        QVERIFY(w->findDialog()->frameGeometry().top() >= w->menuBar()->mapToGlobal(QPoint(0, w->menuBar()->height())).y());
        QVERIFY(w->findDialog()->geometry().left() >= grid->mapToGlobal(QPoint(grid->width() / 2, 0)).x());
        QTest::keyClick(w->findDialog()->txtFindContent, Qt::Key_Escape);
        QVERIFY(!w->findDialog()->isVisible());
        // Not while the hex grid is being filled.
        w->LockMainWindow(true);
        QTest::keyClick(w, Qt::Key_F, Qt::ControlModifier);
        QTest::keyClick(w, Qt::Key_O, Qt::ControlModifier);
        QVERIFY(!w->findDialog()->isVisible());
        QCOMPARE(m_dialogs.dialogTitles.size(), 2);
        QVERIFY(!w->menuRecent->isEnabled());
        w->LockMainWindow(false);
        QVERIFY(w->menuRecent->isEnabled());
    }

    void statusAndRecentFiles()
    {
        frmVeskEdit *w = openBuiltIn();
        QVERIFY(w);
        QCOMPARE(w->statusBar()->objectName(), QString("statusBar"));
        QCOMPARE(w->menuRecent->title(), QString("最近打开的文件"));
        QVERIFY(recentEntries(w).isEmpty());
        QCOMPARE(w->menuRecent->actions().size(), 1); // a disabled "none"

        // Saved: the path in the status bar and first in the list; eight at most, none twice.
        m_images.write(0x6E2EC, 0x2A);
        const QByteArray edited = m_images.WorkImage;
        QStringList saved;
        for (int i = 0; i < 9; ++i) {
            saved.prepend(file(QString("p&%1.ips").arg(i)));
            m_dialogs.answers << saved.first();
            QVERIFY(w->menuSave_Click());
            QCOMPARE(w->statusBar()->currentMessage(), "已保存 " + saved.first());
        }
        m_dialogs.answers << saved[4];
        QVERIFY(w->menuSave_Click());
        saved.move(4, 0);
        QCOMPARE(recentEntries(w), saved.mid(0, 8));
        QCOMPARE(w->menuRecent->actions().first()->objectName(), QString("menuRecent_0"));
        QCOMPARE(w->menuRecent->actions().first()->text(), "&1 " + QString(saved.first()).replace("&", "&&"));
        // Kept in the editor's folder for the next window.
        QVERIFY(QFile::exists(file("veskedit.conf")));
        m_dialogs.saveAnswers = {Dialogs::Answer::DontSave};
        QVERIFY(w->close());
        m_images.OpenedImage = m_pristine;
        m_images.load(m_pristine);
        auto next = std::make_unique<frmVeskEdit>(m_images, m_dialogs, folder());
        next->timerInit_Timer();
        QCOMPARE(recentEntries(next.get()), saved.mid(0, 8));

        // Opened from the list: every kind named in the status bar, and it moves to the top.
        QVERIFY(writeWholeFile(file("game.exe"), edited));
        QVERIFY(writeWholeFile(file("mod.bps"), Patches::encodeBps(m_pristine, edited)));
        QVERIFY(writeWholeFile(file("list.txt"), toAnsi("文件名称：x\r\n创建时间：y\r\n*H6E2EC2A*")));
        const QList<QPair<QString, QString>> kinds = {
            {"game.exe", "可执行文件"}, {"mod.bps", "BPS 补丁"}, {"list.txt", "修改清单"}, {"p&3.ips", "IPS 补丁"}};
        for (const auto &[name, kind] : kinds) {
            m_images.load(m_pristine);
            QVERIFY(next->openFile(file(name)));
            QCOMPARE(m_images.WorkImage, edited);
            QCOMPARE(next->statusBar()->currentMessage(), QString("已打开 %1（%2）").arg(file(name), kind));
        }
        QCOMPARE(recentEntries(next.get()).first(), file("p&3.ips"));
        const auto chooseRecent = [&](const QString &name) {
            next->menuRecent->actions().at(recentEntries(next.get()).indexOf(file(name)))->trigger();
        };
        // Unsaved changes: the save question first.
        m_images.write(0x20, 0x01);
        m_dialogs.saveAnswers = {Dialogs::Answer::DontSave};
        m_dialogs.questions.clear();
        chooseRecent("list.txt");
        QCOMPARE(m_dialogs.questions.size(), 1);
        QCOMPARE(m_images.WorkImage, edited);
        QCOMPARE(next->txtNowFileName->text(), file("list.txt"));
        QCOMPARE(recentEntries(next.get()).first(), file("list.txt"));

        // A file gone since keeps its entry; opening it is refused with the kind's message.
        QVERIFY(QFile::remove(file("game.exe")));
        QVERIFY(QFile::remove(file("mod.bps")));
        m_images.write(0x10, 0x01);
        const QByteArray before = m_images.WorkImage;
        m_dialogs.saveAnswers = {Dialogs::Answer::DontSave, Dialogs::Answer::DontSave, Dialogs::Answer::Cancel};
        chooseRecent("game.exe");
        expectRefused("找不到文件 " + QDir::toNativeSeparators(file("game.exe")));
        chooseRecent("mod.bps");
        expectRefused("找不到文件 " + QDir::toNativeSeparators(file("mod.bps")));
        QCOMPARE(m_images.WorkImage, before);
        QVERIFY(recentEntries(next.get()).contains(file("game.exe")));
        // Cancelled at the save question: nothing happens.
        chooseRecent("list.txt");
        QCOMPARE(m_dialogs.questions.size(), 4);
        QCOMPARE(m_dialogs.messages.size(), 2);
        QCOMPARE(m_images.WorkImage, before);
        next.reset();

        // A file opened from the start dialog joins the list.
        QVERIFY(writeWholeFile(file("start.exe"), edited));
        frmStart *s = newStart();
        m_dialogs.answers << file("start.exe");
        QTest::mouseClick(s->btnOpenNewFile, Qt::LeftButton);
        QVERIFY(s->mainWindow());
        QTRY_COMPARE(recentEntries(s->mainWindow()).first(), file("start.exe")); // once the window is painted
        QCOMPARE(s->mainWindow()->statusBar()->currentMessage(), "已打开 " + file("start.exe") + "（可执行文件）");
    }

    void dropOpensFile()
    {
        frmVeskEdit *w = openBuiltIn();
        QVERIFY(w);
        QByteArray edited = m_pristine;
        edited[0x6E2EC] = 0x33;
        QVERIFY(writeWholeFile(file("mod.ips"), Patches::encodeIps(m_pristine, edited)));
        QVERIFY(writeWholeFile(file("short.exe"), "MZ"));
        const QUrl mod = QUrl::fromLocalFile(file("mod.ips"));
        // Not a single local file: the drag is not taken.
        QVERIFY(!dropOn(w, {}));
        QVERIFY(!dropOn(w, {QUrl("https://example.org/mod.ips")}));
        QVERIFY(!dropOn(w, {mod, mod}));
        // Unsaved changes: the save question first; cancelled, nothing is opened.
        m_images.write(0x10, 0x01);
        const QByteArray before = m_images.WorkImage;
        QVERIFY(dropOn(w, {mod}));
        QCOMPARE(m_dialogs.questions.size(), 1);
        QCOMPARE(m_images.WorkImage, before);
        m_dialogs.saveAnswers = {Dialogs::Answer::DontSave};
        QVERIFY(dropOn(w, {mod}));
        QCOMPARE(m_images.WorkImage, edited);
        QCOMPARE(w->txtNowFileName->text(), file("mod.ips"));
        QCOMPARE(w->statusBar()->currentMessage(), "已打开 " + file("mod.ips") + "（IPS 补丁）");
        QVERIFY(!w->windowTitle().endsWith(" *"));
        // Refused with its message; none while the hex grid is being filled.
        QVERIFY(dropOn(w, {QUrl::fromLocalFile(file("short.exe"))}));
        expectRefused(sizeWhy(file("short.exe"), 2));
        QCOMPARE(m_images.WorkImage, edited);
        w->LockMainWindow(true);
        QVERIFY(!dropOn(w, {mod}));
        w->LockMainWindow(false);
        QVERIFY(w->close());

        // On the start dialog: a refused file keeps it open, a good one hands over.
        m_dialogs.messages.clear();
        m_images = ByteImages();
        frmStart *s = newStart();
        QVERIFY(!dropOn(s, {mod, mod}));
        QVERIFY(dropOn(s, {QUrl::fromLocalFile(file("short.exe"))}));
        expectRefused(sizeWhy(file("short.exe"), 2));
        QVERIFY(s->isVisible());
        QVERIFY(!s->mainWindow());
        QVERIFY(dropOn(s, {mod}));
        QVERIFY(s->mainWindow());
        QCOMPARE(m_images.WorkImage, edited);
        QCOMPARE(m_images.OpenedImage, edited);
        QCOMPARE(s->mainWindow()->txtNowFileName->text(), file("mod.ips"));
    }

    void commandLineFile()
    {
        QByteArray edited = m_pristine;
        edited[0x6E2EC] = 0x44;
        QVERIFY(writeWholeFile(file("mod.bps"), Patches::encodeBps(m_pristine, edited)));
        QVERIFY(writeWholeFile(file("bad.txt"), "no star"));
        const auto windows = [] {
            QList<QWidget *> shown;
            for (QWidget *t : QApplication::topLevelWidgets())
                if (t->isVisible() && (qobject_cast<frmStart *>(t) || qobject_cast<frmVeskEdit *>(t)))
                    shown << t;
            return shown;
        };
        const auto closeAll = [] {
            QList<QPointer<QWidget>> windows;
            for (QWidget *t : QApplication::topLevelWidgets())
                if (qobject_cast<frmStart *>(t) || qobject_cast<frmVeskEdit *>(t))
                    windows << t;
            qDeleteAll(windows);
        };
        closeAll();

        // No file: the start dialog.
        QWidget *first = openFirstWindow(QString(), m_images, m_dialogs, folder());
        QVERIFY(qobject_cast<frmStart *>(first));
        QCOMPARE(windows(), QList<QWidget *>{first});
        closeAll();

        // A file, named from the current folder: straight into the main window.
        const QString current = QDir::currentPath();
        QDir::setCurrent(folder());
        first = openFirstWindow("mod.bps", m_images, m_dialogs, folder());
        QDir::setCurrent(current);
        auto *w = qobject_cast<frmVeskEdit *>(first);
        QVERIFY(w);
        QCOMPARE(windows(), QList<QWidget *>{w});
        QVERIFY(w->timerInit->isActive());
        w->timerInit_Timer();
        QCOMPARE(w->txtNowFileName->text(), file("mod.bps"));
        QCOMPARE(w->statusBar()->currentMessage(), "已打开 " + file("mod.bps") + "（BPS 补丁）");
        QCOMPARE(m_images.WorkImage, edited);
        QCOMPARE(m_images.OpenedImage, edited);
        QCOMPARE(m_images.PristineImage, m_pristine);
        QCOMPARE(recentEntries(w), QStringList{file("mod.bps")});
        QVERIFY(!w->windowTitle().endsWith(" *"));
        QVERIFY(m_dialogs.messages.isEmpty());
        closeAll();

        // Refused files: the message, then the start dialog with nothing loaded.
        for (const char *name : {"bad.txt", "missing.exe", "missing.ips"}) {
            m_images = ByteImages();
            m_dialogs.messages.clear();
            first = openFirstWindow(file(name), m_images, m_dialogs, folder());
            QVERIFY2(qobject_cast<frmStart *>(first), name);
            QCOMPARE(windows(), QList<QWidget *>{first});
            QCOMPARE(m_dialogs.messages.size(), 1);
            QCOMPARE(m_dialogs.messages.last().icon, Dialogs::Icon::Error);
            QVERIFY(m_images.WorkImage.isEmpty());
            closeAll();
        }
    }

    void programOptions()
    {
        const QString version = QString("%1.%2.%3").arg(VESKEDIT_VERSION_MAJOR).arg(VESKEDIT_VERSION_MINOR).arg(VESKEDIT_VERSION_PATCH);
        auto [code, out, err] = runProgram({"--version"});
        QCOMPARE(code, 0);
        QCOMPARE(out, "veskedit " + version + "\n");
        std::tie(code, out, err) = runProgram({"--help"});
        QCOMPARE(code, 0);
        for (const char *part : {"FILE", "--help", "--version", "--smoke-test", ".ips", ".bps"})
            QVERIFY2(out.contains(part), part);
        // Wrong usage: a word on it and the usage, no window.
        for (const QStringList &args : {QStringList{"--no-such-option"}, QStringList{"a.exe", "b.exe"}}) {
            std::tie(code, out, err) = runProgram(args);
            QCOMPARE(code, 2);
            QVERIFY(err.contains("FILE"));
        }
        // The package check still runs the start-up.
        std::tie(code, out, err) = runProgram({"--smoke-test"});
        QCOMPARE(code, 0);
        QVERIFY2(out.contains("start-up sequence ran"), qPrintable(out + err));
    }

    void aboutBox()
    {
        frmAbout about;
        QCOMPARE(about.windowTitle(), QString("关于  苍岚战记外传 EMU + ROM 修改器"));
        QVERIFY(about.lblVersion->text().startsWith("版本: "));
        QVERIFY(about.lblVersion->text().contains(QRegularExpression("^版本: \\d+\\.\\d+\\.\\d+$")));
        QVERIFY(about.txtInfo->isReadOnly());
        QVERIFY(about.txtInfo->toPlainText().contains("GPL-3.0-or-later"));
        QCOMPARE(about.btnOK->text(), QString("确定[&O]"));
        QVERIFY(about.isModal());
        about.show();
        QTest::mouseClick(about.btnOK, Qt::LeftButton);
        QCOMPARE(about.result(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(TestApp)
#include "tst_app.moc"
