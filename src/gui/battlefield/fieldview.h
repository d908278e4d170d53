#pragma once

#include <QCursor>
#include <QImage>
#include <QPixmap>
#include <QPointF>
#include <QVector>
#include <QWidget>

#include <optional>

class FieldSurface;
class FieldTool;
class QScrollBar;
class QTimer;

// The map view of the battlefield page (the viewport picFieldContainer): the surface picField
// with the painted map, zoomed from 16 to 64 pixels per tile, with the grid lines, and the tile
// under the mouse. Whatever stands on the surface is placed in tiles by the page, at tile()
// pixels each.
//
// The map moves inside the viewport as in other editors: pulled with the left button where no
// tool takes it, with the middle button or Space + left button always, by the wheel (Shift +
// wheel sideways; Ctrl + wheel zooms) and by the scroll bars a larger map has. A tool's drag
// that reaches the viewport's edge scrolls it along while the mouse stays there.
class FieldView : public QWidget {
    Q_OBJECT
public:
    static constexpr int BaseTile = 16; // pixels of a tile at 100%
    static const QVector<int> Zooms;    // percent: 100, 150, 200, 300, 400

    explicit FieldView(QWidget *parent = nullptr);

    FieldSurface *surface() const { return m_surface; }
    int zoom() const { return m_zoom; }
    int tile() const { return BaseTile * m_zoom / 100; }
    // Tile under a point of the surface.
    QPoint tileAt(QPointF surfacePos) const;

    // Shows a map painted at BaseTile pixels a tile (or none), at its top-left corner or, with
    // keepPlace, where the map shown before stood.
    void setMap(const QImage &map, QSize tiles, bool keepPlace = false);
    // Scales the map, keeping the tile under anchor (a point of the view; its centre when
    // none) where it is. Unknown percentages are ignored.
    void setZoom(int percent, std::optional<QPointF> anchor = std::nullopt);
    void setGridLines(bool on);

    // The size the viewport asks of the page's layout; it may still be shrunk to its minimum.
    void setPreferredSize(QSize size);
    QSize sizeHint() const override { return m_preferred; }

    // The tool that is handed the mouse on the bare map first (none: the map is only pulled).
    void setTool(FieldTool *tool) { m_tool = tool; }
    // Draws one cell of the shown map anew with a tile bitmap of BaseTile pixels.
    void setCell(QPoint cell, const QImage &bitmap);
    // The map as shown, at BaseTile pixels a tile.
    const QImage &mapImage() const { return m_map; }

    // The part of the view the map is seen in: all of it but the scroll bars.
    QRect viewport() const;
    QScrollBar *hsbField; // shown while the map is wider than the viewport
    QScrollBar *vsbField; // and while it is taller
    static constexpr int EdgeMargin = 16; // pixels along the viewport's edges that scroll a tool's drag

    // A picture scaled to a whole number of tiles at the current zoom with no smoothing, sharp
    // on any screen scale factor.
    QPixmap sharp(const QPixmap &picture) const;

signals:
    // The tile under the mouse as it moves over the bare map.
    void hovered(QPoint tile);
    // The mouse left the map.
    void left();
    // The zoom changed: everything on the surface is to be placed again at newTile pixels.
    void zoomChanged(int percent, int oldTile, int newTile);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    void showScaledMap();
    void placeGridLines();
    // Where the surface may stand for pos: a wide map over the whole viewport, a narrow one
    // inside it.
    QPoint clampedPosition(QPoint pos) const;
    // Moves the surface there, clamped, and sets the scroll bars to match.
    void moveSurface(QPoint pos);
    // Shows the scroll bars the map's size asks for, with their ranges.
    void layoutScrollBars();
    void surfaceMouse(QEvent *event);
    // Pulls the map by the mouse's way from the anchor.
    void pull(QPointF surfacePos);
    // Space held over the map turns the left button into a pull.
    bool spaceKey(QEvent *event);
    void setSpace(bool held);
    // A tool's drag at viewPos (a point of the view): scrolls along while it is at an edge.
    void followEdge(QPoint viewPos, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
    QPoint edgeStep(QPoint viewPos) const;
    void autoscroll();

    FieldSurface *m_surface;
    QImage m_map;
    QSize m_tiles;
    int m_zoom = 100;
    QSize m_preferred;
    bool m_gridLines = false;
    QVector<QWidget *> m_lines;
    FieldTool *m_tool = nullptr;
    QPointF m_anchor; // mouse position in the surface when a pull started
    Qt::MouseButton m_pullButton = Qt::NoButton; // the button of the pull in progress
    bool m_space = false;    // Space is held
    bool m_hovering = false; // the mouse is over the map
    QCursor m_cursor;        // the surface's cursor before Space
    QWidget *m_corner;       // between the two scroll bars
    QTimer *m_autoscroll;
    QPoint m_edgePos; // the view point of the drag at the edge
    Qt::MouseButtons m_edgeButtons;
    Qt::KeyboardModifiers m_edgeModifiers;
};
