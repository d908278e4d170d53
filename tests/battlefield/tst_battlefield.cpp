#include "battlefield/armys.h"
#include "battlefield/fieldedit.h"
#include "battlefield/fieldinfo.h"
#include "battlefield/mapcodec.h"
#include "battlefield/mapdata.h"
#include "image/mymodule.h"
#include "tables/gametables.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QSet>
#include <QTest>

#include <algorithm>
#include <iterator>
#include <limits>

namespace {

// Byte ranges of the fixed tables no battlefield data may touch.
const QList<QPair<int, int>> FixedTables = {
    {0x6E2D3, 12 * 34}, {0x7201D, 6 * 34}, {0x720E9, 19}, {0x8ABA9, 0x2F}, {0x8ABFB, 24}, {0x8AC14, 0x2F},
    {0x8AC44, 0x2F},    {0x8AC74, 0x2F},   {0x8ACA4, 0x2F}, {0x8B597, 40}, {0x8BCFA, 506}, {0x8BF22, 161},
    {0x8BFC3, 23},      {0x8BFDA, 56},     {0x8C72D, 5},    {EnemyType::Base, 6 * EnemyType::Count}};

bool overlaps(qint64 from, qint64 to, qint64 start, qint64 length)
{
    return from < start + length && start < to;
}

// Every position of a war, as (x, y) pairs, with the list it belongs to.
QList<QPoint> positions(const FieldInfo &w)
{
    QList<QPoint> all;
    for (int loc = 0; loc < 2; ++loc) {
        for (int i = 1; i <= w.ActNumber[loc]; ++i)
            all.append(QPoint(w.ActX(loc, i), w.ActY(loc, i)));
        for (int i = 1; i <= w.DefNumber[loc]; ++i)
            all.append(QPoint(w.DefX(loc, i), w.DefY(loc, i)));
    }
    for (int i = 1; i <= w.HelpNumber; ++i)
        all.append(QPoint(w.HelpX(i), w.HelpY(i)));
    return all;
}

// The shortest stream for tiles over every tokenisation the decoder reads: a literal byte for a
// tile of 0x2E or more, a run of 1 to 45 equal tiles for any tile (the last run may reach past
// the end, as the decoder allows).
int shortestLength(const QVector<int> &tiles)
{
    const qsizetype n = tiles.size();
    QVector<int> best(n + 1, 0); // best[i]: shortest stream for the cells from i on
    for (qsizetype i = n - 1; i >= 0; --i) {
        best[i] = std::numeric_limits<int>::max();
        if (tiles[i] >= 0x2E)
            best[i] = 1 + best[i + 1];
        for (qsizetype run = 1; run <= 45; ++run) {
            const qsizetype end = std::min(i + run, n);
            if (tiles[end - 1] != tiles[i])
                break;
            best[i] = std::min(best[i], 2 + best[end]);
        }
    }
    return best[0];
}

// A random grid of stretches of equal tiles, from a few cells to over two runs of 45, of tiles
// on both sides of 0x2E.
QVector<int> randomTiles(QRandomGenerator &rng, int cells)
{
    static const int edges[] = {0x00, 0x01, 0x2C, 0x2D, 0x2E, 0x2F, 0xFF};
    QVector<int> tiles;
    while (tiles.size() < cells) {
        const int tile = rng.bounded(3) == 0 ? edges[rng.bounded(int(std::size(edges)))] : rng.bounded(256);
        const int length = rng.bounded(4) == 0 ? rng.bounded(1, 100) : rng.bounded(1, 4);
        tiles.insert(tiles.size(), std::min(length, cells - int(tiles.size())), tile);
    }
    return tiles;
}

// Writes a map of width x height with its stream at m + 3 into image.
void putMap(QByteArray &image, qint64 m, int width, int height, const QByteArray &stream)
{
    image[m - 1] = char(height - 1);
    image[m] = char(width - 1);
    image.replace(m + 3, stream.size(), stream);
}

// The map address of every row of the built-in catalogue.
QList<qint64> builtInMapAddresses()
{
    QList<qint64> addresses;
    for (const QString &row : GetResString(9).split('*'))
        addresses.append(row.section('|', 0, 0).toLongLong(nullptr, 16));
    return addresses;
}

} // namespace

class TestBattlefield : public QObject {
    Q_OBJECT

private:
    QByteArray m_pristine;
    ByteImages m_images;

