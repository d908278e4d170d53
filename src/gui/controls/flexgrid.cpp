#include "controls/flexgrid.h"

#include <QHash>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QScrollBar>

FlexGrid::FlexGrid(QWidget *parent) : QTableView(parent), m_model(new FlexGridModel(this))
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setMinimumSectionSize(fontMetrics().height());
    verticalHeader()->setHighlightSections(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_corner = new QLabel(this);
    m_corner->setObjectName(QStringLiteral("corner"));
    m_corner->setIndent(3);
    m_corner->setAttribute(Qt::WA_TransparentForMouseEvents);
    connect(this, &QAbstractItemView::doubleClicked, this, [this] { emit dblClick(); });
    attachModel();
}

void FlexGrid::setGridModel(FlexGridModel *model)
{
    FlexGridModel *old = m_model;
    model->setParent(this);
    m_model = model;
    attachModel();
    delete old;
}

void FlexGrid::attachModel()
{
    setModel(m_model);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { emit rowColChange(); });
    connect(m_model, &FlexGridModel::formatChanged, this, &FlexGrid::fitColumns);
    connect(m_model, &QAbstractItemModel::headerDataChanged, this, [this] { updateGeometries(); });
    verticalHeader()->setVisible(m_model->fixedCols() > 0);
    horizontalHeader()->setVisible(m_model->fixedRows() > 0);
}

void FlexGrid::setCellBackColor(int row, int col, quint32 colorValue)
{
    m_model->setCellColor(row, col, fromColorValue(colorValue));
}

int FlexGrid::row() const
{
    const QModelIndex i = currentIndex();
    return (i.isValid() ? i.row() : 0) + m_model->fixedRows();
}

int FlexGrid::col() const
{
    const QModelIndex i = currentIndex();
    return (i.isValid() ? i.column() : 0) + m_model->fixedCols();
}

void FlexGrid::setCurrentCell(int row, int col)
{
    const QModelIndex i = m_model->index(row - m_model->fixedRows(), col - m_model->fixedCols());
    if (i.isValid())
        selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect);
}

void FlexGrid::selectRowSpan(int lastCol)
{
    const QModelIndex from = currentIndex();
    const QModelIndex to = m_model->index(from.row(), lastCol - m_model->fixedCols());
    if (from.isValid() && to.isValid())
        selectionModel()->select(QItemSelection(from, to), QItemSelectionModel::ClearAndSelect);
}

void FlexGrid::setRunSelection(bool on)
{
    m_runs = on;
    setSelectionMode(on ? QAbstractItemView::ContiguousSelection : QAbstractItemView::SingleSelection);
}

std::pair<QPoint, QPoint> FlexGrid::selectedRun() const
{
    const QPoint fixed(m_model->fixedCols(), m_model->fixedRows());
    const QPoint current = QPoint(col(), row());
    const QItemSelection selection = selectionModel()->selection();
    if (!m_runs || selection.isEmpty())
        return {current, current};
    // Ranges of a run: its first row, the rows between, its last row.
    QModelIndex first = selection.first().topLeft();
    QModelIndex last = selection.first().bottomRight();
    for (const QItemSelectionRange &range : selection) {
        if (std::pair(range.top(), range.left()) < std::pair(first.row(), first.column()))
            first = range.topLeft();
        if (std::pair(range.bottom(), range.right()) > std::pair(last.row(), last.column()))
            last = range.bottomRight();
    }
    return {QPoint(first.column(), first.row()) + fixed, QPoint(last.column(), last.row()) + fixed};
}

