// Test play: F5, from the key to the emulator started, with the files it writes. The emulator is
// /bin/true, so the figures are the editor's alone.
#include "mainwindowfixture.h"

#include <QStatusBar>
#include <QTest>
#include "benchmain.h"

#include <benchmark/benchmark.h>

namespace {

// Arg 0: the cartridge (%f) or the whole image too (%e). Arg 1: 0 times the editor's part, from
// the key until it takes the next event; 1 times until the emulator was started (the files
// written and the process begun on a thread of their own).
void BM_TestPlay(benchmark::State &state)
{
    MainWindowFixture f;
    if (!f.start())
        return state.SkipWithError("no active window");
    f.images.write(CartridgeStart, 'N'); // a header emulators read, so no question is asked
    f.images.write(CartridgeStart + 1, 'E');
    f.images.write(CartridgeStart + 2, 'S');
    f.images.write(CartridgeStart + 3, 0x1A);
    f.window->testPlay().setCommand(state.range(0) == 0 ? "/bin/true %f" : "/bin/true %f %e");
    const bool untilStarted = state.range(1) == 1;
    QStatusBar *status = f.window->statusBar();
    for (auto _ : state) {
        status->clearMessage();
        QTest::keyClick(f.window.get(), Qt::Key_F5);
        if (!untilStarted)
            state.PauseTiming();
        if (!QTest::qWaitFor([status] { return !status->currentMessage().isEmpty(); }, 10000))
            return state.SkipWithError("not started");
        if (!untilStarted)
            state.ResumeTiming();
    }
}
BENCHMARK(BM_TestPlay)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