    // An image of zeros, as a canvas for hand-made maps and armies.
    static ByteImages blank()
    {
        ByteImages images;
        images.WorkImage = QByteArray(TargetSize, '\0');
        images.OpenedImage = images.WorkImage;
        return images;
    }

private slots:
    void initTestCase() { m_pristine = loadBuiltInImage(); }

    void init()
    {
        m_images = ByteImages();
        m_images.WorkImage = m_pristine;
        m_images.OpenedImage = m_pristine;
    }

    void builtInMaps()
    {
        FieldEdit fields(m_images, QCoreApplication::applicationDirPath());
        QCOMPARE(fields.AllField().size(), 46);
        QCOMPARE(fields.AllField()[0], QString("000556DF|第01战场|22x24A"));
        QSet<QString> types;
        bool emptyRun = false;
        int largest = 0;
        for (int id = 1; id <= 46; ++id) {
            FieldInfo info(m_images);
            QVERIFY(fields.Field(id, info));
            QCOMPARE(info.Name, QString("第%1战场").arg(id, 2, 10, QChar('0')));
            types.insert(info.fType);
            const qint64 m = info.Address.toLongLong(nullptr, 16);
            const DecodedMap map = decodeMap(m_images.WorkImage, m);
            QVERIFY2(map.complete(), qPrintable(info.Address));
            QCOMPARE(map.width, info.Width);
            QCOMPARE(map.height, info.Height);
            QVERIFY(map.width <= 32 && map.height <= 30);
            largest = std::max(largest, map.width * map.height);
            // The stream lies in the cartridge and looks like terrain: several kinds of tile.
            QVERIFY(inCartridgeRange(m - 1));
            QVERIFY(QSet<int>(map.tiles.cbegin(), map.tiles.cend()).size() >= 4);
            for (qint64 p = m + 3, cells = 0; cells < qint64(map.tiles.size());) {
                const int code = byteAt(m_images.WorkImage, p);
                // Stored row by row: no run goes on past the end of its row.
                QVERIFY2(code >= 0x2E || cells % map.width + code <= map.width, qPrintable(info.Address));
                emptyRun = emptyRun || code == 0x00;
                cells += code >= 0x2E ? 1 : code;
                p += code >= 0x2E ? 1 : 2;
                QVERIFY(inCartridgeRange(p));
            }
            // Every tile the map uses has a bitmap beside the program.
            for (int t : QSet<int>(map.tiles.cbegin(), map.tiles.cend())) {
                const QImage bmp(fields.tileFolder(info.fType) + "/" + hexByte(t) + ".bmp");
                QCOMPARE(bmp.size(), QSize(16, 16));
            }
        }
        QCOMPARE(types, QSet<QString>({"A", "B", "C"}));
        QVERIFY(emptyRun);
        QCOMPARE(largest, 30 * 32);
        for (int t = 0; t < 3; ++t)
            for (int c = 1; c <= 0x18; ++c)
                QVERIFY(!QImage(QString("%1/eWork%2/%3.bmp").arg(QCoreApplication::applicationDirPath()).arg(t).arg(hexByte(c))).isNull());
    }

