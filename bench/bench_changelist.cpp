// Writing and reading the change list of an image whose whole cartridge differs.
#include "image/byteimages.h"
#include "image/mymodule.h"

#include <benchmark/benchmark.h>

namespace {

struct FullyChanged {
    QByteArray pristine = loadBuiltInImage();
    QByteArray work = pristine;
    FullyChanged()
    {
        for (int i = CartridgeStart; i <= CartridgeEnd; ++i)
            work[i] = char(~pristine[i]);
    }
};

const FullyChanged &data()
{
    static const FullyChanged d;
    return d;
}

void BM_BuildChangeList(benchmark::State &state)
{
    const FullyChanged &d = data();
    const QDateTime now = QDateTime::currentDateTime();
    for (auto _ : state) {
        QByteArray list = encodeChangeList(d.work, d.pristine, QStringLiteral("全部修改.txt"), now);
        benchmark::DoNotOptimize(list.data());
    }
}
BENCHMARK(BM_BuildChangeList)->Unit(benchmark::kMillisecond);

void BM_ReadChangeList(benchmark::State &state)
{
    const FullyChanged &d = data();
    const QByteArray list = encodeChangeList(d.work, d.pristine, QStringLiteral("全部修改.txt"), QDateTime::currentDateTime());
    state.counters["list_bytes"] = double(list.size());
    for (auto _ : state) {
        QByteArray base = loadBuiltInImage();
        const bool ok = applyChangeList(list, base);
        if (!ok || base != d.work)
            state.SkipWithError("the list did not reproduce the image");
        benchmark::DoNotOptimize(base.data());
    }
}
BENCHMARK(BM_ReadChangeList)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
