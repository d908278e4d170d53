// Any bytes as a table file. Rows read without a fault are written and read back the same, and
// an import either lists its problems and writes nothing, or writes bytes of the image that
// differ. The first byte picks the table.
#include "gamedata/gamedata.h"
#include "gamedata/tablefiles.h"
#include "image/byteimages.h"

#include <cstddef>
#include <cstdint>

using namespace TableFiles;

namespace {

QVector<QStringList> cellsOf(const Csv &csv)
{
    QVector<QStringList> rows;
    for (const CsvRow &r : csv.rows)
        rows.append(r.cells);
    return rows;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QByteArray pristine = loadBuiltInImage();
    static const GameData::Catalogue catalogue(pristine, pristine);
    static const QStringList names = [] {
        QStringList files;
        for (const GameData::Table &t : catalogue.tables())
            if (hasFile(t.id))
                files.append(fileName(t));
        return files;
    }();

    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = decodeText(bytes);
    const Csv csv = readCsv(text, separatorOf(text));
    int line = 0;
    for (const CsvRow &r : csv.rows) {
        if (r.line <= line || r.cells.isEmpty())
            __builtin_trap();
        line = r.line;
    }
    if (csv.errors.isEmpty() && cellsOf(readCsv(decodeText(writeCsv(cellsOf(csv))))) != cellsOf(csv))
        __builtin_trap();

    const QString name = names[size ? data[0] % names.size() : 0];
    const Import import = planImport(catalogue, pristine, {File{name, bytes}});
    if (!import.ok() && !import.writes.isEmpty())
        __builtin_trap();
    for (const Write &w : import.writes)
        if (w.offset < 0 || w.offset >= pristine.size() || w.value < 0 || w.value > 255 ||
            byteAt(pristine, w.offset) == w.value)
            __builtin_trap();
    return 0;
}
