#include "battlefield/fieldview.h"

#include "battlefield/fieldsurface.h"
#include "battlefield/fieldtool.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStyle>
#include <QTextEdit>
#include <QTimer>
#include <QWheelEvent>

#include <cmath>

const QVector<int> FieldView::Zooms = {100, 150, 200, 300, 400};

namespace {

// A widget that takes typed text, where Space is a character and not the hand.
bool typesText(const QWidget *w)
{
    if (const auto *line = qobject_cast<const QLineEdit *>(w))
        return !line->isReadOnly();
    if (const auto *text = qobject_cast<const QPlainTextEdit *>(w))
        return !text->isReadOnly();
    if (const auto *text = qobject_cast<const QTextEdit *>(w))
        return !text->isReadOnly();
    if (const auto *combo = qobject_cast<const QComboBox *>(w))
        return combo->isEditable();
    return qobject_cast<const QAbstractSpinBox *>(w) != nullptr;
}

} // namespace

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

    hsbField = new QScrollBar(Qt::Horizontal, this);
    hsbField->setObjectName(QStringLiteral("hsbField"));
    vsbField = new QScrollBar(Qt::Vertical, this);
    vsbField->setObjectName(QStringLiteral("vsbField"));
    m_corner = new QWidget(this);
    m_corner->setAutoFillBackground(true);
    m_corner->setPalette(QApplication::palette());
    for (QWidget *w : {static_cast<QWidget *>(hsbField), static_cast<QWidget *>(vsbField), m_corner})
        w->hide();
    connect(hsbField, &QScrollBar::valueChanged, this, [this](int v) { moveSurface(QPoint(-v, m_surface->y())); });
    connect(vsbField, &QScrollBar::valueChanged, this, [this](int v) { moveSurface(QPoint(m_surface->x(), -v)); });

    m_autoscroll = new QTimer(this);
    m_autoscroll->setInterval(25);
    connect(m_autoscroll, &QTimer::timeout, this, &FieldView::autoscroll);
}

QPoint FieldView::tileAt(QPointF surfacePos) const
{
    return QPoint(int(std::floor(surfacePos.x() / tile())), int(std::floor(surfacePos.y() / tile())));
}

void FieldView::setMap(const QImage &map, QSize tiles, bool keepPlace)
{
    const QPoint was = m_surface->pos();
    m_map = map;
    m_tiles = map.isNull() ? QSize() : tiles;
    showScaledMap();
    moveSurface(keepPlace ? was : QPoint(0, 0));
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
    layoutScrollBars();
}

void FieldView::setZoom(int percent, std::optional<QPointF> anchor)
{
    if (!Zooms.contains(percent) || percent == m_zoom)
        return;
    const int oldTile = tile();
    const QPointF a = anchor.value_or(QPointF(viewport().center()));
    const QPointF onMap = (a - QPointF(m_surface->pos())) / oldTile; // in tiles
    m_zoom = percent;
    showScaledMap();
    placeGridLines();
    moveSurface((a - onMap * tile()).toPoint());
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

QRect FieldView::viewport() const
{
    return QRect(0, 0, width() - (vsbField->isHidden() ? 0 : vsbField->width()),
                 height() - (hsbField->isHidden() ? 0 : hsbField->height()));
}

QPoint FieldView::clampedPosition(QPoint pos) const
{
    const auto clamp = [](int p, int map, int view) {
        return map >= view ? std::clamp(p, view - map, 0) : std::clamp(p, 0, view - map);
    };
    const QSize view = viewport().size();
    return QPoint(clamp(pos.x(), m_surface->width(), view.width()), clamp(pos.y(), m_surface->height(), view.height()));
}

void FieldView::moveSurface(QPoint pos)
{
    const QPoint p = clampedPosition(pos);
    m_surface->move(p);
    const QSignalBlocker h(hsbField);
    const QSignalBlocker v(vsbField);
    hsbField->setValue(-p.x());
    vsbField->setValue(-p.y());
}

void FieldView::layoutScrollBars()
{
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const QSize map = m_surface->size();
    bool wide = map.width() > width();
    bool tall = map.height() > height();
    if (wide && !tall)
        tall = map.height() > height() - bar;
    if (tall && !wide)
        wide = map.width() > width() - bar;
    const int w = width() - (tall ? bar : 0);
    const int h = height() - (wide ? bar : 0);
    hsbField->setGeometry(0, h, w, bar);
    vsbField->setGeometry(w, 0, bar, h);
    m_corner->setGeometry(w, h, bar, bar);
    hsbField->setVisible(wide);
    vsbField->setVisible(tall);
    m_corner->setVisible(wide && tall);
    {
        const QSignalBlocker hb(hsbField);
        const QSignalBlocker vb(vsbField);
        hsbField->setRange(0, std::max(0, map.width() - w));
        hsbField->setPageStep(w);
        hsbField->setSingleStep(tile());
        vsbField->setRange(0, std::max(0, map.height() - h));
        vsbField->setPageStep(h);
        vsbField->setSingleStep(tile());
    }
    for (QWidget *c : {static_cast<QWidget *>(hsbField), static_cast<QWidget *>(vsbField), m_corner})
        c->raise();
    moveSurface(m_surface->pos());
}

void FieldView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutScrollBars();
}

