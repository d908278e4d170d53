#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>
#include <utility>

// The one description of the game's data: every table the editors know, its records and its
// fields, with their captions, offsets, sizes and how each value is shown. The editor pages bind
// their boxes to these fields; the change list, the hex read-out and the table files read them.
namespace GameData {

enum TableId {
    Characters,
    Classes,
    Weapons,
    Spells,
    Shields,
    ClassChanges,
    LevelCoefficients,
    TerrainEffects,
    EnemyTypes,
    Units,
    Positions,
    Maps,
    TableCount,
    UserTable, // a table the user described: one of userTables()
};

enum class Show {
    Decimal,
    Signed,   // decimal, two's complement
    Hex,
    Code,     // an entry of the field's list, found by the list's two hexadecimal digits
    Flags,    // the names of the bits that are set ("飞行、魔免"), "无" for none
    Position, // two bytes, X and Y, shown as "(5,12)"
    Map,      // a battlefield's tile stream; its changes are counted in cells
};

struct Field {
    QString caption; // as the field's editor labels it
    // The built-in caption where the user's name replaced it (the terrain columns); table files
    // that carry it are still read.
    QString builtInCaption;
    Show show = Show::Decimal;
    int bias = 0; // Show::Decimal: the value shown is the byte + bias (a map's size byte holds size - 1)
    QStringList codes;   // Show::Code: the list ("05飞鹰骑士")
    int codeMask = 0xFF; // Show::Code: the bits the list names
    QStringList flags; // Show::Flags: the name of each bit from bit 0, empty for an unnamed one
    // Fixed and described tables: the field of record r is at base + stride * r.
    qint64 base = -1;
    int stride = 1;
    int size = 1; // bytes of a value, little-endian: 1 or 2 (Position 2, Map the stream's length)
    // The values the field accepts, as shown (a signed field's from below zero); none when
    // maximum < minimum.
    qint64 minimum = 0;
    qint64 maximum = -1;

    qint64 offset(int record) const { return base + qint64(stride) * record; }
    bool hasRange() const { return minimum <= maximum; }
    // The value at offset: size bytes, little-endian; -1 past the image's end.
    qint64 read(const QByteArray &image, qint64 offset) const;
    // A value's text: decimal (Signed with its sign), two or four hexadecimal digits, its list
    // entry ("9F?" for none), or its flags.
    QString valueText(qint64 value) const;
    // The value a text stands for, as the field's editor takes it, or why it is refused. old
    // keeps the bits a code list does not name.
    struct Parsed {
        qint64 value = 0;
        QString reason; // empty when accepted
    };
    Parsed parse(const QString &text, qint64 old) const;
    // What the field takes, for a refusal: "0 至 255 的十进制数".
    QString accepts() const;
    // Sets the list of a Show::Code field.
    void setCodes(const QStringList &list);

private:
    QString entryOf(int code) const; // Show::Code: the list's entry for a code, empty for none
    QVector<qint32> m_entryOf;       // the index in codes of each code's first entry, -1 for none
};

// Where one field of one record lies in the image. Start positions carry their entry number.
struct Slot {
    qint64 offset = 0;
    int size = 1;
    int field = 0;
    int entry = 0; // Positions: 1 for the first entry of a side
};

struct Record {
    QString name; // "03 某某", "第01战场"
    QVector<Slot> parts;
    // Units: the army and the unit in it; Positions: the war; Maps: the battlefield (from 1).
    int number = 0;
    int item = 0;
};

struct Table {
    TableId id = TableCount;
    QString key;  // file name stem: "characters"
    QString name; // as the tab shows it: "我方人物"
    QString source; // UserTable: the description file it comes from
    // Described tables: where record 0 starts, and the bytes from one record to the next.
    qint64 base = -1;
    int stride = 0;
    QVector<Field> fields;
    QVector<Record> records;

    // The caption of a slot as a line names it: "等  级", "攻击方一队 07".
    QString slotCaption(const Slot &slot) const;
};

// A table whose layout does not depend on the image (Characters to EnemyTypes), built once;
// for Units, Positions and Maps only the fields.
const Table &fixedTable(TableId id);

// The names the terrain-effect grid heads its columns with (地形名称.txt): from now on the
// terrain fields take them as captions, so every view names a column alike. A name that repeats
// an earlier one or another column's built-in caption leaves its column "地形NN"; an empty list
// brings back the built-in captions.
void useTerrainNames(const QStringList &names);
// Counts up whenever the fixed tables are built anew (another string table, other terrain names)
// and whenever other user tables are taken into use.
int fixedTablesGeneration();

// The tables the user described, as the description files gave them (see descriptions.h); the
// catalogue lays them out after the twelve built-in ones.
const QVector<Table> &userTables();
void useUserTables(const QVector<Table> &tables);

// A record's field as a line names it: "我方人物 03 某某 · 等  级".
QString placeName(const Table &table, const Record &record, const Slot &slot);

// Every table laid out over one image: the armies and start positions as the string table and
// image place them, each map with the bytes its tile stream has in reference (the built-in
// executable, whose stream lengths are the maps' room). Slots that lie outside the image are
// left out.
class Catalogue {
public:
    Catalogue(const QByteArray &image, const QByteArray &reference, bool withUserTables = true);

    const QVector<Table> &tables() const { return m_tables; }
    const Table &table(TableId id) const { return m_tables[id]; }

    struct Place {
        const Table *table;
        const Record *record;
        const Slot *slot;
    };
    // The field that holds a byte.
    std::optional<Place> at(qint64 offset) const;
    // Bytes the parts cover (each counted once).
    qint64 coveredBytes(qint64 from, qint64 to) const;
    // The bytes the slots cover, as sorted, disjoint [first, second) spans.
    const QVector<std::pair<qint64, qint64>> &covered() const { return m_covered; }

    // The value of a slot in an image, as its lines show it; "?" past the image's end.
    static QString valueText(const Field &field, const Slot &slot, const QByteArray &image);

private:
    struct Index {
        qint64 offset;
        qint64 end;
        int table;
        int record;
        int slot;
    };
    QVector<Table> m_tables;
    QVector<Index> m_index; // by offset
    QVector<std::pair<qint64, qint64>> m_covered;
};

} // namespace GameData
