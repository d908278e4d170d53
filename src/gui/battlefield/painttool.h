#pragma once

#include "battlefield/fieldtool.h"
#include "battlefield/mapcodec.h"

#include <QObject>
#include <QPoint>

class FieldView;
class TileSet;
class QWidget;

// Painting the ground of a map: the left button paints every cell it passes (one stroke, press to
// release, is one step), Shift + drag fills a rectangle, Ctrl + click fills the four-connected
// area of one tile, and the right button picks the tile under the mouse. Every change is written
// at once as the map's shortest stream, and only while that fits the map's bytes. Every gesture
// starts from the map as WorkImage holds it at the press.
class PaintTool : public QObject, public FieldTool {
    Q_OBJECT
public:
    PaintTool(ByteImages &images, FieldView &view, QObject *parent = nullptr);

    // The map of the war drawn now (its tiles from WorkImage), its name and its tile bitmaps.
    void setMap(const PaintableMap &map, const QString &name, TileSet *tiles);
    const PaintableMap &map() const { return m_map; }
    // Bytes the map's stream takes now.
    int used() const { return m_used; }

    int tile() const { return m_tile; }
    void setTile(int code) { m_tile = code; }

    bool surfaceMouse(QMouseEvent *event) override;
    bool dragging() const override { return m_gesture != Gesture::None; }

signals:
    void tilePicked(int code);
    // WorkImage holds a map of another size than the one shown: the page draws it anew.
    void outdated();
    // The map's stream changed length, or a change did not fit (full).
    void meterChanged(int used, int budget, bool full);
    void message(const QString &text);

private:
    QPoint cellAt(QPointF pos) const;
    bool inMap(QPoint cell) const;
    // Sets cells to the current tile and writes the map when it fits; false (nothing changed)
    // when it does not.
    bool paint(const QVector<QPoint> &cells);
    void beginStroke(QPoint cell);
    void strokeTo(QPoint cell);
    void endStroke();
    void paintRectangle(QPoint from, QPoint to);
    void fill(QPoint cell);
    // A rectangle or a fill: all of it in one step, or nothing when it does not fit.
    void paintArea(const QVector<QPoint> &cells);
    void showPreview(QPoint from, QPoint to);
    // Takes the map as WorkImage holds it now, drawing the cells that differ from the shown ones;
    // false (with the reason said) when it cannot be painted.
    bool takeImage();

protected:
    // Ctrl+Z while a stroke is held ends the stroke, so that the undo takes it back whole.
    bool eventFilter(QObject *watched, QEvent *event) override;

    ByteImages &m_images;
    FieldView &m_view;
    PaintableMap m_map;
    QString m_name;
    TileSet *m_tiles = nullptr;
    int m_used = 0;
    int m_tile = 0x2E;

    enum class Gesture { None, Stroke, Rectangle };
    Gesture m_gesture = Gesture::None;
    QPoint m_last;     // the stroke's last cell, or the rectangle's first corner
    int m_painted = 0; // cells the stroke changed
    bool m_full = false;
    QWidget *m_preview = nullptr;
};
