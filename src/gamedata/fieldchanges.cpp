#include "gamedata/fieldchanges.h"

#include "battlefield/mapdata.h"
#include "image/byteimages.h"
#include "image/mymodule.h"

#include <algorithm>
#include <cstring>

using namespace GameData;

namespace {

QString address(qint64 offset)
{
    return QString::number(offset, 16).toUpper().rightJustified(8, u'0');
}

// Whether the bytes [offset, offset + size) differ, a byte present in only one image included.
bool differs(const QByteArray &a, const QByteArray &b, qint64 offset, qint64 size)
{
    const qint64 common = std::clamp(std::min(a.size(), b.size()) - offset, qint64(0), size);
    if (common < size)
        return true;
    return std::memcmp(a.constData() + offset, b.constData() + offset, size_t(size)) != 0;
}

// A painted map: the cells whose tile differs; the bytes when either stream cannot be read.
QString mapChange(const Slot &slot, const QByteArray &before, const QByteArray &after)
{
    const DecodedMap a = decodeMap(before, slot.offset - 3);
    const DecodedMap b = decodeMap(after, slot.offset - 3);
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

} // namespace

QString uncoveredGroup()
{
    return QStringLiteral("其它字节");
}

QVector<FieldChange> describeChanges(const Catalogue &catalogue, const QByteArray &before, const QByteArray &after)
{
    QVector<FieldChange> changes;
    const QVector<Table> &tables = catalogue.tables();
    for (int t = 0; t < tables.size(); ++t) {
        const Table &table = tables[t];
        for (int r = 0; r < table.records.size(); ++r) {
            const Record &record = table.records[r];
            for (int s = 0; s < record.parts.size(); ++s) {
                const Slot &slot = record.parts[s];
                if (!differs(before, after, slot.offset, slot.size))
                    continue;
                const Field &field = table.fields[slot.field];
                FieldChange c{t, r, s, slot.offset, slot.size, table.name + u' ' + record.name, table.slotCaption(slot)};
                if (field.show == Show::Map)
                    c.text += QStringLiteral(": ") + mapChange(slot, before, after);
                else
                    c.text += QStringLiteral(": ") + Catalogue::valueText(field, slot, before) + QStringLiteral(" => ")
                        + Catalogue::valueText(field, slot, after);
                changes.append(c);
            }
        }
    }

    // Runs of changed bytes outside every slot.
    const qint64 end = std::max(before.size(), after.size());
    qint64 runStart = -1;
    const auto close = [&](qint64 runEnd) {
        if (runStart < 0)
            return;
        const qint64 size = runEnd - runStart;
        changes.append(FieldChange{-1, -1, -1, runStart, size, QString(),
                                   QStringLiteral("%1–%2: %3 字节").arg(address(runStart), address(runEnd - 1)).arg(size)});
        runStart = -1;
    };
    constexpr qint64 Block = 64;
    const QVector<std::pair<qint64, qint64>> &covered = catalogue.covered();
    auto span = covered.cbegin(); // the first covered span that ends after o
    for (qint64 o = 0; o < end;) {
        // Equal blocks are skipped whole: most of an image is unchanged.
        if (runStart < 0 && o + Block <= end && !differs(before, after, o, Block)) {
            o += Block;
            continue;
        }
        while (span != covered.cend() && span->second <= o)
            ++span;
        const bool inField = span != covered.cend() && span->first <= o;
        const bool changed = o >= before.size() || o >= after.size() || before[o] != after[o];
        if (changed && !inField) {
            if (runStart < 0)
                runStart = o;
        } else {
            close(o);
        }
        ++o;
    }
    close(end);
    return changes;
}

QString describeByte(const Catalogue &catalogue, const QByteArray &image, qint64 offset)
{
    QString text = address(offset);
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
