// Reading the armies, and decoding and painting battlefield maps.
#include "battlefield/armys.h"
#include "battlefield/fieldedit.h"
#include "battlefield/fieldinfo.h"

#include <benchmark/benchmark.h>

namespace {

ByteImages &images()
{
    static ByteImages i = [] {
        ByteImages b;
        b.WorkImage = loadBuiltInImage();
        b.OpenedImage = b.WorkImage;
        return b;
    }();
    return i;
}

// The war fought on the largest map (30 rows by 32 columns).
int largestWar(FieldEdit &fields)
{
    FieldInfo w(images());
    int best = 1;
    int cells = 0;
    for (int id = 1; id <= w.AllWarName().size(); ++id)
        if (w.SetWarField(id, fields) && w.Width * w.Height > cells) {
            cells = w.Width * w.Height;
            best = id;
        }
    return best;
}

void BM_CreateArmys(benchmark::State &state)
{
    for (auto _ : state) {
        Armys armys(images());
        benchmark::DoNotOptimize(armys.Count());
    }
}
BENCHMARK(BM_CreateArmys)->Unit(benchmark::kMicrosecond);

// state.range(0): 1 keeps the tile bitmaps loaded between refreshes, 0 reloads them.
void BM_SetWarFieldLargest(benchmark::State &state)
{
    FieldEdit fields(images(), VESKEDIT_PROGRAM_DIR);
    FieldInfo war(images());
    const int id = largestWar(fields);
    QImage picture;
    for (auto _ : state) {
        if (state.range(0) == 0)
            fields.clearTiles();
        war.SetWarField(id, fields, &picture);
        benchmark::DoNotOptimize(picture.bits());
    }
    state.counters["cells"] = war.Width * war.Height;
}
BENCHMARK(BM_SetWarFieldLargest)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_EveryWar(benchmark::State &state)
{
    FieldEdit fields(images(), VESKEDIT_PROGRAM_DIR);
    FieldInfo war(images());
    QImage picture;
    for (auto _ : state)
        for (int id = 1; id <= war.AllWarName().size(); ++id)
            war.SetWarField(id, fields, &picture);
}
BENCHMARK(BM_EveryWar)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
