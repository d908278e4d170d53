#include "battlefield/mapcodec.h"

#include "battlefield/mapdata.h"
#include "image/mymodule.h"

QByteArray encodeMap(const QVector<int> &tiles)
{
    QByteArray stream;
    stream.reserve(tiles.size());
    for (qsizetype i = 0; i < tiles.size();) {
        const int tile = tiles[i];
        qsizetype same = 1;
        while (i + same < tiles.size() && tiles[i + same] == tile)
            ++same;
        i += same;
        // Whole runs of 45, then the rest: one byte for a lone literal, two for anything else.
        for (; same >= LongestRun; same -= LongestRun)
            stream.append(char(LongestRun)).append(char(tile));
        if (same == 1 && tile >= LowestLiteralTile)
            stream.append(char(tile));
        else if (same > 0)
            stream.append(char(same)).append(char(tile));
    }
    return stream;
}

qint64 mapStreamLength(const QByteArray &image, qint64 from, qint64 cells)
{
    if (from < 0)
        return -1;
    qint64 p = from;
    qint64 done = 0;
    while (done < cells) {
        if (p >= image.size())
            return -1;
        const int code = byteAt(image, p++);
        if (code >= LowestLiteralTile) {
            ++done;
        } else {
            if (p >= image.size())
                return -1;
            ++p;
            done += code;
        }
    }
    return p - from;
}

PaintableMap paintableMap(const ByteImages &images, qint64 offset)
{
    PaintableMap map;
    map.offset = offset;
    const QByteArray &work = images.WorkImage;
    const QByteArray &pristine = images.PristineImage;
    if (offset < 1 || offset + 2 >= work.size() || offset + 2 >= pristine.size()) {
        map.refusal = QStringLiteral("地图地址超出文件范围，无法绘制");
        return map;
    }
    const DecodedMap decoded = decodeMap(work, offset);
    map.width = decoded.width;
    map.height = decoded.height;
    map.tiles = decoded.tiles;
    if (work[offset] != pristine[offset] || work[offset - 1] != pristine[offset - 1]) {
        map.refusal = QStringLiteral("地图尺寸与自带文件不同，无法绘制");
        return map;
    }
    const qint64 cells = qint64(map.width) * map.height;
    const qint64 budget = mapStreamLength(pristine, map.streamStart(), cells);
    if (!decoded.complete() || budget < 0 || mapStreamLength(work, map.streamStart(), cells) < 0) {
        map.refusal = QStringLiteral("地图数据超出文件末尾，无法绘制");
        return map;
    }
    map.budget = int(budget);
    map.pristineTiles = decodeMap(pristine, offset).tiles;
    return map;
}

bool writeMap(ByteImages &images, const PaintableMap &map, const QVector<int> &tiles)
{
    if (!map.paintable() || tiles.size() != qsizetype(map.width) * map.height)
        return false;
    const QByteArray stream = tiles == map.pristineTiles ? images.PristineImage.mid(map.streamStart(), map.budget)
                                                         : encodeMap(tiles);
    if (stream.size() > map.budget || map.streamStart() + stream.size() > images.WorkImage.size())
        return false;
    // Only the bytes that change: a stroke rewrites the stream for every cell it paints.
    for (qsizetype i = 0; i < stream.size(); ++i)
        if (images.WorkImage[map.streamStart() + i] != stream[i])
            images.write(map.streamStart() + i, quint8(stream[i]));
    return true;
}
