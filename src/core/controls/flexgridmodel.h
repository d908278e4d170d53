#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QSize>
#include <QString>
#include <QVector>

// Cell store of a FlexGrid. Coordinates are grid coordinates: row 0 is the fixed header row,
// column 0 the fixed header column when the grid has one. Texts and colours live here; the
// view shows the fixed row and column as its headers. Models that compute their texts (the hex
// grid) override text() and setText().
class FlexGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit FlexGridModel(QObject *parent = nullptr);

    int rows() const { return m_rows; }
    int cols() const { return m_cols; }
    void setRows(int rows);
    void setCols(int cols);
    int fixedRows() const { return m_fixedRows; }
    int fixedCols() const { return m_fixedCols; }
    void setFixedCols(int fixedCols);

    virtual QString text(int row, int col) const;
    virtual void setText(int row, int col, const QString &text);
    // Cell colour; an invalid colour means the grid's default.
    virtual QColor cellColor(int row, int col) const;
    virtual void setCellColor(int row, int col, const QColor &color);
    // Removes every text and colour.
    virtual void clear();

    // "<a|^b|>c": header texts of row 0 and the alignment of each column (< left, ^ centre,
    // > right). Sets the column count to the number of parts.
    void setFormatString(const QString &format);
    QString formatString() const { return m_format; }
    Qt::Alignment colAlignment(int col) const;

    // With redraw off, cell writes notify no view; switching it on refreshes every view once.
    void setRedraw(bool on);
    bool redraw() const { return m_redraw; }

    // Size of every row header, so that views need not measure 40,000 of them.
    void setRowHeaderSize(const QSize &size) { m_rowHeaderSize = size; }

    bool isValidCell(int row, int col) const { return row >= 0 && col >= 0 && row < m_rows && col < m_cols; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    void formatChanged();

protected:
    // Tells the views that a cell changed (unless redraw is off).
    void cellChanged(int row, int col);
    // Called when rows or columns change; the base class keeps its cells at their coordinates.
    virtual void resizeCells(int rows, int cols);

private:
    int m_rows = 2;
    int m_cols = 2;
    int m_fixedRows = 1;
    int m_fixedCols = 1;
    bool m_redraw = true;
    QString m_format;
    QSize m_rowHeaderSize;
    QVector<Qt::Alignment> m_alignments;
    QVector<QString> m_texts;
    QVector<QRgb> m_colors; // 0 = default, else an opaque colour
};

// Cell access by linear index row * (current column count) + column, the way every grid of
// the editor is written in bulk. Out-of-range cells read as empty and ignore writes.
void SetGridCell(FlexGridModel &grid, int row, int col, const QString &text);
QString GetGridCell(const FlexGridModel &grid, int row, int col);

// The editor's colour values are Windows colour numbers (0x00BBGGRR: 255 is red).
QColor fromColorValue(quint32 value);
