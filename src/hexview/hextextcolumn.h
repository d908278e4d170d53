#pragma once

#include "image/byteimages.h"

#include <QWidget>

class FlexGrid;

// The text column "文本" beside the hex grid: each row's sixteen bytes decoded as GBK, read
// from WorkImage when painted, in the grid's rows and scrolled with it. Changed cartridge bytes
// are red, as in the grid. Read-only.
class HexTextColumn : public QWidget {
    Q_OBJECT
public:
    HexTextColumn(const ByteImages &images, FlexGrid *grid, QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    int charWidth() const;

    const ByteImages &m_images;
    FlexGrid *m_grid;
};
