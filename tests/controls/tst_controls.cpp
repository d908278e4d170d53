#include "controls/flexgrid.h"

#include <QHeaderView>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

class TestControls : public QObject {
    Q_OBJECT

private slots:
    void formatStringSetsHeadersAndAlignment()
    {
        FlexGrid g;
        g.setRows(2);
        g.setFormatString("级别|^  1|^  2|>  3|<x ");
        QCOMPARE(g.cols(), 5);
        QCOMPARE(g.textMatrix(0, 0), QString("级别"));
        QCOMPARE(g.textMatrix(0, 1), QString("  1"));
        QCOMPARE(g.textMatrix(0, 4), QString("x ")); // trailing blank kept
        QCOMPARE(g.grid().colAlignment(1), Qt::Alignment(Qt::AlignHCenter));
        QCOMPARE(g.grid().colAlignment(3), Qt::Alignment(Qt::AlignRight));
        QCOMPARE(g.grid().colAlignment(0), Qt::Alignment(Qt::AlignLeft));
        // The fixed row and column are the view's headers; the corner shows cell (0, 0).
        QCOMPARE(g.model()->headerData(0, Qt::Horizontal).toString(), QString("  1"));
        g.setTextMatrix(1, 0, "系数");
        QCOMPARE(g.model()->headerData(0, Qt::Vertical).toString(), QString("系数"));
        QCOMPARE(g.findChild<QLabel *>("corner")->text(), QString("级别"));
    }

    void linearCellAccess()
    {
        FlexGrid g;
        g.setRows(4);
        g.setCols(3);
        SetGridCell(g.grid(), 2, 1, "a");
        QCOMPARE(g.textMatrix(2, 1), QString("a"));
        QCOMPARE(GetGridCell(g.grid(), 2, 1), QString("a"));
        // The index is row * columns + column, so a column past the end lands on the next row.
        SetGridCell(g.grid(), 1, 3, "b");
        QCOMPARE(g.textMatrix(2, 0), QString("b"));
        // The column count is read on every call.
        g.setCols(4);
        QCOMPARE(GetGridCell(g.grid(), 2, 1), QString("a"));
        QCOMPARE(GetGridCell(g.grid(), 2, 0), QString("b"));
        // Cells outside the grid read as empty and ignore writes.
        SetGridCell(g.grid(), 99, 0, "x");
        SetGridCell(g.grid(), -1, 0, "x");
        QCOMPARE(GetGridCell(g.grid(), 99, 0), QString());
        QCOMPARE(GetGridCell(g.grid(), 1 << 20, 1 << 20), QString());
    }

    void coloursAreWindowsColourValues()
    {
        FlexGrid g;
        g.setRows(3);
        g.setCols(3);
        g.setCellBackColor(1, 1, 255);
        g.setCellBackColor(1, 2, 0xC0FFC0);
        g.setCellBackColor(2, 1, 0xFF0000);
        QCOMPARE(g.grid().cellColor(1, 1), QColor(Qt::red));
        QCOMPARE(g.grid().cellColor(1, 2), QColor(0xC0, 0xFF, 0xC0));
        QCOMPARE(g.grid().cellColor(2, 1), QColor(Qt::blue));
        QVERIFY(!g.grid().cellColor(2, 2).isValid());
        QCOMPARE(g.model()->data(g.model()->index(0, 0), Qt::BackgroundRole).value<QColor>(), QColor(Qt::red));
        g.grid().clear();
        QVERIFY(!g.grid().cellColor(1, 1).isValid());
    }

    void currentCellAndScrolling()
    {
        FlexGrid g;
        g.resize(300, 200);
        g.setRows(101);
        g.setCols(4);
        g.show();
        QSignalSpy spy(&g, &FlexGrid::rowColChange);
        g.setCurrentCell(5, 2);
        QCOMPARE(g.row(), 5);
        QCOMPARE(g.col(), 2);
        QCOMPARE(spy.count(), 1);
        g.setRow(100);
        QCOMPARE(g.row(), 100);
        QCOMPARE(g.col(), 2);
        g.setTopRow(40);
        QCOMPARE(g.topRow(), 40);
        g.setTopRow(1);
        QCOMPARE(g.topRow(), 1);
        QVERIFY(g.visibleRows() >= 1);
        g.setCurrentCell(0, 0); // header cells cannot be current
        QCOMPARE(g.row(), 100);
    }

    void redrawOffSilencesViews()
    {
        FlexGrid g;
        g.setRows(50);
        g.setCols(5);
        QSignalSpy spy(g.model(), &QAbstractItemModel::dataChanged);
        g.setRedraw(false);
        for (int r = 1; r < 50; ++r)
            for (int c = 1; c < 5; ++c)
                SetGridCell(g.grid(), r, c, QString::number(r * c));
        QCOMPARE(spy.count(), 0);
        g.setRedraw(true);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(g.textMatrix(49, 4), QString("196"));
    }

    void gridWithoutFixedColumn()
    {
        FlexGrid g;
        g.grid().setFixedCols(0);
        g.setRows(14);
        g.setFormatString("<原 始 职 业|<可 转 职 业|<必 要 等 级");
        QCOMPARE(g.cols(), 3);
        QCOMPARE(g.model()->columnCount(), 3);
        QCOMPARE(g.model()->rowCount(), 13);
        g.setTextMatrix(3, 1, "05飞鹰骑士");
        QCOMPARE(g.model()->data(g.model()->index(2, 1)).toString(), QString("05飞鹰骑士"));
        g.setCurrentCell(3, 0);
        QCOMPARE(g.row(), 3);
        QCOMPARE(g.col(), 0);
    }
};

QTEST_MAIN(TestControls)
#include "tst_controls.moc"
