#include "hexview/hextextcolumn.h"

#include "controls/flexgrid.h"
#include "hexview/hexgridmodel.h"
#include "hexview/hextext.h"

#include <QApplication>
#include <QHeaderView>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>
#include <QStyleOptionHeader>

namespace {
const QString Caption = QStringLiteral("文本");
constexpr int BytesPerRow = 16;
constexpr int Padding = 6;
} // namespace

HexTextColumn::HexTextColumn(const HexGridModel &model, FlexGrid *grid, QWidget *parent)
    : QWidget(parent), m_model(model), m_grid(grid)
{
    setObjectName(QStringLiteral("hexTextColumn"));
    setFont(grid->font());
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    const auto repaint = [this] { update(); };
    connect(grid->verticalScrollBar(), &QScrollBar::valueChanged, this, repaint);
    connect(grid->model(), &QAbstractItemModel::dataChanged, this, repaint);
    connect(grid->model(), &QAbstractItemModel::modelReset, this, repaint);
}

int HexTextColumn::charWidth() const
{
    return fontMetrics().horizontalAdvance(u'0');
}

QSize HexTextColumn::sizeHint() const
{
    const int text = BytesPerRow * charWidth() + 2 * Padding;
    return QSize(std::max(text, fontMetrics().horizontalAdvance(Caption) + 2 * Padding), 100);
}

void HexTextColumn::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    p.fillRect(event->rect(), palette().base());

    // Header band, level with the grid's header row.
    const int frame = m_grid->frameWidth();
    const int headerHeight = m_grid->horizontalHeader()->isVisible() ? m_grid->horizontalHeader()->height() : 0;
    QStyleOptionHeader header;
    header.initFrom(this);
    header.rect = QRect(0, frame, width(), headerHeight);
    header.text = Caption;
    header.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    header.section = 0;
    style()->drawControl(QStyle::CE_Header, &header, &p, this);

    const int top = frame + headerHeight;
    const int rowHeight = m_grid->verticalHeader()->defaultSectionSize();
    if (rowHeight <= 0)
        return;
    p.setClipRect(QRect(0, top, width(), height() - top - frame));
    p.setFont(font());
    const int cw = charWidth();
    const QColor ink = palette().color(QPalette::Text);
    const int firstRow = m_grid->topRow();
    const int lastRow = std::min(m_grid->rows() - 1, firstRow + (height() - top) / rowHeight + 1);
    for (int row = firstRow; row <= lastRow; ++row) {
        const int y = top + (row - firstRow) * rowHeight;
        // The bytes the row's cells show, changed where a cell is coloured.
        const QByteArray bytes = m_model.rowBytes(row);
        for (const HexTextGlyph &g : hexRowGlyphs(bytes, 0, BytesPerRow)) {
            bool changed = false;
            for (int k = 0; k < g.span; ++k) {
                const QColor c = m_model.cellColor(row, g.first + k + 1);
                changed = changed || (c.isValid() && c != QColor(Qt::white));
            }
            p.setPen(changed ? QColor(Qt::red) : ink);
            const QStaticText &glyph = laidOut(g.text);
            const QSizeF size = glyph.size();
            p.drawStaticText(QPointF(Padding + g.first * cw + (g.span * cw - size.width()) / 2,
                                     y + (rowHeight - size.height()) / 2),
                             glyph);
        }
    }
}

const QStaticText &HexTextColumn::laidOut(const QString &glyph) const
{
    if (m_font != font()) {
        m_glyphs.clear();
        m_font = font();
    }
    auto it = m_glyphs.find(glyph);
    if (it == m_glyphs.end()) {
        it = m_glyphs.insert(glyph, QStaticText(glyph));
        it->setTextFormat(Qt::PlainText);
        it->prepare(QTransform(), m_font);
    }
    return *it;
}

void HexTextColumn::wheelEvent(QWheelEvent *event)
{
    QApplication::sendEvent(m_grid->viewport(), event);
}