    void builtInWars()
    {
        FieldEdit fields(m_images, QCoreApplication::applicationDirPath());
        FieldInfo w(m_images);
        QCOMPARE(w.AllWarName().size(), 91);
        QCOMPARE(QSet<QString>(w.AllWarName().cbegin(), w.AllWarName().cend()).size(), 91);
        QCOMPARE(w.AllWarID().value(w.AllWarName()[90]), QString("90"));
        Armys armys(m_images);
        const QStringList rows = GetResString(11).split('*');
        QSet<QPair<int, int>> layouts;
        bool help = false, secondTeam = false, no = false, oneArmy = false, twoArmies = false, continues = false;
        bool moreUnits = false, fewerUnits = false, shortAddress = false;
        for (int id = 1; id <= 91; ++id) {
            QVERIFY(w.SetWarField(id, fields));
            const QStringList f = rows[id - 1].split('|');
            layouts.insert({int(f[0].split(',').size()), int(f[5].split(',').size())});
            for (const QString &a : f[0].split(','))
                shortAddress = shortAddress || a.size() < 8;
            help = help || w.HelpNumber > 0;
            secondTeam = secondTeam || w.ActNumber[1] > 0;
            no = no || !w.FixedArmy;
            // Count bytes equal the entries the table names.
            for (int loc = 0; loc < 2; ++loc) {
                if (!w.ActAddress[loc].isEmpty())
                    QCOMPARE(int(byteAt(m_images.WorkImage, w.ActAddress[loc].toLongLong(nullptr, 16))), w.ActNumber[loc]);
                if (!w.DefAddress[loc].isEmpty())
                    QCOMPARE(int(byteAt(m_images.WorkImage, w.DefAddress[loc].toLongLong(nullptr, 16))), w.DefNumber[loc]);
            }
            // Positions: inside the inner ring, no two on one tile.
            const QList<QPoint> all = positions(w);
            QSet<QPair<int, int>> tiles;
            for (const QPoint &p : all) {
                QVERIFY2(p.x() >= 1 && p.x() <= w.Width - 2 && p.y() >= 1 && p.y() <= w.Height - 2, qPrintable(w.WarName));
                tiles.insert({p.x(), p.y()});
            }
            QCOMPARE(tiles.size(), all.size());
            if (w.FixedArmy) {
                QVERIFY(w.FixedArmyID[0] >= 1 && w.FixedArmyID[0] <= 78);
                const ArmyType *army = armys.Item(w.FixedArmyID[0]);
                QVERIFY(army);
                if (w.FixedArmyID[1] == 0) {
                    oneArmy = true;
                    continues = continues || (army->Number() > w.DefNumber[0] && w.DefNumber[1] > 0);
                } else {
                    twoArmies = true;
                    QVERIFY(w.DefNumber[1] > 0);
                }
                moreUnits = moreUnits || army->Number() > w.DefNumber[0] + w.DefNumber[1];
                fewerUnits = fewerUnits || army->Number() < w.DefNumber[0];
            }
        }
        QCOMPARE(layouts.size(), 6);
        QVERIFY(help && secondTeam && no && oneArmy && twoArmies && continues && moreUnits && fewerUnits && shortAddress);
    }

    void builtInArmiesAndTypes()
    {
        Armys armys(m_images);
        QCOMPARE(armys.Count(), 78);
        QCOMPARE(GetResString(10).split('*')[0], QString("0006E664|05|01"));
        QCOMPARE(armys.Item("0006E664"), armys.Item(1));
        QCOMPARE(armys.Item(1)->Number(), 5);
        QVERIFY(!armys.Item(0) && !armys.Item(79));
        EnemyType &types = armys.eType();
        QCOMPARE(types.AllEName().entries().size(), 88);
        QCOMPARE(types.AllEName().entries().first().left(2), QString("81"));
        QCOMPARE(types.AllEName().entries().last().left(2), QString("D8"));
        QCOMPARE(types.AllEWork().entries().size(), 22);
        QCOMPARE(types.AllEItem().entries().size(), 33);
        QCOMPARE(types.AllEAI().entries(), QStringList({"00坐以待毙", "40英勇冲锋", "80理智防守", "C0理智进攻"}));
        QCOMPARE(GetResString(8), QString("^序号|<姓名代号  |<职业代号    |<等级|<物品        |<AI行动方式|<魔法"));
        for (int t = 1; t <= EnemyType::Count; ++t)
            QVERIFY2(!types.OneType(t).contains('?'), qPrintable(types.OneType(t)));

        const QStringList rows = GetResString(10).split('*');
        QList<QPair<qint64, qint64>> spans;
        bool refs = false, own = false;
        for (int a = 1; a <= 78; ++a) {
            const ArmyType *army = armys.Item(a);
            QCOMPARE(army->Number(), rows[a - 1].section('|', 1, 1).toInt());
            QVERIFY(army->Number() >= 1 && army->Number() <= 20);
            QVERIFY(inCartridgeRange(army->address()) && inCartridgeRange(army->end() - 1));
            for (const auto &[start, length] : FixedTables)
                QVERIFY2(!overlaps(army->address(), army->end(), start, length), qPrintable(army->Address(true)));
            for (const auto &[from, to] : spans)
                QVERIFY(!overlaps(army->address(), army->end(), from, to - from));
            spans.append({army->address(), army->end()});
            for (int u = 1; u <= army->Number(); ++u) {
                const ArmyMen *m = army->Item(u);
                refs = refs || !m->Edit();
                own = own || m->Edit();
                if (!m->Edit())
                    QVERIFY(m->TypeID(false).toInt() >= 1 && m->TypeID(false).toInt() <= 83);
                for (const QString &field : {m->tName(), m->tWork(), m->tItem(), m->tAI()})
                    QVERIFY2(!field.contains('?'), qPrintable(field));
                QVERIFY(m->vAct().has_value() && m->vMDef().has_value());
            }
        }
        QVERIFY(refs && own);
    }

