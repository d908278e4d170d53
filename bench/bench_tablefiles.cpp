// The table files: every table exported, in memory and into a folder, and every file imported
// back, unchanged and with the values of each fixed table moved on by one record.
#include "fullychanged.h"
#include "gamedata/gamedata.h"
#include "gamedata/tablefiles.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace GameData;

namespace {

// The built-in image with each record of the fixed tables holding the values of the next one.
QByteArray movedOn(const QByteArray &pristine)
{
    QByteArray image = pristine;
    for (int t = Characters; t <= EnemyTypes; ++t) {
        const Table &table = fixedTable(TableId(t));
        const int n = int(table.records.size());
        for (const Field &f : table.fields)
            for (int r = 0; r < n; ++r)
                image[f.offset(r)] = pristine[f.offset((r + 1) % n)];
    }
    return image;
}

// state.range(0): 0 in memory, 1 written into a folder.
void BM_ExportTables(benchmark::State &state)
{
    const QByteArray &pristine = fullyChanged().pristine;
    QTemporaryDir dir;
    qint64 bytes = 0;
    for (auto _ : state) {
        const Catalogue catalogue(pristine, pristine);
        if (state.range(0)) {
            if (!TableFiles::writeTables(dir.path(), catalogue, pristine).isEmpty())
                state.SkipWithError("the files could not be written");
        } else {
            const QVector<TableFiles::File> files = TableFiles::exportTables(catalogue, pristine);
            bytes = 0;
            for (const TableFiles::File &f : files)
                bytes += f.bytes.size();
            benchmark::DoNotOptimize(bytes);
        }
    }
    if (bytes)
        state.counters["file_bytes"] = double(bytes);
}
BENCHMARK(BM_ExportTables)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// state.range(0): 0 the files as exported, 1 every fixed table's values moved on.
void BM_ImportTables(benchmark::State &state)
{
    const QByteArray &pristine = fullyChanged().pristine;
    const QByteArray source = state.range(0) ? movedOn(pristine) : pristine;
    const QVector<TableFiles::File> files = TableFiles::exportTables(Catalogue(source, pristine), source);
    ByteImages images;
    qsizetype written = 0;
    for (auto _ : state) {
        state.PauseTiming();
        images.load(pristine);
        state.ResumeTiming();
        const Catalogue catalogue(images.WorkImage, pristine);
        const TableFiles::Import import = TableFiles::importTables(images, catalogue, files);
        if (!import.ok() || images.WorkImage != source)
            state.SkipWithError("the import did not give the exported image");
        written = import.writes.size();
    }
    state.counters["bytes_written"] = double(written);
}
BENCHMARK(BM_ImportTables)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
