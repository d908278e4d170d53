// The battlefields of the built-in data: enemy types, run-length coded maps, armies, wars
// and their start positions, consistent with each other and with the string table.
#include "gendata.h"

#include <QPoint>
#include <QSet>

#include <algorithm>
#include <cmath>

namespace {

constexpr int EnemyTypeBase = EnemyType::Base;
constexpr int EnemyTypeCount = EnemyType::Count;
constexpr int FirstMap = 0x556DF;
constexpr int FirstArmy = 0x6E664;
constexpr int MapCount = 46;
constexpr int ArmyCount = 78;
constexpr int WarCount = 91;

// Tile roles; each map type draws them in its own colours (plains, coast, snow).
enum Tile : int {
    Grass = 0x2E,
    Flowers = 0x2F,
    Forest = 0x30,
    Mountain = 0x31,
    Water = 0x32,
    Road = 0x33,
    House = 0x34,
    Wall = 0x35,
    Gate = 0x36,
    Bridge = 0x37,
};

bool walkable(int tile)
{
    return tile != Water && tile != Mountain && tile != Wall;
}

struct Map {
    int width = 0;
    int height = 0;
    QChar type;
    int address = 0; // offset of the width byte
    QVector<int> tiles;
    int at(int x, int y) const { return tiles[y * width + x]; }
    int &at(int x, int y) { return tiles[y * width + x]; }
};

// Smooth random field in [0, 1): random values on a coarse lattice, bilinearly blended.
QVector<double> noise(Rng &rng, int width, int height, int cell)
{
    const int gw = width / cell + 2;
    const int gh = height / cell + 2;
    QVector<double> lattice(gw * gh);
    for (double &v : lattice)
        v = double(rng.next() % 10000) / 10000.0;
    QVector<double> field(width * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double fx = double(x) / cell;
            const double fy = double(y) / cell;
            const int ix = int(fx);
            const int iy = int(fy);
            const double tx = fx - ix;
            const double ty = fy - iy;
            const auto l = [&](int a, int b) { return lattice[b * gw + a]; };
            const double top = l(ix, iy) * (1 - tx) + l(ix + 1, iy) * tx;
            const double bottom = l(ix, iy + 1) * (1 - tx) + l(ix + 1, iy + 1) * tx;
            field[y * width + x] = top * (1 - ty) + bottom * ty;
        }
    return field;
}

Map makeMap(Rng &rng, int index, int width, int height, QChar type)
{
    Map m;
    m.width = width;
    m.height = height;
    m.type = type;
    m.tiles.resize(width * height);
    const QVector<double> elevation = noise(rng, width, height, 6);
    const QVector<double> moisture = noise(rng, width, height, 4);
    for (int i = 0; i < width * height; ++i) {
        const double e = elevation[i];
        int t = Grass;
        if (e < 0.22)
            t = Water;
        else if (e > 0.80)
            t = Mountain;
        else if (moisture[i] > 0.64)
            t = Forest;
        else if (rng.range(0, 9) == 0)
            t = Flowers;
        m.tiles[i] = t;
    }
    // The first map opens on a lake two rows deep.
    if (index == 0)
        for (int x = 0; x < width * 2; ++x)
            m.tiles[x] = Water;
    // A road across the map, bridged where it meets water.
    const int roadY = rng.range(height / 3, 2 * height / 3);
    for (int x = 0; x < width; ++x)
        m.at(x, roadY) = m.at(x, roadY) == Water ? Bridge : Road;
    // A village beside the road.
    const int vx = rng.range(2, width - 6);
    for (int k = 0; k < 4; ++k) {
        const int x = vx + rng.range(0, 3);
        const int y = std::clamp(roadY + (k % 2 ? 1 : -1) * rng.range(1, 2), 1, height - 2);
        m.at(x, y) = House;
    }
    // Every second map has a fort with a gate facing the road.
    if (index % 2 == 0) {
        const int fx = rng.range(2, width - 8);
        const int fy = roadY > height / 2 && index != 0 ? 1 : height - 6;
        for (int y = fy; y < fy + 5; ++y)
            for (int x = fx; x < fx + 6; ++x) {
                const bool edge = y == fy || y == fy + 4 || x == fx || x == fx + 5;
                m.at(x, y) = edge ? Wall : Road;
            }
        m.at(fx + 2, roadY > height / 2 ? fy + 4 : fy) = Gate;
    }
    return m;
}

// Row-major run-length stream: a tile byte (0x2E and up) is one cell; a byte n up to 0x2D
// repeats the next byte n times. The game's maps are stored row by row: no run crosses the end
// of a row, which leaves a repainted map room to spare.
QByteArray encode(const Map &m, bool withEmptyRun)
{
    QByteArray out;
    if (withEmptyRun) {
        out += char(0x00); // a run of nothing still consumes its tile byte
        out += char(Grass);
    }
    const int n = int(m.tiles.size());
    for (int i = 0; i < n;) {
        int run = 1;
        while ((i + run) % m.width != 0 && run < 0x2D && m.tiles[i + run] == m.tiles[i])
            ++run;
        if (run == 1 && m.tiles[i] >= 0x2E) {
            out += char(m.tiles[i]);
        } else {
            out += char(run);
            out += char(m.tiles[i]);
        }
        i += run;
    }
    return out;
}

QString addressText(int address, bool short_)
{
    const QString hex = QString::number(address, 16).toUpper();
    return short_ ? hex : hex.rightJustified(8, u'0');
}

class Placer {
public:
    Placer(Rng &rng, const Map &map) : m_rng(rng), m_map(map) {}

