#include "controls/flexgridmodel.h"

#include <QStringList>

FlexGridModel::FlexGridModel(QObject *parent) : QAbstractTableModel(parent)
{
    resizeCells(m_rows, m_cols);
    m_alignments.fill(Qt::AlignLeft, m_cols);
}

void FlexGridModel::setRows(int rows)
{
    rows = std::max(rows, m_fixedRows);
    if (rows == m_rows)
        return;
    beginResetModel();
    resizeCells(rows, m_cols);
    m_rows = rows;
    endResetModel();
}

void FlexGridModel::setCols(int cols)
{
    cols = std::max(cols, m_fixedCols);
    if (cols == m_cols)
        return;
    beginResetModel();
    resizeCells(m_rows, cols);
    m_cols = cols;
    m_alignments.resize(cols, Qt::AlignLeft);
    endResetModel();
}

void FlexGridModel::setFixedCols(int fixedCols)
{
    beginResetModel();
    m_fixedCols = std::clamp(fixedCols, 0, 1);
    if (m_cols < m_fixedCols) {
        resizeCells(m_rows, m_fixedCols);
        m_cols = m_fixedCols;
        m_alignments.resize(m_cols, Qt::AlignLeft);
    }
    endResetModel();
}

void FlexGridModel::resizeCells(int rows, int cols)
{
    if (cols == m_cols || m_texts.isEmpty()) {
        m_texts.resize(qsizetype(rows) * cols);
        m_colors.resize(qsizetype(rows) * cols, 0);
        return;
    }
    QVector<QString> texts(qsizetype(rows) * cols);
    QVector<QRgb> colors(qsizetype(rows) * cols, 0);
    for (int r = 0; r < std::min(rows, m_rows); ++r)
        for (int c = 0; c < std::min(cols, m_cols); ++c) {
            texts[qsizetype(r) * cols + c] = m_texts[qsizetype(r) * m_cols + c];
            colors[qsizetype(r) * cols + c] = m_colors[qsizetype(r) * m_cols + c];
        }
    m_texts = std::move(texts);
    m_colors = std::move(colors);
}

QString FlexGridModel::text(int row, int col) const
{
    return isValidCell(row, col) ? m_texts[qsizetype(row) * m_cols + col] : QString();
}

void FlexGridModel::setText(int row, int col, const QString &text)
{
    if (!isValidCell(row, col))
        return;
    m_texts[qsizetype(row) * m_cols + col] = text;
    cellChanged(row, col);
}

QColor FlexGridModel::cellColor(int row, int col) const
{
    if (!isValidCell(row, col))
        return QColor();
    const QRgb c = m_colors[qsizetype(row) * m_cols + col];
    return c ? QColor::fromRgb(c) : QColor();
}

void FlexGridModel::setCellColor(int row, int col, const QColor &color)
{
    if (!isValidCell(row, col))
        return;
    m_colors[qsizetype(row) * m_cols + col] = color.isValid() ? (color.rgb() | 0xFF000000u) : 0;
    cellChanged(row, col);
}

void FlexGridModel::clear()
{
    beginResetModel();
    std::fill(m_texts.begin(), m_texts.end(), QString());
    std::fill(m_colors.begin(), m_colors.end(), 0);
    endResetModel();
}

void FlexGridModel::setFormatString(const QString &format)
{
    m_format = format;
    const QStringList parts = format.split(u'|');
    setCols(int(parts.size()));
    for (int c = 0; c < int(parts.size()); ++c) {
        QString part = parts[c];
        Qt::Alignment align = Qt::AlignLeft;
        if (!part.isEmpty() && (part[0] == u'<' || part[0] == u'^' || part[0] == u'>')) {
            align = part[0] == u'<' ? Qt::AlignLeft : part[0] == u'^' ? Qt::AlignHCenter : Qt::AlignRight;
            part.remove(0, 1);
        }
        m_alignments[c] = align;
        if (m_fixedRows > 0)
            setText(0, c, part);
    }
    if (m_redraw && rowCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::TextAlignmentRole});
    emit formatChanged();
}

Qt::Alignment FlexGridModel::colAlignment(int col) const
{
    return col >= 0 && col < m_alignments.size() ? m_alignments[col] : Qt::Alignment(Qt::AlignLeft);
}

void FlexGridModel::setRedraw(bool on)
{
    if (on == m_redraw)
        return;
    m_redraw = on;
    if (on) {
        if (columnCount() > 0)
            emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
        if (rowCount() > 0)
            emit headerDataChanged(Qt::Vertical, 0, rowCount() - 1);
        if (rowCount() > 0 && columnCount() > 0)
            emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    }
}

void FlexGridModel::cellChanged(int row, int col)
{
    if (!m_redraw)
        return;
    const int r = row - m_fixedRows;
    const int c = col - m_fixedCols;
    if (r < 0 && c < 0)
        return;
    if (r < 0)
        emit headerDataChanged(Qt::Horizontal, c, c);
    else if (c < 0)
        emit headerDataChanged(Qt::Vertical, r, r);
    else
        emit dataChanged(index(r, c), index(r, c));
}

int FlexGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows - m_fixedRows;
}

int FlexGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_cols - m_fixedCols;
}

QVariant FlexGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    const int row = index.row() + m_fixedRows;
    const int col = index.column() + m_fixedCols;
    switch (role) {
    case Qt::DisplayRole:
        return text(row, col);
    case Qt::TextAlignmentRole:
        return int(colAlignment(col) | Qt::AlignVCenter);
    case Qt::BackgroundRole: {
        const QColor c = cellColor(row, col);
        return c.isValid() ? QVariant(c) : QVariant();
    }
    default:
        return QVariant();
    }
}

QVariant FlexGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    const bool horizontal = orientation == Qt::Horizontal;
    if (horizontal ? m_fixedRows == 0 : m_fixedCols == 0)
        return QVariant();
    const int row = horizontal ? 0 : section + m_fixedRows;
    const int col = horizontal ? section + m_fixedCols : 0;
    if (role == Qt::DisplayRole)
        return text(row, col);
    if (role == Qt::SizeHintRole && !horizontal && m_rowHeaderSize.isValid())
        return m_rowHeaderSize;
    if (role == Qt::TextAlignmentRole)
        return int((horizontal ? colAlignment(col) : Qt::Alignment(Qt::AlignLeft)) | Qt::AlignVCenter);
    return QVariant();
}

namespace {
// Linear index of a cell, or -1 when it lies outside the grid.
qint64 linearIndex(const FlexGridModel &grid, int row, int col)
{
    const qint64 index = qint64(row) * grid.cols() + col;
    return index >= 0 && index < qint64(grid.rows()) * grid.cols() ? index : -1;
}
} // namespace

void SetGridCell(FlexGridModel &grid, int row, int col, const QString &text)
{
    const qint64 i = linearIndex(grid, row, col);
    if (i >= 0)
        grid.setText(int(i / grid.cols()), int(i % grid.cols()), text);
}

QString GetGridCell(const FlexGridModel &grid, int row, int col)
{
    const qint64 i = linearIndex(grid, row, col);
    return i >= 0 ? grid.text(int(i / grid.cols()), int(i % grid.cols())) : QString();
}

QColor fromColorValue(quint32 value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}