    void mapDecoding()
    {
        ByteImages images = blank();
        QByteArray &w = images.WorkImage;
        const int m = 0x60001;
        w[m - 1] = 2;  // 3 rows
        w[m] = 3;      // 4 columns
        const QByteArray stream("\x00\x40\x2E\x2F\x02\x50\x05\x31\x2D\x33", 10);
        w.replace(m + 3, stream.size(), stream);
        const DecodedMap map = decodeMap(w, m);
        QCOMPARE(map.width, 4);
        QCOMPARE(map.height, 3);
        // A run of 0 draws nothing; 0x2E and 0x2F are single tiles; the last run starts on the
        // last cells and is drawn to the end of the map.
        QCOMPARE(map.tiles, QVector<int>({0x2E, 0x2F, 0x50, 0x50, 0x31, 0x31, 0x31, 0x31, 0x31, 0x33, 0x33, 0x33}));

        // A run of 0x2D fills 45 cells.
        w[m - 1] = 4;
        w[m] = 8;
        w.replace(m + 3, 2, QByteArray("\x2D\x77", 2));
        QCOMPARE(decodeMap(w, m).tiles, QVector<int>(45, 0x77));

        // Data running past the end of the image stops there.
        QByteArray tail(TargetSize, '\0');
        tail[TargetSize - 5] = 29;
        tail[TargetSize - 4] = 31;
        const DecodedMap cut = decodeMap(tail, TargetSize - 4);
        QCOMPARE(cut.tiles.size(), 0);
        QVERIFY(!cut.complete());
        QCOMPARE(decodeMap(tail, TargetSize).width, 0);

        // Painting: 16 pixels a tile, a placeholder for a missing bitmap.
        TileSet none("/no/such/folder");
        const QImage picture = paintMap(decodeMap(w, m), none);
        QCOMPARE(picture.size(), QSize(9 * 16, 5 * 16));
        QCOMPARE(picture.pixel(0, 0), missingPicture().pixel(0, 0));
        QCOMPARE(picture.pixel(9 * 16 - 1, 5 * 16 - 1), missingPicture().pixel(15, 15));

        FieldEdit fields(images, "/editor");
        QCOMPARE(fields.tileFolder("B"), QString("/editor/Loc1"));
        QCOMPARE(fields.tileFolder("D"), QString("/editor/Loc"));
        QCOMPARE(FieldEdit::typeDigit("C"), QString("2"));
    }

    // Random grids of every size from 1 x 1 to 32 x 32: the encoding decodes to the grid, no
    // tokenisation the decoder reads is shorter, and a write touches only the stream's bytes,
    // and none when the stream does not fit the bytes the pristine map had.
    void encoderOverRandomGrids()
    {
        QRandomGenerator rng(19);
        const qint64 m = 16;
        QByteArray junk(4 * 1024, '\0');
        for (char &c : junk)
            c = char(rng.bounded(256));
        int written = 0;
        int refused = 0;
        for (int height = 1; height <= 32; ++height)
            for (int width = 1; width <= 32; ++width) {
                const QByteArray where = QByteArray::number(width) + " x " + QByteArray::number(height);
                const QVector<int> tiles = randomTiles(rng, width * height);
                const QByteArray stream = encodeMap(tiles);
                QVERIFY2(stream.size() == shortestLength(tiles), where.constData());
                QByteArray laid = junk;
                putMap(laid, m, width, height, stream);
                QVERIFY2(decodeMap(laid, m).tiles == tiles, where.constData());

                // The pristine map holds other tiles; its shortest stream is the budget.
                const QVector<int> old = randomTiles(rng, width * height);
                ByteImages images;
                images.PristineImage = junk;
                putMap(images.PristineImage, m, width, height, encodeMap(old));
                images.WorkImage = images.PristineImage;
                const PaintableMap map = paintableMap(images, m);
                QVERIFY2(map.paintable() && map.tiles == old, where.constData());
                const bool fits = stream.size() <= map.budget;
                QByteArray expected = images.WorkImage;
                if (fits)
                    expected.replace(m + 3, stream.size(), stream);
                QCOMPARE(writeMap(images, map, tiles), fits);
                QVERIFY2(images.WorkImage == expected, where.constData());
                ++(fits ? written : refused);
            }
        QVERIFY(written > 100 && refused > 100);
    }

