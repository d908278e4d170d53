#include "battlefield/enemytypepage.h"

#include "controls/flexgrid.h"
#include "image/mymodule.h"
#include "tables/tablewidgets.h"

#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {
// Grid column of each selector (name, class, item, AI) and of each box (level, magic).
const int ComboColumn[4] = {1, 2, 4, 5};
const int BoxColumn[2] = {3, 6};
} // namespace

EnemyTypePage::EnemyTypePage(ByteImages &images, QWidget *parent) : QWidget(parent), m_images(images)
{
    msfEnemyType = new FlexGrid(this);
    msfEnemyType->setObjectName(QStringLiteral("msfEnemyType"));
    msfEnemyType->setRows(1 + EnemyType::Count);
    connect(msfEnemyType, &FlexGrid::rowColChange, this, &EnemyTypePage::msfEnemyType_RowColChange);
    connect(msfEnemyType, &FlexGrid::dblClick, this, [this] {
        if (btnEtypeEditOk->isVisible())
            emit etypeEditOk();
    });

    static const char *captions[6] = {"姓  名", "职  业", "等  级", "物  品", "AI方式", "魔  法"};
    auto *panel = new QGridLayout;
    for (int i = 0; i < 6; ++i) {
        lblEType[i] = makeLabel(this, QStringLiteral("lblEType_%1").arg(i), QString::fromUtf8(captions[i]));
        panel->addWidget(lblEType[i], 0, i);
    }
    // Screen order: name, class, level, item, AI, magic.
    const int comboPlace[4] = {0, 1, 3, 4};
    for (int i = 0; i < 4; ++i) {
        cboEType[i] = makeSelector(this, QStringLiteral("cboEType_%1").arg(i), {});
        cboEType[i]->installEventFilter(this);
        connect(cboEType[i], &QComboBox::activated, this, [this, i] { cboEType_Click(i); });
        panel->addWidget(cboEType[i], 1, comboPlace[i]);
    }
    for (int i = 0; i < 2; ++i) {
        txtEType[i] = makeField(this, QStringLiteral("txtEType_%1").arg(i));
        txtEType[i]->installEventFilter(this);
        panel->addWidget(txtEType[i], 1, i == 0 ? 2 : 5);
    }
    panel->setColumnStretch(6, 1);

    txtEtypeSource = makeSourceBox(this, "txtEtypeSource");
    txtEtypeSource->setFixedHeight(textBoxHeight(txtEtypeSource, 7));
    txtEtypeEdit = makeHelpBox(this, "txtEtypeEdit", QStringLiteral("请按确定按钮或双击列表退出编辑状态。"));
    txtEtypeEdit->setMaximumHeight(textBoxHeight(txtEtypeEdit, 2));
    txtEtypeEdit->setVisible(false);
    btnEtypeEditOk = new QPushButton(QStringLiteral("确定[&O]"), this);
    btnEtypeEditOk->setObjectName(QStringLiteral("btnEtypeEditOk"));
    btnEtypeEditOk->setVisible(false);
    connect(btnEtypeEditOk, &QPushButton::clicked, this, &EnemyTypePage::etypeEditOk);

    auto *bottom = new QGridLayout;
    bottom->addWidget(txtEtypeSource, 0, 0, 2, 1);
    bottom->addWidget(txtEtypeEdit, 0, 1);
    bottom->addWidget(btnEtypeEditOk, 1, 1, Qt::AlignRight | Qt::AlignTop);
    bottom->setColumnStretch(0, 3);
    bottom->setColumnStretch(1, 2);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(msfEnemyType, 1);
    layout->addLayout(panel);
    layout->addLayout(bottom);
}

void EnemyTypePage::InitEnemyTypeTable()
{
    m_types = std::make_unique<EnemyType>(m_images);
    const CodeList *lists[4] = {&m_types->AllEName(), &m_types->AllEWork(), &m_types->AllEItem(), &m_types->AllEAI()};
    for (int i = 0; i < 4; ++i) {
        const QSignalBlocker quiet(cboEType[i]);
        cboEType[i]->clear();
        cboEType[i]->addItems(lists[i]->entries());
        cboEType[i]->setCurrentIndex(-1);
    }
    fillRows(1);
}

void EnemyTypePage::RefreshEnemyTypeGrid(bool keepRow)
{
    if (m_types)
        fillRows(keepRow ? msfEnemyType->row() : 1);
}

void EnemyTypePage::fillRows(int row)
{
    msfEnemyType->setRedraw(false);
    msfEnemyType->setFormatString(GetResString(8)); // the header also sets the column count
    FlexGridModel &g = msfEnemyType->grid();
    for (int t = 1; t <= EnemyType::Count; ++t) {
        const QStringList cells = m_types->OneType(t).split(u'\t');
        for (int c = 0; c < cells.size(); ++c)
            SetGridCell(g, t, c, cells[c]);
    }
    msfEnemyType->setRedraw(true);
    selectType(row);
}

