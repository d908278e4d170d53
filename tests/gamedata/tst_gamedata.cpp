#include "battlefield/armys.h"
#include "battlefield/fieldedit.h"
#include "battlefield/fieldinfo.h"
#include "battlefield/mapcodec.h"
#include "gamedata/fieldchanges.h"
#include "gamedata/gamedata.h"
#include "image/builtindata.h"
#include "image/fileio.h"
#include "image/mymodule.h"
#include "tables/gametables.h"

#include <QTest>

#include <algorithm>

using namespace GameData;

class TestGameData : public QObject {
    Q_OBJECT

private:
    QByteArray m_pristine;
    ByteImages m_images;

    QStringList lines(const QByteArray &before, const QByteArray &after) const
    {
        QStringList out;
        for (const FieldChange &c : describeChanges(Catalogue(after, m_pristine), before, after))
            out.append(c.line());
        return out;
    }
    QStringList changedLines() const { return lines(m_pristine, m_images.WorkImage); }

private slots:
    void initTestCase()
    {
        m_pristine = loadBuiltInImage();
        m_images.PristineImage = m_pristine;
    }
    void init() { m_images.load(m_pristine); }

    void everyTableHasItsRecordsAndFields()
    {
        const Catalogue cat(m_pristine, m_pristine);
        const int records[TableCount] = {34, 23, 23, 24, 5, 13, 19, 23, 83, -1, 91, 46};
        for (const Table &t : cat.tables()) {
            QVERIFY2(!t.name.isEmpty() && !t.key.isEmpty() && !t.fields.isEmpty(), qPrintable(t.key));
            if (records[t.id] >= 0)
                QCOMPARE(t.records.size(), records[t.id]);
            else
                QVERIFY(t.records.size() > 100);
            for (const Field &f : t.fields)
                QVERIFY2(f.show != Show::Code || !f.codes.isEmpty(), qPrintable(t.key + u' ' + f.caption));
        }
        QCOMPARE(cat.table(Characters).records[2].name, QStringLiteral("03 ") + characterNames()[2]);
        QCOMPARE(cat.table(Classes).records[4].name, QStringLiteral("05 飞鹰骑士"));
        QCOMPARE(cat.table(Maps).records[0].name, QStringLiteral("第01战场"));
        QCOMPARE(cat.table(Positions).records[1].name, QStringLiteral("02 海上1"));
        QCOMPARE(cat.table(Characters).fields.size(), 18);
        QCOMPARE(cat.table(Spells).fields.size(), 6);
        QCOMPARE(cat.table(TerrainEffects).fields[21].caption, QStringLiteral("地形22"));
    }

    // Every part lies inside the image, no two parts of one table share a byte, and the parts
    // name a known share of the cartridge.
    void partsLieInsideAndApart()
    {
        const Catalogue cat(m_pristine, m_pristine);
        qint64 parts = 0;
        for (const Table &t : cat.tables()) {
            QVector<std::pair<qint64, qint64>> spans;
            for (const Record &r : t.records)
                for (const Slot &s : r.parts) {
                    QVERIFY2(s.offset >= 0 && s.offset + s.size <= TargetSize, qPrintable(r.name));
                    QVERIFY(s.field >= 0 && s.field < t.fields.size());
                    spans.append({s.offset, s.offset + s.size});
                }
            std::sort(spans.begin(), spans.end());
            for (int i = 1; i < spans.size(); ++i)
                QVERIFY2(spans[i].first >= spans[i - 1].second,
                         qPrintable(t.name + QStringLiteral(" overlaps at ") + QString::number(spans[i].first, 16)));
            parts += spans.size();
        }
        const qint64 cartridge = CartridgeEnd - CartridgeStart + 1;
        const qint64 named = cat.coveredBytes(CartridgeStart, CartridgeEnd + 1);
        qInfo("%lld fields name %lld of %lld cartridge bytes (%.2f%%); %lld bytes no field names", parts, named,
              cartridge, 100.0 * double(named) / double(cartridge), cartridge - named);
        QVERIFY(named > 10000);
    }

