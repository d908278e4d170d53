#pragma once

#include <QWidget>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// Tab "字符处理": one text in three synchronised forms (text, UTF-16 bytes, GBK bytes) and the
// copy-replace tool.
class StringPage : public QWidget {
    Q_OBJECT
public:
    explicit StringPage(QWidget *parent = nullptr);

    QPlainTextEdit *txtStringChange[3];
    QLabel *lblSourceString;
    QLabel *lblUnicode;
    QLabel *lblAscii;
    QLineEdit *txtFind[2];
    QLabel *lblTo;
    QCheckBox *chkTrim;
    QPushButton *btnCopyReplace;
    QGroupBox *frameCopyContent;
    QPlainTextEdit *txtCopyContent;

    void txtStringChange_Change(int index);
    void label_Click(int index);
    void btnCopyReplace_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The source text in form `from` rendered in form `to`.
    QString convert(const QString &text, int from, int to, bool *error = nullptr) const;
    void setBoxColor(int index, const QColor &color);
    void showLabels();

    QLabel *m_labels[3];
    int m_copySource = 0;  // box that last had the focus
    int m_lastEdited = 0;  // box last edited or left
    bool m_inputError = false;
    bool m_updating = false;
};
