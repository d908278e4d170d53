#include "app/commandline.h"
#include "app/frmapplypatch.h"
#include "app/openfile.h"
#include "gamedata/gamedata.h"
#include "gamedata/patchmerge.h"
#include "commandrun.h"
#include "image/fileio.h"
#include "image/patches.h"
#include "mainwindowfixture.h"
#include "tables/characterpage.h"
#include "tables/gametables.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

using namespace GameTables;
using PatchMerge::Base;

namespace {

// An IPS of records of one byte each: offset, value.
QByteArray ipsOf(const QList<std::pair<qint64, int>> &records)
{
    QByteArray out("PATCH");
    for (const auto &[offset, value] : records) {
        out.append(char(offset >> 16)).append(char(offset >> 8)).append(char(offset));
        out.append('\0').append('\1').append(char(value));
    }
    return out + "EOF";
}

int byteOf(const QByteArray &image, qint64 offset)
{
    return quint8(image[offset]);
}

} // namespace

class TestMerge : public QObject {
    Q_OBJECT

private:
    QByteArray m_pristine;
    QTemporaryDir m_dir;
    MainWindowFixture f;
    QString m_out;
    QString m_err;

    static constexpr qint64 Level1 = CharacterBase + 1;                   // 等  级 of the first character
    static constexpr qint64 Level2 = CharacterBase + CharacterStride + 1; // and of the second

    QString file(const QString &name) const { return m_dir.filePath(name); }
    QString written(const QString &name, const QByteArray &bytes) const
    {
        const QString path = file(name);
        return writeWholeFile(path, bytes) ? path : QString();
    }
    std::optional<GameData::Catalogue> m_catalogue; // of the built-in image
    bool described(qint64 offset) const { return m_catalogue->at(offset).has_value(); }
    QString hero() const { return QStringLiteral("我方人物 ") + GameData::fixedTable(GameData::Characters).records[0].name; }
    int run(const QStringList &arguments)
    {
        return runCommand(arguments, m_out, m_err);
    }
    QByteArray with(std::initializer_list<std::pair<qint64, int>> bytes) const
    {
        QByteArray image = m_pristine;
        for (const auto &[offset, value] : bytes)
            image[offset] = char(value);
        return image;
    }

private slots:
    void initTestCase()
    {
        m_pristine = loadBuiltInImage();
        QCOMPARE(m_pristine.size(), TargetSize);
        m_catalogue.emplace(m_pristine, m_pristine);
    }
    void cleanup() { f.window.reset(); }