    void fixedTablesMatchTheGameTables()
    {
        using namespace GameTables;
        const Table &chars = fixedTable(Characters);
        QCOMPARE(chars.fields[1].offset(2), qint64(CharacterBase + 2 * CharacterStride + 1));
        QCOMPARE(chars.fields[10].offset(3), qint64(CharacterMagicDefence + 3));
        QCOMPARE(chars.fields[16].offset(1), qint64(CharacterGrowth + 6 + 5));
        QCOMPARE(fixedTable(Spells).fields[0].offset(0), qint64(ItemAttack + FirstSpell));
        QCOMPARE(fixedTable(TerrainEffects).fields[3].offset(2), qint64(TerrainBase + 2 * TerrainCols + 3));
        QCOMPARE(fixedTable(LevelCoefficients).fields[0].offset(4), qint64(LevelCoefficientBase + 5));
    }

    void lineForEachKindOfField()
    {
        using namespace GameTables;
        const Table &chars = fixedTable(Characters);
        const QString name = chars.records[2].name;
        const qint64 level = chars.fields[1].offset(2);
        const int before = byteAt(m_pristine, level);
        m_images.write(level, before + 4);
        const qint64 job = chars.fields[0].offset(2);
        m_images.write(job, 5);
        m_images.write(chars.fields[9].offset(2), 0x2A);
        const QString oldJob = chars.fields[0].valueText(byteAt(m_pristine, job));
        QCOMPARE(changedLines(),
                 QStringList({QStringLiteral("我方人物 %1 · 职  业: %2 => 05飞鹰骑士").arg(name, oldJob),
                              QStringLiteral("我方人物 %1 · 等  级: %2 => %3").arg(name).arg(before).arg(before + 4),
                              QStringLiteral("我方人物 %1 · 魔  法: %2 => 2A").arg(name, hexByte(byteAt(m_pristine, job + 9)))}));

        // A code with no list entry, and the level coefficient and terrain records.
        init();
        m_images.write(job, 0x7F);
        m_images.write(LevelCoefficientBase + 5, 200);
        m_images.write(TerrainBase + TerrainCols + 2, 0x11);
        const QStringList got = changedLines();
        QCOMPARE(got.size(), 3);
        QVERIFY2(got[0].endsWith(QStringLiteral(" => 7F?")), qPrintable(got[0]));
        QVERIFY2(got[1].startsWith(QStringLiteral("等级系数 级别5 · 系数: ")) && got[1].endsWith(QStringLiteral(" => 200")),
                 qPrintable(got[1]));
        QVERIFY2(got[2].startsWith(QStringLiteral("地形效果 02圣骑士 · 地形03: ")) && got[2].endsWith(QStringLiteral(" => 11")),
                 qPrintable(got[2]));
    }

