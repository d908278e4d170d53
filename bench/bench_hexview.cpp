// The hex grid and the searches over the whole image.
#include "controls/flexgrid.h"
#include "hexview/bytesearch.h"
#include "hexview/hexpage.h"
#include "image/mymodule.h"
#include "scripteddialogs.h"

#include <QApplication>
#include <QStandardItemModel>
#include <QTableView>
#include "benchmain.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

QStringList byteTexts()
{
    QStringList texts;
    for (int b = 0; b < 256; ++b)
        texts.append(hexByte(b));
    return texts;
}

struct Fixture {
    ByteImages images;
    ScriptedDialogs dialogs;
    QStringList texts = byteTexts();
    HexPage page{images, dialogs, texts};
    Fixture()
    {
        images.PristineImage = loadBuiltInImage();
        images.OpenedImage = images.PristineImage;
        images.WorkImage = images.PristineImage;
        page.resize(900, 700);
        page.show();
    }
};

// Made on first use and gone before the application: widgets must not outlive it.
std::unique_ptr<Fixture> theFixture;

Fixture &fixture()
{
    if (!theFixture)
        theFixture = std::make_unique<Fixture>();
    return *theFixture;
}

// Every cartridge byte changed, so every cartridge cell is coloured; then the page is painted,
// the text column with it.
void BM_FillHexGrid(benchmark::State &state)
{
    Fixture &f = fixture();
    QByteArray work = f.images.PristineImage;
    for (int i = CartridgeStart; i <= CartridgeEnd; ++i)
        work[i] = char(~work[i]);
    f.images.WorkImage = work;
    for (auto _ : state) {
        f.page.FillHexGrid(work);
        f.page.repaint();
    }
    f.images.WorkImage = f.images.PristineImage;
    f.page.FillHexGrid(f.images.WorkImage);
    state.counters["rows"] = f.page.msfFileContent->rows();
}
BENCHMARK(BM_FillHexGrid)->Unit(benchmark::kMillisecond);

// The same fill with one item per cell, for comparison.
void BM_FillOneItemPerCell(benchmark::State &state)
{
    const QByteArray image = fixture().images.WorkImage;
    const QStringList texts = byteTexts();
    for (auto _ : state) {
        QStandardItemModel model(int(image.size() / 16), 17);
        for (int i = 0; i < image.size(); ++i) {
            if (i % 16 == 0)
                model.setItem(i / 16, 0, new QStandardItem(PadText(QString::number(i, 16).toUpper(), "0", 8, true)));
            model.setItem(i / 16, i % 16 + 1, new QStandardItem(texts[quint8(image[i])]));
        }
        QTableView view;
        view.setModel(&model);
        benchmark::DoNotOptimize(model.rowCount());
    }
}
BENCHMARK(BM_FillOneItemPerCell)->Unit(benchmark::kMillisecond)->Iterations(1);

// Painting the grid at 200 places from top to bottom: the time of one scroll step.
void BM_ScrollHexGrid(benchmark::State &state)
{
    Fixture &f = fixture();
    f.page.FillHexGrid(f.images.WorkImage);
    FlexGrid *grid = f.page.msfFileContent;
    int step = 0;
    for (auto _ : state) {
        grid->setTopRow(1 + (step++ % 200) * (grid->rows() / 200));
        grid->viewport()->repaint();
    }
}
BENCHMARK(BM_ScrollHexGrid)->Unit(benchmark::kMicrosecond);

void BM_FindNoMatch(benchmark::State &state)
{
    const QByteArray &image = fixture().images.WorkImage;
    // Starts with the most common byte, so that nearly every eighth offset is compared.
    QByteArray pattern("\x00\xF1\xF2\xF3\xF4\xF5", 6);
    const auto range = [](qint64 p) { return p >= CartridgeStart && p <= CartridgeEnd ? 1 : 0; };
    if (image.indexOf(pattern) >= 0)
        state.SkipWithError("pattern occurs in the image");
    for (auto _ : state)
        benchmark::DoNotOptimize(findPattern(image, -1, pattern, true, range));
}
BENCHMARK(BM_FindNoMatch)->Unit(benchmark::kMillisecond);

void BM_DifferenceNoDifference(benchmark::State &state)
{
    const ByteImages &images = fixture().images;
    for (auto _ : state)
        benchmark::DoNotOptimize(findDifference(images.WorkImage, images.PristineImage, 0, true));
}
BENCHMARK(BM_DifferenceNoDifference)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv, [] { theFixture.reset(); });
}
