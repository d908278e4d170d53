#include "tables/classchangepage.h"

#include "controls/flexgrid.h"
#include "image/mymodule.h"
#include "gamedata/gamedata.h"
#include "tables/gametables.h"
#include "tables/tablewidgets.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QVBoxLayout>

using namespace GameTables;

namespace {
// Before, after and level: the three fields of a class change.
const GameData::Field &changeField(int i)
{
    return GameData::fixedTable(GameData::ClassChanges).fields[i];
}
} // namespace

ClassChangePage::ClassChangePage(ByteImages &images, QWidget *parent) : QWidget(parent), m_images(images)
{
    msfChangeWork = new FlexGrid(this);
    msfChangeWork->setObjectName(QStringLiteral("msfChangeWork"));
    msfChangeWork->grid().setFixedCols(0);
    msfChangeWork->setRows(1 + ClassChangeCount);
    msfChangeWork->setFormatString(QStringLiteral("<原 始 职 业|<可 转 职 业|<必 要 等 级"));
    connect(msfChangeWork, &FlexGrid::rowColChange, this, &ClassChangePage::msfChangeWork_RowColChange);

    frameChangeWork = new QGroupBox(QStringLiteral("职业转换编辑"), this);
    frameChangeWork->setObjectName(QStringLiteral("frameChangeWork"));
    auto *panel = new QGridLayout(frameChangeWork);
    for (int i = 0; i < 3; ++i) {
        lblChangeWork[i] = makeLabel(frameChangeWork, QStringLiteral("lblChangeWork_%1").arg(i), changeField(i).caption);
        panel->addWidget(lblChangeWork[i], 0, i);
    }
    for (int i = 0; i < 2; ++i) {
        cboChangeWork[i] = makeSelector(frameChangeWork, QStringLiteral("cboChangeWork_%1").arg(i), {});
        cboChangeWork[i]->setMinimumWidth(cboChangeWork[i]->fontMetrics().horizontalAdvance(QStringLiteral("00天马骑士(石像鬼)")) + 40);
        cboChangeWork[i]->installEventFilter(this);
        connect(cboChangeWork[i], &QComboBox::activated, this, [this, i](int entry) { cboChangeWork_Click(i, entry); });
        panel->addWidget(cboChangeWork[i], 1, i);
    }
    txtChangeWork = makeField(frameChangeWork, QStringLiteral("txtChangeWork"));
    txtChangeWork->installEventFilter(this);
    panel->addWidget(txtChangeWork, 1, 2);
    panel->setColumnStretch(3, 1);

    lblHelp = makeLabel(this, QStringLiteral("lblHelp"),
                        QStringLiteral("村人的转职随机(骑士、士兵、佣兵、弓箭手、男魔道士)，Lv3转职,无法修改。"));
    lblHelp->setWordWrap(true);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(msfChangeWork, 1);
    layout->addWidget(frameChangeWork);
    layout->addWidget(lblHelp);
}

QString ClassChangePage::classCell(int selector, int code) const
{
    // A code without an entry shows as its digits and "?".
    const QComboBox *combo = cboChangeWork[selector];
    return code >= 1 && code <= combo->count() ? combo->itemText(code - 1) : hexByte(code) + u'?';
}

void ClassChangePage::FillClassChangeGrid()
{
    for (int i = 0; i < 2; ++i) {
        QComboBox *combo = cboChangeWork[i];
        combo->clear();
        combo->addItems(changeField(i).codes);
        combo->setCurrentIndex(-1);
    }
    RefillClassChangeGrid();
}