    void battlefieldLines()
    {
        // A start position: X and Y in one line.
        FieldEdit fields(m_images, QString());
        FieldInfo war(m_images);
        QVERIFY(war.SetWarField(1, fields));
        const int x = war.DefX(0, 2);
        const int y = war.DefY(0, 2);
        QVERIFY(war.setDefX(0, 2, x == 1 ? 2 : 1));
        QVERIFY(war.setDefY(0, 2, y == 1 ? 2 : 1));
        QCOMPARE(changedLines(), QStringList(QStringLiteral("出场位置 01 平原1 · 防御方一队 02: (%1,%2) => (%3,%4)")
                                                 .arg(x).arg(y).arg(x == 1 ? 2 : 1).arg(y == 1 ? 2 : 1)));

        // An enemy type's class, and a unit of its own.
        init();
        EnemyType types(m_images);
        types.setTWork(3, QStringLiteral("05飞鹰骑士"));
        QCOMPARE(changedLines().size(), 1);
        QVERIFY2(changedLines()[0].startsWith(QStringLiteral("部队类型 03 · 职  业: ")), qPrintable(changedLines()[0]));
        init();
        Armys armies(m_images);
        ArmyMen *own = nullptr;
        int army = 0;
        int unit = 0;
        for (int a = 1; a <= armies.Count() && !own; ++a)
            for (int m = 1; m <= armies.Item(a)->Number() && !own; ++m)
                if (armies.Item(a)->Item(m)->Edit()) {
                    own = armies.Item(a)->Item(m);
                    army = a;
                    unit = m;
                }
        QVERIFY(own);
        const QString level = own->tLevel();
        own->setTLevel(QStringLiteral("33"));
        QCOMPARE(changedLines(), QStringList(QStringLiteral("战场部队 部队%1 %2 · 等  级: %3 => 33")
                                                 .arg(twoDigits(army), twoDigits(unit), level)));

        // A painted map: the cells counted.
        init();
        FieldInfo map(m_images);
        QVERIFY(fields.Field(1, map));
        const PaintableMap paintable = paintableMap(m_images, map.Address.toLongLong(nullptr, 16));
        QVERIFY(paintable.paintable());
        QVector<int> tiles = paintable.tiles;
        for (int i = 0; i < 12; ++i)
            tiles[i] = tiles[i] == 0x30 ? 0x31 : 0x30;
        QVERIFY(writeMap(m_images, paintable, tiles));
        QCOMPARE(changedLines(), QStringList(QStringLiteral("战场地图 第01战场 · 地图: 12 格")));
    }

    void uncoveredBytesAsRanges()
    {
        const Catalogue cat(m_pristine, m_pristine);
        // Find runs no field names: one of four bytes, one single byte, one at the image's end.
        qint64 run = -1;
        for (qint64 o = CartridgeStart; o < CartridgeEnd && run < 0; ++o)
            if (!cat.at(o) && !cat.at(o + 1) && !cat.at(o + 2) && !cat.at(o + 3) && !cat.at(o - 1) && !cat.at(o + 4))
                run = o;
        QVERIFY(run > 0);
        for (int k = 0; k < 4; ++k)
            m_images.write(run + k, byteAt(m_pristine, run + k) ^ 0xFF);
        m_images.write(0x100, byteAt(m_pristine, 0x100) ^ 1); // outside the cartridge
        m_images.write(TargetSize - 1, byteAt(m_pristine, TargetSize - 1) ^ 1);
        const auto hex = [](qint64 o) { return QString::number(o, 16).toUpper().rightJustified(8, u'0'); };
        QCOMPARE(changedLines(), QStringList({QStringLiteral("00000100"),
                                              QStringLiteral("%1–%2: 4 字节").arg(hex(run), hex(run + 3)),
                                              hex(TargetSize - 1)}));
        // A longer image: its extra bytes are a range too.
        QCOMPARE(lines(m_pristine, m_pristine + QByteArray(3, 'x')),
                 QStringList(QStringLiteral("%1–%2: 3 字节").arg(hex(TargetSize), hex(TargetSize + 2))));
        QVERIFY(lines(m_pristine, m_pristine).isEmpty());
    }

    void byteReadOut()
    {
        const Catalogue cat(m_pristine, m_pristine);
        const Table &chars = fixedTable(Characters);
        const qint64 level = chars.fields[1].offset(2);
        QCOMPARE(describeByte(cat, m_pristine, level),
                 QStringLiteral("%1  我方人物 %2 · 等  级 = %3")
                     .arg(QString::number(level, 16).toUpper().rightJustified(8, u'0'), chars.records[2].name)
                     .arg(byteAt(m_pristine, level)));
        QCOMPARE(describeByte(cat, m_pristine, 0x10), QStringLiteral("00000010"));
        // One byte of each table names its table.
        for (const Table &t : cat.tables()) {
            const Slot &s = t.records.constLast().parts.constLast();
            const QString text = describeByte(cat, m_pristine, s.offset + s.size - 1);
            QVERIFY2(text.contains(QStringLiteral("  ") + t.name + u' ' + t.records.constLast().name + QStringLiteral(" · ")),
                     qPrintable(text));
        }
    }