    // Every built-in map re-encodes within its budget. One cell painted on each changes that cell
    // of its picture and no byte outside the new stream, as one step that undo takes back. The
    // room of each map (its budget less its shortest stream) is printed.
    void builtInMapsRepaint()
    {
        ByteImages images;
        images.PristineImage = m_pristine;
        images.WorkImage = m_pristine;
        QRandomGenerator rng(46);
        QVector<int> rooms;
        for (qint64 m : builtInMapAddresses()) {
            const QByteArray where = QByteArray::number(m, 16);
            const PaintableMap map = paintableMap(images, m);
            QVERIFY2(map.paintable(), qPrintable(map.refusal));
            QCOMPARE(map.tiles, decodeMap(m_pristine, m).tiles);
            const int room = map.budget - int(encodeMap(map.tiles).size());
            QVERIFY2(room >= 0, where.constData());
            rooms.append(room);

            // Random cells until one fits: a map with no room takes only a cell that keeps the
            // stream's length, and the cells refused before it write nothing.
            QVector<int> painted;
            bool written = false;
            for (int tries = 0; !written && tries < 100; ++tries) {
                painted = map.tiles;
                const int cell = rng.bounded(int(painted.size()));
                painted[cell] = painted[cell] == 0x2F ? 0x30 : 0x2F;
                EditStep step(images, QStringLiteral("绘制"));
                written = writeMap(images, map, painted);
            }
            QVERIFY2(written, where.constData());
            const QByteArray stream = encodeMap(painted);
            QVERIFY2(decodeMap(images.WorkImage, m).tiles == painted, where.constData());
            QVERIFY2(images.WorkImage.left(m + 3) == m_pristine.left(m + 3), where.constData());
            QVERIFY2(images.WorkImage.mid(m + 3 + stream.size()) == m_pristine.mid(m + 3 + stream.size()), where.constData());
            QCOMPARE(images.history.steps(), 1);
            images.history.undo(images.WorkImage);
            QVERIFY2(images.WorkImage == m_pristine, where.constData());
            images.history.clear();
        }
        QCOMPARE(rooms.size(), 46);
        std::sort(rooms.begin(), rooms.end());
        qInfo("Room to paint in the built-in maps: smallest %d, median %g, largest %d bytes", rooms.first(),
              (rooms[22] + rooms[23]) / 2.0, rooms.last());
    }

    // Maps that cannot be painted say why, and nothing is written.
    void unpaintableMaps()
    {
        ByteImages images;
        images.PristineImage = m_pristine;
        const qint64 m = builtInMapAddresses().first();
        const auto refusal = [&]() {
            const QByteArray before = images.WorkImage;
            const PaintableMap map = paintableMap(images, m);
            const QVector<int> tiles(qsizetype(map.width) * map.height, 0x2E);
            if (writeMap(images, map, tiles) || images.WorkImage != before)
                return QStringLiteral("written");
            return map.refusal;
        };
        // Size bytes that differ from the pristine map's.
        for (qint64 sizeByte : {m - 1, m}) {
            images.WorkImage = m_pristine;
            images.WorkImage[sizeByte] = char(byteAt(m_pristine, sizeByte) - 1);
            QCOMPARE(refusal(), QStringLiteral("地图尺寸与自带文件不同，无法绘制"));
        }
        // A map at the end of the image, two cells wide: its stream reaches past the end in the
        // pristine image, in the work image, or in both.
        const qint64 size = m_pristine.size();
        const QByteArray whole("\x2E\x2E", 2);
        const QByteArray cut("\x01\x2E", 2);
        const QList<QPair<QByteArray, QByteArray>> ends = {{cut, whole}, {whole, cut}, {cut, cut}};
        for (const auto &[pristine, work] : ends) {
            putMap(images.PristineImage, size - 5, 2, 1, pristine);
            images.WorkImage = images.PristineImage;
            images.WorkImage.replace(size - 2, 2, work);
            const PaintableMap map = paintableMap(images, size - 5);
            QCOMPARE(map.refusal, QStringLiteral("地图数据超出文件末尾，无法绘制"));
            QVERIFY(!writeMap(images, map, {0x2E, 0x2E}));
            QCOMPARE(images.WorkImage.right(2), work);
        }
        putMap(images.PristineImage, size - 5, 2, 1, whole);
        images.WorkImage = images.PristineImage;
        QVERIFY(paintableMap(images, size - 5).paintable());
        QCOMPARE(paintableMap(images, size - 2).refusal, QStringLiteral("地图地址超出文件范围，无法绘制"));
    }

