#pragma once

#include <QByteArray>

#include <optional>

// The two patch formats players share: IPS (records of offset, length and bytes, no checksum)
// and BPS (variable-length numbers, four copy actions, CRC-32 of source, target and patch).
// Pure functions over byte arrays; a reader returns nothing for any malformed patch.
namespace Patches {

// CRC-32 (the one of zip and PNG).
quint32 crc32(const QByteArray &data);

// A patch that turns source into target; empty when they are equal. The BPS one also finds bytes
// copied from elsewhere in the source or repeated in the target (a run of one value).
QByteArray encodeIps(const QByteArray &source, const QByteArray &target);
QByteArray encodeBps(const QByteArray &source, const QByteArray &target);

// The result of applying a patch to source, or nothing for a malformed, truncated or (BPS)
// wrongly checksummed patch, or one whose result would be longer than maxSize.
std::optional<QByteArray> applyIps(const QByteArray &patch, const QByteArray &source, qsizetype maxSize);
std::optional<QByteArray> applyBps(const QByteArray &patch, const QByteArray &source, qsizetype maxSize);

// True for an undamaged BPS patch (its own checksum right) whose source size or source checksum
// is not that of source: a patch made for another file.
bool bpsForOtherSource(const QByteArray &patch, const QByteArray &source);

} // namespace Patches