void FieldView::wheelEvent(QWheelEvent *event)
{
    if (event->modifiers() & Qt::ControlModifier) {
        if (event->angleDelta().y() != 0) {
            const int i = int(Zooms.indexOf(m_zoom)) + (event->angleDelta().y() > 0 ? 1 : -1);
            if (i >= 0 && i < Zooms.size())
                setZoom(Zooms[i], event->position());
        }
        event->accept();
        return;
    }
    // A notch moves as many tiles as the system scrolls lines; a touchpad moves by its pixels.
    QPoint d = event->pixelDelta();
    if (d.isNull())
        d = event->angleDelta() * QApplication::wheelScrollLines() * tile() / 120;
    if ((event->modifiers() & Qt::ShiftModifier) && d.x() == 0)
        d = QPoint(d.y(), 0);
    if (hsbField->isHidden())
        d.setX(0);
    if (vsbField->isHidden())
        d.setY(0);
    if (d.isNull()) {
        event->ignore();
        return;
    }
    moveSurface(m_surface->pos() + d);
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
        case QEvent::Enter:
            if (!m_hovering)
                qApp->installEventFilter(this);
            m_hovering = true;
            break;
        case QEvent::Leave:
            m_hovering = false;
            if (!m_space)
                qApp->removeEventFilter(this);
            emit left();
            break;
        default:
            break;
        }
    } else if ((event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) && spaceKey(event)) {
        return true;
    } else if (event->type() == QEvent::WindowDeactivate && watched == window()) {
        setSpace(false); // its release goes to another window
    }
    return QWidget::eventFilter(watched, event);
}

bool FieldView::spaceKey(QEvent *event)
{
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() != Qt::Key_Space || !(m_hovering || m_space))
        return false;
    if (event->type() == QEvent::KeyPress) {
        if (!m_space) {
            const QWidget *focus = QApplication::focusWidget();
            // Only where the left button does something else: with a tool.
            if (!m_tool || !isVisible() || (focus && (focus->window() != window() || typesText(focus))))
                return false;
            setSpace(true);
        }
        return true;
    }
    if (!m_space)
        return false;
    if (!key->isAutoRepeat())
        setSpace(false);
    return true;
}

