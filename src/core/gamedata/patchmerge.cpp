#include "gamedata/patchmerge.h"

#include "image/dialogs.h"
#include "image/fileio.h"
#include "image/mymodule.h"
#include "image/patches.h"

#include <QDir>

namespace PatchMerge {

namespace {

// The source size a BPS header names, or -1 when it names none.
qint64 bpsSourceSize(const QByteArray &patch)
{
    if (!patch.startsWith("BPS1"))
        return -1;
    quint64 data = 0;
    quint64 shift = 1;
    for (qsizetype i = 4; i < std::min<qsizetype>(patch.size(), 14); ++i) {
        const quint64 x = quint8(patch[i]);
        data += (x & 0x7F) * shift;
        if (x & 0x80)
            return qint64(data);
        shift <<= 7;
        data += shift;
    }
    return -1;
}

std::optional<QByteArray> wholeExecutable(std::optional<QByteArray> result)
{
    return result && result->size() == TargetSize ? result : std::nullopt;
}

std::optional<QByteArray> cartridgeInPlace(const std::optional<QByteArray> &result, const QByteArray &pristine)
{
    if (!result || result->size() != CartridgeSize)
        return std::nullopt;
    return withCartridge(pristine, *result);
}

// Up to eight bytes of a range as hexadecimal pairs.
QString bytesText(const QByteArray &image, qint64 from, qint64 to)
{
    constexpr qint64 Shown = 8;
    QStringList parts;
    for (qint64 o = from; o < std::min(to, from + Shown); ++o)
        parts.append(hexByte(byteAt(image, o)));
    if (to - from > Shown)
        parts.append(QStringLiteral("…"));
    return parts.join(u' ');
}

QString bothValues(const QString &current, const QString &patch)
{
    return QStringLiteral("当前 %1，补丁 %2").arg(current, patch);
}

} // namespace

QByteArray withCartridge(QByteArray image, const QByteArray &cartridge)
{
    image.replace(CartridgeStart, CartridgeSize, cartridge);
    return image;
}

qint64 describedChanges(const QByteArray &pristine, const QByteArray &image)
{
    const GameData::Catalogue catalogue(image, pristine);
    const qint64 size = std::min(pristine.size(), image.size());
    qint64 count = 0;
    for (const auto &[from, to] : catalogue.covered())
        for (qint64 o = from; o < std::min(to, size); ++o)
            count += pristine[o] != image[o];
    return count;
}

Reading readPatch(const QByteArray &bytes, FileKind kind, const QByteArray &pristine, std::optional<Base> only)
{
    Reading r;
    if (pristine.size() != TargetSize) {
        r.fault = Fault::Damaged;
        return r;
    }
    switch (kind) {
    case FileKind::ChangeList: {
        QByteArray out = pristine;
        if (only == Base::Cartridge || !applyChangeList(bytes, out))
            r.fault = Fault::BadList;
        else
            r.executable = std::move(out);
        return r;
    }
    case FileKind::Bps: {
        const bool cartridge = bpsSourceSize(bytes) == CartridgeSize;
        const QByteArray source = cartridge ? cartridgeOf(pristine) : pristine;
        const std::optional<QByteArray> out =
            Patches::applyBps(bytes, source, cartridge ? CartridgeSize : qsizetype(TargetSize));
        if (cartridge) {
            r.cartridge = cartridgeInPlace(out, pristine);
            r.preferred = Base::Cartridge;
        } else {
            r.executable = wholeExecutable(out);
        }
        if (!r.cartridge && !r.executable)
            r.fault = Patches::bpsForOtherSource(bytes, source) ? Fault::OtherBase : Fault::Damaged;
        else if (only && *only != r.preferred)
            r.fault = Fault::OtherBase;
        return r;
    }
    case FileKind::Ips:
        // A record reaching past the cartridge's last byte, or a length after the end marker
        // that is not the cartridge's, fails this reading.
        r.executable = wholeExecutable(Patches::applyIps(bytes, pristine, TargetSize));
        r.cartridge = cartridgeInPlace(Patches::applyIps(bytes, cartridgeOf(pristine), CartridgeSize), pristine);
        if (!r.executable && !r.cartridge) {
            r.fault = Fault::Damaged;
            return r;
        }
        if (only == Base::Cartridge)
            r.executable.reset();
        else if (only == Base::Executable)
            r.cartridge.reset();
        if (!r.executable && !r.cartridge)
            r.fault = Fault::OtherBase;
        else if (!r.executable || (r.cartridge && *r.executable == pristine && *r.cartridge != pristine))
            r.preferred = Base::Cartridge; // the only reading, or the only one that changes anything
        else if (r.cartridge && describedChanges(pristine, *r.cartridge) > describedChanges(pristine, *r.executable))
            r.preferred = Base::Cartridge;
        return r;
    default:
        r.fault = Fault::Damaged;
        return r;
    }
}

std::optional<Reading> readPatchFile(const QString &path, FileKind kind, const QByteArray &pristine, Dialogs &dialogs,
                                     std::optional<Base> only, const QString &baseName)
{
    if (kind == FileKind::Cartridge) {
        // A whole cartridge: every byte of it that differs from the built-in one is a change.
        std::optional<QByteArray> image = applyPatchFile(path, kind, pristine, dialogs);
        if (!image)
            return std::nullopt;
        Reading r;
        r.cartridge = std::move(image);
        r.preferred = Base::Cartridge;
        return r;
    }
    QByteArray bytes;
    Reading r;
    if (readWholeFile(path, bytes))
        r = readPatch(bytes, kind, pristine, only);
    else
        r.fault = kind == FileKind::ChangeList ? Fault::BadList : Fault::Damaged;
    switch (r.fault) {
    case Fault::None:
        return r;
    case Fault::BadList:
        dialogs.message(Dialogs::Icon::Error, QStringLiteral("错误"), QStringLiteral("数据有误，无法读取！"));
        break;
    case Fault::OtherBase:
        dialogs.message(Dialogs::Icon::Error, QStringLiteral("文件错误"),
                        QStringLiteral("补丁与%1不符，无法使用！")
                            .arg(baseName.isEmpty() ? QStringLiteral("自带文件")
                                                    : u' ' + QDir::toNativeSeparators(baseName) + u' '));
        break;
    case Fault::Damaged:
        dialogs.message(Dialogs::Icon::Error, QStringLiteral("错误"), QStringLiteral("补丁有误，无法读取！"));
        break;
    }
    return std::nullopt;
}

Merge mergeBytes(const QByteArray &pristine, const QByteArray &work, const QByteArray &patched)
{
    Merge m;
    const qsizetype size = std::min({pristine.size(), work.size(), patched.size()});
    const char *b = pristine.constData();
    const char *w = work.constData();
    const char *p = patched.constData();
    for (qsizetype o = 0; o < size; ++o) {
        if (p[o] == b[o])
            continue; // not changed by the patch, or written back with the base's value
        m.changes = true;
        if (w[o] == p[o])
            continue;
        const bool conflict = w[o] != b[o];
        m.conflicts += conflict;
        m.bytes.push_back({quint32(o), quint8(p[o]), conflict});
    }
    return m;
}

MergeLines describeMerge(const QByteArray &pristine, const QByteArray &work, const QByteArray &patched,
                         const Merge &merge)
{
    std::vector<bool> conflict(size_t(patched.size()), false);
    for (const Merge::Byte &b : merge.bytes)
        conflict[b.offset] = b.conflict;
    const auto anyConflict = [&](qint64 from, qint64 to) {
        for (qint64 o = std::max<qint64>(from, 0); o < std::min<qint64>(to, patched.size()); ++o)
            if (conflict[size_t(o)])
                return true;
        return false;
    };

    const GameData::Catalogue catalogue(patched, pristine);
    MergeLines out;
    QVector<FieldChange> rest;
    for (FieldChange c : describeChanges(catalogue, pristine, patched)) {
        if (c.table >= 0) {
            if (!anyConflict(c.offset, c.offset + c.size)) {
                rest.append(c);
                continue;
            }
            const GameData::Table &table = catalogue.tables()[c.table];
            const GameData::Slot &slot = table.records[c.record].parts[c.slot];
            const GameData::Field &field = table.fields[slot.field];
            const bool map = field.show == GameData::Show::Map;
            c.text = table.slotCaption(slot) + QStringLiteral(": ")
                + bothValues(map ? mapChangeText(slot, pristine, work) : GameData::Catalogue::valueText(field, slot, work),
                             map ? mapChangeText(slot, pristine, patched)
                                 : GameData::Catalogue::valueText(field, slot, patched));
            out.lines.append(c);
            continue;
        }
        // A range no field names: split where conflicts begin and end.
        const qint64 end = c.offset + c.size;
        for (qint64 from = c.offset; from < end;) {
            const bool inConflict = conflict[size_t(from)];
            qint64 to = from + 1;
            while (to < end && conflict[size_t(to)] == inConflict)
                ++to;
            FieldChange part = c;
            part.offset = from;
            part.size = to - from;
            const QString range = hexAddress(from) + u'–' + hexAddress(to - 1) + QStringLiteral(": ");
            if (inConflict) {
                part.text = range + bothValues(bytesText(work, from, to), bytesText(patched, from, to));
                out.lines.append(part);
            } else {
                part.text = range + QStringLiteral("%1 字节").arg(to - from);
                rest.append(part);
            }
            from = to;
        }
    }
    out.conflictLines = int(out.lines.size());
    out.lines += rest;
    return out;
}

int applyMerge(ByteImages &images, const Merge &merge, bool keepCurrent, const QString &name, int conflictLines)
{
    const int count = int(merge.bytes.size()) - (keepCurrent ? merge.conflicts : 0);
    if (count == 0)
        return 0;
    const QString label = QStringLiteral("应用补丁 %1（%2 字节，%3 处冲突）").arg(name).arg(count).arg(conflictLines);
    EditStep step(images, label);
    images.history.setLabel(label);
    images.history.reserve(size_t(count));
    for (const Merge::Byte &b : merge.bytes)
        if (!(keepCurrent && b.conflict))
            images.write(b.offset, b.value);
    return count;
}

QByteArray encodeCartridgePatch(FileKind kind, const QByteArray &pristine, const QByteArray &work)
{
    const QByteArray source = cartridgeOf(pristine);
    const QByteArray target = cartridgeOf(work);
    return kind == FileKind::Bps ? Patches::encodeBps(source, target) : Patches::encodeIps(source, target);
}

} // namespace PatchMerge
