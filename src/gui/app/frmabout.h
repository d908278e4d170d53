#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

// The about box.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget *parent = nullptr);

    QLabel *lblTitle;
    QLabel *lblVersion;
    QPlainTextEdit *txtInfo;
    QPushButton *btnOK;
};