    void warRows()
    {
        ByteImages images = blank();
        FieldEdit fields(images, "/editor");
        FieldInfo w(images);
        const int a0 = 0x70000;
        QVERIFY(w.setWarRow("70000|测试|01|03|No|10,03|13", fields));
        QCOMPARE(w.Width, 24);
        QCOMPARE(w.Height, 22);
        QCOMPARE(w.fType, QString("A"));
        QCOMPARE(w.ActAddress[0], QString("70000")); // kept as written
        QCOMPARE(w.HelpAddress, QString("%1").arg(a0 + 21, 8, 16, QChar('0')).toUpper());
        QCOMPARE(w.HelpNumber, 3);
        QCOMPARE(w.DefAddress[0], QString("%1").arg(a0 + 27, 8, 16, QChar('0')).toUpper());
        QCOMPARE(w.DefNumber[0], 13);
        QVERIFY(!w.FixedArmy);
        QCOMPARE(w.FixedArmyID[0], 0);

        QVERIFY(w.setWarRow("70000|测试|01|03,07|yes|05|04,02", fields));
        QVERIFY(w.FixedArmy);
        QCOMPARE(w.FixedArmyID[0], 3);
        QCOMPARE(w.FixedArmyID[1], 7);
        QCOMPARE(w.DefAddress[0], QString("0007000B"));
        QVERIFY(w.HelpAddress.isEmpty());

        QVERIFY(w.setWarRow("70000,70100|测试|01|03,07|Yes|05|04,02", fields));
        QCOMPARE(w.FixedArmyID[1], 7);
        QCOMPARE(w.DefAddress[1], QString("70100"));
        QCOMPARE(w.DefNumber[1], 2);

        // Three addresses: the second list is stepped over by its count byte.
        images.WorkImage[0x70100] = 4;
        QVERIFY(w.setWarRow("70000,70100,70200|测试|01|00|No|05|04,02", fields));
        QCOMPARE(w.DefAddress[0], QString("00070109"));
        QCOMPARE(w.DefAddress[1], QString("70200"));
        QCOMPARE(w.ActNumber[1], 0);
        QVERIFY(w.setWarRow("70000,70100,70200|测试|01|00|No|05,04|04,02", fields));
        QCOMPARE(w.ActAddress[1], QString("70100"));
        QCOMPARE(w.ActNumber[1], 4);
        QCOMPARE(w.DefAddress[0], QString("00070109"));

        QVERIFY(!w.setWarRow("70000|too few fields", fields));
        QVERIFY(!w.setWarRow("70000|x|99|00|No|05|04", fields)); // no such battlefield
        QVERIFY(!w.SetWarField(0, fields));
        QVERIFY(!w.SetWarField(92, fields));
    }

    void coordinates()
    {
        ByteImages images = blank();
        FieldEdit fields(images, "/editor");
        FieldInfo w(images);
        QVERIFY(w.setWarRow("70000|测试|01|00|No|03|02", fields)); // 22 rows, 24 columns
        QByteArray &b = images.WorkImage;
        b[0x70001] = 5; // attack entry 1
        b[0x70002] = 6;
        QCOMPARE(w.ActX(0, 1), 5);
        QCOMPARE(w.ActY(0, 1), 6);
        QCOMPARE(w.ActX(0, 0), -1);
        QCOMPARE(w.ActX(0, 4), -1);
        QCOMPARE(w.ActX(1, 1), -1);
        QCOMPARE(w.ActX(2, 1), -1);
        QCOMPARE(w.HelpX(1), -1);
        QCOMPARE(w.DefX(0, 2), int(byteAt(b, 0x70007 + 3)));

        QVERIFY(!w.setActX(0, 1, 0));
        QVERIFY(!w.setActX(0, 1, 23)); // Width - 1
        QCOMPARE(w.ActX(0, 1), 5);
        QVERIFY(w.setActX(0, 1, 1));
        QVERIFY(w.setActX(0, 2, 22)); // Width - 2
        QCOMPARE(int(byteAt(b, 0x70003)), 22);
        QVERIFY(!w.setActY(0, 1, 21));
        QVERIFY(w.setActY(0, 1, 20));
        QVERIFY(!w.setDefX(0, 3, 5)); // no third entry
        QVERIFY(w.setDefY(0, 2, 3));
        QCOMPARE(w.DefY(0, 2), 3);
        QVERIFY(!w.setHelpX(1, 5));
    }

