// The main window: its start-up sequence, and an undo or redo with the refresh of every view.
#include "app/frmveskedit.h"
#include "editorfolder.h"
#include "gamedata/descriptions.h"
#include "hexview/hexpage.h"
#include "tables/usertablepage.h"
#include "scripteddialogs.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTabWidget>
#include "benchmain.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

struct Window {
    ByteImages images;
    ScriptedDialogs dialogs;
    EditorFolder folder;
    std::unique_ptr<frmVeskEdit> window;

    Window()
    {
        images.OpenedImage = loadBuiltInImage();
        images.load(images.OpenedImage);
        window = std::make_unique<frmVeskEdit>(images, dialogs, folder.path());
        window->show();
        QApplication::processEvents();
    }
};

void BM_StartUpSequence(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        Window w;
        state.ResumeTiming();
        w.window->timerInit_Timer();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_StartUpSequence)->Unit(benchmark::kMillisecond)->Iterations(10);

// One byte written through the hex grid, then undone and redone in turn, each with the refresh.
void BM_UndoWithRefresh(benchmark::State &state)
{
    Window w;
    w.window->timerInit_Timer();
    w.window->stabAll->setCurrentIndex(state.range(0));
    w.window->hexPage->GotoAddress("6E2EC", true);
    w.images.write(0x6E2EC, 0x63);
    bool undo = true;
    for (auto _ : state) {
        (undo ? w.window->menuUndo : w.window->menuRedo)->trigger();
        QApplication::processEvents();
        undo = !undo;
    }
}
BENCHMARK(BM_UndoWithRefresh)->DenseRange(0, 8)->Unit(benchmark::kMillisecond);

// The main window resized between its default size and 1920 x 1080, laid out and painted, on the
// battlefield page (whose viewport grows) or the hex grid.
void BM_WindowResize(benchmark::State &state)
{
    Window w;
    w.window->timerInit_Timer();
    w.window->stabAll->setCurrentIndex(int(state.range(0)));
    QApplication::processEvents();
    bool large = true;
    for (auto _ : state) {
        w.window->resize(large ? QSize(1920, 1080) : frmVeskEdit::DefaultSize);
        QApplication::processEvents();
        w.window->repaint();
        large = !large;
    }
}
BENCHMARK(BM_WindowResize)->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond);

// Ten thousand one-byte steps: what they cost to record and to keep.
void BM_History10000Steps(benchmark::State &state)
{
    ByteImages images;
    images.load(QByteArray(TargetSize, '\0'));
    int round = 0;
    for (auto _ : state) {
        images.history.clear();
        ++round;
        for (int i = 0; i < 10000; ++i) {
            const EditStep step(images, QStringLiteral("等  级"), EditHistory::Base::Decimal);
            images.write(CartridgeStart + i, (i + round) % 250 + 1); // a new value every round
        }
    }
    state.counters["steps"] = images.history.steps();
    state.counters["bytes"] = double(images.history.memoryUse());
}
BENCHMARK(BM_History10000Steps)->Unit(benchmark::kMillisecond);

// One-byte steps with the history full: each drops the oldest.
void BM_EditAtStepLimit(benchmark::State &state)
{
    ByteImages images;
    images.load(QByteArray(TargetSize, '\0'));
    for (int i = 0; i < EditHistory::MaxSteps; ++i)
        images.write(CartridgeStart + i % 0x10000, i % 250 + 1);
    int i = 0;
    for (auto _ : state) {
        images.write(CartridgeStart + i % 0x10000, i % 250 + 1);
        ++i;
    }
    state.counters["steps"] = images.history.steps();
}
BENCHMARK(BM_EditAtStepLimit)->Unit(benchmark::kMicrosecond);

// "更多表格" filled with a described table of 1,000 records of eight fields of every kind.
void BM_FillUserTable(benchmark::State &state)
{
    const QByteArray json = R"({"tables": [{"name": "大表", "key": "big", "base": "0x1000", "stride": 8, "count": 1000,
        "fields": [{"caption": "a", "offset": 0, "size": 2}, {"caption": "b", "offset": 2, "show": "signed"},
                   {"caption": "c", "offset": 3, "show": "hex"}, {"caption": "d", "offset": 4, "show": "flags", "flags": ["x", "y"]},
                   {"caption": "e", "offset": 5, "show": "code", "codes": {"strings": 10006}},
                   {"caption": "f", "offset": 6}, {"caption": "g", "offset": 7, "range": [0, 99]}]}]})";
    const GameData::Description d = GameData::readDescription(json, QStringLiteral("big.json"));
    GameData::useUserTables(d.tables);
    Window w;
    w.window->timerInit_Timer();
    w.window->stabAll->setCurrentWidget(w.window->userTablePage);
    QApplication::processEvents();
    for (auto _ : state)
        w.window->userTablePage->fillGrid(true);
    state.counters["cells"] = double(d.tables.value(0).records.size() * d.tables.value(0).fields.size());
    GameData::useUserTables({});
}
BENCHMARK(BM_FillUserTable)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