    // Base, work and patch values of one byte: what is a change, what a conflict, and what each
    // choice leaves, undone and done again. The patch always holds a record for the byte.
    void mergeRule_data()
    {
        QTest::addColumn<qint64>("offset");
        QTest::addColumn<int>("work");  // added to the base value
        QTest::addColumn<int>("patch"); // the same
        QTest::addColumn<QString>("line"); // {b}, {w}, {p}: the values as the line shows them
        QTest::addColumn<bool>("conflict");
        const QString field = QStringLiteral("等  级: ");
        QTest::newRow("unchanged") << Level1 << 0 << 0 << QString() << false;
        QTest::newRow("work only, patch writes the base value back") << Level1 << 3 << 0 << QString() << false;
        QTest::newRow("patch only") << Level1 << 0 << 7 << field + "{b} => {p}" << false;
        QTest::newRow("both, to the same value") << Level1 << 7 << 7 << field + "{b} => {p}" << false;
        QTest::newRow("both, to different values") << Level1 << 3 << 7 << field + "当前 {w}，补丁 {p}" << true;
        QTest::newRow("unnamed byte, patch only") << qint64(0x100) << 0 << 7 << "00000100–00000100: 1 字节" << false;
        QTest::newRow("unnamed byte, both") << qint64(0x100) << 3 << 7 << "00000100–00000100: 当前 {w}，补丁 {p}" << true;
    }
    void mergeRule()
    {
        QFETCH(qint64, offset);
        QFETCH(int, work);
        QFETCH(int, patch);
        QFETCH(QString, line);
        QFETCH(bool, conflict);
        const int b = byteOf(m_pristine, offset);
        const int w = (b + work) & 0xFF;
        const int p = (b + patch) & 0xFF;
        const auto text = [&](int v) { return offset == 0x100 ? hexByte(v) : QString::number(v); };
        line.replace("{b}", text(b)).replace("{w}", text(w)).replace("{p}", text(p));

        const PatchMerge::Reading read = PatchMerge::readPatch(ipsOf({{offset, p}}), FileKind::Ips, m_pristine, Base::Executable);
        QVERIFY(read.ok());
        ByteImages images;
        images.PristineImage = m_pristine;
        images.load(with({{offset, w}}));
        const PatchMerge::Merge m = PatchMerge::mergeBytes(m_pristine, images.WorkImage, read.image());
        QCOMPARE(m.changes, !line.isEmpty());
        const PatchMerge::MergeLines lines = PatchMerge::describeMerge(m_pristine, images.WorkImage, read.image(), m);
        QCOMPARE(lines.lines.size(), line.isEmpty() ? 0 : 1);
        QCOMPARE(lines.conflictLines, conflict ? 1 : 0);
        if (!line.isEmpty())
            QVERIFY2(lines.lines[0].line().endsWith(line), qPrintable(lines.lines[0].line()));

        for (const bool keep : {false, true}) {
            images.load(with({{offset, w}}));
            const int bytes = PatchMerge::applyMerge(images, m, keep, "t.ips", lines.conflictLines);
            const int expected = conflict && keep ? w : m.changes ? p : w;
            QCOMPARE(byteOf(images.WorkImage, offset), expected);
            QCOMPARE(bytes, expected != w ? 1 : 0);
            QCOMPARE(images.history.canUndo(), bytes > 0);
            if (bytes == 0)
                continue;
            QCOMPARE(images.history.undoLabel(), QString("应用补丁 t.ips（1 字节，%1 处冲突）").arg(conflict ? 1 : 0));
            images.history.undo(images.WorkImage);
            QCOMPARE(images.WorkImage, with({{offset, w}}));
            images.history.redo(images.WorkImage);
            QCOMPARE(byteOf(images.WorkImage, offset), expected);
        }
    }

    // The editor's IPS joins changes over short gaps and many patchers write whole records: the
    // unchanged bytes they carry leave the user's edits alone.
    void recordsSpanningUnchangedBytesKeepEdits()
    {
        QByteArray target = m_pristine;
        target[Level2] = char(byteOf(m_pristine, Level2) ^ 4);
        QByteArray patch("PATCH");
        const qint64 from = CharacterBase;
        patch.append(char(from >> 16)).append(char(from >> 8)).append(char(from)).append('\0').append(char(24));
        patch.append(target.mid(from, 24)).append("EOF");
        const QByteArray work = with({{Level1, 50}, {CharacterBase + 2, 60}});
        ScriptedDialogs dialogs;
        const auto read = PatchMerge::readPatchFile(written("span.ips", patch), FileKind::Ips, m_pristine, dialogs);
        QVERIFY(read);
        ByteImages images;
        images.load(work);
        const PatchMerge::Merge m = PatchMerge::mergeBytes(m_pristine, work, read->image());
        QCOMPARE(int(m.bytes.size()), 1);
        QCOMPARE(m.conflicts, 0);
        QCOMPARE(PatchMerge::applyMerge(images, m, false, "span.ips", 0), 1);
        QByteArray expected = work;
        expected[Level2] = target[Level2];
        QCOMPARE(images.WorkImage, expected);
    }

