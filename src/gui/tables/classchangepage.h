#pragma once

#include "image/byteimages.h"
#include "image/imageview.h"

#include <QWidget>

class FlexGrid;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;

// Sub-tab "职业转换": the 13 class-change rules in a grid, edited in the panel under it.
class ClassChangePage : public QWidget, public ImageView {
    Q_OBJECT
public:
    explicit ClassChangePage(ByteImages &images, QWidget *parent = nullptr);
    // The grid shows the table again when a byte of it was written.
    void imageWritten(const WrittenBytes &written) override;

    FlexGrid *msfChangeWork;
    QGroupBox *frameChangeWork;
    QComboBox *cboChangeWork[2];
    QLabel *lblChangeWork[3];
    QLineEdit *txtChangeWork;
    QLabel *lblHelp;

    void FillClassChangeGrid();
    void RefillClassChangeGrid();
    void msfChangeWork_RowColChange();
    // Selects grid row `row` (from 1) and focuses the box of column `col` (0 to 2).
    void showCell(int row, int col);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void cboChangeWork_Click(int index, int entry);
    void txtChangeWork_Enter();
    void moveRow(int delta);
    QString classCell(int selector, int code) const;

    ByteImages &m_images;
};