void ClassChangePage::RefillClassChangeGrid()
{
    FlexGridModel &g = msfChangeWork->grid();
    for (int r = 1; r <= ClassChangeCount; ++r) {
        SetGridCell(g, r, 0, classCell(0, byteAt(m_images.WorkImage, changeField(0).offset(r - 1))));
        SetGridCell(g, r, 1, classCell(1, byteAt(m_images.WorkImage, changeField(1).offset(r - 1))));
        SetGridCell(g, r, 2, QString::number(byteAt(m_images.WorkImage, changeField(2).offset(r - 1))));
    }
    msfChangeWork->fitColumns();
    for (int c = 0; c < 3; ++c)
        msfChangeWork->setColumnWidth(c, std::max(msfChangeWork->columnWidth(c), cboChangeWork[0]->minimumWidth()));
    if (!msfChangeWork->currentIndex().isValid())
        msfChangeWork->setCurrentCell(1, 0);
    msfChangeWork_RowColChange();
}

void ClassChangePage::msfChangeWork_RowColChange()
{
    const int row = msfChangeWork->row();
    for (int i = 0; i < 2; ++i) {
        const int code = pieceCode(GetGridCell(msfChangeWork->grid(), row, i));
        cboChangeWork[i]->setCurrentIndex(code >= 1 && code <= cboChangeWork[i]->count() ? code - 1 : -1);
    }
    txtChangeWork->setText(GetGridCell(msfChangeWork->grid(), row, 2));
}

void ClassChangePage::showCell(int row, int col)
{
    if (row < 1 || row > ClassChangeCount || col < 0 || col > 2)
        return;
    msfChangeWork->setCurrentCell(row, col);
    msfChangeWork->scrollTo(msfChangeWork->currentIndex());
    msfChangeWork_RowColChange();
    if (col < 2)
        cboChangeWork[col]->setFocus();
    else
        txtChangeWork->setFocus();
}

void ClassChangePage::cboChangeWork_Click(int index, int entry)
{
    const int row = msfChangeWork->row();
    const QString text = cboChangeWork[index]->itemText(entry);
    SetGridCell(msfChangeWork->grid(), row, index, text);
    {
        const EditStep step(m_images, lblChangeWork[index]->text(), EditHistory::Base::Hex);
        m_images.write(changeField(index).offset(row - 1), pieceCode(text));
    }
    msfChangeWork_RowColChange();
}

void ClassChangePage::txtChangeWork_Enter()
{
    const QString text = txtChangeWork->text();
    const int row = msfChangeWork->row();
    if (IsDecByte(text) && text.toInt() >= 1 && text.toInt() <= 20) {
        SetGridCell(msfChangeWork->grid(), row, 2, text);
        {
            const EditStep step(m_images, lblChangeWork[2]->text(), EditHistory::Base::Decimal);
            m_images.write(changeField(2).offset(row - 1), text.toInt());
        }
        msfChangeWork_RowColChange();
        cboChangeWork[0]->setFocus();
    } else {
        valueNotTaken(txtChangeWork, lblChangeWork[2]->text(), QStringLiteral("1 至 20 的十进制数"));
        msfChangeWork_RowColChange();
        txtChangeWork->selectAll();
    }
}

void ClassChangePage::moveRow(int delta)
{
    msfChangeWork->stepRow(delta, 20);
    msfChangeWork->selectRowSpan(2);
    msfChangeWork_RowColChange();
    if (txtChangeWork->hasFocus())
        txtChangeWork->selectAll();
}

bool ClassChangePage::eventFilter(QObject *watched, QEvent *event)
{
    const bool box = watched == txtChangeWork;
    const int selector = watched == cboChangeWork[0] ? 0 : watched == cboChangeWork[1] ? 1 : -1;
    if (!box && selector < 0)
        return QWidget::eventFilter(watched, event);
    if (box && event->type() == QEvent::FocusIn) {
        QTimer::singleShot(0, txtChangeWork, [this] { txtChangeWork->selectAll(); });
    } else if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            moveRow(key == Qt::Key_Up ? -1 : 1);
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (box)
                txtChangeWork_Enter();
            else if (selector == 0)
                cboChangeWork[1]->setFocus();
            else
                txtChangeWork->setFocus();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ClassChangePage::imageWritten(const WrittenBytes &written)
{
    if (touchesTable(written, GameData::ClassChanges))
        RefillClassChangeGrid();
}
