#include "battlefield/placementtool.h"

#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>

#include <cmath>

PlacementTool::PlacementTool(FieldPage &page, ByteImages &images) : QObject(&page), m_page(page), m_images(images)
{
}

bool PlacementTool::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease &&
        type != QEvent::MouseButtonDblClick)
        return QObject::eventFilter(watched, event);
    auto *label = qobject_cast<QLabel *>(watched);
    if (label && m_page.m_sideOf.contains(label)) {
        markerMouse(label, event);
        return true;
    }
    if (label && m_page.m_pictureOf.contains(label)) {
        pictureMouse(label, m_page.m_pictureOf.value(label), event);
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void PlacementTool::beginDrag(QLabel *control, const QPointF &pos)
{
    DragStart = pos;
    endDrag();
    QLabel *marker = m_page.m_pictureOf.contains(control) ? m_page.UnitMarkerOf(control) : control;
    if (!marker || m_page.UnitEditMode)
        return;
    const FieldPage::Side side = m_page.m_sideOf.value(marker);
    m_dragCaption = QStringLiteral("移动 %1 %2").arg(FieldPage::sideCaption(side), marker->text());
    m_dragFrom = m_page.tileOf(marker);
    m_dragMarker = marker;
    m_images.history.begin(m_dragCaption);
}

void PlacementTool::endDrag()
{
    if (!m_dragMarker)
        return;
    const QPoint to = m_page.tileOf(m_dragMarker);
    m_dragMarker = nullptr; // the views told of the step may place the markers anew
    m_images.history.setLabel(m_dragCaption + QStringLiteral(" (%1,%2) => (%3,%4)")
                                                  .arg(m_dragFrom.x()).arg(m_dragFrom.y()).arg(to.x()).arg(to.y()));
    m_images.history.end();
}

void PlacementTool::markerMouse(QLabel *marker, QEvent *event)
{
    auto *e = static_cast<QMouseEvent *>(event);
    if (event->type() == QEvent::MouseButtonPress) {
        if (e->button() == Qt::LeftButton)
            beginDrag(marker, e->position());
        return;
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        if (e->button() == Qt::LeftButton)
            endDrag();
        return;
    }
    if (event->type() != QEvent::MouseMove)
        return;
    if (e->buttons() & Qt::LeftButton)
        DragMarker(marker, e->position());
    const QPoint t = m_page.tileOf(marker);
    m_page.showTile(QStringLiteral("%1,%2").arg(t.x()).arg(t.y()));
}

void PlacementTool::pictureMouse(QLabel *picture, const FieldPage::Picture &which, QEvent *event)
{
    auto *e = static_cast<QMouseEvent *>(event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (e->button() == Qt::LeftButton)
            beginDrag(picture, e->position());
        return;
    case QEvent::MouseButtonRelease:
        if (e->button() == Qt::LeftButton)
            endDrag();
        return;
    case QEvent::MouseButtonDblClick:
        if (e->button() == Qt::LeftButton)
            m_page.openUnit(picture, which);
        return;
    case QEvent::MouseMove:
        break;
    default:
        return;
    }
    if (!m_page.UnitEditMode) {
        if (const ArmyMen *unit = m_page.unitOf(which.team, which.index)) {
            m_page.txtArmyMen->setPlainText(QString(m_page.UnitDescription(*unit)).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
            m_page.ShowUnitInEditFrame(*unit);
        }
        if (e->buttons() & Qt::LeftButton)
            DragMarker(picture, e->position());
    }
    const QPoint t = m_page.tileOf(picture);
    m_page.showTile(QStringLiteral("%1,%2").arg(t.x()).arg(t.y()));
}

void PlacementTool::DragMarker(QLabel *control, const QPointF &pos)
{
    if (m_page.UnitEditMode)
        return;
    const int dx = int(std::nearbyint((pos.x() - DragStart.x()) / m_page.tile())); // ties to even
    const int dy = int(std::nearbyint((pos.y() - DragStart.y()) / m_page.tile()));
    const QPoint to = m_page.tileOf(control) + QPoint(dx, dy);
    if ((dx == 0 && dy == 0) || !m_page.IsFreeTile(to.x(), to.y()))
        return;
    // The mouse position is relative to the control, so the anchor stays: after the move the
    // next step counts from the new tile.
    if (m_page.m_pictureOf.contains(control)) {
        QLabel *marker = m_page.UnitMarkerOf(control);
        if (!marker)
            return;
        marker->hide();
        control->move(to * m_page.tile());
        marker->move(to * m_page.tile());
        if (m_page.chkShowLoc->isChecked())
            marker->show();
        writePosition(marker, to);
    } else {
        control->move(to * m_page.tile());
        writePosition(control, to);
    }
}

bool PlacementTool::writePosition(QLabel *marker, const QPoint &tile)
{
    const FieldPage::Side side = m_page.m_sideOf.value(marker);
    const int n = int(m_page.m_markers[side].indexOf(marker)) + 1;
    FieldInfo &w = *m_page.m_war;
    switch (side) {
    case FieldPage::AttackOne:
        return w.setActX(0, n, tile.x()) && w.setActY(0, n, tile.y());
    case FieldPage::AttackTwo:
        if (w.HelpNumber != 0)
            return w.setHelpX(n, tile.x()) && w.setHelpY(n, tile.y());
        return w.setActX(1, n, tile.x()) && w.setActY(1, n, tile.y());
    case FieldPage::DefenceOne:
        return w.setDefX(0, n, tile.x()) && w.setDefY(0, n, tile.y());
    case FieldPage::DefenceTwo:
        return w.setDefX(1, n, tile.x()) && w.setDefY(1, n, tile.y());
    }
    return false;
}

