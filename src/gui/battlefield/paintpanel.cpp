#include "battlefield/paintpanel.h"

#include "battlefield/fieldview.h"
#include "battlefield/mapdata.h"
#include "battlefield/painttool.h"
#include "image/mymodule.h"

#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include <set>

PaintPanel::PaintPanel(ByteImages &images, FieldView &view, QWidget *parent)
    : QGroupBox(QStringLiteral("地形绘制"), parent)
{
    setObjectName(QStringLiteral("framePaint"));
    tool = new PaintTool(images, view, this);

    lblMapBytes = new QLabel(this);
    lblMapBytes->setObjectName(QStringLiteral("lblMapBytes"));
    // Of a fixed size, so that a new count repaints the label and lays out nothing; two lines
    // for the reason a map cannot be painted.
    lblMapBytes->setWordWrap(true);
    lblMapBytes->setFixedSize(lblMapBytes->fontMetrics().horizontalAdvance(QStringLiteral("地图数据 0000 / 0000 字节")) + 8,
                              2 * lblMapBytes->fontMetrics().height() + 4);
    lstTiles = new QListWidget(this);
    lstTiles->setObjectName(QStringLiteral("lstTiles"));
    lstTiles->setViewMode(QListView::IconMode);
    lstTiles->setIconSize(QSize(32, 32));
    lstTiles->setGridSize(QSize(44, 56));
    lstTiles->setMovement(QListView::Static);
    lstTiles->setResizeMode(QListView::Adjust);
    lstTiles->setMinimumWidth(5 * 44 + 24);
    auto *help = new QLabel(QStringLiteral("左键：画笔\nShift+拖动：矩形\nCtrl+单击：填充\n右键：取色\n中键或空格+拖动：移动地图\n滚轮：上下移动\nShift+滚轮：左右移动"), this);
    help->setObjectName(QStringLiteral("lblPaintHelp"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblMapBytes);
    layout->addWidget(lstTiles, 1);
    layout->addWidget(help);

    connect(lstTiles, &QListWidget::currentItemChanged, this, [this](QListWidgetItem *item) {
        if (item)
            tool->setTile(item->data(Qt::UserRole).toInt());
    });
    connect(tool, &PaintTool::tilePicked, this, &PaintPanel::selectTile);
    connect(tool, &PaintTool::meterChanged, this, &PaintPanel::showMeter);
    connect(tool, &PaintTool::message, this, &PaintPanel::message);
}

void PaintPanel::showMap(const PaintableMap &map, const QString &name, TileSet *tiles)
{
    tool->setMap(map, name, tiles);
    std::set<int> codes(map.tiles.cbegin(), map.tiles.cend());
    const QString folder = tiles ? tiles->folder() : QString();
    // The same map again (its cells changed): the palette stays as it is unless a code is new.
    if (map.offset == m_map && folder == m_folder && lstTiles->count() > 0 &&
        std::includes(m_codes.cbegin(), m_codes.cend(), codes.cbegin(), codes.cend()))
        return;
    if (tiles)
        for (const QString &file : QDir(tiles->folder()).entryList({QStringLiteral("*.bmp")}, QDir::Files)) {
            bool ok = false;
            const int code = QFileInfo(file).completeBaseName().toInt(&ok, 16);
            if (ok && code >= 0 && code <= 0xFF)
                codes.insert(code);
        }
    m_folder = folder;
    m_map = map.offset;
    m_codes = codes;
    const int chosen = tool->tile();
    lstTiles->clear();
    for (int code : codes) {
        auto *item = new QListWidgetItem(hexByte(code), lstTiles);
        item->setData(Qt::UserRole, code);
        if (tiles)
            item->setIcon(QPixmap::fromImage(tiles->tile(code).scaled(32, 32)));
    }
    selectTile(codes.count(chosen) || codes.empty() ? chosen : *codes.begin());
}

void PaintPanel::selectTile(int code)
{
    for (int i = 0; i < lstTiles->count(); ++i)
        if (lstTiles->item(i)->data(Qt::UserRole).toInt() == code) {
            lstTiles->setCurrentRow(i);
            lstTiles->scrollToItem(lstTiles->item(i));
            return;
        }
    tool->setTile(code);
}

void PaintPanel::showMeter(int used, int budget, bool full)
{
    const PaintableMap &map = tool->map();
    lblMapBytes->setText(map.paintable() ? QStringLiteral("地图数据 %1 / %2 字节").arg(used).arg(budget) : map.refusal);
    const QColor ink = full || !map.paintable() ? QColor(Qt::red) : palette().color(QPalette::WindowText);
    if (lblMapBytes->palette().color(QPalette::WindowText) != ink) {
        QPalette pal = lblMapBytes->palette();
        pal.setColor(QPalette::WindowText, ink);
        lblMapBytes->setPalette(pal);
    }
}
