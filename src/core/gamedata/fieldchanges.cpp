#include "gamedata/fieldchanges.h"

#include "battlefield/mapdata.h"
#include "image/builtindata.h"
#include "image/byteimages.h"
#include "image/mymodule.h"

#include <QStringBuilder>

#include <algorithm>
#include <cstring>

using namespace GameData;

namespace {

// Whether the bytes [offset, offset + size) differ, a byte present in only one image included.
bool differs(const QByteArray &a, const QByteArray &b, qint64 offset, qint64 size)
{
    const qint64 common = std::clamp(std::min(a.size(), b.size()) - offset, qint64(0), size);
    if (common < size)
        return true;
    return std::memcmp(a.constData() + offset, b.constData() + offset, size_t(size)) != 0;
}

// The bytes [offset, offset + size) of image that it holds.
QByteArray bytesOf(const QByteArray &image, qint64 offset, qint64 size)
{
    return image.mid(offset, std::clamp(image.size() - offset, qint64(0), size));
}

// Whether stored holds the bytes [offset, offset + size) of image, as bytesOf gave them.
bool same(const QByteArray &stored, const QByteArray &image, qint64 offset, qint64 size)
{
    const qint64 held = std::clamp(image.size() - offset, qint64(0), size);
    return stored.size() == held && std::memcmp(stored.constData(), image.constData() + offset, size_t(held)) == 0;
}

// The bytes a field's line is made from: a map's stream with the header before it (height and
// width at four and three bytes before the stream).
constexpr qint64 MapHeader = 4;
std::pair<qint64, qint64> lineBytes(const Field &field, const Slot &slot)
{
    const qint64 from = field.show == Show::Map ? std::max<qint64>(0, slot.offset - MapHeader) : slot.offset;
    return {from, slot.offset + slot.size - from};
}

} // namespace

QString mapChangeText(const Slot &slot, const QByteArray &before, const QByteArray &after)
{
    const qint64 from = std::max<qint64>(0, slot.offset - MapHeader);
    const DecodedMap a = decodeMap(before.mid(from, slot.offset + slot.size - from), slot.offset - 3 - from);
    const DecodedMap b = decodeMap(after.mid(from, slot.offset + slot.size - from), slot.offset - 3 - from);
    if (a.complete() && b.complete() && a.width == b.width && a.height == b.height) {
        int cells = 0;
        for (qsizetype i = 0; i < a.tiles.size(); ++i)
            cells += a.tiles[i] != b.tiles[i];
        return QStringLiteral("%1 格").arg(cells);
    }
    int bytes = 0;
    for (qint64 o = slot.offset; o < slot.offset + slot.size; ++o)
        bytes += o >= before.size() || o >= after.size() || before[o] != after[o];
    return QStringLiteral("%1 字节").arg(bytes);
}

QString uncoveredGroup()
{
    return QStringLiteral("其它字节");
}

QVector<FieldChange> describeChanges(const Catalogue &catalogue, const QByteArray &before, const QByteArray &after,
                                     DescribeCache *cache)
{
    QVector<FieldChange> changes;
    const quint64 round = cache ? ++cache->m_round : 0;
    if (cache && cache->m_strings != fixedTablesGeneration()) {
        cache->m_lines.clear(); // the code lists or captions name other things now
        cache->m_strings = fixedTablesGeneration();
    }
    const QVector<Table> &tables = catalogue.tables();
    for (int t = 0; t < tables.size(); ++t) {
        const Table &table = tables[t];
        for (int r = 0; r < table.records.size(); ++r) {
            const Record &record = table.records[r];
            QString group; // made once for the record's lines, which share it
            for (int s = 0; s < record.parts.size(); ++s) {
                const Slot &slot = record.parts[s];
                if (!differs(before, after, slot.offset, slot.size))
                    continue;
                const Field &field = table.fields[slot.field];
                const auto [from, length] = lineBytes(field, slot);
                DescribeCache::Line *known = nullptr;
                if (cache) {
                    known = &cache->m_lines[DescribeCache::Key{t, r, s, slot.offset}];
                    if (known->round && known->field == slot.field && known->entry == slot.entry &&
                        known->change.size == slot.size && known->recordName == record.name &&
                        same(known->before, before, from, length) && same(known->after, after, from, length)) {
                        known->round = round;
                        changes.append(known->change);
                        continue;
                    }
                }
                if (group.isEmpty())
                    group = table.name % u' ' % record.name;
                FieldChange c{t, r, s, slot.offset, slot.size, group, QString()};
                if (field.show == Show::Map)
                    c.text = table.slotCaption(slot) % QLatin1String(": ") % mapChangeText(slot, before, after);
                else
                    c.text = table.slotCaption(slot) % QLatin1String(": ") % Catalogue::valueText(field, slot, before)
                        % QLatin1String(" => ") % Catalogue::valueText(field, slot, after);
                changes.append(std::move(c));
                if (known)
                    *known = DescribeCache::Line{bytesOf(before, from, length), bytesOf(after, from, length),
                                                 record.name, slot.field, slot.entry, changes.last(), round};
            }
        }
    }

    // Runs of changed bytes outside every slot: each gap between covered spans is scanned, its
    // equal bytes skipped a block at a time (most of an image is unchanged).
    const qint64 end = std::max(before.size(), after.size());
    const qint64 common = std::min(before.size(), after.size());
    const auto changedAt = [&](qint64 o) { return o >= common || before[o] != after[o]; };
    constexpr qint64 Block = 64;
    const auto scanGap = [&](qint64 o, qint64 to) {
        while (o < to) {
            while (o + Block <= std::min(to, common) && !differs(before, after, o, Block))
                o += Block;
            while (o < to && !changedAt(o))
                ++o;
            if (o >= to)
                return;
            const qint64 runStart = o;
            while (o < to && changedAt(o))
                ++o;
            const QString text = o - runStart == 1
                ? hexAddress(runStart)
                : QStringLiteral("%1–%2: %3 字节").arg(hexAddress(runStart), hexAddress(o - 1)).arg(o - runStart);
            changes.append(FieldChange{-1, -1, -1, runStart, o - runStart, QString(), text});
        }
    };
    qint64 gapStart = 0;
    for (const auto &[first, second] : catalogue.covered()) {
        if (first > gapStart)
            scanGap(gapStart, std::min(first, end));
        gapStart = std::max(gapStart, second);
    }
    scanGap(gapStart, end);
    // Lines of fields no longer changed, or laid out elsewhere, go once they outnumber the rest.
    if (cache && cache->m_lines.size() > 2 * changes.size() + 256)
        cache->m_lines.removeIf([round](const auto &it) { return it.value().round != round; });
    return changes;
}

QString describeByte(const Catalogue &catalogue, const QByteArray &image, qint64 offset)
{
    QString text = hexAddress(offset);
    if (const auto place = catalogue.at(offset)) {
        const Field &field = place->table->fields[place->slot->field];
        text += QStringLiteral("  ") + placeName(*place->table, *place->record, *place->slot);
        if (field.show != Show::Map)
            text += QStringLiteral(" = ") + Catalogue::valueText(field, *place->slot, image);
    }
    return text;
}

QByteArray changeListText(const QVector<FieldChange> &changes)
{
    QByteArray out;
    for (const FieldChange &c : changes)
        out += c.line().toUtf8() + "\r\n";
    return out;
}
