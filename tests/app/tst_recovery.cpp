// The recovery journal: a killed process, a journal cut anywhere in its last record, damaged
// journals, the start dialog's offer, and the main window keeping its journal as it edits,
// saves, opens and closes.
#include "app/frmstart.h"
#include "app/frmveskedit.h"
#include "app/recovery.h"
#include "app/startup.h"
#include "changelistsession.h"
#include "editorfolder.h"
#include "journalsession.h"
#include "mainwindowfixture.h"
#include "image/mymodule.h"
#include "image/patches.h"
#include "scripteddialogs.h"

#include <QApplication>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLockFile>
#include <QProcess>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QtEndian>

namespace {

// The image and history after steps [0, n) of a session in another folder.
struct Expected {
    QByteArray image;
    int steps;
    int done;
};
Expected expectedAfter(int n, int saveAt = -1)
{
    QTemporaryDir scratch;
    JournalSession s(scratch.path(), saveAt);
    s.play(0, n);
    Expected e{s.images.WorkImage, s.images.history.steps(), s.images.history.doneSteps()};
    s.journal.discard();
    return e;
}

QByteArray fileBytes(const QString &path)
{
    QByteArray bytes;
    readWholeFile(path, bytes);
    return bytes;
}

QStringList journalsIn(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("*.journal")}, QDir::Files);
}

// Where each record of a journal starts: the base first, then the steps.
QList<qsizetype> recordStarts(const QByteArray &journal)
{
    QList<qsizetype> starts;
    for (qsizetype at = 8; at + 9 <= journal.size(); at += 9 + qFromLittleEndian<quint32>(journal.constData() + at + 1))
        starts.append(at);
    return starts;
}

} // namespace

class TestRecovery : public QObject {
    Q_OBJECT

    QString journals(const EditorFolder &f) const { return EditorPaths(f.path()).journalFolder(); }

    // A journal of n steps left in f's journal folder by an editor that is gone.
    void leaveJournal(const EditorFolder &f, int n, int saveAt = -1)
    {
        JournalSession s(journals(f), saveAt);
        s.play(0, n);
    }

private slots:
    void aKilledProcessLosesNoStep_data()
    {
        QTest::addColumn<int>("killAfter");
        QTest::addColumn<int>("saveAt");
        QTest::newRow("first step") << 1 << -1;
        QTest::newRow("after undo and redo") << 23 << -1;
        QTest::newRow("after a save, undoing past it") << 31 << 12;
    }
    void aKilledProcessLosesNoStep()
    {
        QFETCH(int, killAfter);
        QFETCH(int, saveAt);
        QTemporaryDir folder;
        QProcess p;
        p.start(QStringLiteral(JOURNAL_DRIVER),
                {folder.path(), QString::number(killAfter + 10), QString::number(killAfter), QString::number(saveAt)});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitStatus(), QProcess::CrashExit);