    // A free inner tile, walkable where possible, in the upper (defenders) or lower half.
    QPoint take(bool upper)
    {
        for (int attempt = 0; attempt < 400; ++attempt) {
            const int x = m_rng.range(1, m_map.width - 2);
            const int half = (m_map.height - 2) / 2;
            const int y = upper ? m_rng.range(1, std::max(1, half)) : m_rng.range(std::min(half + 1, m_map.height - 2), m_map.height - 2);
            if (m_used.contains(y * 256 + x))
                continue;
            if (attempt < 300 && !walkable(m_map.at(x, y)))
                continue;
            m_used.insert(y * 256 + x);
            return QPoint(x, y);
        }
        for (int y = 1; y < m_map.height - 1; ++y)
            for (int x = 1; x < m_map.width - 1; ++x)
                if (!m_used.contains(y * 256 + x)) {
                    m_used.insert(y * 256 + x);
                    return QPoint(x, y);
                }
        fail("no free tile left on a map");
    }

private:
    Rng &m_rng;
    const Map &m_map;
    QSet<int> m_used;
};

// Writes a list of pairs at offset, with a count byte first when counted.
int writeList(Image &img, int offset, const QVector<QPoint> &points, bool counted, const QString &what)
{
    const int length = int(points.size()) * 2 + (counted ? 1 : 0);
    img.claim(what, offset, length);
    int p = offset;
    if (counted)
        img.set(p++, int(points.size()));
    for (const QPoint &pt : points) {
        img.set(p++, pt.x());
        img.set(p++, pt.y());
    }
    return offset + length;
}

} // namespace

