#pragma once

#include "gamedata/gamedata.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVector>

// What changed between two images, in the game's words: one line per field whose bytes differ,
// in the order of the tables, their records and fields, then the bytes no field covers as
// ranges. The line "我方人物 03 某某 · 等  级: 1 => 5" is its group and its text.
struct FieldChange {
    int table = -1; // GameData::TableId; -1 for bytes no field covers
    int record = -1;
    int slot = -1;
    qint64 offset = 0;
    qint64 size = 0;
    QString group; // "我方人物 03 某某"; "" for bytes no field covers
    QString text;  // "等  级: 1 => 5", "0006F000–0006F003: 4 字节", "0006F100" (one byte)

    QString line() const { return group.isEmpty() ? text : group + QStringLiteral(" · ") + text; }
};

// The group the window shows the uncovered byte ranges under.
QString uncoveredGroup();

// Lines described before, kept by field and bytes: describing an image again after one edit
// formats only the lines whose field or bytes changed.
class DescribeCache {
private:
    friend QVector<FieldChange> describeChanges(const GameData::Catalogue &, const QByteArray &, const QByteArray &,
                                                DescribeCache *);
    struct Key {
        int table, record, slot;
        qint64 offset;
        friend bool operator==(const Key &, const Key &) = default;
        friend size_t qHash(const Key &k, size_t seed = 0) { return qHashMulti(seed, k.table, k.record, k.slot, k.offset); }
    };
    struct Line {
        QByteArray before, after; // the field's bytes in each image
        QString recordName;
        int field, entry;
        FieldChange change;
        quint64 round;
    };
    QHash<Key, Line> m_lines;
    quint64 m_round = 0;
    int m_strings = -1; // the fixed tables (string table, terrain names) the lines were named with
};

// The changes from before to after, over the catalogue laid out on after. Bytes past the end of
// the shorter image count as changed.
QVector<FieldChange> describeChanges(const GameData::Catalogue &catalogue, const QByteArray &before,
                                     const QByteArray &after, DescribeCache *cache = nullptr);

// The byte under the hex cursor as its read-out names it: "0006E2EC  我方人物 03 某某 · 等  级 = 5",
// or only the address when no field holds it.
QString describeByte(const GameData::Catalogue &catalogue, const QByteArray &image, qint64 offset);

// A painted map's change: the cells whose tile differs ("12 格"), or the bytes ("30 字节") when
// either stream cannot be read within its own bytes.
QString mapChangeText(const GameData::Slot &slot, const QByteArray &before, const QByteArray &after);

// The lines, one per change, as "导出..." writes them: UTF-8, CR LF.
QByteArray changeListText(const QVector<FieldChange> &changes);
