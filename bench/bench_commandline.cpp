// The command line as a script runs it: the whole program started to apply a patch of a fully
// changed cartridge, and to list its changes by field.
#include "fullychanged.h"
#include "image/fileio.h"
#include "image/patches.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// state.range(0): 0 IPS, 1 BPS.
void BM_ApplyAsAProcess(benchmark::State &state)
{
    const FullyChanged &d = fullyChanged();
    QTemporaryDir dir;
    const QString patch = dir.filePath(state.range(0) ? "full.bps" : "full.ips");
    const QString out = dir.filePath("out.exe");
    if (!writeWholeFile(patch, state.range(0) ? Patches::encodeBps(d.pristine, d.work) : Patches::encodeIps(d.pristine, d.work)))
        state.SkipWithError("cannot write the patch");
    for (auto _ : state) {
        QProcess p;
        p.start(QStringLiteral(VESKEDIT_PROGRAM_DIR "/veskedit"), {"apply", patch, "-o", out});
        if (!p.waitForFinished(10000) || p.exitCode() != 0)
            state.SkipWithError("veskedit apply failed");
    }
    QByteArray written;
    if (!readWholeFile(out, written) || written != d.work)
        state.SkipWithError("the result is not the changed image");
}
BENCHMARK(BM_ApplyAsAProcess)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ChangesAsAProcess(benchmark::State &state)
{
    const FullyChanged &d = fullyChanged();
    QTemporaryDir dir;
    const QString exe = dir.filePath("full.exe");
    writeWholeFile(exe, d.work);
    for (auto _ : state) {
        QProcess p;
        p.start(QStringLiteral(VESKEDIT_PROGRAM_DIR "/veskedit"), {"changes", exe});
        if (!p.waitForFinished(10000) || p.exitCode() != 0)
            state.SkipWithError("veskedit changes failed");
        benchmark::DoNotOptimize(p.readAllStandardOutput().size());
    }
}
BENCHMARK(BM_ChangesAsAProcess)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
