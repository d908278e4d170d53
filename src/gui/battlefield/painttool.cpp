#include "battlefield/painttool.h"

#include "battlefield/fieldsurface.h"
#include "battlefield/fieldview.h"
#include "battlefield/mapdata.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include <cmath>

namespace {

const QString FullText = QStringLiteral("地图数据已满");

// The cells of a line between two cells, both included, each next to the one before.
QVector<QPoint> cellsBetween(QPoint a, QPoint b)
{
    QVector<QPoint> cells;
    const int dx = std::abs(b.x() - a.x());
    const int dy = -std::abs(b.y() - a.y());
    const int sx = a.x() < b.x() ? 1 : -1;
    const int sy = a.y() < b.y() ? 1 : -1;
    int err = dx + dy;
    for (QPoint p = a;;) {
        cells.append(p);
        if (p == b)
            break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            p.rx() += sx;
        }
        if (e2 <= dx) {
            err += dx;
            p.ry() += sy;
        }
    }
    return cells;
}

} // namespace

PaintTool::PaintTool(ByteImages &images, FieldView &view, QObject *parent) : QObject(parent), m_images(images), m_view(view)
{
}

void PaintTool::setMap(const PaintableMap &map, const QString &name, TileSet *tiles)
{
    endStroke();
    m_map = map;
    m_name = name;
    m_tiles = tiles;
    m_used = map.paintable() ? int(encodeMap(map.tiles).size()) : 0;
    m_full = false;
    emit meterChanged(m_used, m_map.budget, false);
}

QPoint PaintTool::cellAt(QPointF pos) const
{
    return m_view.tileAt(pos);
}

bool PaintTool::inMap(QPoint cell) const
{
    return cell.x() >= 0 && cell.y() >= 0 && cell.x() < m_map.width && cell.y() < m_map.height;
}

bool PaintTool::paint(const QVector<QPoint> &cells)
{
    QVector<int> tiles = m_map.tiles;
    QVector<QPoint> changed;
    for (const QPoint &c : cells) {
        const qsizetype i = qsizetype(c.y()) * m_map.width + c.x();
        if (inMap(c) && tiles[i] != m_tile) {
            tiles[i] = m_tile;
            changed.append(c);
        }
    }
    if (changed.isEmpty())
        return true;
    const int length = int(encodeMap(tiles).size());
    if (length > m_map.budget || !writeMap(m_images, m_map, tiles))
        return false;
    m_map.tiles = tiles;
    m_used = length;
    m_painted += int(changed.size());
    if (m_tiles) {
        const QImage &bitmap = m_tiles->tile(m_tile);
        for (const QPoint &c : changed)
            m_view.setCell(c, bitmap);
    }
    emit meterChanged(m_used, m_map.budget, false);
    return true;
}

bool PaintTool::takeImage()
{
    const PaintableMap now = paintableMap(m_images, m_map.offset);
    if (now.width != m_map.width || now.height != m_map.height || now.tiles.size() != m_map.tiles.size()) {
        emit outdated(); // the page shows the map anew and hands it back through setMap
        if (m_map.tiles != now.tiles)
            setMap(now, m_name, m_tiles);
    } else if (now.tiles != m_map.tiles || now.refusal != m_map.refusal) {
        for (qsizetype i = 0; m_tiles && i < now.tiles.size(); ++i)
            if (now.tiles[i] != m_map.tiles[i])
                m_view.setCell(QPoint(int(i % now.width), int(i / now.width)), m_tiles->tile(now.tiles[i]));
        setMap(now, m_name, m_tiles);
    }
    if (!m_map.paintable())
        emit message(m_map.refusal);
    return m_map.paintable();
}

bool PaintTool::surfaceMouse(QMouseEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress && m_gesture == Gesture::None && m_map.offset >= 0 && !takeImage())
        return false; // the map is only pulled about
    if (!m_map.paintable())
        return false;
    const QPoint cell = cellAt(event->position());
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (m_gesture != Gesture::None)
            return true; // another button while one gesture is held
        if (event->button() == Qt::RightButton) {
            if (inMap(cell)) {
                m_tile = m_map.tiles[qsizetype(cell.y()) * m_map.width + cell.x()];
                emit tilePicked(m_tile);
            }
            return true;
        }
        if (event->button() != Qt::LeftButton || !inMap(cell))
            return true;
        if (event->modifiers() & Qt::ControlModifier) {
            fill(cell);
        } else if (event->modifiers() & Qt::ShiftModifier) {
            m_gesture = Gesture::Rectangle;
            m_last = cell;
            showPreview(cell, cell);
        } else {
            beginStroke(cell);
        }
        return true;
    case QEvent::MouseMove:
        if (m_gesture == Gesture::Stroke)
            strokeTo(cell);
        else if (m_gesture == Gesture::Rectangle)
            showPreview(m_last, cell);
        return event->buttons() != Qt::NoButton; // a bare move still reads out the tile
    case QEvent::MouseButtonRelease:
        if (event->button() != Qt::LeftButton)
            return true;
        if (m_gesture == Gesture::Rectangle) {
            m_gesture = Gesture::None;
            delete m_preview;
            m_preview = nullptr;
            paintRectangle(m_last, cell);
        } else {
            endStroke();
        }
        return true;
    default:
        return true;
    }
}

