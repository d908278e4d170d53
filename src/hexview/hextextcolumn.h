#pragma once

#include "image/byteimages.h"

#include <QHash>
#include <QStaticText>
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
    // A glyph laid out once, in the column's font.
    const QStaticText &laidOut(const QString &glyph) const;

    const ByteImages &m_images;
    FlexGrid *m_grid;
    mutable QHash<QString, QStaticText> m_glyphs;
    mutable QFont m_font;
};
