#pragma once

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QString>
#include <QVector>

// A battlefield map decoded from the image: its size from the two bytes before the width byte
// M, then the run-length tile stream from M + 3 (a byte of 0x2E or more is one tile; a byte n up
// to 0x2D repeats the next byte n times; runs go on across rows).
struct DecodedMap {
    int width = 0;
    int height = 0;
    QVector<int> tiles; // row by row; fewer than width * height when the image ended first
    bool complete() const { return tiles.size() == qsizetype(width) * height; }
};

// Decodes the map whose width byte is at offset; stops at the end of the image.
DecodedMap decodeMap(const QByteArray &image, qint64 offset);

// Tile bitmaps of one folder ("Loc0" ...), each file loaded once. A missing or unreadable
// bitmap gives a visible placeholder.
class TileSet {
public:
    explicit TileSet(const QString &folder) : m_folder(folder) {}
    const QImage &tile(int code);
    QString folder() const { return m_folder; }

private:
    QString m_folder;
    QHash<int, QImage> m_tiles;
};

constexpr int TilePixels = 16;

// Paints a decoded map, one 16 x 16 bitmap per cell; cells the image did not hold stay blank.
QImage paintMap(const DecodedMap &map, TileSet &tiles);

// A 16 x 16 magenta and black checkerboard for a picture that could not be loaded.
QImage missingPicture();
