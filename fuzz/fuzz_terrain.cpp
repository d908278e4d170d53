// Any file given as 地形名称.txt: either 22 names fit for the grid's header, or none.
#include "tables/gametables.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto names = parseTerrainNames(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (names && (names->size() != 22 || names->join(QString()).contains(u'|')))
        __builtin_trap();
    return 0;
}
