#pragma once
// Shared pieces of the built-in data generator.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMap>
#include <QStringList>
#include <QVector>

#include <cstdio>
#include <cstdlib>

// The offsets of the game data are the editor's own.
#include "battlefield/enemytype.h"
#include "image/byteimages.h"
#include "tables/gametables.h"

using namespace GameTables;

[[noreturn]] inline void fail(const QString &why)
{
    std::fprintf(stderr, "gendata: %s\n", qPrintable(why));
    std::exit(1);
}

struct Entry {
    int code = 0;
    QString name;
    QString alt; // a second name that shares the code, shown as "name(alt)"
};

inline QVector<QStringList> readTable(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        fail("cannot read " + path);
    QVector<QStringList> rows;
    const QStringList lines = QString::fromUtf8(f.readAll()).split('\n');
    for (const QString &raw : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        rows.append(line.split('\t'));
    }
    return rows;
}

inline QVector<Entry> readCodes(const QString &path)
{
    QVector<Entry> list;
    for (const QStringList &row : readTable(path)) {
        bool ok = false;
        Entry e;
        e.code = row.value(0).toInt(&ok, 16);
        e.name = row.value(1);
        e.alt = row.value(2);
        if (!ok || e.name.isEmpty())
            fail(path + ": bad row " + row.join('\t'));
        list.append(e);
    }
    return list;
}

inline QString hex2(int v)
{
    return QString::number(v, 16).toUpper().rightJustified(2, '0');
}

inline QString piece(const Entry &e, bool withAlt)
{
    QString s = hex2(e.code) + e.name;
    if (withAlt && !e.alt.isEmpty())
        s += "(" + e.alt + ")";
    return s;
}

inline QString joinPieces(const QVector<Entry> &list, int from, int to, bool withAlt)
{
    QStringList parts;
    for (const Entry &e : list)
        if (e.code >= from && e.code <= to)
            parts.append(piece(e, withAlt));
    return parts.join('|');
}

// xorshift64*: small, fast and the same on every platform.
class Rng {
public:
    explicit Rng(quint64 seed) : m_state(seed) {}
    quint64 next()
    {
        m_state ^= m_state >> 12;
        m_state ^= m_state << 25;
        m_state ^= m_state >> 27;
        return m_state * 2685821657736338717ULL;
    }
    int range(int lo, int hi) { return lo + int(next() % quint64(hi - lo + 1)); }

private:
    quint64 m_state;
};

// The image under construction; every table claims its bytes so that no two overlap.
class Image {
public:
    Image() : m_bytes(TargetSize, '\0') {}

    void claim(const QString &what, int start, int length)
    {
        const int end = start + length - 1;
        if (start < CartridgeStart || end > CartridgeEnd)
            fail(what + " lies outside the cartridge");
        for (const Region &r : m_regions)
            if (start <= r.end && r.start <= end)
                fail(what + " overlaps " + r.what);
        m_regions.append({what, start, end});
    }
    void set(int offset, int value) { m_bytes[offset] = char(quint8(value)); }
    QByteArray &bytes() { return m_bytes; }

private:
    struct Region {
        QString what;
        int start;
        int end;
    };
    QByteArray m_bytes;
    QVector<Region> m_regions;
};

// Emulator code and data outside the cartridge, and the cartridge's own code between the
// tables: varied bytes with some zero padding, never one long run of zeros.

inline void writeFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size())
        fail("cannot write " + path);
}

struct Lists {
    QVector<Entry> classes;  // 01-18
    QVector<Entry> weapons;  // 00-16
    QVector<Entry> spells;   // 17-2E
    QVector<Entry> items;    // 30-3A
    QStringList unitNames;   // codes 81-D8
    QStringList warPlaces;
    QStringList terrain;     // 22 names
};

// Battlefields: enemy types, maps, armies and wars in the image, strings 10004 to 10011.
void fillBattlefields(Image &img, Rng &rng, const Lists &lists, QMap<int, QString> &strings, const QString &programDir);
// The tile bitmaps of the maps (the codes used by each map type) and the unit bitmaps.
void writeBitmaps(const QString &programDir, const QVector<QVector<int>> &tilesUsed);
// The 16 x 16 bitmap of one tile code of map type 0, 1 or 2, as the files hold it.
QImage tileBitmap(int type, int code);
// The cartridge's header, its program (the assembled block from $C000 on, then the vectors) in
// the last program bank and the program's tiles in the first character bank.
void fillCartridge(Image &img, const QByteArray &program, const QMap<int, QString> &strings);