    // Patches of the bare cartridge, from the project's own writer, land at 0x4D1E0 onward, by
    // the readers of the window, "打开" and the command line; one made for another cartridge is
    // refused.
    void cartridgePatchesLandInPlace()
    {
        const QByteArray work = with({{CartridgeStart, byteOf(m_pristine, CartridgeStart) ^ 1},
                                      {Level1, 40}, {Level2, 41}, {Level2 + CharacterStride, 42},
                                      {CartridgeEnd, byteOf(m_pristine, CartridgeEnd) ^ 1},
                                      {0x200, byteOf(m_pristine, 0x200) ^ 1}}); // outside: not in the patch
        const QByteArray expected = PatchMerge::withCartridge(m_pristine, cartridgeOf(work));
        ScriptedDialogs dialogs;
        for (const FileKind kind : {FileKind::Ips, FileKind::Bps}) {
            const QByteArray patch = PatchMerge::encodeCartridgePatch(kind, m_pristine, work);
            QCOMPARE(patch.startsWith("BPS1"), kind == FileKind::Bps);
            const QString path = written(kind == FileKind::Bps ? "cart.bps" : "cart.ips", patch);
            const auto read = PatchMerge::readPatchFile(path, kind, m_pristine, dialogs);
            QVERIFY(read);
            QVERIFY(read->preferred == Base::Cartridge);
            QCOMPARE(read->image(), expected);
            ByteImages opened;
            QVERIFY(loadFile(opened, path, dialogs));
            QCOMPARE(opened.WorkImage, expected);
        }
        QVERIFY(dialogs.messages.isEmpty());

        QByteArray other = cartridgeOf(m_pristine);
        other[5] = char(~other[5]);
        const QString foreign = written("other.bps", Patches::encodeBps(other, cartridgeOf(work)));
        ByteImages images;
        images.load(m_pristine);
        QVERIFY(!loadFile(images, foreign, dialogs));
        expectMessage(dialogs, "补丁与自带文件不符，无法使用！", "文件错误", Dialogs::Icon::Error);
        QCOMPARE(images.WorkImage, m_pristine);
    }

    // Which base an IPS is read against when it does not say.
    void ipsDefault_data()
    {
        QTest::addColumn<QByteArray>("patch");
        QTest::addColumn<bool>("both");
        QTest::addColumn<int>("base");
        // A value changed in both readings.
        const auto value = [this](qint64 offset) {
            int v = byteOf(m_pristine, offset) ^ 0x5A;
            return v == byteOf(m_pristine, offset + CartridgeStart) ? v ^ 0xFF : v;
        };
        const qint64 last = PatchMerge::CartridgeLast;
        QTest::newRow("a record reaching past 0x6000F")
            << ipsOf({{last - 1, value(last - 1)}, {last + 1, 1}}) << false << int(Base::Executable);
        const qint64 inCartridge = Level1 - CartridgeStart;
        QVERIFY(!described(inCartridge) && described(Level1));
        QTest::newRow("more described bytes in the cartridge reading")
            << ipsOf({{inCartridge, value(inCartridge)}}) << true << int(Base::Cartridge);
        // A described byte the cartridge reading moves onto an undescribed one.
        qint64 low = -1;
        for (qint64 o = CartridgeStart; o <= last && low < 0; ++o)
            if (described(o) && !described(o + CartridgeStart))
                low = o;
        QVERIFY(low >= 0);
        QTest::newRow("more described bytes in the executable reading")
            << ipsOf({{low, value(low)}}) << true << int(Base::Executable);
        // A byte outside the cartridge that neither reading describes.
        QVERIFY(!described(0x120) && !described(0x120 + CartridgeStart));
        QTest::newRow("a tie") << ipsOf({{0x120, value(0x120)}}) << true << int(Base::Executable);
        // The editor's own patch below the cartridge ends with the executable's length, so the
        // cartridge reading, which would describe the byte, is not offered.
        qint64 below = 0;
        while (!described(below + CartridgeStart))
            ++below;
        QTest::newRow("the editor's patch below the cartridge")
            << Patches::encodeIps(m_pristine, with({{below, value(below)}})) << false << int(Base::Executable);
    }
    void ipsDefault()
    {
        QFETCH(QByteArray, patch);
        QFETCH(bool, both);
        QFETCH(int, base);
        const PatchMerge::Reading read = PatchMerge::readPatch(patch, FileKind::Ips, m_pristine);
        QVERIFY(read.ok());
        QCOMPARE(read.both(), both);
        QCOMPARE(int(read.preferred), base);
    }

