#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class TestPlay;

// "试玩设置": the emulator command as one line, and which of the usual emulators are installed.
// An empty line uses the first one found.
class frmTestPlay : public QDialog {
    Q_OBJECT
public:
    frmTestPlay(TestPlay &testPlay, QWidget *parent = nullptr);

    QLineEdit *txtTestPlayCommand;
    QLabel *lblTestPlayFound;
    QPushButton *btnOK;
    QPushButton *btnCancel;

    // Keeps the command in the editor's settings.
    void accept() override;

private:
    TestPlay &m_testPlay;
};
