// The change list by field: laid out and described for a fully changed cartridge, and the
// window following one edit.
#include "app/frmchanges.h"
#include "gamedata/fieldchanges.h"
#include "gamedata/gamedata.h"
#include "fullychanged.h"
#include "image/byteimages.h"
#include "scripteddialogs.h"

#include "benchmain.h"

#include <QTreeWidget>

#include <memory>

namespace {

void BM_CatalogueLayOut(benchmark::State &state)
{
    const FullyChanged &d = fullyChanged();
    for (auto _ : state) {
        const GameData::Catalogue catalogue(d.pristine, d.pristine);
        benchmark::DoNotOptimize(catalogue.tables().size());
    }
}
BENCHMARK(BM_CatalogueLayOut)->Unit(benchmark::kMillisecond);

void BM_DescribeFullyChanged(benchmark::State &state)
{
    const FullyChanged &d = fullyChanged();
    size_t lines = 0;
    for (auto _ : state) {
        const GameData::Catalogue catalogue(d.work, d.pristine);
        lines = size_t(describeChanges(catalogue, d.pristine, d.work).size());
    }
    state.counters["lines"] = double(lines);
}
BENCHMARK(BM_DescribeFullyChanged)->Unit(benchmark::kMillisecond);

// Described again with the lines of the round before kept, one byte written in between.
void BM_DescribeAgain(benchmark::State &state)
{
    const FullyChanged &d = fullyChanged();
    QByteArray work = d.work;
    DescribeCache cache;
    const GameData::Catalogue catalogue(work, d.pristine);
    size_t lines = 0;
    for (auto _ : state) {
        work[0x6E2D5] = char(work[0x6E2D5] + 1);
        lines = size_t(describeChanges(catalogue, d.pristine, work, &cache).size());
    }
    state.counters["lines"] = double(lines);
}
BENCHMARK(BM_DescribeAgain)->Unit(benchmark::kMillisecond);

// The window shown over an image: state.range(0) 0 with a few changes, 1 with the whole
// cartridge changed; each iteration writes one byte and lists again, as an edit does.
struct Window {
    ByteImages images;
    ScriptedDialogs dialogs;
    std::unique_ptr<frmChanges> window;
    explicit Window(bool full)
    {
        images.PristineImage = fullyChanged().pristine;
        images.OpenedImage = fullyChanged().pristine;
        images.load(full ? fullyChanged().work : fullyChanged().pristine);
        for (int k = 0; !full && k < 5; ++k)
            images.write(0x6E2D4 + 12 * k, k + 40);
        window = std::make_unique<frmChanges>(images, dialogs, frmChanges::Mode::Live);
        window->show();
    }
};

std::unique_ptr<Window> &window(int kind)
{
    static std::unique_ptr<Window> windows[2];
    if (!windows[kind])
        windows[kind] = std::make_unique<Window>(kind == 1);
    return windows[kind];
}

void BM_ChangeWindowAfterOneEdit(benchmark::State &state)
{
    Window &w = *window(int(state.range(0)));
    int value = 0;
    for (auto _ : state) {
        w.images.write(0x6E2D5, ++value & 0x7F);
        w.window->refresh();
        QApplication::processEvents();
    }
    state.counters["lines"] = double(w.window->changes().size());
}
BENCHMARK(BM_ChangeWindowAfterOneEdit)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv, [] {
        window(0).reset();
        window(1).reset();
    });
}
