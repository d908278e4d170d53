#pragma once

#include "image/byteimages.h"

#include <QByteArray>
#include <QString>
#include <QVector>

// The tile stream of a battlefield map, written back: the exact inverse of decodeMap. A byte of
// 0x2E or more is one cell of that tile; a byte n of 0x2D or less repeats the next byte n times.

constexpr int LowestLiteralTile = 0x2E; // tiles below are written as runs only
constexpr int LongestRun = 0x2D;

// The shortest stream for tiles (row by row): runs of at most 45, a lone cell of a tile of 0x2E
// or more as one byte, a tile below 0x2E always as a run, even of one.
QByteArray encodeMap(const QVector<int> &tiles);

// How many bytes the decoder reads from `from` for `cells` cells, the last run whole; -1 when the
// stream runs past the end of the image first.
qint64 mapStreamLength(const QByteArray &image, qint64 from, qint64 cells);

// A map as the painting tools see it: its tiles in WorkImage and the bytes the game gives its
// stream (the stream's length in PristineImage, from M + 3), or why it cannot be painted. A map
// that cannot be painted still holds the size and tiles decoded from WorkImage, as it is shown.
struct PaintableMap {
    qint64 offset = -1; // M, the width byte; the stream starts at M + 3
    int width = 0;
    int height = 0;
    int budget = 0;
    QVector<int> tiles;
    QVector<int> pristineTiles; // the cells of PristineImage's map, when it can be painted
    QString refusal; // empty when the map can be painted

    bool paintable() const { return refusal.isEmpty(); }
    qint64 streamStart() const { return offset + 3; }
};

PaintableMap paintableMap(const ByteImages &images, qint64 offset);

// Writes tiles as the map's shortest stream from M + 3, through the write path, when it fits the
// budget; bytes after it keep their values. Tiles equal to the pristine map's get the pristine
// stream back, byte for byte, so that the map shows no change anywhere. False, with nothing
// written, when it does not fit or the map cannot be painted.
bool writeMap(ByteImages &images, const PaintableMap &map, const QVector<int> &tiles);
