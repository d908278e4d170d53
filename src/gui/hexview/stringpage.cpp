#include "hexview/stringpage.h"

#include "hexview/stringconvert.h"
#include "image/gbk.h"
#include "image/mymodule.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

namespace {
const QString Captions[3] = {QStringLiteral("字符串"), QStringLiteral("Unicode"), QStringLiteral("Ascii")};
const QColor FocusColor(0xC0, 0xFF, 0xC0);
} // namespace

StringPage::StringPage(QWidget *parent) : QWidget(parent)
{
    const char *labelNames[3] = {"lblSourceString", "lblUnicode", "lblAscii"};
    auto *boxes = new QGridLayout;
    for (int i = 0; i < 3; ++i) {
        m_labels[i] = new QLabel(Captions[i], this);
        m_labels[i]->setObjectName(QString::fromLatin1(labelNames[i]));
        m_labels[i]->setCursor(Qt::PointingHandCursor);
        m_labels[i]->setToolTip(QStringLiteral("单击：在此框中选中与上次编辑框中对应的内容"));
        m_labels[i]->installEventFilter(this);
        txtStringChange[i] = new QPlainTextEdit(this);
        txtStringChange[i]->setObjectName(QStringLiteral("txtStringChange_%1").arg(i));
        txtStringChange[i]->installEventFilter(this);
        connect(txtStringChange[i], &QPlainTextEdit::textChanged, this, [this, i] { txtStringChange_Change(i); });
        boxes->addWidget(m_labels[i], i, 0, Qt::AlignTop);
        boxes->addWidget(txtStringChange[i], i, 1);
    }
    lblSourceString = m_labels[0];
    lblUnicode = m_labels[1];
    lblAscii = m_labels[2];

    for (int i = 0; i < 2; ++i) {
        txtFind[i] = new QLineEdit(this);
        txtFind[i]->setObjectName(QStringLiteral("txtFind_%1").arg(i));
    }
    lblTo = new QLabel(QStringLiteral("=>"), this);
    lblTo->setObjectName(QStringLiteral("lblTo"));
    chkTrim = new QCheckBox(QStringLiteral("去掉两端空格"), this);
    chkTrim->setObjectName(QStringLiteral("chkTrim"));
    btnCopyReplace = new QPushButton(QStringLiteral("替换复制[&P]"), this);
    btnCopyReplace->setObjectName(QStringLiteral("btnCopyReplace"));
    connect(btnCopyReplace, &QPushButton::clicked, this, &StringPage::btnCopyReplace_Click);
    frameCopyContent = new QGroupBox(QStringLiteral("复制内容"), this);
    frameCopyContent->setObjectName(QStringLiteral("frameCopyContent"));
    txtCopyContent = new QPlainTextEdit(frameCopyContent);
    txtCopyContent->setObjectName(QStringLiteral("txtCopyContent"));
    txtCopyContent->setReadOnly(true);
    (new QVBoxLayout(frameCopyContent))->addWidget(txtCopyContent);

    auto *copyRow = new QHBoxLayout;
    copyRow->addWidget(txtFind[0], 1);
    copyRow->addWidget(lblTo);
    copyRow->addWidget(txtFind[1], 1);
    copyRow->addWidget(chkTrim);
    copyRow->addWidget(btnCopyReplace);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(boxes, 3);
    layout->addLayout(copyRow);
    layout->addWidget(frameCopyContent, 1);
}

QString StringPage::convert(const QString &text, int from, int to, bool *error) const
{
    bool ignored = false;
    bool &err = error ? *error : ignored;
    if (from == to)
        return text;
    QString plain;
    switch (from) {
    case 0:
        plain = text;
        break;
    case 1:
        plain = textFromUtf16(parseBytes(text, &err));
        break;
    default:
        plain = fromAnsi(parseBytes(text, &err));
        break;
    }
    switch (to) {
    case 0:
        return plain;
    case 1:
        return renderBytes(utf16Bytes(plain));
    default:
        return renderBytes(toAnsi(plain));
    }
}

void StringPage::txtStringChange_Change(int index)
{
    if (m_updating)
        return;
    m_updating = true;
    const QString text = txtStringChange[index]->toPlainText();
    QString converted[3];
    for (int i = 0; i < 3; ++i)
        if (i != index && !text.isEmpty())
            converted[i] = convert(text, index, i, &m_inputError);
    // Input that is refused converts to nothing.
    for (int i = 0; i < 3; ++i)
        if (i != index)
            txtStringChange[i]->setPlainText(m_inputError ? QString() : converted[i]);
    m_lastEdited = index;
    showLabels();
    m_inputError = false;
    m_updating = false;
}

void StringPage::showLabels()
{
    for (int i = 0; i < 3; ++i)
        m_labels[i]->setText(m_inputError ? Captions[i] + QStringLiteral("(输入错误)") : Captions[i]);
}

void StringPage::setBoxColor(int index, const QColor &color)
{
    QPalette p = txtStringChange[index]->palette();
    p.setColor(QPalette::Base, color.isValid() ? color : palette().color(QPalette::Base));
    txtStringChange[index]->setPalette(p);
}

void StringPage::label_Click(int index)
{
    QPlainTextEdit *target = txtStringChange[index];
    target->setFocus();
    if (index == m_lastEdited)
        return;
    const QTextCursor source = txtStringChange[m_lastEdited]->textCursor();
    const QString sourceText = txtStringChange[m_lastEdited]->toPlainText();
    const int start = source.selectionStart();
    const QString prefix = sourceText.left(start);
    const QString selected = sourceText.mid(start, source.selectionEnd() - start);
    const int length = int(target->toPlainText().size());
    const int caret = std::min<int>(int(convert(prefix, m_lastEdited, index).size()), length);
    const int selection = selected.isEmpty() ? 0 : int(convert(selected, m_lastEdited, index).size());
    QTextCursor c = target->textCursor();
    c.setPosition(caret);
    c.setPosition(std::min(caret + selection, length), QTextCursor::KeepAnchor);
    target->setTextCursor(c);
}

void StringPage::btnCopyReplace_Click()
{
    QString text = txtStringChange[m_copySource]->textCursor().selectedText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    if (chkTrim->isChecked())
        text = TrimSpaces(text);
    if (!txtFind[0]->text().isEmpty())
        text = ReplaceAll(text, txtFind[0]->text(), txtFind[1]->text(), false);
    QApplication::clipboard()->setText(text);
    txtCopyContent->setPlainText(text);
}

bool StringPage::eventFilter(QObject *watched, QEvent *event)
{
    for (int i = 0; i < 3; ++i) {
        if (watched == m_labels[i] && event->type() == QEvent::MouseButtonPress) {
            label_Click(i);
            return true;
        }
        if (watched == txtStringChange[i]) {
            if (event->type() == QEvent::FocusIn) {
                m_copySource = i;
                setBoxColor(m_lastEdited, QColor());
                setBoxColor(i, FocusColor);
            } else if (event->type() == QEvent::FocusOut) {
                m_lastEdited = i;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}
