// Generates the editor's built-in data from the hand-written lists in resources/ and the
// assembled cartridge program (tools/boot):
//   <out>/DEFAULT/V1.21            the built-in 712,704-byte game executable
//   <out>/strings/stringtable.txt  the string table, one "id<TAB>text" line per entry
// and beside the program (the optional third argument):
//   地形名称.txt                    the terrain names, GBK, CR LF
//   Loc0-Loc2/<tile>.bmp            map tiles of map types A, B and C
//   eWork0-eWork2/<class>.bmp       unit pictures per class code
// Every byte is derived from a fixed seed, so each build writes the same files.
#include "gendata.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QStringEncoder>
#include <QStringList>
#include <QTextStream>
#include <QVector>

#include <cstdio>
#include <cstdlib>
#include <iterator>

namespace {

void fillBackground(Image &img, Rng &rng)
{
    QByteArray &b = img.bytes();
    for (int i = 0; i < TargetSize; ++i) {
        const quint64 r = rng.next();
        // Roughly one byte in eight is padding; the rest looks like code.
        b[i] = (r & 7) == 0 ? '\0' : char(quint8(r >> 24));
    }
    const QByteArray mz("MZ\x90\0\x03\0\0\0\x04\0\0\0\xFF\xFF\0\0", 16);
    b.replace(0, mz.size(), mz);
}

void fillCharacters(Image &img, Rng &rng, const QVector<Entry> &classes, const QVector<Entry> &items,
                    int count)
{
    constexpr int base = CharacterBase;
    img.claim("character records", base, CharacterStride * count);
    img.claim("growth rates", CharacterGrowth, 6 * count);
    for (int n = 0; n < count; ++n) {
        const int rec = base + CharacterStride * n;
        const int cls = classes[n % classes.size()].code;
        const bool caster = cls >= 0x0D && cls <= 0x13;
        img.set(rec + 0, cls);
        img.set(rec + 1, n < 8 ? 1 : rng.range(2, 12));            // level
        img.set(rec + 2, rng.range(18, 42));                       // maximum HP
        img.set(rec + 3, rng.range(0, 9) * 10);                    // experience
        for (int s = 4; s <= 8; ++s)
            img.set(rec + s, rng.range(3, 14));                    // attack .. defence
        img.set(rec + 9, caster ? (1 << rng.range(0, 3)) | 1 : 0); // spell bits
        img.set(rec + 10, rng.range(0, 3) == 0 ? 0 : items[rng.range(0, items.size() - 1)].code);
        img.set(rec + 11, rng.range(0, 3));
        for (int g = 0; g < 6; ++g)
            img.set(CharacterGrowth + 6 * n + g, rng.range(2, 16) * 5);
    }
}

void fillLevelCoefficients(Image &img)
{
    img.claim("level coefficients", LevelCoefficientBase + 1, 19);
    for (int k = 1; k <= 19; ++k)
        img.set(LevelCoefficientBase + k, 4 + 2 * k);
}

void fillItemTables(Image &img, Rng &rng)
{
    const struct {
        const char *what;
        int base;
    } tables[] = {{"attack", ItemAttack}, {"weight", ItemWeight}, {"hit rate", ItemHitRate},
                  {"critical", ItemCritical}, {"effect", ItemEffect}};
    for (const auto &t : tables)
        img.claim(QString("item ") + t.what, t.base, 0x2F);
    img.claim("spell HP cost", SpellHpCost, 24);

    static const int effects[] = {0x00, 0x00, 0x00, 0x01, 0x03, 0x04};
    for (int k = 0; k <= 0x2E; ++k) {
        const bool spell = k >= 0x17;
        img.set(ItemAttack + k, spell ? rng.range(4, 20) : rng.range(1, 16));
        img.set(ItemWeight + k, spell ? rng.range(1, 6) : rng.range(3, 15));
        img.set(ItemHitRate + k, rng.range(12, 20) * 5);
        img.set(ItemCritical + k, rng.range(0, 6) * 5);
        img.set(ItemEffect + k, effects[rng.range(0, 5)]);
    }
    for (int p = 0; p < 24; ++p)
        img.set(SpellHpCost + p, rng.range(0, 8));
}

void fillClassChanges(Image &img, Rng &rng)
{
    // Before, the one byte between the tables, after, level.
    img.claim("class changes", ClassChangeBefore, ClassChangeLevel + ClassChangeCount - ClassChangeBefore);
    static const int before[13] = {0x01, 0x03, 0x03, 0x06, 0x07, 0x08, 0x09, 0x0B, 0x0D, 0x0E, 0x10, 0x11, 0x14};
    static const int after[13] = {0x02, 0x04, 0x05, 0x07, 0x01, 0x09, 0x0A, 0x0C, 0x0F, 0x0F, 0x11, 0x13, 0x09};
    for (int r = 0; r < 13; ++r) {
        img.set(ClassChangeBefore + r, before[r]);
        img.set(ClassChangeAfter + r, after[r]);
        img.set(ClassChangeLevel + r, rng.range(2, 4) * 5);
    }
}

void fillTerrain(Image &img, Rng &rng)
{
    constexpr int base = TerrainBase;
    img.claim("terrain effects", base, TerrainRows * TerrainCols);
    for (int r = 0; r < 22; ++r) {
        const bool flier = r == 2 || r == 3 || r == 4;
        for (int c = 0; c < 22; ++c) {
            int cost = flier ? 1 : rng.range(1, 4);
            if (!flier && (c == 7 || c == 21))
                cost = 0xFF; // sea and walls stop walkers
            img.set(base + 22 * r + c, cost);
        }
    }
    for (int c = 0; c < 22; ++c)
        img.set(base + 22 * 22 + c, rng.range(0, 6) * 5);
}

void fillClasses(Image &img, Rng &rng)
{
    img.claim("class records", ClassBase, ClassStride * ClassCount);
    img.claim("class movement", ClassMovement, ClassCount);
    // 23 class bytes, the last of which starts the 34 character bytes.
    img.claim("magic defence", ClassMagicDefence, CharacterMagicDefence - ClassMagicDefence + CharacterCount);
    for (int c = 0; c < 23; ++c) {
        const int rec = ClassBase + ClassStride * c;
        for (int s = 0; s < 5; ++s)
            img.set(rec + s, rng.range(2, 12));
        img.set(rec + 5, rng.range(16, 40));
        img.set(rec + 6, rng.range(2, 20) * 5);
        img.set(ClassMovement + c, rng.range(4, 8));
        img.set(ClassMagicDefence + c, rng.range(0, 12));
    }
    for (int n = 1; n < 34; ++n)
        img.set(CharacterMagicDefence + n, rng.range(0, 10));
}

void fillShields(Image &img)
{
    img.claim("shields", ShieldBase, 5);
    static const int values[5] = {1, 3, 5, 8, 6};
    for (int p = 0; p < 5; ++p)
        img.set(ShieldBase + p, values[p]);
}

// Shops, which the built-in tables leave out (docs/tables/shops.json describes them): per shop
// five item codes, their five two-byte prices and a byte of services.
constexpr int ShopBase = 0x7A000;
constexpr int ShopStride = 16;

void fillShops(Image &img)
{
    static const struct {
        int items[5];
        int prices[5];
        int services; // bit 0 buys, bit 1 repairs, bit 2 opens at night
    } shops[] = {
        {{0x09, 0x0A, 0x02, 0x06, 0x0F}, {120, 300, 150, 200, 180}, 0b011},
        {{0x30, 0x31, 0x36, 0x37, 0x00}, {250, 600, 1500, 1500, 0}, 0b001},
        {{0x0B, 0x03, 0x07, 0x10, 0x05}, {800, 900, 850, 950, 400}, 0b011},
        {{0x32, 0x38, 0x39, 0x00, 0x00}, {1200, 2000, 2000, 0, 0}, 0b101},
        {{0x0C, 0x11, 0x12, 0x33, 0x3A}, {2400, 2600, 3000, 4800, 5000}, 0b010},
        {{0x04, 0x08, 0x13, 0x34, 0x00}, {1100, 700, 1900, 3500, 0}, 0b100},
    };
    img.claim("shops", ShopBase, ShopStride * int(std::size(shops)));
    for (int s = 0; s < int(std::size(shops)); ++s) {
        const int rec = ShopBase + ShopStride * s;
        for (int k = 0; k < 5; ++k) {
            img.set(rec + k, shops[s].items[k]);
            img.set(rec + 5 + 2 * k, shops[s].prices[k] & 0xFF);
            img.set(rec + 6 + 2 * k, shops[s].prices[k] >> 8);
        }
        img.set(rec + 15, shops[s].services);
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4 && args.size() != 5)
        fail("usage: gendata <resources folder> <cartridge program> <output folder> [<program folder>]");
    const QString res = args[1];
    QFile boot(args[2]);
    if (!boot.open(QIODevice::ReadOnly))
        fail("cannot read " + args[2]);
    const QByteArray program = boot.readAll();
    const QString out = args[3];
    const QString programDir = args.value(4);

    Lists lists;
    lists.classes = readCodes(res + "/classes.txt");
    lists.weapons = readCodes(res + "/weapons.txt");
    lists.spells = readCodes(res + "/spells.txt");
    lists.items = readCodes(res + "/items.txt");
    const auto column = [&res](const char *file) {
        QStringList values;
        for (const QStringList &row : readTable(res + "/" + file))
            values.append(row.value(0));
        return values;
    };
    lists.unitNames = column("unitnames.txt");
    lists.warPlaces = column("warplaces.txt");
    lists.terrain = column("terrain.txt");
    const int characters = int(column("characters.txt").size());
    const QVector<Entry> &classes = lists.classes;
    const QVector<Entry> &weapons = lists.weapons;
    const QVector<Entry> &spells = lists.spells;
    const QVector<Entry> &items = lists.items;
    if (classes.size() != 24 || weapons.size() != 23 || spells.size() != 24 || items.size() != 11 || characters != 34
        || lists.unitNames.size() != 88 || lists.terrain.size() != 22 || lists.warPlaces.isEmpty())
        fail("a list in resources/ has the wrong length");

    Rng rng(0x5645534B45444954ULL);
    Image img;
    fillBackground(img, rng);
    fillCharacters(img, rng, classes, items, characters);
    fillLevelCoefficients(img);
    fillItemTables(img, rng);
    fillClassChanges(img, rng);
    fillTerrain(img, rng);
    fillClasses(img, rng);
    fillShields(img);
    fillShops(img);

    QVector<Entry> shields;
    for (const Entry &e : items)
        if ((e.code >= 0x30 && e.code <= 0x33) || e.code == 0x35)
            shields.append(e);

    QStringList terrainRows;
    for (const Entry &e : classes)
        if (e.code <= 0x16)
            terrainRows.append(piece(e, true));
    terrainRows.append("回避效果");

    QMap<int, QString> strings;
    strings[10000] = joinPieces(classes, 0x01, 0x17, true);
    strings[10001] = joinPieces(weapons, 0x00, 0x16, false);
    strings[10002] = joinPieces(spells, 0x17, 0x2E, false);
    strings[10003] = joinPieces(shields, 0x30, 0x35, false);
    fillBattlefields(img, rng, lists, strings, programDir);
    fillCartridge(img, program, strings);
    strings[10012] = joinPieces(classes, 0x01, 0x16, false);
    strings[10013] = terrainRows.join('|');

    QByteArray table;
    for (auto it = strings.cbegin(); it != strings.cend(); ++it)
        table += QByteArray::number(it.key()) + '\t' + it.value().toUtf8() + '\n';

    writeFile(out + "/DEFAULT/V1.21", img.bytes());
    writeFile(out + "/strings/stringtable.txt", table);

    if (!programDir.isEmpty()) {
        QStringEncoder gbk("GBK");
        writeFile(programDir + QString::fromUtf8("/地形名称.txt"), gbk.encode(lists.terrain.join("\r\n") + "\r\n"));
    }
    return 0;
}
