#include "hexview/frmfind.h"

#include "controls/flexgrid.h"
#include "hexview/bytesearch.h"
#include "hexview/hexpage.h"
#include "image/dialogs.h"
#include "image/mymodule.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QRadioButton *radio(QWidget *parent, const char *name, const QString &caption)
{
    auto *b = new QRadioButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

} // namespace

frmFind::frmFind(ByteImages &images, Dialogs &dialogs, HexPage &hexPage, QWidget *owner)
    : QWidget(owner, Qt::Tool), m_images(images), m_dialogs(dialogs), m_hex(hexPage)
{
    setObjectName(QStringLiteral("frmFind"));
    setWindowTitle(QStringLiteral("查找"));

    lblFindContent = new QLabel(QStringLiteral("查找内容(&N)"), this);
    lblFindContent->setObjectName(QStringLiteral("lblFindContent"));
    txtFindContent = new QLineEdit(this);
    txtFindContent->setObjectName(QStringLiteral("txtFindContent"));
    lblFindContent->setBuddy(txtFindContent);
    txtFindContent->installEventFilter(this);

    frameRange = new QGroupBox(QStringLiteral("查找范围"), this);
    frameRange->setObjectName(QStringLiteral("frameRange"));
    txtFindFrom = new QLineEdit(QStringLiteral("0004D1E0"), frameRange);
    txtFindFrom->setObjectName(QStringLiteral("txtFindFrom"));
    lblTo = new QLabel(QStringLiteral("至"), frameRange);
    lblTo->setObjectName(QStringLiteral("lblTo"));
    txtFindTo = new QLineEdit(QStringLiteral("000AD1EF"), frameRange);
    txtFindTo->setObjectName(QStringLiteral("txtFindTo"));
    for (QLineEdit *box : {txtFindFrom, txtFindTo})
        box->setMaxLength(8);
    auto *rangeLayout = new QHBoxLayout(frameRange);
    rangeLayout->addWidget(txtFindFrom);
    rangeLayout->addWidget(lblTo);
    rangeLayout->addWidget(txtFindTo);

    frameSplitChar = new QGroupBox(QStringLiteral("分隔符"), this);
    frameSplitChar->setObjectName(QStringLiteral("frameSplitChar"));
    cboSplitChar = new QComboBox(frameSplitChar);
    cboSplitChar->setObjectName(QStringLiteral("cboSplitChar"));
    cboSplitChar->addItem(QStringLiteral("空格"), 32);
    cboSplitChar->addItem(QStringLiteral(","), 44);
    (new QVBoxLayout(frameSplitChar))->addWidget(cboSplitChar);

    frameSystem = new QGroupBox(QStringLiteral("进制"), this);
    frameSystem->setObjectName(QStringLiteral("frameSystem"));
    opt16 = radio(frameSystem, "opt16", QStringLiteral("十六进制"));
    opt10 = radio(frameSystem, "opt10", QStringLiteral("十进制"));
    opt16->setChecked(true);
    auto *systemLayout = new QVBoxLayout(frameSystem);
    systemLayout->addWidget(opt16);
    systemLayout->addWidget(opt10);

    frameFindWay = new QGroupBox(QStringLiteral("方向"), this);
    frameFindWay->setObjectName(QStringLiteral("frameFindWay"));
    optUpWay = radio(frameFindWay, "optUpWay", QStringLiteral("向上"));
    optDownWay = radio(frameFindWay, "optDownWay", QStringLiteral("向下"));
    optDownWay->setChecked(true);
    auto *wayLayout = new QVBoxLayout(frameFindWay);
    wayLayout->addWidget(optUpWay);
    wayLayout->addWidget(optDownWay);

    btnFindNext = new QPushButton(QStringLiteral("查找下一个(&F)"), this);
    btnFindNext->setObjectName(QStringLiteral("btnFindNext"));
    btnCancel = new QPushButton(QStringLiteral("取消(&C)"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    connect(btnFindNext, &QPushButton::clicked, this, &frmFind::btnFindNext_Click);
    connect(btnCancel, &QPushButton::clicked, this, &frmFind::btnCancel_Click);

    auto *grid = new QGridLayout(this);
    grid->addWidget(lblFindContent, 0, 0);
    grid->addWidget(txtFindContent, 0, 1, 1, 3);
    grid->addWidget(btnFindNext, 0, 4);
    grid->addWidget(frameRange, 1, 0, 1, 2);
    grid->addWidget(frameSplitChar, 1, 2, 1, 2);
    grid->addWidget(btnCancel, 1, 4, Qt::AlignTop);
    grid->addWidget(frameSystem, 2, 0, 1, 2);
    grid->addWidget(frameFindWay, 2, 2, 1, 2);
    grid->setColumnStretch(1, 1);

    connect(cboSplitChar, &QComboBox::currentIndexChanged, this, &frmFind::cboSplitChar_Click);
    cboSplitChar->setCurrentIndex(0);
    cboSplitChar_Click();
}

void frmFind::cboSplitChar_Click()
{
    const QChar separator(cboSplitChar->currentData().toInt());
    const int caret = txtFindContent->cursorPosition();
    const int start = txtFindContent->selectionStart();
    const int length = txtFindContent->selectionLength();
    txtFindContent->setText(ReplaceAll(txtFindContent->text(), m_separator, separator, false));
    m_separator = separator;
    if (length > 0)
        txtFindContent->setSelection(start, length);
    else
        txtFindContent->setCursorPosition(caret);
}

void frmFind::btnFindNext_Click()
{
    const QString sep(QChar(cboSplitChar->currentData().toInt()));
    const QString cleaned = ReplaceAll(txtFindContent->text(), sep + sep, sep, true);
    if (cleaned.isEmpty())
        return;
    txtFindContent->setText(cleaned);

    const bool decimal = opt10->isChecked();
    QByteArray pattern;
    for (const QString &raw : cleaned.split(sep)) {
        const QString part = raw.trimmed();
        if (!(decimal ? IsDecByte(part) : IsHexByte(part))) {
            m_dialogs.message(Dialogs::Icon::Error, QStringLiteral("错误！"), QStringLiteral("输入错误！"));
            txtFindContent->selectAll();
            txtFindContent->setFocus();
            return;
        }
        pattern += char(part.toInt(nullptr, decimal ? 10 : 16));
    }

    const qint64 start = qint64(m_hex.msfFileContent->row() - 1) * 16 + m_hex.msfFileContent->col() - 1;
    bool rangeError = false;
    const auto inRange = [this, &rangeError](qint64 p) {
        bool okFrom = false;
        bool okTo = false;
        const qint64 from = txtFindFrom->text().toLongLong(&okFrom, 16);
        const qint64 to = txtFindTo->text().toLongLong(&okTo, 16);
        if (!okFrom || !okTo) {
            rangeError = true;
            return -1;
        }
        return from <= p && p <= to ? 1 : 0;
    };
    const qint64 found = findPattern(m_images.WorkImage, start, pattern, optDownWay->isChecked(), inRange);
    if (rangeError) {
        m_dialogs.message(Dialogs::Icon::Error, QStringLiteral("错误！"), QStringLiteral("查找范围错误！"));
        return;
    }
    if (found < 0)
        m_dialogs.message(Dialogs::Icon::Information, QStringLiteral("没有找到！"), QStringLiteral("没有符合条件的内容！"));
    else
        m_hex.GotoAddress(PadText(QString::number(found, 16).toUpper(), QStringLiteral("0"), 8, true), true);
    txtFindContent->setFocus();
}

void frmFind::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        btnCancel_Click();
    else
        QWidget::keyPressEvent(event);
}

void frmFind::btnCancel_Click()
{
    txtFindContent->selectAll();
    txtFindContent->setFocus();
    hide();
}

bool frmFind::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == txtFindContent) {
        if (event->type() == QEvent::FocusIn) {
            QTimer::singleShot(0, txtFindContent, [this] { txtFindContent->selectAll(); });
        } else if (event->type() == QEvent::KeyPress) {
            auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                btnFindNext_Click();
                return true;
            }
            if (key->key() == Qt::Key_Space && txtFindContent->hasSelectedText()) {
                txtFindContent->setCursorPosition(txtFindContent->selectionEnd());
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}
