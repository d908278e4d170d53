#pragma once

#include <QHash>
#include <QStaticText>
#include <QWidget>

class FlexGrid;
class HexGridModel;

// The text column "文本" beside the hex grid: the sixteen bytes each row's cells show, decoded
// as GBK, in the grid's rows and scrolled with it. Bytes whose cells are coloured as changed are
// red. Read-only.
class HexTextColumn : public QWidget {
    Q_OBJECT
public:
    HexTextColumn(const HexGridModel &model, FlexGrid *grid, QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    int charWidth() const;
    // A glyph laid out once, in the column's font.
    const QStaticText &laidOut(const QString &glyph) const;

    const HexGridModel &m_model;
    FlexGrid *m_grid;
    mutable QHash<QString, QStaticText> m_glyphs;
    mutable QFont m_font;
};
