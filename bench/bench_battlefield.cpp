// Reading the armies, decoding and painting battlefield maps, and the battlefield page.
#include "battlefield/armys.h"
#include "battlefield/enemytypepage.h"
#include "battlefield/fieldedit.h"
#include "battlefield/fieldinfo.h"
#include "battlefield/fieldpage.h"
#include "battlefield/fieldsurface.h"
#include "battlefield/fieldview.h"
#include "battlefield/paintpanel.h"
#include "battlefield/painttool.h"
#include "battlefield/mapcodec.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMouseEvent>
#include <QRadioButton>
#include <QTabWidget>

#include "benchmain.h"

#include <benchmark/benchmark.h>

namespace {

ByteImages &images()
{
    static ByteImages i = [] {
        ByteImages b;
        b.WorkImage = loadBuiltInImage();
        b.OpenedImage = b.WorkImage;
        b.PristineImage = b.WorkImage;
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

// The battlefield page on its own, shown, after its start-up steps.
struct Page {
    QTabWidget tabs;
    EnemyTypePage *types = new EnemyTypePage(images());
    FieldPage *page = new FieldPage(images(), VESKEDIT_PROGRAM_DIR, &tabs, types);

    Page()
    {
        tabs.addTab(page, QStringLiteral("战场部队"));
        tabs.addTab(types, QStringLiteral("部队类型"));
        tabs.resize(1000, 650);
        tabs.show();
        types->InitEnemyTypeTable();
        page->fillEditSelectors(*types->enemyType());
        page->CreateArmyList();
        page->FillBattlefieldList();
    }
};

// The refresh of the war on the largest map, grid lines on, painted.
void BM_RefreshLargestWar(benchmark::State &state)
{
    Page p;
    FieldEdit fields(images(), VESKEDIT_PROGRAM_DIR);
    p.page->chkShowLine->setChecked(true);
    p.page->cboWarField->setCurrentIndex(largestWar(fields) - 1);
    p.page->timerField_Timer(); // the first draw loads the bitmaps
    QApplication::processEvents();
    for (auto _ : state) {
        p.page->timerField_Timer();
        QApplication::processEvents();
    }
    state.counters["markers"] = double(p.page->findChildren<QLabel *>().size());
}
BENCHMARK(BM_RefreshLargestWar)->Unit(benchmark::kMillisecond);

// One step of a marker drag: a mouse move of one tile, with the write and the repaint.
void BM_DragStep(benchmark::State &state)
{
    Page p;
    QLabel *marker = p.page->findChild<QLabel *>(QStringLiteral("lblAct_1"));
    const auto send = [&](QEvent::Type type, QPointF pos, Qt::MouseButton button, Qt::MouseButtons buttons) {
        QMouseEvent e(type, pos, marker->mapToGlobal(pos), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(marker, &e);
    };
    const QPointF start(8, 8);
    send(QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    int dir = p.page->IsFreeTile(marker->x() / FieldPage::Tile + 1, marker->y() / FieldPage::Tile) ? 1 : -1;
    for (auto _ : state) {
        send(QEvent::MouseMove, start + QPointF(dir * FieldPage::Tile, 0), Qt::NoButton, Qt::LeftButton);
        QApplication::processEvents();
        dir = -dir;
    }
    send(QEvent::MouseButtonRelease, start, Qt::LeftButton, Qt::NoButton);
}
BENCHMARK(BM_DragStep)->Unit(benchmark::kMicrosecond);

// A zoom change of the largest war, grid lines on: the map scaled, lines, markers and pictures
// placed again, painted. Between 100% and 400% in turn.
void BM_ZoomLargestWar(benchmark::State &state)
{
    Page p;
    FieldEdit fields(images(), VESKEDIT_PROGRAM_DIR);
    p.page->chkShowLine->setChecked(true);
    p.page->cboWarField->setCurrentIndex(largestWar(fields) - 1);
    p.page->timerField_Timer();
    QApplication::processEvents();
    bool in = true;
    for (auto _ : state) {
        p.page->picFieldContainer->setZoom(in ? 400 : 100);
        QApplication::processEvents();
        in = !in;
    }
}
BENCHMARK(BM_ZoomLargestWar)->Unit(benchmark::kMillisecond);

// The largest map, ready to paint, in images of its own (the budget comes from PristineImage).
struct LargestMap {
    ByteImages images;
    PaintableMap map;

    LargestMap()
    {
        images.PristineImage = images.WorkImage = images.OpenedImage = loadBuiltInImage();
        FieldEdit fields(images, VESKEDIT_PROGRAM_DIR);
        FieldInfo war(images);
        war.SetWarField(largestWar(fields), fields);
        map = paintableMap(images, war.Address.toLongLong(nullptr, 16));
    }

    // As the painting tool writes a change: the length for the meter, then the stream, one step.
    bool paint(const QVector<int> &tiles)
    {
        const EditStep step(images, QStringLiteral("绘制"));
        return encodeMap(tiles).size() <= map.budget && writeMap(images, map, tiles);
    }
};

// One cell of the largest map painted, flowers and forest in turn, so that every iteration writes.
void BM_PaintOneCell(benchmark::State &state)
{
    LargestMap l;
    QVector<int> tiles = l.map.tiles;
    const qsizetype cell = tiles.size() / 2 + l.map.width / 2;
    bool forest = tiles[cell] == 0x2F;
    for (auto _ : state) {
        tiles[cell] = forest ? 0x30 : 0x2F;
        if (!l.paint(tiles)) {
            state.SkipWithError("the cell did not fit");
            break;
        }
        forest = !forest;
    }
    state.counters["cells"] = double(tiles.size());
}
BENCHMARK(BM_PaintOneCell)->Unit(benchmark::kMicrosecond);

// The whole largest map filled with one tile, water and grass in turn.
void BM_FillWholeMap(benchmark::State &state)
{
    LargestMap l;
    bool water = true;
    for (auto _ : state) {
        if (!l.paint(QVector<int>(l.map.tiles.size(), water ? 0x32 : 0x2E))) {
            state.SkipWithError("the fill did not fit");
            break;
        }
        water = !water;
    }
    state.counters["cells"] = double(l.map.tiles.size());
}
BENCHMARK(BM_FillWholeMap)->Unit(benchmark::kMicrosecond);

// The same on the page, on the largest war in "地形", through the painting tool and with the
// repaint: a click of the brush on one cell (arg 0), or a Ctrl + click filling the whole map,
// made one tile beforehand (arg 1). Two tiles in turn, so that each click writes.
void BM_PaintOnThePage(benchmark::State &state)
{
    Page p;
    FieldEdit fields(images(), VESKEDIT_PROGRAM_DIR);
    p.page->cboWarField->setCurrentIndex(largestWar(fields) - 1);
    p.page->timerField_Timer();
    const bool fill = state.range(0) == 1;
    if (fill) {
        PaintableMap whole = paintableMap(images(), p.page->war()->Address.toLongLong(nullptr, 16));
        writeMap(images(), whole, QVector<int>(whole.tiles.size(), 0x2E));
        p.page->timerField_Timer();
    }
    p.page->optPaint->click();
    QApplication::processEvents();
    const PaintableMap map = p.page->framePaint->tool->map();
    const QPoint cell(map.width / 2, map.height / 2);
    const int here = map.tiles[cell.y() * map.width + cell.x()];
    const int tiles[2] = {here, fill ? 0x32 : map.tiles[cell.y() * map.width + cell.x() - 1]};
    const QPointF at = QPointF(cell * p.page->tile()) + QPointF(3, 3);
    const Qt::KeyboardModifiers modifiers = fill ? Qt::ControlModifier : Qt::NoModifier;
    const auto send = [&](QEvent::Type type, Qt::MouseButtons buttons) {
        QMouseEvent e(type, at, p.page->picField->mapToGlobal(at), Qt::LeftButton, buttons, modifiers);
        QApplication::sendEvent(p.page->picField, &e);
    };
    int i = 0;
    for (auto _ : state) {
        p.page->framePaint->tool->setTile(tiles[++i % 2]);
        send(QEvent::MouseButtonPress, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, Qt::NoButton);
        QApplication::processEvents();
    }
    if (images().history.steps() == 0)
        state.SkipWithError("nothing was painted");
    images().load(loadBuiltInImage());
}
BENCHMARK(BM_PaintOnThePage)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
