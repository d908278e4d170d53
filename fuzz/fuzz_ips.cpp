// Any file given as an IPS patch either gives an image within the limit or is refused.
#include "image/byteimages.h"
#include "image/patches.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QByteArray pristine = loadBuiltInImage();
    const QByteArray patch(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto out = Patches::applyIps(patch, pristine, TargetSize);
    if (out && out->size() > TargetSize)
        __builtin_trap();
    return 0;
}