    void armyWalk()
    {
        ByteImages images = blank();
        EnemyType types(images);
        const int a = 0x71000;
        const QByteArray data("\x05\x12\x95\x01\x02\x03\x4B\x05\x03\x80\x81\x02\x0A\x30\xC7\x00", 16);
        images.WorkImage.replace(a, data.size(), data);
        ArmyType army(images, types);
        army.InitArmy(9, a, 5);
        QCOMPARE(army.Number(), 5);
        QCOMPARE(army.Item(1)->address(), qint64(a + 1));
        QVERIFY(!army.Item(1)->Edit());
        QCOMPARE(army.Item(1)->TypeID(true), QString("12"));
        QCOMPARE(army.Item(2)->address(), qint64(a + 2));
        QVERIFY(army.Item(2)->Edit());
        QCOMPARE(army.Item(3)->address(), qint64(a + 8));
        QCOMPARE(army.Item(3)->TypeID(true), QString("3"));
        QVERIFY(!army.Item(4)->Edit()); // 0x80 is a reference
        QCOMPARE(army.Item(5)->address(), qint64(a + 10));
        QVERIFY(army.Item(5)->Edit()); // 0x81 starts a record
        QCOMPARE(army.end(), qint64(a + 16));
        QCOMPARE(army.ID(true), QString("00000009"));
        QCOMPARE(army.Address(false), QString::number(a));
        QVERIFY(!army.Item(0) && !army.Item(6));

        // Units that would run past the image are left out.
        ArmyType tail(images, types);
        images.WorkImage[TargetSize - 3] = char(0x90);
        tail.InitArmy(1, TargetSize - 5, 4);
        QCOMPARE(tail.Number(), 1);
    }

    void unitFields()
    {
        ByteImages images = blank();
        images.WorkImage = m_pristine; // the class table and the enemy types
        EnemyType types(images);
        const int a = 0x71000;
        const QByteArray data("\x02\x07\x95\x05\x0A\x30\x4B\x00", 8);
        images.WorkImage.replace(a, data.size(), data);
        ArmyType army(images, types);
        army.InitArmy(1, a, 2);
        ArmyMen *ref = army.Item(1);
        ArmyMen *own = army.Item(2);

        // Type numbers: 0 to 83, in either base, references only.
        ref->setTypeID(false, "83");
        QCOMPARE(ref->TypeID(false), QString("83"));
        ref->setTypeID(false, "84");
        ref->setTypeID(false, "120");
        QCOMPARE(ref->TypeID(true), QString("53"));
        ref->setTypeID(true, "54");
        QCOMPARE(ref->TypeID(true), QString("53"));
        ref->setTypeID(true, "07");
        QCOMPARE(ref->TypeID(false), QString("7"));
        own->setTypeID(false, "5");
        QCOMPARE(own->TypeID(true), QString("95"));

        // An own record: the AI byte keeps its low bits.
        QCOMPARE(own->tAI(), QString("40英勇冲锋"));
        own->setTAI("80理智防守");
        QCOMPARE(int(byteAt(images.WorkImage, a + 6)), 0x8B);
        own->setTLevel("256");
        QCOMPARE(own->tLevel(), QString("10"));
        own->setTMagic("1a");
        QCOMPARE(own->tMagic(), QString("1A"));
        ref->setTLevel("3"); // references take no field writes
        QCOMPARE(int(byteAt(images.WorkImage, a + 1)), 7);

        // Class 5 at level 10.
        const ClassRecord five = *ClassRecord::read(images.WorkImage, 5);
        QCOMPARE(own->tWork().left(2), QString("05"));
        QCOMPARE(*own->vAct(), five.tStrength + 4);
        QCOMPARE(*own->vMaxHP(), five.tMaxHP + 9);
        QCOMPARE(*own->vMove(), int(byteAt(images.WorkImage, 0x8BFC7)));
        QCOMPARE(*own->vLuck(), five.tLuck);
        own->setTLevel("0");
        QCOMPARE(*own->vAct(), five.tStrength - 1);

        // A reference follows its type: a class change reaches the unit at once.
        QCOMPARE(ref->tWork(), types.tWork(7));
        types.setTWork(7, "03天马骑士");
        QCOMPARE(ref->tWork().left(2), QString("03"));
        QCOMPARE(*ref->vMove(), int(byteAt(images.WorkImage, 0x8BFC3 + 2)));

        // Type 0 and a class outside the table show "?" and no statistics.
        ref->setTypeID(false, "0");
        QCOMPARE(ref->tName(), QString("?"));
        QVERIFY(!ref->vAct().has_value());
        own->setTWork("30");
        QCOMPARE(own->tWork(), QString("30?"));
        QVERIFY(!own->vMDef().has_value());
    }

