#include "tables/levelcoefficientframe.h"

#include "controls/flexgrid.h"
#include "image/mymodule.h"
#include "gamedata/gamedata.h"
#include "tables/tablewidgets.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTimer>

namespace {
// The coefficient of level k, from 1.
qint64 levelOffset(int k)
{
    return GameData::fixedTable(GameData::LevelCoefficients).fields[0].offset(k - 1);
}
} // namespace

LevelCoefficientFrame::LevelCoefficientFrame(ByteImages &images, QWidget *parent)
    : QGroupBox(QStringLiteral("等级系数"), parent), m_images(images)
{
    setObjectName(QStringLiteral("frameExpLevel"));
    msfExpLevel = new FlexGrid(this);
    msfExpLevel->setObjectName(QStringLiteral("msfExpLevel"));
    msfExpLevel->setFormatString(QStringLiteral("级别|^  1|^  2|^  3|^  4|^  5|^  6|^  7|^  8|^  9|^ 10|^ 11|^ 12|^ 13|^ 14 "
                                                "|^ 15|^ 16|^ 17|^ 18|^ 19"));
    msfExpLevel->setRows(2);
    msfExpLevel->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    msfExpLevel->setFixedHeight(msfExpLevel->horizontalHeader()->sizeHint().height()
                                + msfExpLevel->verticalHeader()->defaultSectionSize() + 2 * msfExpLevel->frameWidth()
                                + msfExpLevel->horizontalScrollBar()->sizeHint().height());
    connect(msfExpLevel, &FlexGrid::rowColChange, this, &LevelCoefficientFrame::msfExpLevel_RowColChange);

    txtExpLevel = makeField(this, QStringLiteral("txtExpLevel"));
    txtExpLevel->installEventFilter(this);
    txtExpLevelSource = makeSourceBox(this, QStringLiteral("txtExpLevelSource"));
    txtExpLevelSource->setMaximumHeight(txtExpLevelSource->fontMetrics().lineSpacing() * 3 + 12);
    lblExplain = makeLabel(this, QStringLiteral("lblExplain"),
                           QStringLiteral("等级系数越大，敌人职业的经验值越多，打败敌人所获得的经验值就越多。最大为255。"));
    lblExplain->setWordWrap(true);
    lblEnter = makeLabel(this, QStringLiteral("lblEnter"), QStringLiteral("请按回车确认修改"));

    auto *layout = new QGridLayout(this);
    layout->addWidget(msfExpLevel, 0, 0, 1, 4);
    layout->addWidget(txtExpLevel, 1, 0);
    layout->addWidget(lblEnter, 1, 1);
    layout->addWidget(txtExpLevelSource, 1, 2);
    layout->addWidget(lblExplain, 2, 0, 1, 4);
    layout->setColumnStretch(3, 1);
}

void LevelCoefficientFrame::FillLevelCoefficientGrid()
{
    FlexGridModel &g = msfExpLevel->grid();
    SetGridCell(g, 1, 0, QStringLiteral("系数"));
    for (int k = 1; k <= 19; ++k)
        SetGridCell(g, 1, k, QString::number(byteAt(m_images.WorkImage, levelOffset(k))));
    if (!msfExpLevel->currentIndex().isValid())
        msfExpLevel->setCurrentCell(1, 1);
    msfExpLevel_RowColChange();
}

void LevelCoefficientFrame::msfExpLevel_RowColChange()
{
    const int k = msfExpLevel->col();
    const qint64 offset = levelOffset(k);
    txtExpLevel->setText(GetGridCell(msfExpLevel->grid(), msfExpLevel->row(), k));
    if (offset < m_images.WorkImage.size() && offset < m_images.OpenedImage.size()) {
        const int now = byteAt(m_images.WorkImage, offset);
        const int opened = byteAt(m_images.OpenedImage, offset);
        m_rawText = QStringLiteral("原始数据:\r\n级别") + GetGridCell(msfExpLevel->grid(), 0, k) + QStringLiteral(": ")
            + QString::number(opened);
        if (now != opened)
            m_rawText += QStringLiteral(" => ") + QString::number(now);
        txtExpLevelSource->setPlainText(QString(m_rawText).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    }
    txtExpLevel->selectAll();
    if (txtExpLevel->isVisible())
        txtExpLevel->setFocus();
}

void LevelCoefficientFrame::showLevel(int k)
{
    if (k < 1 || k > 19)
        return;
    msfExpLevel->setCurrentCell(1, k);
    msfExpLevel->scrollTo(msfExpLevel->currentIndex());
    msfExpLevel_RowColChange();
    txtExpLevel->setFocus();
}

void LevelCoefficientFrame::txtExpLevel_Enter()
{
    const QString text = txtExpLevel->text();
    if (!IsDecByte(text)) {
        valueNotTaken(txtExpLevel, QStringLiteral("等级系数"), DecByteAccepted);
        return; // the typed text stays for correcting
    }
    const int k = msfExpLevel->col();
    {
        const EditStep step(m_images, QStringLiteral("等级系数") + GetGridCell(msfExpLevel->grid(), 0, k).trimmed(),
                            EditHistory::Base::Decimal);
        m_images.write(levelOffset(k), text.toInt());
    }
    SetGridCell(msfExpLevel->grid(), 1, k, QString::number(text.toInt()));
    msfExpLevel->setCurrentCell(1, k == 19 ? 1 : k + 1);
    msfExpLevel_RowColChange();
}

bool LevelCoefficientFrame::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == txtExpLevel) {
        if (event->type() == QEvent::FocusIn) {
            QTimer::singleShot(0, txtExpLevel, [this] { txtExpLevel->selectAll(); });
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                txtExpLevel_Enter();
                return true;
            }
            if (key == Qt::Key_Left || key == Qt::Key_Right) {
                const int k = msfExpLevel->col();
                const int next = key == Qt::Key_Left ? (k == 1 ? 19 : k - 1) : (k == 19 ? 1 : k + 1);
                msfExpLevel->setCurrentCell(1, next);
                msfExpLevel->scrollTo(msfExpLevel->currentIndex());
                msfExpLevel_RowColChange();
                return true;
            }
        }
    }
    return QGroupBox::eventFilter(watched, event);
}

void LevelCoefficientFrame::imageWritten(const WrittenBytes &written)
{
    if (touchesTable(written, GameData::LevelCoefficients))
        FillLevelCoefficientGrid();
}
