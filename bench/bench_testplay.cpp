// Test play: F5, from the key to the emulator started, with the files it writes. The emulator is
// /bin/true, so the figures are the editor's alone.
#include "app/frmveskedit.h"
#include "editorfolder.h"
#include "scripteddialogs.h"

#include <QAction>
#include <QApplication>
#include <QStatusBar>
#include <QTest>
#include "benchmain.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// The main window over the built-in image with a header emulators read (so no question is asked).
struct PlayWindow {
    ByteImages images;
    ScriptedDialogs dialogs;
    EditorFolder folder;
    std::unique_ptr<frmVeskEdit> window;

    bool start(bool wholeImage)
    {
        images.OpenedImage = loadBuiltInImage();
        images.load(images.OpenedImage);
        images.WorkImage.replace(CartridgeStart, 4, "NES\x1A");
        window = std::make_unique<frmVeskEdit>(images, dialogs, folder.path());
        window->show();
        QApplication::setActiveWindow(window.get());
        if (!QTest::qWaitForWindowActive(window.get()))
            return false;
        window->timerInit_Timer();
        window->testPlay().setCommand(wholeImage ? "/bin/true %f %e" : "/bin/true %f");
        return true;
    }
    // F5; with started, until the status bar says the emulator was started.
    bool play(benchmark::State &state, bool started)
    {
        window->statusBar()->clearMessage();
        QTest::keyClick(window.get(), Qt::Key_F5);
        if (!started)
            state.PauseTiming(); // the rest runs on its own thread
        const bool done = QTest::qWaitFor([this] { return !window->statusBar()->currentMessage().isEmpty(); }, 10000);
        if (!started)
            state.ResumeTiming();
        return done;
    }
};

// The editor's time: from the key until it takes the next event. Arg 0: the cartridge (%f);
// 1: the whole image too (%e).
void BM_TestPlayKey(benchmark::State &state)
{
    PlayWindow w;
    if (!w.start(state.range(0) == 1))
        return state.SkipWithError("no active window");
    for (auto _ : state)
        if (!w.play(state, false))
            return state.SkipWithError("not started");
}
BENCHMARK(BM_TestPlayKey)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// From the key until the emulator was started: the files written and the process begun.
void BM_TestPlayStarted(benchmark::State &state)
{
    PlayWindow w;
    if (!w.start(state.range(0) == 1))
        return state.SkipWithError("no active window");
    for (auto _ : state)
        if (!w.play(state, true))
            return state.SkipWithError("not started");
}
BENCHMARK(BM_TestPlayStarted)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
