#include "battlefield/mapdata.h"

#include "image/mymodule.h"

#include <QPainter>

#include <algorithm>

DecodedMap decodeMap(const QByteArray &image, qint64 offset)
{
    DecodedMap map;
    if (offset < 1 || offset >= image.size())
        return map;
    map.width = byteAt(image, offset) + 1;
    map.height = byteAt(image, offset - 1) + 1;
    const qint64 total = qint64(map.width) * map.height;
    map.tiles.reserve(total);
    qint64 p = offset + 3;
    while (map.tiles.size() < total && p < image.size()) {
        const int code = byteAt(image, p++);
        if (code >= 0x2E) {
            map.tiles.append(code);
        } else {
            if (p >= image.size())
                break;
            const int tile = byteAt(image, p++);
            // The last run is not cut at the end of the map, but nothing beyond it is drawn.
            map.tiles.insert(map.tiles.size(), std::min<qint64>(code, total - map.tiles.size()), tile);
        }
    }
    return map;
}

QImage missingPicture()
{
    QImage img(TilePixels, TilePixels, QImage::Format_RGB32);
    for (int y = 0; y < TilePixels; ++y)
        for (int x = 0; x < TilePixels; ++x)
            img.setPixel(x, y, ((x / 4 + y / 4) % 2) ? qRgb(255, 0, 255) : qRgb(40, 40, 40));
    return img;
}

const QImage &TileSet::tile(int code)
{
    auto it = m_tiles.find(code);
    if (it == m_tiles.end()) {
        QImage img(m_folder + u'/' + hexByte(code) + QStringLiteral(".bmp"));
        if (img.isNull())
            img = missingPicture();
        else if (img.size() != QSize(TilePixels, TilePixels))
            img = img.scaled(TilePixels, TilePixels);
        it = m_tiles.insert(code, img.convertToFormat(QImage::Format_RGB32));
    }
    return *it;
}

QImage paintMap(const DecodedMap &map, TileSet &tiles)
{
    QImage picture(std::max(map.width, 1) * TilePixels, std::max(map.height, 1) * TilePixels, QImage::Format_RGB32);
    picture.fill(qRgb(192, 192, 255));
    QPainter painter(&picture);
    for (qsizetype i = 0; i < map.tiles.size(); ++i) {
        const int x = int(i % map.width);
        const int y = int(i / map.width);
        painter.drawImage(x * TilePixels, y * TilePixels, tiles.tile(map.tiles[i]));
    }
    return picture;
}