        std::vector<JournalOffer> offers = findOrphanJournals(folder.path());
        QCOMPARE(int(offers.size()), 1);
        ByteImages images;
        ScriptedDialogs dialogs;
        const std::optional<Recovered> recovered = recoverJournal(offers[0], images, dialogs);
        QVERIFY2(recovered, qPrintable(dialogs.lastText()));
        const Expected e = expectedAfter(killAfter, saveAt);
        QVERIFY(images.WorkImage == e.image);
        QCOMPARE(images.history.steps(), e.steps);
        QCOMPARE(images.history.doneSteps(), e.done);
        QVERIFY(recovered->base == (saveAt >= 0 ? fileBytes(QDir(folder.path()).filePath("saved.exe")) : loadBuiltInImage()));
        // Every step can be undone again, back to the image the session started from.
        while (images.history.canUndo())
            images.history.undo(images.WorkImage);
        QVERIFY(images.WorkImage == loadBuiltInImage());
    }

    // A crash while the last record was written: whatever part of it reached the disk, the
    // steps before it come back, and the journal goes on after them.
    void aRecordCutShortIsDropped()
    {
        QTemporaryDir folder;
        JournalSession s(folder.path());
        s.play(0, 8);
        const qint64 before = QFileInfo(s.journal.path()).size();
        s.play(8);
        const QByteArray whole = fileBytes(s.journal.path());
        QVERIFY(whole.size() > before + 9);
        const QByteArray image7 = expectedAfter(8).image;
        for (qint64 cut = before; cut < whole.size(); ++cut) {
            const std::optional<JournalContents> c = readJournal(whole.left(cut));
            QVERIFY(c);
            QCOMPARE(int(c->entries.size()), 8);
            QCOMPARE(c->wholeSize, before);
            ByteImages images;
            images.load(loadBuiltInImage());
            QVERIFY(replayJournal(*c, images));
            QVERIFY(images.WorkImage == image7);
        }
        // A torn record (its bytes there, one of them wrong) is dropped the same way.
        QByteArray torn = whole;
        torn[torn.size() - 6] = char(torn[torn.size() - 6] ^ 0x40);
        QCOMPARE(int(readJournal(torn)->entries.size()), 8);
        QCOMPARE(int(readJournal(whole)->entries.size()), 9);

        // Recovered from the cut file, the journal is continued after the last whole record.
        const QString path = s.journal.path();
        s.journal.discard();
        QDir().mkpath(folder.path() + "/j");
        const QString cutPath = folder.path() + "/j/cut.journal";
        writeWholeFile(cutPath, whole.left(whole.size() - 3));
        std::vector<JournalOffer> offers = findOrphanJournals(folder.path() + "/j");
        QCOMPARE(int(offers.size()), 1);
        Journal journal(folder.path() + "/j");
        journal.adopt(std::move(offers[0]));
        journal.record(EditHistory::Event::Undo, QString(), {});
        const std::optional<JournalContents> c = readJournal(fileBytes(cutPath));
        QCOMPARE(int(c->entries.size()), 9);
        QVERIFY(c->entries.back().event == EditHistory::Event::Undo);
        QVERIFY(!QFile::exists(path));
    }

    void damagedJournalsAreMovedAside_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        QTest::newRow("not a journal") << QByteArray("hello, world") << "不是恢复文件";
        QTest::newRow("another version") << QByteArray("VESKJNL\x02", 8) << "来自其它版本";
        QTest::newRow("no base") << QByteArray("VESKJNL\x01", 8) << "缺少起始记录";
    }
    void damagedJournalsAreMovedAside()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        QTemporaryDir folder;
        writeWholeFile(folder.filePath("a.journal"), bytes);
        QStringList damaged;
        QVERIFY(findOrphanJournals(folder.path(), &damaged).empty());
        QCOMPARE(damaged.size(), 1);
        QVERIFY2(damaged[0].contains(reason) && damaged[0].contains("已移到"), qPrintable(damaged[0]));
        QVERIFY(!QFile::exists(folder.filePath("a.journal")));
        QVERIFY(fileBytes(folder.filePath("a.journal.damaged")) == bytes);
        QVERIFY(findOrphanJournals(folder.path(), &damaged).empty());
        QCOMPARE(damaged.size(), 1); // never read again
    }

    // Records whose checksums are right but whose steps cannot be: a wrong base size, a
    // write outside the image, a step whose old values are not in the image.
    void journalsThatDoNotFitAreRefused()
    {
        QTemporaryDir folder;
        JournalSession s(folder.path());
        s.play(0, 3);
        const QByteArray good = fileBytes(s.journal.path());
        QVERIFY(readJournal(good));
        // The base record's size field, and its checksum made right again.
        QByteArray wrongSize = good;
        wrongSize[8 + 5 + 1] = char(wrongSize[8 + 5 + 1] + 1);
        const quint32 length = qFromLittleEndian<quint32>(wrongSize.constData() + 9);
        qToLittleEndian(Patches::crc32(wrongSize.mid(8, 5 + int(length))), wrongSize.data() + 8 + 5 + length);
        QString reason;
        QVERIFY(!readJournal(wrongSize, &reason));
        QCOMPARE(reason, QStringLiteral("所记的文件大小不对"));
        // Replayed onto another image, the first step's old values are not there.
        ByteImages other;
        other.load(QByteArray(TargetSize, '\x00'));
        const std::optional<JournalContents> c = readJournal(good);
        bool anyNonZero = false;
        for (const EditHistory::Change &ch : c->entries[0].changes)
            anyNonZero = anyNonZero || ch.before != 0;
        if (anyNonZero) {
            QVERIFY(!replayJournal(*c, other, &reason));
            QCOMPARE(reason, QStringLiteral("第 1 步与文件内容不符"));
        }
        s.journal.discard();
    }

    void theStartDialogOffersAndRecovers()
    {
        EditorFolder f;
        leaveJournal(f, 12);
        ByteImages images;
        ScriptedDialogs dialogs;
        auto *start = new frmStart(images, dialogs, f.path());
        start->setAttribute(Qt::WA_DeleteOnClose);
        start->show();
        QVERIFY(start->frameRecovery->isVisible());
        QVERIFY2(start->lblRecovery->text().contains("12 步") && start->lblRecovery->text().contains("自带Rom文件"),
                 qPrintable(start->lblRecovery->text()));
        QTest::mouseClick(start->btnRecover, Qt::LeftButton);
        QPointer<frmVeskEdit> w = start->mainWindow();
        QVERIFY(w);
        const Expected e = expectedAfter(12);
        QVERIFY(images.WorkImage == e.image);
        QVERIFY(w->windowTitle().endsWith(" *"));
        QVERIFY(w->menuUndo->isEnabled());
        QCOMPARE(w->txtNowFileName->text(), QStringLiteral("自带Rom文件"));

        // The window goes on in the same journal: one more step and one undo are in it.
        const QString path = w->journalPath();
        QVERIFY(QFile::exists(path));
        images.write(CartridgeStart + 5, byteAt(images.WorkImage, CartridgeStart + 5) ^ 1);
        w->menuUndo_Click();
        QCOMPARE(int(readJournal(fileBytes(path))->entries.size()), 14);
        // Undone to the start, the image is the built-in one again.
        while (images.history.canUndo())
            w->menuUndo_Click();
        QVERIFY(images.WorkImage == loadBuiltInImage());
        QVERIFY(!QFile::exists(path)); // nothing to recover: back to the file as opened
        w->menuRedo_Click();
        const std::optional<JournalContents> again = readJournal(fileBytes(path));
        QCOMPARE(int(again->history.size()), images.history.steps());
        QCOMPARE(int(again->entries.size()), 1);
        ByteImages replayed;
        replayed.load(loadBuiltInImage());
        QVERIFY(replayJournal(*again, replayed));
        QVERIFY(replayed.WorkImage == images.WorkImage);

        // Closing without saving, answered, removes the journal.
        dialogs.saveAnswers = {Dialogs::Answer::DontSave};
        images.write(CartridgeStart, byteAt(images.WorkImage, CartridgeStart) ^ 1);
        w->close();
        QTRY_VERIFY(!w);
        QVERIFY(!QFile::exists(path));
        QVERIFY(journalsIn(journals(f)).isEmpty());
    }

    // A file named on the command line waits while unsaved steps are on offer.
    void aFileToOpenWaitsForTheOffer()
    {
        EditorFolder f;
        const QString exe = f.filePath("game.exe");
        writeWholeFile(exe, loadBuiltInImage());
        leaveJournal(f, 2);
        ByteImages images;
        ScriptedDialogs dialogs;
        QPointer<QWidget> first = openFirstWindow(exe, images, dialogs, f.path());
        QVERIFY(qobject_cast<frmStart *>(first.data()));
        QVERIFY(images.WorkImage.isEmpty());
        QTest::mouseClick(static_cast<frmStart *>(first.data())->btnDiscardRecovery, Qt::LeftButton);
        first->close();
        QTRY_VERIFY(!first);

        first = openFirstWindow(exe, images, dialogs, f.path()); // nothing on offer now
        QVERIFY(qobject_cast<frmVeskEdit *>(first.data()));
        QVERIFY(images.WorkImage == loadBuiltInImage());
        first->close();
        QTRY_VERIFY(!first);
    }

    void discardRemovesTheJournal()
    {
        EditorFolder f;
        leaveJournal(f, 3);
        QTest::qWait(5); // the newer journal is offered first
        leaveJournal(f, 4);
        ByteImages images;
        ScriptedDialogs dialogs;
        frmStart start(images, dialogs, f.path());
        start.show();
        QVERIFY(start.lblRecovery->text().contains("4 步"));
        QTest::mouseClick(start.btnDiscardRecovery, Qt::LeftButton);
        QVERIFY(start.lblRecovery->text().contains("3 步"));
        QCOMPARE(journalsIn(journals(f)).size(), 1);
        QTest::mouseClick(start.btnDiscardRecovery, Qt::LeftButton);
        QVERIFY(start.frameRecovery->isHidden());
        QVERIFY(journalsIn(journals(f)).isEmpty());
        QVERIFY(images.WorkImage.isEmpty());
    }

    void aChangedOrMissingBaseIsNotReplayed()
    {
        EditorFolder f;
        leaveJournal(f, 9, 4); // based on saved.exe from step 5 on
        const QString saved = QDir(journals(f)).filePath("saved.exe");
        QByteArray changed = fileBytes(saved);
        changed[CartridgeStart] = char(changed[CartridgeStart] ^ 0xFF);
        writeWholeFile(saved, changed);
        ByteImages images;
        ScriptedDialogs dialogs;
        frmStart start(images, dialogs, f.path());
        start.show();
        QTest::mouseClick(start.btnRecover, Qt::LeftButton);
        QVERIFY2(dialogs.lastText().contains("已改变"), qPrintable(dialogs.lastText()));
        QVERIFY(!start.mainWindow());
        QVERIFY(images.WorkImage.isEmpty());
        QVERIFY(start.frameRecovery->isVisible()); // kept: the file may come back

        QFile::remove(saved);
        QTest::mouseClick(start.btnRecover, Qt::LeftButton);
        QCOMPARE(dialogs.lastText(), QStringLiteral("找不到 %1，无法恢复未保存的修改。").arg(QDir::toNativeSeparators(saved)));
        QCOMPARE(journalsIn(journals(f)).size(), 1);
    }

    // A journal whose checksums hold but whose step does not fit its base is set aside, not
    // offered again, and the images stay empty.
    void stepsThatDoNotFitAreSetAside()
    {
        EditorFolder f;
        const QByteArray builtIn = loadBuiltInImage();
        {
            Journal j(journals(f));
            j.start(JournalBase::of(JournalBase::Kind::BuiltIn, QString(), builtIn));
            const quint8 old = byteAt(builtIn, CartridgeStart);
            j.record(EditHistory::Event::Step, QStringLiteral("x"), {{quint32(CartridgeStart), quint8(old ^ 1), quint8(old ^ 2)}});
        }
        ByteImages images;
        ScriptedDialogs dialogs;
        frmStart start(images, dialogs, f.path());
        QVERIFY(start.frameRecovery->isVisibleTo(&start));
        QTest::mouseClick(start.btnRecover, Qt::LeftButton);
        QVERIFY2(dialogs.lastText().contains("第 1 步与文件内容不符") && dialogs.lastText().contains("已移到"),
                 qPrintable(dialogs.lastText()));
        QVERIFY(start.frameRecovery->isHidden());
        QVERIFY(!start.mainWindow());
        QVERIFY(images.WorkImage.isEmpty());
        QVERIFY(journalsIn(journals(f)).isEmpty());
    }

    // A change list holds the cartridge only. Saved while a byte outside it differs, the window
    // says so and stays modified; its journal, after a kill, brings back the image in hand.
    void aChangeListSaveKeepsWhatItLeavesOut()
    {
        MainWindowFixture m;
        const EditorFolder &f = m.folder;
        const QString txt = f.filePath("x.txt");
        QVERIFY(m.start());
        saveChangeListSession(*m.window, m.images, m.dialogs, txt);
        QCOMPARE(m.window->statusBar()->currentMessage(), "已保存 " + txt + "。有 1 个字节在卡带范围以外，修改清单不记录它们。");
        QVERIFY(m.window->windowTitle().endsWith(" *"));
        QByteArray listed = m.pristine;
        QVERIFY(applyChangeList(fileBytes(txt), listed));
        QVERIFY(listed != m.images.WorkImage);
        listed[0x1000] = m.images.WorkImage[0x1000];
        QVERIFY(listed == m.images.WorkImage); // all but the byte outside
        editAfterChangeListSave(m.images);
        const QByteArray expected = m.images.WorkImage;
        m.dialogs.saveAnswers = {Dialogs::Answer::DontSave};
        m.window->close();
        QCOMPARE(m.dialogs.questions.size(), 1);
        m.window.reset();
        QVERIFY(journalsIn(journals(f)).isEmpty());

        QProcess p;
        p.start(QStringLiteral(JOURNAL_DRIVER), {"--change-list", f.path(), txt});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitStatus(), QProcess::CrashExit);

        ByteImages images;
        ScriptedDialogs dialogs;
        frmStart start(images, dialogs, f.path());
        start.show();
        QVERIFY(dialogs.messages.isEmpty());
        QVERIFY2(start.lblRecovery->text().contains("上次有 3 步") && start.lblRecovery->text().contains(QDir::toNativeSeparators(txt)),
                 qPrintable(start.lblRecovery->text()));
        QTest::mouseClick(start.btnRecover, Qt::LeftButton);
        QPointer<frmVeskEdit> w = start.mainWindow();
        QVERIFY2(w, qPrintable(dialogs.lastText()));
        QVERIFY(images.WorkImage == expected);
        QVERIFY(w->windowTitle().endsWith(" *"));
        // The history came back too: undone to the start, the built-in image again.
        for (int k = 0; k < 4; ++k)
            w->menuUndo_Click();
        QVERIFY(!images.history.canUndo());
        QVERIFY(images.WorkImage == loadBuiltInImage());
        dialogs.saveAnswers = {Dialogs::Answer::DontSave};
        w->close();
        QTRY_VERIFY(!w);
        QVERIFY(journalsIn(journals(f)).isEmpty());
    }

    // One byte changed in a record of a journal of four steps and an undo: the steps before it
    // are offered, those after it named as lost, and the file is kept aside as it was. Damage
    // to the last record is what a crash leaves: a torn end, said nothing of.
    void aDamagedStepIsNamed_data()
    {
        QTest::addColumn<int>("damaged"); // the record, from 1
        QTest::addColumn<int>("at");      // its byte: 1 the length, 9 the time
        QTest::addColumn<int>("offered");
        QTest::addColumn<QString>("message");
        QTest::newRow("the second") << 2 << 9 << 1 << "第 2 步已损坏，其后 3 步无法恢复。前 1 步仍可恢复";
        QTest::newRow("its length") << 2 << 1 << 1 << "第 2 步已损坏，其后 3 步无法恢复。前 1 步仍可恢复";
        QTest::newRow("the first") << 1 << 9 << 0 << "第 1 步已损坏，其后 4 步无法恢复";
        QTest::newRow("the last") << 5 << 9 << 4 << "";
    }
    void aDamagedStepIsNamed()
    {
        QFETCH(int, damaged);
        QFETCH(int, at);
        QFETCH(int, offered);
        QFETCH(QString, message);
        EditorFolder f;
        leaveJournal(f, 5);
        const QString path = QDir(journals(f)).filePath(journalsIn(journals(f)).value(0));
        QByteArray bytes = fileBytes(path);
        const QList<qsizetype> starts = recordStarts(bytes);
        QCOMPARE(starts.size(), 6);
        bytes[starts[damaged] + at] = char(bytes[starts[damaged] + at] ^ 0x40);
        writeWholeFile(path, bytes);

        ByteImages images;
        ScriptedDialogs dialogs;
        frmStart start(images, dialogs, f.path());
        start.show();
        if (message.isEmpty()) {
            QVERIFY(dialogs.messages.isEmpty());
            QVERIFY(!QFile::exists(path + ".damaged"));
        } else {
            QCOMPARE(dialogs.messages.size(), 1);
            QVERIFY2(dialogs.lastText().contains(message), qPrintable(dialogs.lastText()));
            QVERIFY(fileBytes(path + ".damaged") == bytes);
        }
        QCOMPARE(start.frameRecovery->isVisible(), offered > 0);
        if (!offered) {
            QVERIFY(!QFile::exists(path));
            return;
        }
        QVERIFY2(start.lblRecovery->text().contains(QString("上次有 %1 步").arg(offered)), qPrintable(start.lblRecovery->text()));
        QTest::mouseClick(start.btnRecover, Qt::LeftButton);
        QPointer<frmVeskEdit> w = start.mainWindow();
        QVERIFY(w);
        QVERIFY(images.WorkImage == expectedAfter(offered).image);
        dialogs.saveAnswers = {Dialogs::Answer::DontSave};
        w->close();
        QTRY_VERIFY(!w);
    }

    void aRunningEditorsJournalIsNotOffered()
    {
        EditorFolder f;
        JournalSession running(journals(f));
        running.play(0, 5); // its lock names this process, which runs
        ByteImages images;
        ScriptedDialogs dialogs;
        frmStart start(images, dialogs, f.path());
        QVERIFY(start.frameRecovery->isHidden());
        QVERIFY(dialogs.messages.isEmpty());
        // A second editor writes a journal of its own.
        images.OpenedImage = loadBuiltInImage();
        images.load(images.OpenedImage);
        frmVeskEdit second(images, dialogs, f.path());
        images.write(CartridgeStart, byteAt(images.WorkImage, CartridgeStart) ^ 1);
        QVERIFY(!second.journalPath().isEmpty());
        QVERIFY(second.journalPath() != running.journal.path());
        QCOMPARE(journalsIn(journals(f)).size(), 2);
        // Two journals begun in the same moment of one process get names of their own.
        JournalSession a(journals(f)), b(journals(f));
        a.play(0);
        b.play(0);
        QVERIFY(a.journal.failure().isEmpty() && b.journal.failure().isEmpty());
        QVERIFY(a.journal.path() != b.journal.path());
        QCOMPARE(journalsIn(journals(f)).size(), 4);
        running.journal.discard();
    }

    // Where no journal can be written the window says so once and goes on editing.
    void aJournalThatCannotBeWrittenIsNamed()
    {
        EditorFolder f;
        writeWholeFile(f.filePath("Data"), "a file where the folder would be");
        ByteImages images;
        images.OpenedImage = loadBuiltInImage();
        images.load(images.OpenedImage);
        ScriptedDialogs dialogs;
        frmVeskEdit w(images, dialogs, f.path());
        images.write(CartridgeStart, byteAt(images.WorkImage, CartridgeStart) ^ 1);
        QVERIFY2(w.statusBar()->currentMessage().startsWith("无法写入恢复文件："), qPrintable(w.statusBar()->currentMessage()));
        w.statusBar()->clearMessage();
        images.write(CartridgeStart + 1, byteAt(images.WorkImage, CartridgeStart + 1) ^ 1);
        QVERIFY(w.statusBar()->currentMessage().isEmpty());
        QVERIFY(w.windowTitle().endsWith(" *"));
        QVERIFY(w.menuUndo->isEnabled());
    }

    void aDamagedJournalGetsAMessageAtStart()
    {
        EditorFolder f;
        QDir().mkpath(journals(f));
        writeWholeFile(QDir(journals(f)).filePath("x.journal"), QByteArray(100, 'x'));
        ByteImages images;
        ScriptedDialogs dialogs;
        frmStart start(images, dialogs, f.path());
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY(dialogs.lastText().contains("无法使用"));
        QVERIFY(start.frameRecovery->isHidden());
        QVERIFY(QFile::exists(QDir(journals(f)).filePath("x.journal.damaged")));
    }

    // The window's journal follows it: steps, undo and redo, a save that starts afresh with
    // the history still undoable, and an open that starts from the file opened.
    void theWindowKeepsItsJournal()
    {
        EditorFolder f;
        ByteImages images;
        ScriptedDialogs dialogs;
        auto *start = new frmStart(images, dialogs, f.path());
        start->setAttribute(Qt::WA_DeleteOnClose);
        QTest::mouseClick(start->btnOpenSystem, Qt::LeftButton);
        QPointer<frmVeskEdit> w = start->mainWindow();
        QVERIFY(w);
        QVERIFY(w->journalPath().isEmpty()); // nothing yet: no file
        for (int k = 0; k < 4; ++k)
            images.write(CartridgeStart + k, byteAt(images.WorkImage, CartridgeStart + k) ^ 0x11);
        w->menuUndo_Click();
        w->menuRedo_Click();
        w->menuUndo_Click();
        const QString path = w->journalPath();
        auto replayed = [&](const QByteArray &base) {
            const std::optional<JournalContents> c = readJournal(fileBytes(path));
            ByteImages r;
            r.load(base);
            return c && replayJournal(*c, r) ? r.WorkImage : QByteArray();
        };
        QCOMPARE(int(readJournal(fileBytes(path))->entries.size()), 7);
        QVERIFY(replayed(loadBuiltInImage()) == images.WorkImage);

        const QString saved = f.filePath("saved.exe");
        dialogs.answers = {saved};
        QVERIFY(w->menuSave_Click());
        QVERIFY(!QFile::exists(path)); // afresh, made at the next step
        w->menuUndo_Click(); // a step from before the save
        const std::optional<JournalContents> c = readJournal(fileBytes(path));
        QCOMPARE(c->base.path, saved);
        QCOMPARE(int(c->entries.size()), 1);
        QVERIFY(replayed(fileBytes(saved)) == images.WorkImage);

        dialogs.answers = {saved};
        dialogs.saveAnswers = {Dialogs::Answer::DontSave};
        w->menuOpen_Click();
        QVERIFY(!QFile::exists(path));
        images.write(CartridgeStart + 9, 0x42);
        QCOMPARE(readJournal(fileBytes(path))->base.path, saved);
        QVERIFY(replayed(fileBytes(saved)) == images.WorkImage);

        dialogs.saveAnswers = {Dialogs::Answer::DontSave};
        w->close();
        QTRY_VERIFY(!w);
        QVERIFY(journalsIn(journals(f)).isEmpty());
    }
};

QTEST_MAIN(TestRecovery)
#include "tst_recovery.moc"
