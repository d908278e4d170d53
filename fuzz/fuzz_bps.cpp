// Any file given as a BPS patch either gives an image within the limit or is refused. Mutated
// bytes rarely keep a valid patch checksum, so the input is also tried as a patch body given the
// right source and patch checksums, which takes it through the sizes and every action.
#include "image/byteimages.h"
#include "image/patches.h"

#include <cstddef>
#include <cstdint>

namespace {

void appendCrc(QByteArray &out, quint32 crc)
{
    for (int i = 0; i < 4; ++i)
        out.append(char(crc >> (8 * i)));
}

void check(const QByteArray &patch, const QByteArray &source, qsizetype limit)
{
    const auto out = Patches::applyBps(patch, source, limit);
    if (out && out->size() > limit)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QByteArray pristine = loadBuiltInImage();
    static const QByteArray small("ABCDEFGH");
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    check(input, pristine, TargetSize);

    // The body with its checksums: the small source's, a target's taken from the input's last
    // four bytes, and the patch's own.
    QByteArray body = input;
    appendCrc(body, Patches::crc32(small));
    appendCrc(body, size >= 4 ? Patches::crc32(input.right(4)) : 0);
    appendCrc(body, Patches::crc32(body));
    check(body, small, 4096);
    return 0;
}
