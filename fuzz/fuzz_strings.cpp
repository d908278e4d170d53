// Any file given with --strings: either refused with a reason, or a table every reader of the
// string table walks safely: the description of the game's data laid out over the built-in
// image (maps, armies and wars from the table's rows) and the lines of a change.
#include "gamedata/fieldchanges.h"
#include "gamedata/gamedata.h"
#include "image/builtindata.h"
#include "image/byteimages.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QByteArray pristine = loadBuiltInImage();
    static const QByteArray changed = [] {
        QByteArray image = pristine;
        for (qint64 o = 0x6E000; o < 0x70000; o += 7)
            image[o] = char(image[o] ^ 0x5A);
        return image;
    }();
    QString reason;
    const auto table = parseStringTable(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), &reason);
    if (!table) {
        if (reason.isEmpty())
            __builtin_trap();
        return 0;
    }
    useStringTable(*table);
    const GameData::Catalogue catalogue(changed, pristine);
    (void)describeChanges(catalogue, pristine, changed);
    (void)describeByte(catalogue, changed, 0x6E2D4);
    return 0;
}
