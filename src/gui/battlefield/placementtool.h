#pragma once

#include "battlefield/fieldpage.h"

#include <QObject>
#include <QPoint>
#include <QPointF>

class QLabel;

// Placing the armies on the map: the markers of the start positions and the unit pictures are
// dragged tile by tile, each drag (press to release) one step; a unit is described on hover and
// opened for editing on double-click. It watches the markers and pictures of its page.
class PlacementTool : public QObject {
    Q_OBJECT
public:
    PlacementTool(FieldPage &page, ByteImages &images);

    // Ends a drag in progress, naming its step.
    void endDrag();
    // Moves a marker, or a picture with its marker, by the whole tiles the mouse went from the
    // press; onto a free tile only.
    void DragMarker(QLabel *control, const QPointF &pos);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void beginDrag(QLabel *control, const QPointF &pos);
    void markerMouse(QLabel *marker, QEvent *event);
    void pictureMouse(QLabel *picture, const FieldPage::Picture &which, QEvent *event);
    bool writePosition(QLabel *marker, const QPoint &tile);

    FieldPage &m_page;
    ByteImages &m_images;
    QPointF DragStart;              // pixels, in the control pressed
    QLabel *m_dragMarker = nullptr; // the marker a drag moves, while the button is held
    QString m_dragCaption;
    QPoint m_dragFrom;
};