void FieldView::setSpace(bool held)
{
    if (held == m_space)
        return;
    m_space = held;
    if (held) {
        m_cursor = m_surface->cursor();
        m_surface->setCursor(Qt::OpenHandCursor);
    } else {
        m_surface->setCursor(m_cursor);
        if (!m_hovering)
            qApp->removeEventFilter(this);
    }
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
    const QPointF p = e->position();
    // The tile under the mouse after a tool acted on it (a painted cell shows its new code).
    const auto readOut = [this, p] {
        const QPoint t = tileAt(p);
        if (QRect(QPoint(0, 0), m_tiles).contains(t))
            emit hovered(t);
    };
    if (!m_hovering) {
        qApp->installEventFilter(this);
        m_hovering = true;
    }
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        if (m_pullButton != Qt::NoButton)
            return;
        const bool held = m_tool && m_tool->dragging();
        if (!held && (e->button() == Qt::MiddleButton || (e->button() == Qt::LeftButton && m_space))) {
            m_pullButton = e->button();
            m_anchor = p;
            return;
        }
        if (m_tool && m_tool->surfaceMouse(e)) {
            readOut();
            return;
        }
        if (e->button() == Qt::LeftButton && !held) {
            m_pullButton = Qt::LeftButton;
            m_anchor = p;
        }
        return;
    }
    case QEvent::MouseMove:
        if (m_pullButton != Qt::NoButton) {
            if (e->buttons() & m_pullButton)
                pull(p);
            return;
        }
        if (m_tool && m_tool->surfaceMouse(e)) {
            if (m_tool->dragging())
                followEdge((p + QPointF(m_surface->pos())).toPoint(), e->buttons(), e->modifiers());
            readOut();
            return;
        }
        if (e->buttons() == Qt::NoButton)
            emit hovered(tileAt(p));
        return;
    case QEvent::MouseButtonRelease:
        if (m_pullButton != Qt::NoButton) {
            if (e->button() == m_pullButton)
                m_pullButton = Qt::NoButton;
            return;
        }
        if (m_tool && m_tool->surfaceMouse(e))
            readOut();
        if (!m_tool || !m_tool->dragging())
            m_autoscroll->stop();
        return;
    default:
        if (m_tool)
            m_tool->surfaceMouse(e);
        return;
    }
}

void FieldView::pull(QPointF surfacePos)
{
    // Where the map stops at an edge, the mouse position there becomes the anchor.
    const QPointF d = surfacePos - m_anchor;
    const QPoint wanted = m_surface->pos() + QPoint(int(std::nearbyint(d.x())), int(std::nearbyint(d.y())));
    const QPoint pos = clampedPosition(wanted);
    if (pos.x() != wanted.x())
        m_anchor.setX(surfacePos.x());
    if (pos.y() != wanted.y())
        m_anchor.setY(surfacePos.y());
    moveSurface(pos);
}

QPoint FieldView::edgeStep(QPoint viewPos) const
{
    // Faster the further the mouse is past the inner line of the margin; only along a side
    // where the map is larger than the viewport.
    const auto step = [](int pos, int low, int high) {
        if (pos < low + EdgeMargin)
            return std::clamp((low + EdgeMargin - pos) / 2, 1, 32);
        if (pos >= high - EdgeMargin)
            return -std::clamp((pos - high + EdgeMargin + 1) / 2, 1, 32);
        return 0;
    };
    const QRect a = viewport();
    return QPoint(hsbField->isHidden() ? 0 : step(viewPos.x(), a.left(), a.right() + 1),
                  vsbField->isHidden() ? 0 : step(viewPos.y(), a.top(), a.bottom() + 1));
}

void FieldView::followEdge(QPoint viewPos, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
{
    m_edgePos = viewPos;
    m_edgeButtons = buttons;
    m_edgeModifiers = modifiers;
    if (edgeStep(viewPos).isNull())
        m_autoscroll->stop();
    else if (!m_autoscroll->isActive())
        m_autoscroll->start();
}

void FieldView::autoscroll()
{
    const QPoint before = m_surface->pos();
    if (m_tool && m_tool->dragging())
        moveSurface(before + edgeStep(m_edgePos));
    if (m_surface->pos() == before) {
        m_autoscroll->stop(); // the drag ended, or the map's end is in view
        return;
    }
    // The mouse stays where it is on the screen and so comes over other cells of the map.
    const QPointF p(m_edgePos - m_surface->pos());
    QMouseEvent move(QEvent::MouseMove, p, m_surface->mapToGlobal(p), Qt::NoButton, m_edgeButtons, m_edgeModifiers);
    m_tool->surfaceMouse(&move);
    const QPoint t = tileAt(p);
    if (QRect(QPoint(0, 0), m_tiles).contains(t))
        emit hovered(t);
}
