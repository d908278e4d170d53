// Any file given as a change list either applies inside the image or is refused.
#include "image/byteimages.h"
#include "image/mymodule.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QByteArray pristine = loadBuiltInImage();
    QByteArray base = pristine;
    const QByteArray file(reinterpret_cast<const char *>(data), qsizetype(size));
    applyChangeList(file, base);
    if (base.size() != pristine.size())
        __builtin_trap();
    return 0;
}
