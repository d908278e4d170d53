// Any file given as a BPS patch either gives an image within the limit or is refused; the seed
// patches are made against the built-in image, so mutations reach the actions and checksums.
#include "image/byteimages.h"
#include "image/patches.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QByteArray pristine = loadBuiltInImage();
    const QByteArray patch(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto out = Patches::applyBps(patch, pristine, TargetSize);
    if (out && out->size() > TargetSize)
        __builtin_trap();
    // The same patch against a small source exercises the copy actions at every offset.
    const auto small = Patches::applyBps(patch, QByteArray("ABCDEFGH"), 4096);
    if (small && small->size() > 4096)
        __builtin_trap();
    return 0;
}
