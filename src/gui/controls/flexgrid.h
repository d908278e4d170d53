#pragma once

#include "controls/flexgridmodel.h"

#include <QTableView>

#include <utility>

class QLabel;

// The grid control of every grid in the editor: a table view over a FlexGridModel whose fixed
// row and column are the view's headers. Rows and columns are grid coordinates (the header row
// is row 0), as in the model.
class FlexGrid : public QTableView {
    Q_OBJECT
public:
    explicit FlexGrid(QWidget *parent = nullptr);

    FlexGridModel &grid() const { return *m_model; }
    // Puts another model (for example one that computes its texts) under the view; the grid
    // takes ownership.
    void setGridModel(FlexGridModel *model);

    int rows() const { return m_model->rows(); }
    int cols() const { return m_model->cols(); }
    void setRows(int rows) { m_model->setRows(rows); }
    void setCols(int cols) { m_model->setCols(cols); }
    void setFormatString(const QString &format) { m_model->setFormatString(format); }
    QString textMatrix(int row, int col) const { return m_model->text(row, col); }
    void setTextMatrix(int row, int col, const QString &text) { m_model->setText(row, col, text); }
    void setCellBackColor(int row, int col, quint32 colorValue);

    // Current cell.
    int row() const;
    int col() const;
    void setRow(int row) { setCurrentCell(row, col()); }
    void setCol(int col) { setCurrentCell(row(), col); }
    void setCurrentCell(int row, int col);
    // Current cell and the cells of the same row up to column lastCol, selected together.
    void selectRowSpan(int lastCol);
    // Dragging or Shift selects a run of cells read row by row, as text is selected (the hex
    // grid's bytes), instead of the single current cell.
    void setRunSelection(bool on);
    // The first and last cell of the run selected, as grid coordinates; the current cell when
    // runs are off.
    std::pair<QPoint, QPoint> selectedRun() const;

    // First scrollable row and column in view.
    int topRow() const;
    int leftCol() const;
    void setTopRow(int row);
    void setLeftCol(int col);
    // Up (delta -1) or Down (+1) one row in the same column, wrapping at both ends: Up from row
    // 1 goes to the last row and scrolls it to the top, Down from the last row goes to row 1.
    // Otherwise the row is kept in view, at most span rows below the top row.
    void stepRow(int delta, int span);
    // How many whole scrollable rows fit in view.
    int visibleRows() const;

    void setRedraw(bool on);
    // Sizes the columns to their header and first cells.
    void fitColumns();

signals:
    void rowColChange();
    void dblClick();

protected:
    void updateGeometries() override;
    void setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command) override;

private:
    void attachModel();

    FlexGridModel *m_model = nullptr;
    QLabel *m_corner = nullptr;
    bool m_runs = false;
};