void PaintTool::beginStroke(QPoint cell)
{
    m_gesture = Gesture::Stroke;
    QCoreApplication::instance()->installEventFilter(this);
    m_painted = 0;
    m_full = false;
    m_images.history.begin(QStringLiteral("绘制 ") + m_name);
    m_last = cell;
    if (!paint({cell})) {
        m_full = true;
        emit meterChanged(m_used, m_map.budget, true);
        emit message(FullText);
    }
}

void PaintTool::strokeTo(QPoint cell)
{
    if (m_full || cell == m_last)
        return;
    // Every cell on the way, so that a quick move leaves no gaps; the stroke stops taking cells
    // at the first that would not fit.
    const QVector<QPoint> line = cellsBetween(m_last, cell);
    for (qsizetype i = 1; i < line.size(); ++i) {
        m_last = line[i];
        if (!paint({line[i]})) {
            m_full = true;
            emit meterChanged(m_used, m_map.budget, true);
            emit message(FullText);
            return;
        }
    }
}

void PaintTool::endStroke()
{
    if (m_gesture != Gesture::Stroke)
        return;
    m_gesture = Gesture::None;
    QCoreApplication::instance()->removeEventFilter(this);
    m_images.history.setLabel(QStringLiteral("绘制 %1 %2 格").arg(m_name).arg(m_painted));
    m_images.history.end();
}

bool PaintTool::eventFilter(QObject *watched, QEvent *event)
{
    // The shortcut itself runs after this: it finds the stroke a step of its own and undoes it.
    // The rest of the drag paints nothing until the button is pressed again.
    if ((event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) &&
        static_cast<QKeyEvent *>(event)->matches(QKeySequence::Undo) && m_gesture == Gesture::Stroke) {
        endStroke();
    }
    return QObject::eventFilter(watched, event);
}

void PaintTool::paintRectangle(QPoint from, QPoint to)
{
    QVector<QPoint> cells;
    for (int y = std::min(from.y(), to.y()); y <= std::max(from.y(), to.y()); ++y)
        for (int x = std::min(from.x(), to.x()); x <= std::max(from.x(), to.x()); ++x)
            cells.append(QPoint(x, y));
    paintArea(cells);
}

void PaintTool::fill(QPoint cell)
{
    const int from = m_map.tiles[qsizetype(cell.y()) * m_map.width + cell.x()];
    if (from == m_tile)
        return;
    QVector<bool> seen(m_map.tiles.size(), false);
    QVector<QPoint> area;
    QVector<QPoint> todo{cell};
    while (!todo.isEmpty()) {
        const QPoint c = todo.takeLast();
        if (!inMap(c))
            continue;
        const qsizetype i = qsizetype(c.y()) * m_map.width + c.x();
        if (seen[i] || m_map.tiles[i] != from)
            continue;
        seen[i] = true;
        area.append(c);
        todo.append({c + QPoint(1, 0), c - QPoint(1, 0), c + QPoint(0, 1), c - QPoint(0, 1)});
    }
    paintArea(area);
}

void PaintTool::paintArea(const QVector<QPoint> &cells)
{
    m_painted = 0;
    m_images.history.begin(QStringLiteral("绘制 ") + m_name);
    const bool fits = paint(cells);
    m_images.history.setLabel(QStringLiteral("绘制 %1 %2 格").arg(m_name).arg(m_painted));
    m_images.history.end();
    if (!fits) {
        QVector<int> tiles = m_map.tiles;
        for (const QPoint &c : cells)
            if (inMap(c))
                tiles[qsizetype(c.y()) * m_map.width + c.x()] = m_tile;
        emit meterChanged(m_used, m_map.budget, true);
        emit message(QStringLiteral("放不下：需要 %1 字节，只剩 %2 字节").arg(encodeMap(tiles).size()).arg(m_map.budget));
    }
}

void PaintTool::showPreview(QPoint from, QPoint to)
{
    if (!m_preview) {
        m_preview = new QWidget(m_view.surface());
        m_preview->setObjectName(QStringLiteral("paintPreview"));
        m_preview->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_preview->setStyleSheet(QStringLiteral("background: rgba(255, 255, 255, 90); border: 2px solid rgb(0, 255, 255);"));
    }
    const int t = m_view.tile();
    const QRect cells(QPoint(std::min(from.x(), to.x()), std::min(from.y(), to.y())),
                      QPoint(std::max(from.x(), to.x()), std::max(from.y(), to.y())));
    m_preview->setGeometry(QRect(cells.topLeft() * t, cells.size() * t));
    m_preview->show();
    m_preview->raise();
}