void EnemyTypePage::selectType(int row)
{
    {
        const QSignalBlocker quiet(msfEnemyType->selectionModel());
        msfEnemyType->setCurrentCell(row, 1);
        msfEnemyType->selectRowSpan(6);
    }
    msfEnemyType->viewport()->update();
    msfEnemyType_RowColChange();
}

void EnemyTypePage::showField(int row, int field)
{
    if (!EnemyType::validIndex(row))
        return;
    selectType(row);
    msfEnemyType->scrollTo(msfEnemyType->currentIndex());
    QWidget *const boxes[6] = {cboEType[0], cboEType[1], txtEType[0], cboEType[2], cboEType[3], txtEType[1]};
    if (field >= 0 && field < 6)
        boxes[field]->setFocus();
}

void EnemyTypePage::msfEnemyType_RowColChange()
{
    if (!m_types)
        return;
    m_refreshing = true;
    const int t = msfEnemyType->row();
    QString source = QStringLiteral("原始数据:\r\n");
    showEntry(cboEType[0], m_types->tName(t, &source));
    showEntry(cboEType[1], m_types->tWork(t, &source));
    txtEType[0]->setText(m_types->tLevel(t, &source));
    showEntry(cboEType[2], m_types->tItem(t, &source));
    showEntry(cboEType[3], m_types->tAI(t, &source));
    txtEType[1]->setText(m_types->tMagic(t, &source));
    m_source = source;
    txtEtypeSource->setPlainText(QString(source).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    m_refreshing = false;
}

void EnemyTypePage::cboEType_Click(int index)
{
    if (m_refreshing || !m_types)
        return;
    const int t = msfEnemyType->row();
    const QString s = cboEType[index]->currentText();
    const int label[4] = {0, 1, 3, 4};
    const EditStep step(m_images, stepCaption(t, label[index]), EditHistory::Base::Hex);
    switch (index) {
    case 0:
        m_types->setTName(t, s);
        break;
    case 1:
        m_types->setTWork(t, s);
        break;
    case 2:
        m_types->setTItem(t, s);
        break;
    default:
        m_types->setTAI(t, s);
        break;
    }
    SetGridCell(msfEnemyType->grid(), t, ComboColumn[index], s);
    if (index == 1)
        emit classChanged();
    msfEnemyType_RowColChange();
}

void EnemyTypePage::txtEType_Enter(int index)
{
    if (!m_types)
        return;
    const int t = msfEnemyType->row();
    const QString text = txtEType[index]->text();
    if (!(index == 0 ? IsDecByte(text) : IsHexByte(text)))
        valueNotTaken(txtEType[index], lblEType[index == 0 ? 2 : 5]->text(), index == 0 ? DecByteAccepted : HexByteAccepted);
    const EditStep step(m_images, stepCaption(t, index == 0 ? 2 : 5),
                        index == 0 ? EditHistory::Base::Decimal : EditHistory::Base::Hex);
    if (index == 0) {
        m_types->setTLevel(t, text);
        SetGridCell(msfEnemyType->grid(), t, BoxColumn[0], m_types->tLevel(t));
        cboEType[2]->setFocus();
    } else {
        m_types->setTMagic(t, text);
        SetGridCell(msfEnemyType->grid(), t, BoxColumn[1], m_types->tMagic(t));
        cboEType[0]->setFocus();
    }
    msfEnemyType_RowColChange();
}

QString EnemyTypePage::stepCaption(int type, int label) const
{
    return QStringLiteral("部队类型%1 ").arg(hexByte(type)) + lblEType[label]->text();
}

void EnemyTypePage::stepRow(int delta)
{
    msfEnemyType->stepRow(delta, 20);
    msfEnemyType->selectRowSpan(6);
    msfEnemyType_RowColChange();
}

bool EnemyTypePage::eventFilter(QObject *watched, QEvent *event)
{
    int combo = -1;
    int box = -1;
    for (int i = 0; i < 4; ++i)
        if (watched == cboEType[i])
            combo = i;
    for (int i = 0; i < 2; ++i)
        if (watched == txtEType[i])
            box = i;
    if (combo < 0 && box < 0)
        return QWidget::eventFilter(watched, event);
    if (box >= 0 && event->type() == QEvent::FocusIn) {
        QLineEdit *edit = txtEType[box];
        QTimer::singleShot(0, edit, [edit] { edit->selectAll(); });
    } else if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            stepRow(key == Qt::Key_Up ? -1 : 1);
            if (box >= 0)
                txtEType[box]->selectAll();
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (box >= 0) {
                txtEType_Enter(box);
            } else {
                // name -> class -> level, item -> AI -> magic
                QWidget *next[4] = {cboEType[1], txtEType[0], cboEType[3], txtEType[1]};
                next[combo]->setFocus();
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void EnemyTypePage::imageWritten(const WrittenBytes &written)
{
    if (touchesTable(written, GameData::EnemyTypes))
        RefreshEnemyTypeGrid(true);
}
