#pragma once

#include <QPixmap>
#include <QWidget>

// The map surface of the battlefield page: the painted map as its background, with the markers,
// unit pictures and grid lines as child widgets placed in whole tiles.
class FieldSurface : public QWidget {
    Q_OBJECT
public:
    explicit FieldSurface(QWidget *parent = nullptr);

    // Shows the map and takes its size (a map made for a high-density screen keeps its size in
    // the screen's pixels).
    void setMap(const QPixmap &map);
    const QPixmap &map() const { return m_map; }
    // Draws a bitmap over a part of the map (in the surface's pixels), scaled with no smoothing.
    void drawCell(const QRect &target, const QImage &bitmap);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_map;
};