void fillBattlefields(Image &img, Rng &rng, const Lists &lists, QMap<int, QString> &strings, const QString &programDir)
{
    static const int aiModes[4] = {0x00, 0x40, 0x80, 0xC0};
    QVector<int> itemCodes;
    for (const Entry &e : lists.weapons)
        if (e.code >= 0x02)
            itemCodes.append(e.code);
    for (const Entry &e : lists.items)
        itemCodes.append(e.code);
    itemCodes.append(0x00);

    // Code lists and the grid header.
    QStringList names;
    for (int i = 0; i < lists.unitNames.size(); ++i)
        names.append(hex2(0x81 + i) + lists.unitNames[i]);
    QStringList items{QStringLiteral("00无")};
    for (const Entry &e : lists.weapons)
        if (e.code >= 0x02)
            items.append(piece(e, false));
    for (const Entry &e : lists.items)
        items.append(piece(e, false));
    strings[10004] = names.join('|');
    strings[10005] = joinPieces(lists.classes, 0x01, 0x16, false);
    strings[10006] = items.join('|');
    strings[10007] = QStringLiteral("00坐以待毙|40英勇冲锋|80理智防守|C0理智进攻");
    strings[10008] = QStringLiteral("^序号|<姓名代号  |<职业代号    |<等级|<物品        |<AI行动方式|<魔法");

    const auto caster = [](int cls) { return cls >= 0x0D && cls <= 0x13; };

    // Enemy types.
    img.claim("enemy types", EnemyTypeBase, 6 * EnemyTypeCount);
    for (int i = 0; i < EnemyTypeCount; ++i) {
        const int rec = EnemyTypeBase + 6 * i;
        const int cls = rng.range(0x01, 0x16);
        img.set(rec, 0x81 + (i * 7) % 88);
        img.set(rec + 1, cls);
        img.set(rec + 2, rng.range(1, 20));
        img.set(rec + 3, itemCodes[rng.range(0, int(itemCodes.size()) - 1)]);
        img.set(rec + 4, aiModes[rng.range(0, 3)]);
        img.set(rec + 5, caster(cls) ? rng.range(1, 7) : 0);
    }

    // Maps: sizes up to 30 rows by 32 columns; the first is 22 x 24 of type A.
    QVector<Map> maps;
    QStringList catalogue;
    QVector<QSet<int>> tilesUsed(3);
    int offset = FirstMap - 1;
    for (int k = 0; k < MapCount; ++k) {
        int height = 12 + (k * 7) % 19;
        int width = 14 + (k * 5) % 19;
        if (k == 0) {
            height = 22;
            width = 24;
        } else if (k == MapCount - 1) {
            height = 30;
            width = 32;
        }
        const QChar type = QChar(u'A' + k % 3);
        Map map = makeMap(rng, k, width, height, type);
        map.address = offset + 1;
        const QByteArray stream = encode(map, k == 1);
        img.claim(QString("map %1").arg(k + 1), offset, 4 + int(stream.size()));
        img.set(offset, height - 1);
        img.set(offset + 1, width - 1);
        img.set(offset + 2, k % 3);
        img.set(offset + 3, 0x00);
        for (int i = 0; i < stream.size(); ++i)
            img.set(offset + 4 + i, quint8(stream[i]));
        for (int t : map.tiles)
            tilesUsed[k % 3].insert(t);
        tilesUsed[k % 3].insert(Grass);
        catalogue.append(QString("%1|第%2战场|%3x%4%5")
                             .arg(addressText(map.address, false))
                             .arg(k + 1, 2, 10, QChar('0'))
                             .arg(height, 2, 10, QChar('0'))
                             .arg(width, 2, 10, QChar('0'))
                             .arg(type));
        offset += 4 + int(stream.size()) + rng.range(2, 12);
        maps.append(map);
    }
    strings[10009] = catalogue.join('*');

    // Armies: 1 to 20 units each, type references and records of their own, in the free
    // space around the enemy-type table.
    QVector<int> armyUnits;
    QStringList armyRows;
    offset = FirstArmy;
    for (int a = 0; a < ArmyCount; ++a) {
        const int units = a == 0 ? 5 : a == 1 ? 20 : a == 2 ? 1 : rng.range(2, 16);
        QByteArray data;
        data += char(units); // not read by the editor
        for (int u = 0; u < units; ++u) {
            if ((a + u) % 3 == 0) {
                const int cls = rng.range(0x01, 0x16);
                data += char(0x81 + rng.range(0, 87));
                data += char(cls);
                data += char(rng.range(1, 20));
                data += char(itemCodes[rng.range(0, int(itemCodes.size()) - 1)]);
                data += char(aiModes[rng.range(0, 3)] | rng.range(0, 15)); // low bits: not the mode
                data += char(caster(cls) ? rng.range(1, 7) : 0);
            } else {
                data += char(rng.range(1, EnemyTypeCount));
            }
        }
        if (offset < EnemyTypeBase + 6 * EnemyTypeCount && offset + data.size() > EnemyTypeBase)
            offset = EnemyTypeBase + 6 * EnemyTypeCount;
        img.claim(QString("army %1").arg(a + 1), offset, int(data.size()));
        for (int i = 0; i < data.size(); ++i)
            img.set(offset + i, quint8(data[i]));
        armyRows.append(QString("%1|%2|%3").arg(addressText(offset, false)).arg(units, 2, 10, QChar('0')).arg(a + 1, 2, 10, QChar('0')));
        armyUnits.append(units);
        offset += int(data.size());
    }
    strings[10010] = armyRows.join('*');

    // Wars: every layout of position lists, with and without fixed armies.
    offset = (offset + 0x100) & ~0xFF;
    QStringList warRows;
    int nextArmy = 0;
    for (int w = 0; w < WarCount; ++w) {
        const Map &map = maps[w < MapCount ? w : rng.range(0, MapCount - 1)];
        const int field = int(&map - maps.constData()) + 1;
        const int addresses = 1 + (w % 6) / 2; // 1, 1, 2, 2, 3, 3
        const bool twoCounts = w % 2 == 1;
        const int n0 = rng.range(3, 10);
        const int n1 = rng.range(2, 5);
        const int d0 = rng.range(3, 10);
        const int d1 = addresses > 1 ? rng.range(2, 6) : 0;
        Placer placer(rng, map);
        const auto points = [&](int count, bool upper) {
            QVector<QPoint> list;
            for (int i = 0; i < count; ++i)
                list.append(placer.take(upper));
            return list;
        };
        const QString what = QString("war %1 ").arg(w + 1);
        QStringList address;
        const bool shortAddress = w % 10 == 7;
        const int a0 = offset;
        address.append(addressText(a0, shortAddress));
        int p = writeList(img, a0, points(n0, false), true, what + "attack");
        if (addresses < 3) {
            if (twoCounts)
                p = writeList(img, p, points(n1, false), false, what + "help");
            p = writeList(img, p, points(d0, true), true, what + "defence one");
            if (addresses == 2) {
                p += rng.range(0, 3);
                address.append(addressText(p, false));
                p = writeList(img, p, points(d1, true), true, what + "defence two");
            }
        } else {
            // The second list is attacking team two, or with one count a list the editor steps over.
            const int a1 = p + rng.range(0, 3);
            address.append(addressText(a1, false));
            p = writeList(img, a1, points(twoCounts ? n1 : 2, false), true, what + "second list");
            p = writeList(img, p, points(d0, true), true, what + "defence one");
            const int a2 = p + rng.range(0, 3);
            address.append(addressText(a2, false));
            p = writeList(img, a2, points(d1, true), true, what + "defence two");
        }
        offset = p + rng.range(1, 6);

        // Fixed armies on the defending side for two wars in three.
        const bool fixed = w % 3 != 2;
        QString armies = QStringLiteral("00");
        if (fixed) {
            const int first = nextArmy++ % ArmyCount + 1;
            armies = QString("%1").arg(first, 2, 10, QChar('0'));
            if (d1 > 0 && w % 4 == 0)
                armies += QString(",%1").arg(nextArmy++ % ArmyCount + 1, 2, 10, QChar('0'));
        }
        const QString yes = fixed ? QStringLiteral("Yes") : QStringLiteral("No");
        const QString counts5 = twoCounts ? QString("%1,%2").arg(n0, 2, 10, QChar('0')).arg(n1, 2, 10, QChar('0'))
                                          : QString("%1").arg(n0, 2, 10, QChar('0'));
        const QString counts6 = d1 > 0 ? QString("%1,%2").arg(d0, 2, 10, QChar('0')).arg(d1, 2, 10, QChar('0'))
                                       : QString("%1").arg(d0, 2, 10, QChar('0'));
        const QString name = lists.warPlaces[w % lists.warPlaces.size()] + QString::number(w / lists.warPlaces.size() + 1);
        warRows.append(QStringList{address.join(','), name, QString("%1").arg(field, 2, 10, QChar('0')), armies, yes,
                                   counts5, counts6}
                           .join('|'));
    }
    strings[10011] = warRows.join('*');

    if (!programDir.isEmpty()) {
        QVector<QVector<int>> used(3);
        for (int t = 0; t < 3; ++t) {
            used[t] = QVector<int>(tilesUsed[t].cbegin(), tilesUsed[t].cend());
            std::sort(used[t].begin(), used[t].end());
        }
        writeBitmaps(programDir, used);
    }
}
