#include "gamedata/gamedata.h"
#include "image/byteimages.h"
#include "image/fileio.h"
#include "image/gbk.h"
#include "image/mymodule.h"
#include "image/patches.h"
#include "scripteddialogs.h"

#include <QCryptographicHash>
#include <QDir>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray asciiList(const QByteArray &data)
{
    return toAnsi(QStringLiteral("文件名称：x.txt\r\n创建时间：2026\r\n")) + data;
}

// The data part of a change list: everything after the first "*".
QByteArray dataPart(const QByteArray &list)
{
    return list.mid(list.indexOf('*'));
}

} // namespace

class TestImage : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QByteArray m_pristine;

    QString writeTemp(const QString &name, const QByteArray &data)
    {
        const QString path = m_dir.filePath(name);
        writeWholeFile(path, data);
        return path;
    }

private slots:
    void ipsByHand()
    {
        using Patches::encodeIps;
        const QByteArray zero(32, '\0');
        QByteArray t = zero;
        t[3] = char(0xAA);
        QCOMPARE(encodeIps(zero, t), QByteArray::fromHex("5041544348" "000003" "0001" "AA" "454F46" "000020"));
        t[6] = char(0xBB); // a gap of two joins the records
        QCOMPARE(encodeIps(zero, t), QByteArray::fromHex("5041544348" "000003" "0004" "AA0000BB" "454F46" "000020"));
        t = zero;
        t[1] = 1;
        t[8] = 2; // a gap of six costs more than a new record
        QCOMPARE(encodeIps(zero, t), QByteArray::fromHex("5041544348" "000001" "0001" "01" "000008" "0001" "02" "454F46" "000020"));
        t = zero;
        t.replace(0, 20, QByteArray(20, '\x11')); // a long run of one byte
        QCOMPARE(encodeIps(zero, t), QByteArray::fromHex("5041544348" "000000" "0000" "0014" "11" "454F46" "000020"));
        // Every patch ends with the target's length, so a shorter one cuts.
        QCOMPARE(encodeIps(zero, zero.left(30)), QByteArray::fromHex("5041544348" "454F46" "00001E"));
        QVERIFY(encodeIps(zero, zero).isEmpty());
    }

    void bpsByHand()
    {
        QCOMPARE(Patches::crc32("123456789"), 0xCBF43926u);
        const QByteArray patch = Patches::encodeBps("ABCDEFGH", "ABxDEyGH");
        // Sizes 8, 8, no metadata; SourceRead 2, TargetRead 4 "xDEy", SourceRead 2; the CRC-32 of
        // source, target and patch, little-endian.
        QCOMPARE(patch, QByteArray::fromHex("42505331" "88" "88" "80" "84" "8D" "78444579" "84" "1CB6DC68" "DFE35629"
                                            "1FD60FB8"));
        QCOMPARE(Patches::applyBps(patch, "ABCDEFGH", 100).value_or("refused"), QByteArray("ABxDEyGH"));
        // SourceCopy and TargetCopy by hand: "HGAAAA" from "ABCDEFGH".
        // SourceCopy 1 at +7 ("H"), SourceCopy 1 at -2 ("G"), TargetRead "A", TargetCopy 3 at +2
        // (copying what it writes).
        QByteArray copy = QByteArray::fromHex("42505331" "88" "86" "80" "828E" "8285" "8141" "8B84");
        const QByteArray target("HGAAAA");
        for (const quint32 crc : {Patches::crc32("ABCDEFGH"), Patches::crc32(target)})
            for (int i = 0; i < 4; ++i)
                copy.append(char(crc >> (8 * i)));
        const quint32 own = Patches::crc32(copy);
        for (int i = 0; i < 4; ++i)
            copy.append(char(own >> (8 * i)));
        QCOMPARE(Patches::applyBps(copy, "ABCDEFGH", 100).value_or("refused"), target);
    }

    void patchRoundTrips_data()
    {
        QTest::addColumn<QList<int>>("offsets"); // -1: every byte changed; -2: a long run
        QTest::newRow("first byte") << QList<int>{0};
        QTest::newRow("last byte") << QList<int>{TargetSize - 1};
        QTest::newRow("scattered") << QList<int>{5, 9, 100, 0x4D1E0, 0x6E2EC, 0x6E2ED, 0xADFFF};
        QTest::newRow("long run") << QList<int>{-2};
        QTest::newRow("every byte") << QList<int>{-1};
        QTest::newRow("random") << QList<int>{-3};
    }
    void patchRoundTrips()
    {
        QFETCH(QList<int>, offsets);
        const QByteArray source = loadBuiltInImage();
        QByteArray target = source;
        for (const int o : offsets) {
            if (o >= 0) {
                target[o] = char(~target[o]);
            } else if (o == -1) {
                for (char &c : target)
                    c = char(~c);
            } else if (o == -2) {
                target.replace(0x50000, 200000, QByteArray(200000, '\x5A')); // several records long
            } else {
                QRandomGenerator gen(7);
                for (int k = 0; k < 3000; ++k) {
                    const int at = int(gen.bounded(TargetSize - 40));
                    for (int n = int(gen.bounded(40)); n >= 0; --n)
                        target[at + n] = char(gen.bounded(256));
                }
            }
        }
        const QByteArray ips = Patches::encodeIps(source, target);
        const QByteArray bps = Patches::encodeBps(source, target);
        QCOMPARE(Patches::applyIps(ips, source, TargetSize).value_or("refused"), target);
        QCOMPARE(Patches::applyBps(bps, source, TargetSize).value_or("refused"), target);
        if (offsets == QList<int>{-2})
            QVERIFY(ips.size() < 100); // run records, split at 65,535
        if (offsets.size() == 1 && offsets[0] >= 0)
            QCOMPARE(ips.size(), 5 + 5 + 1 + 3 + 3);
    }

    // BPS patches of the whole image that copy: each round trips, in no more bytes than its bound
    // (for scattered changes, what the writer made before it looked for copies).
    void bpsFindsCopies_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("bound");
        QTest::newRow("4 KiB block copied") << "block" << 63;
        QTest::newRow("8 KiB run of one value") << "run" << 63;
        QTest::newRow("whole cartridge inverted") << "inverted" << 390475;
        QTest::newRow("whole cartridge random") << "random" << 393263;
        QTest::newRow("scattered bytes") << "scattered" << 49;
        QTest::newRow("scattered short stretches") << "stretches" << 1155;
    }
    void bpsFindsCopies()
    {
        QFETCH(QString, change);
        QFETCH(int, bound);
        const QByteArray source = loadBuiltInImage();
        QByteArray target = source;
        QRandomGenerator gen(26);
        if (change == "block") {
            target.replace(0x70000, 4096, source.mid(0x50000, 4096));
        } else if (change == "run") {
            target.replace(0x60000, 8192, QByteArray(8192, '\x5A'));
        } else if (change == "inverted" || change == "random") {
            for (int i = CartridgeStart; i <= CartridgeEnd; ++i)
                target[i] = change == "random" ? char(gen.bounded(256)) : char(~source[i]);
        } else if (change == "scattered") {
            for (const int o : {5, 9, 100, 0x4D1E0, 0x6E2EC, 0x6E2ED, 0xADFFF})
                target[o] = char(~target[o]);
        } else {
            for (int k = 0; k < 200; ++k) {
                const int at = CartridgeStart + int(gen.bounded(CartridgeEnd - CartridgeStart - 4));
                for (int n = int(gen.bounded(4)); n >= 0; --n)
                    target[at + n] = char(gen.bounded(256));
            }
        }
        const QByteArray bps = Patches::encodeBps(source, target);
        QCOMPARE(Patches::applyBps(bps, source, TargetSize).value_or("refused"), target);
        QVERIFY2(bps.size() <= bound, qPrintable(QString::number(bps.size())));
    }

    void patchRefusals()
    {
        const QByteArray source = loadBuiltInImage();
        QByteArray target = source;
        target[0x6E2EC] = char(~target[0x6E2EC]);
        target[0x100] = char(~target[0x100]);
        const QByteArray ips = Patches::encodeIps(source, target);
        const QByteArray bps = Patches::encodeBps(source, target);
        using Patches::applyBps;
        using Patches::applyIps;
        // Truncated anywhere but before the length, or with bytes after the end.
        for (int n = 0; n < ips.size(); ++n)
            QCOMPARE(bool(applyIps(ips.left(n), source, TargetSize)), n == ips.size() - 3);
        for (int n = 0; n < bps.size(); ++n)
            QVERIFY(!applyBps(bps.left(n), source, TargetSize));
        QVERIFY(!applyIps(ips + "X", source, TargetSize));
        QVERIFY(!applyIps("PATCH", source, TargetSize)); // no "EOF"
        QVERIFY(!applyIps("PATCX" + ips.mid(5), source, TargetSize));
        // Growing past the limit, or cut to another length.
        QVERIFY(!applyIps(QByteArray::fromHex("5041544348" "0AE000" "0001" "00" "454F46"), source, TargetSize));
        QCOMPARE(applyIps(QByteArray::fromHex("5041544348" "454F46" "0AE000"), source, TargetSize).value_or("").size(), TargetSize);
        QCOMPARE(applyIps(QByteArray::fromHex("5041544348" "454F46" "000010"), source, TargetSize).value_or("").size(), 16);
        // A BPS patch made for another source, with a changed byte, or a changed checksum.
        QByteArray other = source;
        other[5] = 1;
        QVERIFY(!applyBps(bps, other, TargetSize));
        for (const qsizetype at : {qsizetype(7), bps.size() - 14, bps.size() - 9, bps.size() - 5, bps.size() - 1}) {
            QByteArray bad = bps;
            bad[at] = char(bad[at] ^ 0x40);
            QVERIFY2(!applyBps(bad, source, TargetSize), qPrintable(QString::number(at)));
        }
        // Right checksums over a wrong target checksum.
        QByteArray wrongTarget = bps.left(bps.size() - 8);
        wrongTarget += QByteArray(4, '\0');
        const quint32 crc = Patches::crc32(wrongTarget);
        for (int i = 0; i < 4; ++i)
            wrongTarget.append(char(crc >> (8 * i)));
        QVERIFY(!applyBps(wrongTarget, source, TargetSize));
        QVERIFY(!applyBps(Patches::encodeBps(source, source + "x"), source, TargetSize)); // too long
    }

    void bpsForAnotherBaseFile()
    {
        const QByteArray source = loadBuiltInImage();
        QByteArray target = source;
        target[0x6E2EC] = char(~target[0x6E2EC]);
        QByteArray otherSource = source;
        otherSource[5] = 1;
        const QByteArray bps = Patches::encodeBps(source, target);
        QByteArray damaged = bps;
        damaged[7] = char(damaged[7] ^ 0x40);
        const struct {
            const char *name;
            QByteArray patch;
            const char *text;
            const char *title;
        } cases[] = {
            {"other.bps", Patches::encodeBps(otherSource, target), "补丁与自带文件不符，无法使用！", "文件错误"},
            {"shorter.bps", Patches::encodeBps(source.left(1000), target), "补丁与自带文件不符，无法使用！", "文件错误"},
            {"damaged.bps", damaged, "补丁有误，无法读取！", "错误"},
            {"cut.bps", bps.chopped(1), "补丁有误，无法读取！", "错误"},
            {"magic.bps", "BPX1" + bps.mid(4), "补丁有误，无法读取！", "错误"},
            {"empty.bps", QByteArray(), "补丁有误，无法读取！", "错误"},
        };
        ByteImages images;
        images.load(source);
        ScriptedDialogs dialogs;
        for (const auto &c : cases) {
            const QString path = writeTemp(c.name, c.patch);
            QVERIFY2(!ReadPatch(images, path, fileKind(path), dialogs), c.name);
            expectMessage(dialogs, c.text, c.title, Dialogs::Icon::Error);
            QCOMPARE(images.WorkImage, source);
        }
        // The patch for this base file is taken.
        QVERIFY(ReadPatch(images, writeTemp("mod.bps", bps), FileKind::Bps, dialogs));
        QCOMPARE(images.WorkImage, target);
        QCOMPARE(dialogs.messages.size(), int(std::size(cases)));
    }

    void historySteps()
    {
        ByteImages im;
        im.load(QByteArray(64, '\x01'));
        int notified = 0;
        im.history.changed = [&] { ++notified; };

        // A write with no step open is a step of its own, named by its address.
        QVERIFY(im.write(0x2A, 0x05));
        QCOMPARE(im.history.undoLabel(), QString("0000002A: 01 => 05"));
        QVERIFY(!im.write(64, 1) && !im.write(-1, 1)); // outside: nothing
        QCOMPARE(im.history.steps(), 1);

        // A step gathers its writes; a byte written twice keeps its first and last value.
        {
            const EditStep step(im, "等  级", EditHistory::Base::Decimal);
            im.write(3, 7);
            {
                const EditStep inner(im, "ignored"); // joins the open step
                im.write(3, 9);
            }
        }
        QCOMPARE(im.history.steps(), 2);
        QCOMPARE(im.history.undoLabel(), QString("等  级 1 => 9"));
        {
            const EditStep step(im, "人物编辑");
            im.write(4, 2);
            im.write(5, 2);
        }
        QCOMPARE(im.history.undoLabel(), QString("人物编辑"));
        // Steps that change nothing are not recorded.
        {
            const EditStep step(im, "x", EditHistory::Base::Hex);
            im.write(6, 1);
            im.write(7, 8);
            im.write(7, 1);
        }
        QCOMPARE(im.history.steps(), 3);

        const QByteArray all = im.WorkImage;
        QCOMPARE(im.history.undo(im.WorkImage), (std::vector<quint32>{5, 4}));
        QCOMPARE(im.history.undo(im.WorkImage), (std::vector<quint32>{3}));
        QCOMPARE(int(byteAt(im.WorkImage, 3)), 1);
        QCOMPARE(im.history.redoLabel(), QString("等  级 1 => 9"));
        QCOMPARE(im.history.redo(im.WorkImage), (std::vector<quint32>{3}));
        QCOMPARE(int(byteAt(im.WorkImage, 3)), 9);
        im.history.redo(im.WorkImage);
        QCOMPARE(im.WorkImage, all);
        QVERIFY(!im.history.canRedo());

        // A new step after an undo ends the redo branch.
        im.history.undo(im.WorkImage);
        im.write(10, 0x10);
        QVERIFY(!im.history.canRedo());
        QCOMPARE(im.history.steps(), 3);
        // Undo waits while a step is open (a drag in progress).
        im.history.begin("移动");
        QVERIFY(im.history.undo(im.WorkImage).empty());
        im.history.setLabel("移动 (1,1) => (2,2)");
        im.write(11, 3);
        im.history.end();
        QCOMPARE(im.history.undoLabel(), QString("移动 (1,1) => (2,2)"));
        QVERIFY(notified >= 8);

        // Loading an image starts anew.
        im.load(QByteArray(64, '\0'));
        QVERIFY(!im.history.canUndo() && !im.history.canRedo());
        im.history.changed = nullptr;
    }

    void historySize()
    {
        ByteImages im;
        im.load(QByteArray(TargetSize, '\0'));
        for (int i = 0; i < 10000; ++i) {
            const EditStep step(im, "等  级", EditHistory::Base::Decimal);
            im.write(0x4D1E0 + i, i % 250 + 1);
        }
        QCOMPARE(im.history.steps(), 10000);
        QVERIFY2(im.history.memoryUse() < 5'000'000, qPrintable(QString::number(im.history.memoryUse())));
        while (im.history.canUndo())
            im.history.undo(im.WorkImage);
        QCOMPARE(im.WorkImage, QByteArray(TargetSize, '\0'));
    }

    void historyLimit()
    {
        // Past the limit the oldest steps go; the rest still undo byte for byte.
        ByteImages im;
        im.load(QByteArray(TargetSize, '\0'));
        const int extra = 3000;
        for (int i = 0; i < EditHistory::MaxSteps + extra; ++i)
            im.write(i, 1);
        QCOMPARE(im.history.steps(), EditHistory::MaxSteps);
        while (im.history.canUndo())
            im.history.undo(im.WorkImage);
        QCOMPARE(im.WorkImage.left(extra), QByteArray(extra, '\1'));
        QCOMPARE(im.WorkImage.indexOf('\1', extra), -1);
        QCOMPARE(im.history.redoLabel(), QString("%1: 00 => 01").arg(extra, 8, 16, QChar(u'0')).toUpper());
    }

    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_pristine = loadBuiltInImage();
        QCOMPARE(m_pristine.size(), TargetSize);
    }

    void padText()
    {
        QCOMPARE(PadText("A", "0", 2, true), QString("0A"));
        QCOMPARE(PadText("ABC", "0", 2, true), QString("ABC"));
        QCOMPARE(PadText("x", " ", 3, false), QString("x  "));
        QCOMPARE(PadText("骑士", " ", 4, false), QString("骑士  ")); // a Chinese character counts as one
    }

    void byteValidators_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("dec");
        QTest::addColumn<bool>("hex");
        QTest::newRow("255") << "255" << true << false;
        QTest::newRow("007") << "007" << true << true;
        QTest::newRow("0") << "0" << true << true;
        QTest::newRow("256") << "256" << false << false;
        QTest::newRow("twenty nines") << QString(20, '9') << false << false;
        QTest::newRow("-1") << "-1" << false << false;
        QTest::newRow("leading space") << " 12" << false << false;
        QTest::newRow("empty") << "" << false << false;
        QTest::newRow("ff") << "ff" << false << true;
        QTest::newRow("0A") << "0A" << false << true;
        QTest::newRow("100") << "100" << true << false;
        QTest::newRow("G1") << "G1" << false << false;
        QTest::newRow("long hex zeros") << "000000000000000000FF" << false << true;
        QTest::newRow("fullwidth digit") << "１" << false << false;
    }
    void byteValidators()
    {
        QFETCH(QString, text);
        QFETCH(bool, dec);
        QFETCH(bool, hex);
        QCOMPARE(IsDecByte(text), dec);
        QCOMPARE(IsHexByte(text), hex);
    }

    void replaceAll()
    {
        QCOMPARE(ReplaceAll("a    b", "  ", " ", false), QString("a b"));
        QCOMPARE(ReplaceAll("  3C   00 ", "  ", " ", true), QString("3C 00"));
        // A replacement that does not shorten the text is applied exactly once.
        QCOMPARE(ReplaceAll("aa", "a", "aa", false), QString("aaaa"));
        QCOMPARE(ReplaceAll("3C 00", " ", ",", false), QString("3C,00"));
        QCOMPARE(ReplaceAll(" x ", "", "y", true), QString("x"));
    }

    void bounds()
    {
        QByteArray erased("abc");
        QCOMPARE(SafeUBound(erased), 2);
        QCOMPARE(SafeLBound(erased), 0);
        erased.clear();
        QCOMPARE(SafeUBound(erased), -1);
        QCOMPARE(SafeLBound(erased), -1);
    }

    void checkPath()
    {
        const QString folder = m_dir.filePath("made");
        QVERIFY(!CheckPath(folder, true, true, false));
        QVERIFY(QFileInfo(folder).isDir());
        QVERIFY(CheckPath(folder, true, false, false));
        QVERIFY(!CheckPath(folder, false, false, false)); // a file test does not see folders

        const QString file = writeTemp("plain.bin", "x");
        QVERIFY(CheckPath(file, true, false, false)); // a folder test also reports a file
        QVERIFY(CheckPath(file, false, false, true));
        QVERIFY(!QFile::exists(file));
        QVERIFY(!CheckPath(file, false, false, false));
        // Creating needs the parent; it fails quietly.
        QVERIFY(!CheckPath(m_dir.filePath("no/such"), true, true, false));
        QVERIFY(!QFileInfo::exists(m_dir.filePath("no")));
    }

    void stringTable()
    {
        for (int id = 0; id <= 13; ++id)
            QVERIFY2(!GetResString(id).isEmpty(), qPrintable(QString::number(id)));
        struct List {
            int id;
            int count;
            int first;
        } lists[] = {{0, 23, 0x01}, {1, 23, 0x00}, {2, 24, 0x17}, {12, 22, 0x01}};
        for (const List &l : lists) {
            const QStringList pieces = GetResString(l.id).split('|');
            QCOMPARE(pieces.size(), l.count);
            for (int i = 0; i < l.count; ++i) {
                QCOMPARE(pieces[i].left(2), hexByte(l.first + i));
                QVERIFY(pieces[i].size() > 2);
            }
        }
        QCOMPARE(GetResString(3).split('|').size(), 5);
        QVERIFY(GetResString(3).startsWith("30皮盾|"));
        QVERIFY(GetResString(3).split('|')[4].startsWith("35"));
        QVERIFY(GetResString(0).startsWith("01骑士|"));
        QVERIFY(GetResString(0).contains("|03天马骑士(石像鬼)|"));
        QVERIFY(GetResString(1).startsWith("00近身武器|01远程武器|"));
        QVERIFY(GetResString(12).endsWith("|16男爵"));
        QVERIFY(GetResString(12).contains("|05飞鹰骑士|"));
        const QStringList terrain = GetResString(13).split('|');
        QCOMPARE(terrain.size(), 23);
        QCOMPARE(terrain.last(), QString("回避效果"));
        QCOMPARE(terrain[21], QString("16男爵(魔神)"));
        // The same code names the same class in every list.
        const QStringList classes = GetResString(0).split('|');
        const QStringList changes = GetResString(12).split('|');
        for (int i = 0; i < 22; ++i) {
            QVERIFY(classes[i].startsWith(changes[i]));
            QCOMPARE(terrain[i], classes[i]);
        }
        QVERIFY(GetResString(14).isEmpty());
    }

    void builtInImage()
    {
        const QByteArray hash = QCryptographicHash::hash(m_pristine, QCryptographicHash::Sha256).toHex();
        QCOMPARE(hash, QByteArray("c031ecb2f1f65b0a2285fdd9224719ce108600cc64600e0b1209cc3a9c72d8b4"));
        QCOMPARE(loadBuiltInImage(), m_pristine); // loaded afresh each time, always the same

        // Filler outside the cartridge is not all zeros, on both sides.
        QVERIFY(m_pristine.left(CartridgeStart).count('\0') < CartridgeStart / 2);
        QVERIFY(m_pristine.mid(CartridgeEnd + 1).count('\0') < (TargetSize - CartridgeEnd) / 2);

        // Plausible game values at the fixed tables.
        const auto at = [this](int offset) { return int(byteAt(m_pristine, offset)); };
        for (int n = 0; n < 34; ++n) {
            const int rec = 0x6E2D3 + 12 * n;
            QVERIFY(at(rec) >= 0x01 && at(rec) <= 0x18);
            QVERIFY(at(rec + 1) >= 1 && at(rec + 1) <= 20);
            QVERIFY(at(rec + 2) > 0);
            const int item = at(rec + 10);
            QVERIFY(item == 0 || (item >= 0x30 && item <= 0x3A) || (item >= 0x02 && item <= 0x16));
        }
        QCOMPARE(at(0x720E8 + 3), 10); // level 3's coefficient
        for (int r = 0; r < 13; ++r) {
            QVERIFY(at(0x8B597 + r) >= 1 && at(0x8B597 + r) <= 0x16);
            QVERIFY(at(0x8B5A5 + r) >= 1 && at(0x8B5A5 + r) <= 0x16);
            QVERIFY(at(0x8B5B2 + r) >= 1 && at(0x8B5B2 + r) <= 20);
        }
        for (int k = 0; k <= 0x2E; ++k)
            QVERIFY(QList<int>({0, 1, 3, 4}).contains(at(0x8ACA4 + k)));
        for (int c = 0; c < 23; ++c)
            QVERIFY(at(0x8BFC3 + c) >= 1 && at(0x8BFC3 + c) <= 10); // movement
    }

    // The cartridge boots in a console emulator: an MMC1 header, and in the last program bank
    // (at $C000) a program of ours with its vectors; it shows the first battlefield with tiles
    // from the first character bank. None of it lies in bytes a table of the editors names.
    void builtInCartridge()
    {
        const auto at = [this](qint64 offset) { return int(byteAt(m_pristine, offset)); };
        const auto word = [&at](qint64 offset) { return at(offset) | at(offset + 1) << 8; };
        QCOMPARE(m_pristine.mid(CartridgeStart, 4), QByteArray("NES\x1A"));
        const int programBanks = at(CartridgeStart + 4);
        const int characterBanks = at(CartridgeStart + 5);
        QCOMPARE(16 + programBanks * 0x4000 + characterBanks * 0x2000, CartridgeEnd - CartridgeStart + 1);
        QCOMPARE(at(CartridgeStart + 6) >> 4 | (at(CartridgeStart + 7) & 0xF0), 1); // the mapper
        QCOMPARE(m_pristine.mid(CartridgeStart + 7, 9), QByteArray(9, '\0'));

        const qint64 lastBank = CartridgeStart + 16 + (programBanks - 1) * 0x4000;
        const qint64 characters = CartridgeStart + 16 + programBanks * 0x4000;
        for (int vector : {0x3FFA, 0x3FFC, 0x3FFE}) // NMI, reset, IRQ
            QVERIFY(word(lastBank + vector) >= 0xC000 && word(lastBank + vector) < 0xD000);
        const int reset = word(lastBank + 0x3FFC);
        QCOMPARE(at(lastBank + reset - 0xC000), 0x78); // SEI, the program's first instruction

        // Its tables at $C000: the map is the first battlefield's, by bank and by its address in
        // the $8000 window; each tile of the plains has patterns and a palette of its own.
        const qint64 map = GetResString(9).section('*', 0, 0).section('|', 0, 0).toLongLong(nullptr, 16) - 1;
        QCOMPARE(CartridgeStart + 16 + at(lastBank + 0x220) * 0x4000 + word(lastBank + 0x221) - 0x8000, map);
        QSet<QByteArray> patterns;
        for (int code = 0x2E; code <= 0x37; ++code) {
            const int first = at(lastBank + code);
            QVERIFY(first >= 4 && first <= 0xFC);
            QVERIFY(at(lastBank + 0x100 + code) <= 3);
            patterns.insert(m_pristine.mid(characters + 16 * first, 64));
        }
        QCOMPARE(patterns.size(), 10);
        QCOMPARE(m_pristine.mid(characters, 64), QByteArray(64, '\0')); // off the map: blank
        QCOMPARE(at(lastBank + 0xFF), at(lastBank + 0x2E)); // an unknown code shows as ground

        const GameData::Catalogue cat(m_pristine, m_pristine);
        QCOMPARE(cat.coveredBytes(CartridgeStart, CartridgeStart + 16), 0);
        QCOMPARE(cat.coveredBytes(lastBank, lastBank + 0x1000), 0);  // the program's block
        QCOMPARE(cat.coveredBytes(lastBank + 0x3FFA, lastBank + 0x4000), 0);
        QCOMPARE(cat.coveredBytes(characters, characters + 0x1000), 0);
        QVERIFY(cat.coveredBytes(lastBank, lastBank + 0x4000) > 0); // tables share the bank
    }

    void changeListRunOfForty()
    {
        QByteArray work = m_pristine;
        const int start = 0x50000;
        for (int i = 0; i < 40; ++i)
            work[start + i] = char(~m_pristine[start + i]);
        const QByteArray list = encodeChangeList(work, m_pristine, "x.txt", QDateTime::currentDateTime());
        const QList<QByteArray> lines = dataPart(list).split('\n');
        QCOMPARE(lines.size(), 2);
        // "*", the address token and 29 byte tokens; then the remaining 11.
        QCOMPARE(lines[0].size(), 1 + 6 + 58 + 1);
        QVERIFY(lines[0].startsWith("*H50000"));
        QVERIFY(lines[0].endsWith('\r'));
        QCOMPARE(lines[1].size(), 22 + 1);
        QVERIFY(lines[1].endsWith('*'));

        QByteArray base = m_pristine;
        QVERIFY(applyChangeList(list, base));
        QCOMPARE(base, work);
    }

    void changeListExample()
    {
        QByteArray work = m_pristine;
        work[0x4D1E0] = char(m_pristine[0x4D1E0] ^ 1);
        work[0x4D1E1] = char(m_pristine[0x4D1E1] ^ 1);
        work[0xAD1EF] = char(m_pristine[0xAD1EF] ^ 1);
        const QByteArray list = encodeChangeList(work, m_pristine, "a.txt", QDateTime::currentDateTime());
        const QByteArray expected = "*H4D1E0" + hexByte(byteAt(work, 0x4D1E0)).toLatin1()
            + hexByte(byteAt(work, 0x4D1E1)).toLatin1() + "HAD1EF" + hexByte(byteAt(work, 0xAD1EF)).toLatin1() + "*";
        QCOMPARE(dataPart(list), expected);
    }

    // Scattered changes in and outside the cartridge: the list reproduces the cartridge and
    // leaves the pristine bytes elsewhere, and keeps every line within 65 data characters.
    void changeListRoundTrip()
    {
        QByteArray work = m_pristine;
        quint32 seed = 12345;
        for (int i = 0; i < 5000; ++i) {
            seed = seed * 1103515245u + 12345u;
            const int offset = int(seed % quint32(TargetSize));
            work[offset] = char(seed >> 24);
        }
        for (int i = 0; i < 300; ++i)
            work[0x60000 + i] = char(i);
        work[CartridgeStart] = char(~m_pristine[CartridgeStart]);
        work[CartridgeEnd] = char(~m_pristine[CartridgeEnd]);

        const QByteArray list = encodeChangeList(work, m_pristine, "r.txt", QDateTime::currentDateTime());
        const QList<QByteArray> lines = dataPart(list).split('\n');
        for (int i = 0; i < lines.size(); ++i) {
            const QByteArray line = QByteArray(lines[i]).replace("\r", "").replace("*", "");
            QVERIFY2(line.size() <= 65, qPrintable(QString::number(i)));
        }
        QByteArray base = m_pristine;
        QVERIFY(applyChangeList(list, base));
        QCOMPARE(base.mid(CartridgeStart, CartridgeEnd - CartridgeStart + 1),
                 work.mid(CartridgeStart, CartridgeEnd - CartridgeStart + 1));
        QCOMPARE(base.left(CartridgeStart), m_pristine.left(CartridgeStart));
        QCOMPARE(base.mid(CartridgeEnd + 1), m_pristine.mid(CartridgeEnd + 1));
    }

    void changeListReaderRules_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<bool>("ok");
        QTest::newRow("no closing star") << QByteArray("*H5000001") << false;
        QTest::newRow("no star at all") << QByteArray("H5000001") << false;
        QTest::newRow("non-hex byte token") << QByteArray("*H500000G*") << false;
        QTest::newRow("non-hex address") << QByteArray("*H5X00001*") << false;
        QTest::newRow("address past the image") << QByteArray("*HAE00001*") << false;
        QTest::newRow("run past the image") << QByteArray("*HADFFF0102*") << false;
        QTest::newRow("short address at the end") << QByteArray("*H50") << false;
        QTest::newRow("odd token at the end") << QByteArray("*0") << false;
        QTest::newRow("empty data") << QByteArray("**") << true;
        QTest::newRow("lower-case digits") << QByteArray("*H5000aff*") << true;
        QTest::newRow("text after the closing star") << QByteArray("*H5000001*garbage ZZ") << true;
        QTest::newRow("line breaks") << QByteArray("*\r\nH50000\r\n01\r\n*") << true;
    }
    void changeListReaderRules()
    {
        QFETCH(QByteArray, data);
        QFETCH(bool, ok);
        QByteArray base = m_pristine;
        QCOMPARE(applyChangeList(asciiList(data), base), ok);
    }

    void changeListByteBeforeAddress()
    {
        QByteArray base = m_pristine;
        QVERIFY(applyChangeList(asciiList("*7E*"), base));
        QCOMPARE(int(byteAt(base, 1)), 0x7E);
        QCOMPARE(base.mid(2), m_pristine.mid(2));
        QVERIFY(applyChangeList(asciiList("*H50000ab*"), base));
        QCOMPARE(int(byteAt(base, 0x50000)), 0xAB);
    }

    void readChangeListFailuresKeepWorkImage()
    {
        ScriptedDialogs dialogs;
        ByteImages images;
        images.WorkImage = QByteArray(TargetSize, 'w');
        const QStringList bad = {writeTemp("nostar.txt", asciiList("*H5000001")),
                                 writeTemp("badtoken.txt", asciiList("*H50000QQ*")),
                                 writeTemp("past.txt", asciiList("*HAE00001*")), m_dir.filePath("missing.txt")};
        for (const QString &path : bad) {
            QVERIFY(!ReadChangeList(images, path, dialogs));
            QCOMPARE(images.WorkImage, QByteArray(TargetSize, 'w'));
            QCOMPARE(dialogs.messages.last().text, QString("数据有误，无法读取！"));
            QCOMPARE(dialogs.messages.last().title, QString("错误"));
            QVERIFY(dialogs.messages.last().icon == Dialogs::Icon::Error);
        }
        QCOMPARE(dialogs.messages.size(), bad.size());

        QVERIFY(ReadChangeList(images, writeTemp("good.txt", asciiList("*H4D1E0FF*")), dialogs));
        QCOMPARE(images.WorkImage.size(), TargetSize);
        QCOMPARE(int(byteAt(images.WorkImage, 0x4D1E0)), 0xFF);
        QCOMPARE(images.WorkImage.mid(0x4D1E1), m_pristine.mid(0x4D1E1));
    }

    void buildChangeListNothingToSave()
    {
        ScriptedDialogs dialogs;
        ByteImages images;
        images.PristineImage = m_pristine;
        images.WorkImage = m_pristine;
        images.WorkImage[0x100] = char(~m_pristine[0x100]);        // outside the cartridge
        images.WorkImage[CartridgeEnd + 1] = char(~m_pristine[CartridgeEnd + 1]);
        QByteArray out("untouched");
        QVERIFY(!BuildChangeList(images, out, "n.txt", dialogs));
        QCOMPARE(out, QByteArray("untouched"));
        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(dialogs.messages[0].text, QString("没有进行任何修改，请修改后再保存！"));
        QCOMPARE(dialogs.messages[0].title, QString("无法保存"));
        QVERIFY(dialogs.messages[0].icon == Dialogs::Icon::Information);
    }

    void changeListHeaderIsGbk()
    {
        ScriptedDialogs dialogs;
        ByteImages images;
        images.PristineImage = m_pristine;
        images.WorkImage = m_pristine;
        images.WorkImage[0x70000] = char(~m_pristine[0x70000]);
        QByteArray out;
        QVERIFY(BuildChangeList(images, out, "苍岚战记外传修改版.txt", dialogs));
        QVERIFY(out.startsWith(toAnsi("文件名称：苍岚战记外传修改版.txt\r\n创建时间：")));
        QVERIFY(!out.startsWith("\xEF\xBB\xBF"));
        const QString text = fromAnsi(out);
        QVERIFY(text.startsWith("文件名称：苍岚战记外传修改版.txt\r\n创建时间："));
        QVERIFY(text.contains("\r\n*H70000"));
        QVERIFY(ReadChangeList(images, writeTemp("gbk.txt", out), dialogs));
        QCOMPARE(images.WorkImage[0x70000], char(~m_pristine[0x70000]));
        QCOMPARE(fromAnsi(toAnsi("中文 ABC")), QString("中文 ABC"));
    }
};

QTEST_GUILESS_MAIN(TestImage)
#include "tst_image.moc"