    // Another string table: the description follows it, and the built-in one comes back.
    void anotherStringTable()
    {
        QByteArray bytes;
        QVERIFY(readWholeFile(QT_TESTCASE_SOURCEDIR "/../fuzz/corpus/fuzz_strings/small.txt", bytes));
        QString reason;
        const auto table = parseStringTable(bytes, &reason);
        QVERIFY2(table, qPrintable(reason));
        useStringTable(*table);
        const Catalogue cat(m_pristine, m_pristine);
        QCOMPARE(fixedTable(Classes).records.size(), 2);
        QCOMPARE(cat.table(Maps).records.size(), 2);
        QCOMPARE(cat.table(Positions).records.size(), 2);
        QCOMPARE(cat.table(Positions).records[1].name, QStringLiteral("02 山谷1"));
        QCOMPARE(cat.table(Units).records.size(), 25);
        useStringTable({});
        QCOMPARE(fixedTable(Classes).records.size(), 23);
        QVERIFY(!parseStringTable(bytes.replace("10013\t", "10014\t"), &reason));
        QCOMPARE(reason, QStringLiteral("字符串表第 10013 条缺少"));
    }

    // Described again after each of many edits (armies and positions moved among them), with
    // the before image switched and another string table in use for a while, the lines kept
    // from the round before are those described afresh.
    void aCacheGivesTheSameLines()
    {
        QByteArray small;
        QVERIFY(readWholeFile(QT_TESTCASE_SOURCEDIR "/../fuzz/corpus/fuzz_strings/small.txt", small));
        const auto table = parseStringTable(small);
        QVERIFY(table);
        const QVector<std::pair<qint64, qint64>> spans = Catalogue(m_pristine, m_pristine).covered();
        QByteArray opened = m_pristine;
        opened[0x6E2D5] = 9;
        QByteArray image = m_pristine;
        DescribeCache cache;
        quint32 seed = 7;
        const auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
        for (int round = 0; round < 300; ++round) {
            for (int n = 1 + int(next() % 6); n > 0; --n) {
                const auto &span = spans[int(next() % quint32(spans.size()))];
                const qint64 o = next() % 3 ? span.first + qint64(next() % quint32(span.second - span.first))
                                            : CartridgeStart + next() % (CartridgeEnd - CartridgeStart);
                image[o] = char(next() >> 24);
            }
            if (round == 100)
                useStringTable(*table);
            if (round == 120)
                useStringTable({});
            const QByteArray &before = round % 50 < 25 ? m_pristine : opened;
            const Catalogue cat(image, m_pristine);
            const QVector<FieldChange> fresh = describeChanges(cat, before, image);
            const QVector<FieldChange> kept = describeChanges(cat, before, image, &cache);
            QCOMPARE(kept.size(), fresh.size());
            for (int i = 0; i < fresh.size(); ++i) {
                QCOMPARE(kept[i].line(), fresh[i].line());
                QCOMPARE(kept[i].offset, fresh[i].offset);
                QCOMPARE(kept[i].table, fresh[i].table);
                QCOMPARE(kept[i].record, fresh[i].record);
            }
        }
    }

    void shortOrStrangeImages()
    {
        // A short image keeps only the parts inside it; a blank one lays out without armies.
        const QByteArray half = m_pristine.left(0x70000);
        const Catalogue cat(half, m_pristine);
        for (const Table &t : cat.tables())
            for (const Record &r : t.records)
                for (const Slot &s : r.parts)
                    QVERIFY(s.offset + s.size <= half.size());
        QVERIFY(!lines(m_pristine, half).isEmpty());
        const QByteArray blank(TargetSize, '\0');
        const Catalogue empty(blank, blank);
        QVERIFY(empty.table(Units).records.size() > 0);
        QVERIFY(empty.table(Maps).records.isEmpty() || empty.table(Maps).records.size() <= 46);
        QVERIFY(!describeChanges(empty, m_pristine, blank).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestGameData)
#include "tst_gamedata.moc"
