#pragma once

#include "image/byteimages.h"

#include <QWidget>

class Dialogs;
class HexPage;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// Searches WorkImage for a typed byte sequence from the hex grid's current byte and moves the
// grid to the match. Owned by the main window, shown without blocking it, hidden by Cancel.
class frmFind : public QWidget {
    Q_OBJECT
public:
    frmFind(ByteImages &images, Dialogs &dialogs, HexPage &hexPage, QWidget *owner);

    QLabel *lblFindContent;
    QLineEdit *txtFindContent;
    QGroupBox *frameRange;
    QLineEdit *txtFindFrom;
    QLabel *lblTo;
    QLineEdit *txtFindTo;
    QGroupBox *frameSplitChar;
    QComboBox *cboSplitChar;
    QGroupBox *frameSystem;
    QRadioButton *opt16;
    QRadioButton *opt10;
    QGroupBox *frameFindWay;
    QRadioButton *optUpWay;
    QRadioButton *optDownWay;
    QPushButton *btnFindNext;
    QPushButton *btnCancel;

    void btnFindNext_Click();
    void btnCancel_Click();
    void cboSplitChar_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    ByteImages &m_images;
    Dialogs &m_dialogs;
    HexPage &m_hex;
    QChar m_separator = u' '; // the separator the search text uses now
};
