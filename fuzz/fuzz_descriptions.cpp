// Any bytes as a table description. A file with a fault has no table; the tables of a good one
// lie inside the image, write and read back the same, and laid out over the built-in image with
// some bytes changed they name their values: each field's text parses back to its value, and
// the change list by field names every changed record.
#include "gamedata/descriptions.h"
#include "gamedata/fieldchanges.h"
#include "gamedata/gamedata.h"
#include "image/byteimages.h"

#include <cstddef>
#include <cstdint>

using namespace GameData;

namespace {

bool sameField(const Field &a, const Field &b)
{
    return a.caption == b.caption && a.show == b.show && a.base == b.base && a.stride == b.stride && a.size == b.size
        && a.codes == b.codes && a.codeMask == b.codeMask && a.flags == b.flags && a.minimum == b.minimum
        && a.maximum == b.maximum;
}

bool sameTable(const Table &a, const Table &b)
{
    if (a.name != b.name || a.key != b.key || a.base != b.base || a.stride != b.stride
        || a.fields.size() != b.fields.size() || a.records.size() != b.records.size())
        return false;
    for (int f = 0; f < a.fields.size(); ++f)
        if (!sameField(a.fields[f], b.fields[f]))
            return false;
    for (int r = 0; r < a.records.size(); ++r)
        if (a.records[r].name != b.records[r].name)
            return false;
    return true;
}

// Whether every field lies inside its record, as the file writer writes fields.
bool inRecords(const Table &t)
{
    return std::all_of(t.fields.cbegin(), t.fields.cend(), [&](const Field &f) {
        return f.stride == t.stride && f.base >= t.base && f.base + f.size <= t.base + t.stride;
    });
}

// A value's text parses back to it when the field takes it, and what parses fits the field.
void checkValue(const Field &f, qint64 value)
{
    const qint64 top = f.size == 2 ? 0xFFFF : 0xFF;
    const QString text = f.valueText(value);
    const Field::Parsed p = f.parse(text, value);
    if (p.reason.isEmpty() && (p.value < 0 || p.value > top))
        __builtin_trap();
    const bool plain = f.show == Show::Decimal || f.show == Show::Signed || f.show == Show::Hex;
    if (plain) {
        const qint64 shown = text.toLongLong(nullptr, f.show == Show::Hex ? 16 : 10);
        const bool fits = !f.hasRange() || (shown >= f.minimum && shown <= f.maximum);
        if (fits != p.reason.isEmpty() || (fits && p.value != value))
            __builtin_trap();
    }
    if (f.show == Show::Code && !text.endsWith(u'?') && text == text.trimmed() && p.value != value)
        __builtin_trap();
    f.accepts();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QByteArray pristine = loadBuiltInImage();
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const Description d = readDescription(bytes, QStringLiteral("fuzz.json"), pristine.size());
    for (const DescriptionError &e : d.errors)
        if (e.reason.isEmpty() || e.text().isEmpty())
            __builtin_trap();
    if (!d.ok()) {
        if (!d.tables.isEmpty())
            __builtin_trap();
        return 0;
    }
    if (d.tables.isEmpty())
        __builtin_trap();

    // Inside the image; written and read back alike.
    quint32 seed = 2166136261u;
    for (size_t i = 0; i < size; ++i)
        seed = (seed ^ data[i]) * 16777619u;
    QByteArray image = pristine;
    for (const Table &t : d.tables) {
        if (t.records.isEmpty() || t.fields.isEmpty())
            __builtin_trap();
        for (const Record &r : t.records) {
            if (r.parts.size() != t.fields.size())
                __builtin_trap();
            for (const Slot &s : r.parts) {
                if (s.offset < 0 || s.offset + s.size > pristine.size() || s.size != t.fields[s.field].size)
                    __builtin_trap();
                seed = seed * 1103515245u + 12345u;
                if (seed >> 30 == 0) // one slot in four changed
                    image[s.offset] = char(image[s.offset] ^ (seed >> 8 | 1));
            }
        }
        if (inRecords(t)) {
            const Description again = readDescription(writeDescription(t), QStringLiteral("again.json"), pristine.size());
            if (!again.ok() || again.tables.size() != 1 || !sameTable(again.tables[0], t))
                __builtin_trap();
        }
    }

    // Laid out after the built-in tables, as users' tables are.
    useUserTables(d.tables);
    const Catalogue catalogue(image, pristine);
    if (catalogue.tables().size() != TableCount + d.tables.size())
        __builtin_trap();
    for (int t = TableCount; t < catalogue.tables().size(); ++t) {
        const Table &table = catalogue.tables()[t];
        for (const Record &r : table.records)
            for (const Slot &s : r.parts) {
                if (!catalogue.at(s.offset))
                    __builtin_trap();
                const Field &f = table.fields[s.field];
                Catalogue::valueText(f, s, image);
                checkValue(f, f.read(image, s.offset));
            }
    }
    for (const Field &f : d.tables[0].fields)
        for (qint64 v : {qint64(0), qint64(1), qint64(0x7F), qint64(0x80), qint64(0xFF), qint64(0x8000), qint64(0xFFFF)})
            if (v <= (f.size == 2 ? 0xFFFF : 0xFF))
                checkValue(f, v);
    const QVector<FieldChange> changes = describeChanges(catalogue, pristine, image);
    for (const FieldChange &c : changes)
        if (c.text.isEmpty() || (c.table >= 0 && c.table >= catalogue.tables().size()))
            __builtin_trap();
    changeListText(changes);
    useUserTables({});
    return 0;
}
