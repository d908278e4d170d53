// Two patches merged in turn onto a work image with random edits: each merge writes only bytes
// its patch changes, "应用" leaves every one of them with the patch's value, and nothing crashes.
// The input: a seed byte for the edits, a byte of kinds (bit 0 and 1: BPS for the first and
// second patch, bit 2: the cartridge reading of an IPS), a two-byte length of the first patch,
// then the two patches.
#include "gamedata/patchmerge.h"
#include "image/byteimages.h"

#include <cstddef>
#include <cstdint>
#include <random>

namespace {

void mergeOnce(const QByteArray &pristine, ByteImages &images, const QByteArray &patch, FileKind kind, bool cartridge,
               bool keepCurrent)
{
    PatchMerge::Reading r = PatchMerge::readPatch(patch, kind, pristine);
    if (!r.ok())
        return;
    if (r.both())
        r.preferred = cartridge ? PatchMerge::Base::Cartridge : PatchMerge::Base::Executable;
    const QByteArray &patched = r.image();
    if (patched.size() != TargetSize)
        __builtin_trap();
    const QByteArray before = images.WorkImage;
    const PatchMerge::Merge m = PatchMerge::mergeBytes(pristine, before, patched);
    const PatchMerge::MergeLines lines = PatchMerge::describeMerge(pristine, before, patched, m);
    if (lines.conflictLines > lines.lines.size() || (m.conflicts > 0) != (lines.conflictLines > 0))
        __builtin_trap();
    PatchMerge::applyMerge(images, m, keepCurrent, QStringLiteral("x.ips"), lines.conflictLines);
    const QByteArray &after = images.WorkImage;
    for (qsizetype o = 0; o < TargetSize; ++o) {
        const bool changedByPatch = patched[o] != pristine[o];
        if (after[o] != before[o] && !changedByPatch)
            __builtin_trap(); // written outside the patch's changes
        const bool conflict = changedByPatch && before[o] != pristine[o] && before[o] != patched[o];
        if (changedByPatch && after[o] != (keepCurrent && conflict ? before[o] : patched[o]))
            __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QByteArray pristine = loadBuiltInImage();
    if (size < 4)
        return 0;
    const size_t firstSize = std::min<size_t>(size - 4, size_t(data[2]) << 8 | data[3]);
    const QByteArray first(reinterpret_cast<const char *>(data + 4), qsizetype(firstSize));
    const QByteArray second(reinterpret_cast<const char *>(data + 4 + firstSize), qsizetype(size - 4 - firstSize));

    ByteImages images;
    images.PristineImage = pristine;
    images.load(pristine);
    std::mt19937 random(data[0]);
    for (int i = 0; i < 64; ++i) {
        const qint64 at = CartridgeStart + qint64(random() % (CartridgeEnd - CartridgeStart + 1));
        images.WorkImage[at] = char(random());
    }
    const int kinds = data[1];
    mergeOnce(pristine, images, first, kinds & 1 ? FileKind::Bps : FileKind::Ips, kinds & 4, kinds & 8);
    mergeOnce(pristine, images, second, kinds & 2 ? FileKind::Bps : FileKind::Ips, kinds & 4, kinds & 16);
    return 0;
}