    // The window over the main window: conflicts first with both values, the counts, and each
    // of the three choices with its undo and redo, shown by the editors.
    void windowChoices_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("level1"); // 0 the work's value, 1 the patch's
        QTest::addColumn<QString>("label");
        QTest::newRow("应用") << "btnApply" << 1 << "应用补丁 t.ips（2 字节，1 处冲突）";
        QTest::newRow("应用，冲突处保留当前值") << "btnApplyKeep" << 0 << "应用补丁 t.ips（1 字节，1 处冲突）";
        QTest::newRow("取消") << "btnApplyCancel" << 0 << QString();
    }
    void windowChoices()
    {
        QFETCH(QString, button);
        QFETCH(int, level1);
        QFETCH(QString, label);
        QVERIFY(f.start());
        frmVeskEdit *w = f.window.get();
        const int b1 = byteOf(m_pristine, Level1);
        const int b2 = byteOf(m_pristine, Level2);
        {
            EditStep step(f.images, "mine");
            f.images.write(Level1, b1 + 3);
        }
        const QByteArray work = f.images.WorkImage;
        const QString path = written("t.ips", Patches::encodeIps(m_pristine, with({{Level1, b1 + 7}, {Level2, b2 + 7}})));
        f.dialogs.answers << path;
        QTest::keyClick(w, Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
        auto *window = w->findChild<frmApplyPatch *>();
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->lblApplyCount->text(), QString("2 处修改，1 处冲突"));
        QVERIFY(!window->cboPatchBase->isEnabled());
        const QStringList lines = window->lines();
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], QString("冲突 %1 · 等  级: 当前 %2，补丁 %3").arg(hero()).arg(b1 + 3).arg(b1 + 7));
        QVERIFY2(lines[1].endsWith(QString(" · 等  级: %1 => %2").arg(b2).arg(b2 + 7)), qPrintable(lines[1]));
        QCOMPARE(f.images.WorkImage, work); // nothing written yet

        window->findChild<QPushButton *>(button)->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!w->findChild<frmApplyPatch *>());
        const QString levelShown = w->characterPage->txtCharacter[0]->text();
        if (label.isEmpty()) {
            QCOMPARE(f.images.WorkImage, work);
            QCOMPARE(w->menuUndo->text(), QString("撤销 mine"));
            return;
        }
        const int expected1 = level1 ? b1 + 7 : b1 + 3;
        QCOMPARE(byteOf(f.images.WorkImage, Level1), expected1);
        QCOMPARE(byteOf(f.images.WorkImage, Level2), b2 + 7);
        QCOMPARE(levelShown, QString::number(expected1));
        QCOMPARE(w->menuUndo->text(), "撤销 " + label);
        w->menuUndo->trigger();
        QCOMPARE(f.images.WorkImage, work);
        QCOMPARE(w->characterPage->txtCharacter[0]->text(), QString::number(b1 + 3));
        w->menuRedo->trigger();
        QCOMPARE(byteOf(f.images.WorkImage, Level1), expected1);
        QCOMPARE(byteOf(f.images.WorkImage, Level2), b2 + 7);
        QCOMPARE(w->menuUndo->text(), "撤销 " + label);
    }

    // The IPS base choice re-lists; a patch that changes nothing, a damaged one and one for another
    // cartridge write nothing and say why; the cartridge patch exported reads back.
    void windowBaseChoiceRefusalsAndExport()
    {
        QVERIFY(f.start());
        frmVeskEdit *w = f.window.get();
        const qint64 inCartridge = Level1 - CartridgeStart;
        const int level = (byteOf(m_pristine, Level1) + 7) & 0xFF;
        QVERIFY(level != byteOf(m_pristine, inCartridge));
        f.dialogs.answers << written("c.ips", ipsOf({{inCartridge, level}}));
        w->menuApplyPatch->trigger();
        auto *window = w->findChild<frmApplyPatch *>();
        QVERIFY(window);
        QVERIFY(window->cboPatchBase->isEnabled());
        QCOMPARE(window->cboPatchBase->currentText(), QString("卡带文件"));
        QVERIFY2(window->lines().value(0).startsWith(hero() + " · 等  级: "), qPrintable(window->lines().value(0)));
        window->cboPatchBase->setCurrentIndex(0);
        const QString address = QString::number(inCartridge, 16).toUpper().rightJustified(8, u'0');
        QCOMPARE(window->lines(), QStringList(QString("%1–%1: 1 字节").arg(address)));
        QCOMPARE(window->lblApplyCount->text(), QString("1 处修改，0 处冲突"));
        QVERIFY(!window->btnApplyKeep->isEnabled());
        window->btnApply->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(f.images.WorkImage, with({{inCartridge, level}}));
        w->menuUndo->trigger();

        struct Refusal {
            const char *name;
            QByteArray bytes;
            const char *text;
        };
        QByteArray other = cartridgeOf(m_pristine);
        other[9] = char(~other[9]);
        const QList<Refusal> refusals = {
            {"same.ips", ipsOf({{Level1, byteOf(m_pristine, Level1)}}), "补丁没有任何修改。"},
            {"bad.ips", QByteArray("PATCH\x00\x01", 7), "补丁有误，无法读取！"},
            {"other.bps", Patches::encodeBps(other, cartridgeOf(m_pristine)), "补丁与自带文件不符，无法使用！"},
        };
        for (const Refusal &r : refusals) {
            f.dialogs.answers << written(r.name, r.bytes);
            w->menuApplyPatch->trigger();
            QCOMPARE(f.dialogs.lastText(), QString(r.text));
            QVERIFY(!w->findChild<frmApplyPatch *>());
            QCOMPARE(f.images.WorkImage, m_pristine);
        }

        f.images.write(Level2, 77);
        f.dialogs.answers << file("export.bps");
        w->menuExportCartridgePatch->trigger();
        QByteArray exported;
        QVERIFY(readWholeFile(file("export.bps"), exported));
        QCOMPARE(Patches::applyBps(exported, cartridgeOf(m_pristine), CartridgeSize).value_or(""),
                 cartridgeOf(f.images.WorkImage));
    }

    // merge: patches in turn, conflicts one line each and nothing written unless settled; the
    // cartridge flag of make-patch and apply.
    void mergeCommand_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QStringList>("lines"); // {b1}, {w1}, {p1}: levels
        QTest::addColumn<int>("level1");        // in the file written; -1 none written
        QTest::addColumn<int>("level2");
        const QString conflict = "a.ips: {hero} · 等  级: 当前 {w1}，补丁 {p1}";
        QTest::newRow("no conflict") << QStringList{"merge", "base.exe", "b.ips", "-o", "out.exe"} << 0 << QStringList()
                                     << 1 << 1;
        QTest::newRow("a conflict") << QStringList{"merge", "base.exe", "a.ips", "-o", "out.exe"} << 1
                                    << QStringList{conflict} << -1 << -1;
        QTest::newRow("--prefer patch") << QStringList{"merge", "base.exe", "a.ips", "-o", "out.exe", "--prefer", "patch"}
                                        << 0 << QStringList{conflict} << 2 << 2;
        QTest::newRow("--prefer current") << QStringList{"merge", "base.exe", "a.ips", "-o", "out.exe", "--prefer", "current"}
                                          << 0 << QStringList{conflict} << 1 << 2;
        QTest::newRow("two patches at odds") << QStringList{"merge", "base.exe", "b.ips", "c.bps", "-o", "out.exe"} << 1
                                             << QStringList{"c.bps: {hero2} · 等  级: 当前 {p2}，补丁 {q2}"} << -1 << -1;
        QTest::newRow("a cartridge file") << QStringList{"merge", "base.exe", "d.nes", "-o", "out.exe"} << 0
                                          << QStringList() << 1 << 2;
        QTest::newRow("a damaged patch") << QStringList{"merge", "base.exe", "bad.ips", "-o", "out.exe"} << 1
                                         << QStringList() << -1 << -1;
        QTest::newRow("no -o") << QStringList{"merge", "base.exe", "a.ips"} << 2 << QStringList() << -1 << -1;
        QTest::newRow("no patch") << QStringList{"merge", "base.exe", "-o", "out.exe"} << 2 << QStringList() << -1 << -1;
        QTest::newRow("--prefer other") << QStringList{"merge", "base.exe", "a.ips", "-o", "out.exe", "--prefer", "mine"}
                                        << 2 << QStringList() << -1 << -1;
        QTest::newRow("--prefer on apply") << QStringList{"apply", "a.ips", "-o", "out.exe", "--prefer", "patch"} << 2
                                           << QStringList() << -1 << -1;
        QTest::newRow("--cartridge on merge") << QStringList{"merge", "base.exe", "a.ips", "-o", "out.exe", "--cartridge"}
                                              << 2 << QStringList() << -1 << -1;
    }
    void mergeCommand()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QStringList, lines);
        QFETCH(int, level1);
        QFETCH(int, level2);
        // Level 1: base, work (base.exe), patch a. Level 2: base, patch b, patch c.
        const int b1 = byteOf(m_pristine, Level1);
        const int b2 = byteOf(m_pristine, Level2);
        const int levels1[] = {b1, b1 + 3, b1 + 7};
        const int levels2[] = {b2, b2 + 1, b2 + 2};
        written("base.exe", with({{Level1, b1 + 3}}));
        written("a.ips", Patches::encodeIps(m_pristine, with({{Level1, b1 + 7}, {Level2, b2 + 2}})));
        written("b.ips", Patches::encodeIps(m_pristine, with({{Level2, b2 + 1}})));
        written("c.bps", Patches::encodeBps(m_pristine, with({{Level2, b2 + 2}})));
        written("d.nes", cartridgeOf(with({{Level2, b2 + 2}})));
        written("bad.ips", "PATCH");
        QFile::remove(file("out.exe"));
        for (QString &a : args)
            if (a.contains(u'.'))
                a = file(a);
        QCOMPARE(run(args), code);
        const QString hero2 = QStringLiteral("我方人物 ") + GameData::fixedTable(GameData::Characters).records[1].name;
        for (QString &l : lines)
            l.replace("{hero}", hero()).replace("{hero2}", hero2).replace("{w1}", QString::number(b1 + 3))
                .replace("{p1}", QString::number(b1 + 7)).replace("{p2}", QString::number(b2 + 1))
                .replace("{q2}", QString::number(b2 + 2));
        QCOMPARE(m_out.split(u'\n', Qt::SkipEmptyParts), lines);
        QByteArray out;
        QCOMPARE(readWholeFile(file("out.exe"), out), level1 >= 0);
        if (level1 < 0)
            return;
        QCOMPARE(out, with({{Level1, levels1[level1]}, {Level2, levels2[level2]}}));
    }

    void cartridgeFlagOfMakePatchAndApply()
    {
        const QByteArray mod = with({{Level1, 33}, {0x300, 1}});
        const QString exe = written("mod.exe", mod);
        const QByteArray expected = PatchMerge::withCartridge(m_pristine, cartridgeOf(mod));
        for (const QString ending : {".ips", ".bps"}) {
            const QString patch = file("cart" + ending);
            QCOMPARE(run({"make-patch", exe, "-o", patch, "--cartridge"}), 0);
            QByteArray bytes;
            QVERIFY(readWholeFile(patch, bytes));
            QCOMPARE(bytes, PatchMerge::encodeCartridgePatch(fileKind(patch), m_pristine, mod));
            QCOMPARE(run({"apply", patch, "-o", file("out.exe"), "--cartridge"}), 0);
            QByteArray out;
            QVERIFY(readWholeFile(file("out.exe"), out));
            QCOMPARE(out, expected);
        }
        QCOMPARE(run({"make-patch", exe, "-o", file("cart.txt"), "--cartridge"}), 2);
        // The IPS ends with the cartridge's length: it is no executable patch.
        QFile::remove(file("out.exe"));
        QCOMPARE(run({"apply", file("cart.ips"), "-o", file("out.exe")}), 1);
        QVERIFY(!QFile::exists(file("out.exe")));
    }
};

QTEST_MAIN(TestMerge)
#include "tst_merge.moc"
