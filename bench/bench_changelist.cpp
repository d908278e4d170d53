// Writing and reading the change list and the IPS and BPS patches of an image whose whole
// cartridge differs.
#include "fullychanged.h"
#include "image/byteimages.h"
#include "image/mymodule.h"
#include "image/patches.h"

#include <QRandomGenerator>
#include <benchmark/benchmark.h>

namespace {

void BM_BuildChangeList(benchmark::State &state)
{
    const FullyChanged &d = fullyChanged();
    const QDateTime now = QDateTime::currentDateTime();
    for (auto _ : state) {
        QByteArray list = encodeChangeList(d.work, d.pristine, QStringLiteral("全部修改.txt"), now);
        benchmark::DoNotOptimize(list.data());
    }
}
BENCHMARK(BM_BuildChangeList)->Unit(benchmark::kMillisecond);

void BM_ReadChangeList(benchmark::State &state)
{
    const FullyChanged &d = fullyChanged();
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

// state.range(0): 0 for IPS, 1 for BPS.
void BM_WritePatch(benchmark::State &state)
{
    const FullyChanged &d = fullyChanged();
    QByteArray patch;
    for (auto _ : state) {
        patch = state.range(0) ? Patches::encodeBps(d.pristine, d.work) : Patches::encodeIps(d.pristine, d.work);
        benchmark::DoNotOptimize(patch.data());
    }
    state.counters["patch_bytes"] = double(patch.size());
}
BENCHMARK(BM_WritePatch)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The BPS writer on the changes it copies for: state.range(0) picks a 4 KiB block copied from
// elsewhere, an 8 KiB run of one value, every cartridge byte random, or seven scattered bytes.
void BM_WriteBpsCopies(benchmark::State &state)
{
    const QByteArray source = loadBuiltInImage();
    QByteArray target = source;
    QRandomGenerator gen(26);
    switch (state.range(0)) {
    case 0:
        target.replace(0x70000, 4096, source.mid(0x50000, 4096));
        break;
    case 1:
        target.replace(0x60000, 8192, QByteArray(8192, '\x5A'));
        break;
    case 2:
        for (int i = CartridgeStart; i <= CartridgeEnd; ++i)
            target[i] = char(gen.bounded(256));
        break;
    default:
        for (const int o : {5, 9, 100, 0x4D1E0, 0x6E2EC, 0x6E2ED, 0xADFFF})
            target[o] = char(~target[o]);
    }
    QByteArray patch;
    for (auto _ : state) {
        patch = Patches::encodeBps(source, target);
        benchmark::DoNotOptimize(patch.data());
    }
    if (Patches::applyBps(patch, source, TargetSize).value_or(QByteArray()) != target)
        state.SkipWithError("the patch did not reproduce the image");
    state.counters["patch_bytes"] = double(patch.size());
}
BENCHMARK(BM_WriteBpsCopies)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

void BM_ReadPatch(benchmark::State &state)
{
    const FullyChanged &d = fullyChanged();
    const QByteArray patch = state.range(0) ? Patches::encodeBps(d.pristine, d.work) : Patches::encodeIps(d.pristine, d.work);
    for (auto _ : state) {
        const auto out = state.range(0) ? Patches::applyBps(patch, d.pristine, TargetSize)
                                        : Patches::applyIps(patch, d.pristine, TargetSize);
        if (!out || *out != d.work)
            state.SkipWithError("the patch did not reproduce the image");
    }
}
BENCHMARK(BM_ReadPatch)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
