#include "battlefield/fieldview.h"

#include "battlefield/fieldsurface.h"
#include "battlefield/fieldtool.h"

#include <QPainter>

#include <QMouseEvent>
#include <QWheelEvent>

#include <cmath>

const QVector<int> FieldView::Zooms = {100, 150, 200, 300, 400};

FieldView::FieldView(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("picFieldContainer"));
    setAutoFillBackground(true);
    QPalette back = palette();
    back.setColor(QPalette::Window, QColor(255, 224, 192));
    setPalette(back);

    m_surface = new FieldSurface(this);
    m_surface->setObjectName(QStringLiteral("picField"));
    m_surface->setCursor(Qt::OpenHandCursor);
    m_surface->installEventFilter(this);
}

QPoint FieldView::tileAt(QPointF surfacePos) const
{
    return QPoint(int(std::floor(surfacePos.x())) / tile(), int(std::floor(surfacePos.y())) / tile());
}

void FieldView::setMap(const QImage &map, QSize tiles)
{
    m_map = map;
    m_tiles = map.isNull() ? QSize() : tiles;
    showScaledMap();
    m_surface->move(0, 0);
    placeGridLines();
}

QPixmap FieldView::sharp(const QPixmap &picture) const
{
    if (picture.isNull())
        return picture;
    const qreal dpr = devicePixelRatioF();
    const QSize size = picture.size() * tile() / BaseTile;
    QPixmap scaled = picture.scaled(size * dpr, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    scaled.setDevicePixelRatio(dpr);
    return scaled;
}

void FieldView::showScaledMap()
{
    m_surface->setMap(m_map.isNull() ? QPixmap() : sharp(QPixmap::fromImage(m_map)));
}

void FieldView::setZoom(int percent, std::optional<QPointF> anchor)
{
    if (!Zooms.contains(percent) || percent == m_zoom)
        return;
    const int oldTile = tile();
    const QPointF a = anchor.value_or(QPointF(width() / 2.0, height() / 2.0));
    const QPointF onMap = (a - QPointF(m_surface->pos())) / oldTile; // in tiles
    m_zoom = percent;
    showScaledMap();
    placeGridLines();
    m_surface->move(clampedPosition((a - onMap * tile()).toPoint()));
    emit zoomChanged(percent, oldTile, tile());
}

void FieldView::setPreferredSize(QSize size)
{
    if (size == m_preferred)
        return;
    m_preferred = size;
    updateGeometry();
}

void FieldView::setGridLines(bool on)
{
    m_gridLines = on;
    placeGridLines();
}

void FieldView::placeGridLines()
{
    qDeleteAll(m_lines);
    m_lines.clear();
    if (!m_gridLines || m_tiles.isEmpty())
        return;
    const int t = tile();
    const auto line = [this](const char *name, int i, const QRect &rect) {
        auto *l = new QWidget(m_surface);
        l->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(i));
        l->setAttribute(Qt::WA_TransparentForMouseEvents);
        l->setAutoFillBackground(true);
        QPalette pal = l->palette();
        pal.setColor(QPalette::Window, QColor(255, 255, 0));
        l->setPalette(pal);
        l->setGeometry(rect);
        l->lower(); // under the markers and pictures
        l->show();
        m_lines.append(l);
    };
    for (int i = 1; i <= m_tiles.height() - 1; ++i)
        line("hLine", i, QRect(0, i * t, m_tiles.width() * t, 1));
    for (int k = 1; k <= m_tiles.width() - 1; ++k)
        line("vLine", k, QRect(k * t, 0, 1, m_tiles.height() * t));
}

QPoint FieldView::clampedPosition(QPoint pos) const
{
    const auto clamp = [](int p, int map, int view) {
        return map >= view ? std::clamp(p, view - map, 0) : std::clamp(p, 0, view - map);
    };
    return QPoint(clamp(pos.x(), m_surface->width(), width()), clamp(pos.y(), m_surface->height(), height()));
}

void FieldView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_surface->move(clampedPosition(m_surface->pos()));
}

void FieldView::wheelEvent(QWheelEvent *event)
{
    if (!(event->modifiers() & Qt::ControlModifier) || event->angleDelta().y() == 0) {
        event->ignore();
        return;
    }
    const int i = int(Zooms.indexOf(m_zoom)) + (event->angleDelta().y() > 0 ? 1 : -1);
    if (i >= 0 && i < Zooms.size())
        setZoom(Zooms[i], event->position());
    event->accept();
}

bool FieldView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_surface) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            surfaceMouse(event);
            return true;
        case QEvent::Leave:
            emit left();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FieldView::setCell(QPoint cell, const QImage &bitmap)
{
    if (m_map.isNull() || !QRect(QPoint(0, 0), m_tiles).contains(cell))
        return;
    {
        QPainter p(&m_map);
        p.drawImage(cell * BaseTile, bitmap);
    }
    m_surface->drawCell(QRect(cell * tile(), QSize(tile(), tile())), bitmap);
}

void FieldView::surfaceMouse(QEvent *event)
{
    auto *e = static_cast<QMouseEvent *>(event);
    if (m_tool && m_tool->surfaceMouse(e))
        return;
    const QPointF p = e->position();
    if (event->type() == QEvent::MouseButtonPress) {
        if (e->button() == Qt::LeftButton)
            m_anchor = p;
        return;
    }
    if (event->type() != QEvent::MouseMove)
        return;
    if (e->buttons() == Qt::NoButton) {
        emit hovered(tileAt(p));
        return;
    }
    if (!(e->buttons() & Qt::LeftButton))
        return;
    // Pull the map. Where it stops at an edge, the mouse position there becomes the anchor.
    const QPointF d = p - m_anchor;
    const QPoint wanted = m_surface->pos() + QPoint(int(std::nearbyint(d.x())), int(std::nearbyint(d.y())));
    const QPoint pos = clampedPosition(wanted);
    if (pos.x() != wanted.x())
        m_anchor.setX(p.x());
    if (pos.y() != wanted.y())
        m_anchor.setY(p.y());
    m_surface->move(pos);
}
