#include "battlefield/fieldsurface.h"

#include <QPainter>
#include <QPaintEvent>

FieldSurface::FieldSurface(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void FieldSurface::setMap(const QPixmap &map)
{
    m_map = map;
    resize(map.deviceIndependentSize().toSize()); // in pixels of the screen, at any scale factor
    update();
}

void FieldSurface::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), QColor(192, 192, 255));
    painter.drawPixmap(0, 0, m_map);
}

void FieldSurface::drawCell(const QRect &target, const QImage &bitmap)
{
    if (m_map.isNull())
        return;
    {
        QPainter painter(&m_map);
        painter.drawImage(QRectF(target), bitmap, QRectF(bitmap.rect()));
    }
    update(target);
}