void FlexGrid::setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command)
{
    // rect runs from where the selection started to where it ends now, corners as they came.
    const QModelIndex from = indexAt(rect.topLeft());
    const QModelIndex to = indexAt(rect.bottomRight());
    if (!m_runs || !from.isValid() || !to.isValid()) {
        QTableView::setSelection(rect, command);
        return;
    }
    const auto [a, b] = std::minmax(from, to, [](const QModelIndex &x, const QModelIndex &y) {
        return std::pair(x.row(), x.column()) < std::pair(y.row(), y.column());
    });
    const int lastCol = m_model->columnCount() - 1;
    QItemSelection run;
    if (a.row() == b.row()) {
        run.select(a, b);
    } else {
        run.select(a, m_model->index(a.row(), lastCol));
        if (b.row() > a.row() + 1)
            run.select(m_model->index(a.row() + 1, 0), m_model->index(b.row() - 1, lastCol));
        run.select(m_model->index(b.row(), 0), b);
    }
    selectionModel()->select(run, command);
}

int FlexGrid::topRow() const
{
    return verticalScrollBar()->value() + m_model->fixedRows();
}

int FlexGrid::leftCol() const
{
    return horizontalScrollBar()->value() + m_model->fixedCols();
}

void FlexGrid::setTopRow(int row)
{
    verticalScrollBar()->setValue(row - m_model->fixedRows());
}

void FlexGrid::setLeftCol(int col)
{
    horizontalScrollBar()->setValue(col - m_model->fixedCols());
}

void FlexGrid::stepRow(int delta, int span)
{
    const int last = rows() - 1;
    const int c = col();
    int r = row();
    if (delta < 0) {
        if (r == 1) {
            setCurrentCell(last, c);
            setTopRow(last);
        } else {
            setCurrentCell(--r, c);
            if (r < topRow())
                setTopRow(r);
        }
    } else if (r == last) {
        setCurrentCell(1, c);
        setTopRow(1);
    } else {
        setCurrentCell(++r, c);
        if (r > topRow() + span)
            setTopRow(r - span);
    }
}

int FlexGrid::visibleRows() const
{
    const int h = verticalHeader()->defaultSectionSize();
    return h > 0 ? std::max(1, viewport()->height() / h) : 1;
}

void FlexGrid::setRedraw(bool on)
{
    m_model->setRedraw(on);
    setUpdatesEnabled(on);
    if (on)
        fitColumns();
}

void FlexGrid::fitColumns()
{
    if (!m_model->redraw())
        return;
    const QFontMetrics fm = fontMetrics();
    const QFontMetrics hfm = horizontalHeader()->fontMetrics();
    const int pad = 2 * fm.horizontalAdvance(u'0') + 4;
    const int sample = std::min(m_model->rows(), 64);
    QHash<QString, int> measured; // grid texts repeat a lot
    const auto advance = [&](const QFontMetrics &m, const QString &text) {
        auto it = measured.constFind(text);
        if (it == measured.constEnd())
            it = measured.insert(text, m.horizontalAdvance(text));
        return *it;
    };
    for (int c = 0; c < m_model->cols(); ++c) {
        int width = m_model->fixedRows() > 0 ? hfm.horizontalAdvance(m_model->text(0, c)) : 0;
        for (int r = m_model->fixedRows(); r < sample; ++r)
            width = std::max(width, advance(fm, m_model->text(r, c)));
        width = std::max(width + pad, fm.horizontalAdvance(QStringLiteral("000")));
        if (c < m_model->fixedCols()) {
            verticalHeader()->setFixedWidth(width);
            m_model->setRowHeaderSize(QSize(width, verticalHeader()->defaultSectionSize()));
        } else {
            setColumnWidth(c - m_model->fixedCols(), width);
        }
    }
    updateGeometries();
}

void FlexGrid::updateGeometries()
{
    QTableView::updateGeometries();
    if (!m_corner)
        return; // still under construction
    const bool corner = m_model->fixedRows() > 0 && m_model->fixedCols() > 0;
    m_corner->setVisible(corner);
    if (corner) {
        m_corner->setText(m_model->text(0, 0));
        m_corner->setGeometry(frameWidth(), frameWidth(), verticalHeader()->width(), horizontalHeader()->height());
        m_corner->raise();
    }
}