    void enemyTypeFields()
    {
        EnemyType types(m_images);
        const qint64 rec = EnemyType::Base + 6 * 4; // type 5
        types.setTLevel(5, "256");
        QCOMPARE(types.tLevel(5), QString::number(byteAt(m_pristine, rec + 2)));
        types.setTLevel(5, "1A");
        QCOMPARE(types.tLevel(5), QString::number(byteAt(m_pristine, rec + 2)));
        types.setTLevel(5, "255");
        QCOMPARE(types.tLevel(5), QString("255"));
        types.setTMagic(5, "1A");
        QCOMPARE(int(byteAt(m_images.WorkImage, rec + 5)), 0x1A);
        types.setTAI(5, "C0理智进攻");
        QCOMPARE(types.tAI(5), QString("C0理智进攻"));

        QString source;
        const QString row = types.OneType(5, &source);
        QCOMPARE(row.split('\t').size(), 7);
        QCOMPARE(row.split('\t')[0], QString("05"));
        QCOMPARE(row.split('\t')[3], QString("255"));
        QVERIFY(source.startsWith("姓名: " + types.tName(5) + "\r\n职业: "));
        QVERIFY(source.contains(QString("\r\n等级: %1 => 255\r\n").arg(byteAt(m_pristine, rec + 2))));
        QVERIFY(source.endsWith(QString("魔法: %1 => 1A").arg(hexByte(byteAt(m_pristine, rec + 5)))));
        QCOMPARE(source.count("\r\n"), 5);

        // Codes without an entry, and type numbers outside the table.
        m_images.WorkImage[rec] = char(0x9F);
        m_images.WorkImage[rec] = char(0xE0);
        QCOMPARE(types.tName(5), QString("E0?"));
        m_images.WorkImage[rec + 4] = 0x41;
        QCOMPARE(types.tAI(5), QString("41?"));
        QCOMPARE(types.tName(0), QString("?"));
        QCOMPARE(types.tWork(84), QString("?"));
        types.setTName(84, "81赤枪兵");
        QCOMPARE(m_images.WorkImage.mid(EnemyType::Base + 6 * 83, 6), m_pristine.mid(EnemyType::Base + 6 * 83, 6));
    }

    // Random bytes over the whole cartridge: every reader keeps to the image and nothing ends.
    void corruptImageNeverCrashes()
    {
        for (quint32 seed : {1u, 2u}) {
            ByteImages images;
            images.WorkImage = m_pristine;
            quint32 s = seed;
            for (int i = CartridgeStart; i <= CartridgeEnd; ++i) {
                s = s * 1664525u + 1013904223u;
                images.WorkImage[i] = char(s >> 24);
            }
            images.OpenedImage = images.WorkImage;
            Armys armys(images);
            FieldEdit fields(images, "/no/editor");
            FieldInfo w(images);
            int cells = 0;
            for (int id = 1; id <= 91; ++id) {
                QImage picture;
                QVERIFY(w.SetWarField(id, fields, id <= 8 ? &picture : nullptr));
                cells += picture.width();
                for (const QPoint &p : positions(w))
                    QVERIFY(p.x() >= -1 && p.x() <= 255);
                w.setDefX(0, 1, 3);
            }
            QVERIFY(cells > 0);
            for (int a = 1; a <= armys.Count(); ++a)
                for (int u = 1; u <= armys.Item(a)->Number(); ++u) {
                    const ArmyMen *m = armys.Item(a)->Item(u);
                    QVERIFY(!m->tName().isEmpty() && !m->tAI().isEmpty());
                    m->vMaxHP();
                    m->vMDef();
                }
            for (int t = 0; t <= 84; ++t)
                QVERIFY(!armys.eType().OneType(t).isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(TestBattlefield)
#include "tst_battlefield.moc"
