#pragma once

#include <QImage>
#include <QPixmap>
#include <QPointF>
#include <QVector>
#include <QWidget>

#include <optional>

class FieldSurface;
class FieldTool;

// The map view of the battlefield page (the viewport picFieldContainer): the surface picField
// with the painted map, pulled about with the mouse inside the viewport, zoomed from 16 to 64
// pixels per tile, with the grid lines, and the tile under the mouse. Whatever stands on the
// surface is placed in tiles by the page, at tile() pixels each.
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

    // Shows a map painted at BaseTile pixels a tile (or none), at its top-left corner.
    void setMap(const QImage &map, QSize tiles);
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
    // Moves the surface to pos, keeping a wide map over the whole viewport and a narrow one
    // inside it; returns where it went.
    QPoint clampedPosition(QPoint pos) const;
    void surfaceMouse(QEvent *event);

    FieldSurface *m_surface;
    QImage m_map;
    QSize m_tiles;
    int m_zoom = 100;
    QSize m_preferred;
    bool m_gridLines = false;
    QVector<QWidget *> m_lines;
    FieldTool *m_tool = nullptr;
    QPointF m_anchor; // mouse position in the surface when a pull started
};
