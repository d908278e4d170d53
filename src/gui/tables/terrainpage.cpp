#include "tables/terrainpage.h"

#include "controls/flexgrid.h"
#include "image/dialogs.h"
#include "image/fileio.h"
#include "image/gbk.h"
#include "image/mymodule.h"
#include "gamedata/gamedata.h"
#include "tables/gametables.h"
#include "tables/tablewidgets.h"

#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

using namespace GameTables;

namespace {
const QString FirstColumn = QStringLiteral("<") + QString(12, u' ');

const char *TagProperty = "Tag"; // "1" on the active display option

// The byte of grid cell (r, c), both from 1.
qint64 cellOffset(int r, int c)
{
    return GameData::fixedTable(GameData::TerrainEffects).fields[c - 1].offset(r - 1);
}

QRadioButton *option(QWidget *parent, const char *name, const QString &caption, const char *tag)
{
    auto *b = new QRadioButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setProperty(TagProperty, QString::fromLatin1(tag));
    return b;
}
} // namespace

TerrainPage::TerrainPage(ByteImages &images, Dialogs &dialogs, const EditorPaths &paths, QWidget *parent)
    : QWidget(parent), m_images(images), m_dialogs(dialogs), m_paths(paths)
{
    msfFieldEffect = new FlexGrid(this);
    msfFieldEffect->setObjectName(QStringLiteral("msfFieldEffect"));
    msfFieldEffect->setRows(1 + TerrainRows);
    connect(msfFieldEffect, &FlexGrid::rowColChange, this, &TerrainPage::msfFieldEffect_RowColChange);

    frameMode = new QGroupBox(QStringLiteral("编辑方式"), this);
    frameMode->setObjectName(QStringLiteral("frameMode"));
    opt10 = option(frameMode, "opt10", QStringLiteral("十进制"), "0");
    opt16 = option(frameMode, "opt16", QStringLiteral("十六进制"), "1");
    opt16->setChecked(true);
    connect(opt10, &QRadioButton::clicked, this, &TerrainPage::opt10_Click);
    connect(opt16, &QRadioButton::clicked, this, &TerrainPage::opt16_Click);
    auto *mode = new QHBoxLayout(frameMode);
    mode->addWidget(opt10);
    mode->addWidget(opt16);

    frameEdit = new QGroupBox(QStringLiteral("按回车修改"), this);
    frameEdit->setObjectName(QStringLiteral("frameEdit"));
    txtFieldEffect = makeField(frameEdit, QStringLiteral("txtFieldEffect"));
    txtFieldEffect->installEventFilter(this);
    (new QHBoxLayout(frameEdit))->addWidget(txtFieldEffect);

    btnRefreshEffect = new QPushButton(QStringLiteral("更新列表[R]"), this);
    btnRefreshEffect->setObjectName(QStringLiteral("btnRefreshEffect"));
    connect(btnRefreshEffect, &QPushButton::clicked, this, &TerrainPage::btnRefreshEffect_Click);

    lblHelp = makeLabel(this, QStringLiteral("lblHelp"),
                        QStringLiteral("修改文件“地形名称.txt”，然后“更新列表”，可以更新列表头的地形名称。\n\n"
                                       "列表前部数据为各种职业在地形上的移动损耗。\n\n"
                                       "列表最后一行数据是各种地形的回避效果。"));
    lblHelp->setWordWrap(true);
    txtTerrainFile = new QLineEdit(QDir::toNativeSeparators(m_paths.terrainNames()), this);
    txtTerrainFile->setObjectName(QStringLiteral("txtTerrainFile"));
    txtTerrainFile->setReadOnly(true);
    txtTerrainFile->setToolTip(txtTerrainFile->text());
    txtTerrainFile->setCursorPosition(0);
    auto *fileLabel = makeLabel(this, QStringLiteral("lblTerrainFile"), QStringLiteral("文件位置:"));
    fileLabel->setBuddy(txtTerrainFile);

    auto *panel = new QWidget(this);
    panel->setMaximumWidth(panel->fontMetrics().horizontalAdvance(QStringLiteral("列表前部数据为各种职业在地形")) + 24);
    auto *side = new QVBoxLayout(panel);
    side->setContentsMargins(0, 0, 0, 0);
    side->addWidget(frameMode);
    side->addWidget(frameEdit);
    side->addWidget(btnRefreshEffect);
    side->addWidget(lblHelp);
    side->addWidget(fileLabel);
    side->addWidget(txtTerrainFile);
    side->addStretch(1);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(msfFieldEffect, 1);
    layout->addWidget(panel);
}

bool TerrainPage::decimal() const
{
    return opt10->property(TagProperty).toString() == QStringLiteral("1");
}

QString TerrainPage::cellText(int value) const
{
    return decimal() ? QString::number(value) : hexByte(value);
}

void TerrainPage::FillTerrainEffectGrid(bool keepPlace)
{
    const int row = msfFieldEffect->row();
    const int col = msfFieldEffect->col();
    const int top = msfFieldEffect->topRow();
    const int left = msfFieldEffect->leftCol();
    FlexGridModel &g = msfFieldEffect->grid();
    QString format = FirstColumn;
    for (const GameData::Field &f : GameData::fixedTable(GameData::TerrainEffects).fields)
        format += QStringLiteral("|<") + f.caption;
    msfFieldEffect->setFormatString(format);
    const QStringList rows = GetResString(13).split(u'|');
    for (int i = 1; i <= TerrainRows; ++i)
        SetGridCell(g, i, 0, rows.value(i - 1));
    btnRefreshEffect_Click();

    // The cells follow the active display, so texts and options always agree.
    msfFieldEffect->setRedraw(false);
    for (int r = 1; r <= TerrainRows; ++r)
        for (int c = 1; c <= TerrainCols; ++c) {
            const qint64 offset = cellOffset(r, c);
            SetGridCell(g, r, c, offset < m_images.WorkImage.size() ? cellText(byteAt(m_images.WorkImage, offset)) : QString());
        }
    msfFieldEffect->setRedraw(true);
    if (keepPlace && row >= 1 && col >= 1) {
        msfFieldEffect->setCurrentCell(row, col);
        msfFieldEffect->setTopRow(top);
        msfFieldEffect->setLeftCol(left);
    } else {
        msfFieldEffect->setCurrentCell(1, 1);
    }
    msfFieldEffect_RowColChange();
}

void TerrainPage::btnRefreshEffect_Click()
{
    const QString path = m_paths.terrainNames();
    QByteArray bytes;
    if (CheckPath(path, false, false, false) && readWholeFile(path, bytes)) {
        if (const std::optional<QStringList> names = parseTerrainNames(bytes)) {
            GameData::useTerrainNames(*names); // every view of the table names the columns alike
            QString format = FirstColumn;
            for (const GameData::Field &f : GameData::fixedTable(GameData::TerrainEffects).fields)
                format += QStringLiteral("|<") + f.caption;
            msfFieldEffect->setFormatString(format);
            return;
        }
    }
    m_dialogs.message(Dialogs::Icon::None, QStringLiteral("无法更新"),
                      QStringLiteral("无法更新，请检查文件“地形名称.txt”的格式！"));
}

void TerrainPage::opt10_Click()
{
    switchDisplay(opt10);
}

void TerrainPage::opt16_Click()
{
    switchDisplay(opt16);
}

void TerrainPage::switchDisplay(QRadioButton *clicked)
{
    if (clicked->property(TagProperty).toString() == QStringLiteral("1"))
        return;
    const bool toDecimal = clicked == opt10;
    FlexGridModel &g = msfFieldEffect->grid();
    msfFieldEffect->setRedraw(false);
    for (int r = 1; r <= TerrainRows; ++r)
        for (int c = 1; c <= TerrainCols; ++c) {
            const QString text = GetGridCell(g, r, c);
            SetGridCell(g, r, c, toDecimal ? QString::number(text.toInt(nullptr, 16)) : hexByte(text.toInt()));
        }
    msfFieldEffect->setRedraw(true);
    opt10->setProperty(TagProperty, toDecimal ? QStringLiteral("1") : QStringLiteral("0"));
    opt16->setProperty(TagProperty, toDecimal ? QStringLiteral("0") : QStringLiteral("1"));
    msfFieldEffect_RowColChange();
}

void TerrainPage::msfFieldEffect_RowColChange()
{
    txtFieldEffect->setText(GetGridCell(msfFieldEffect->grid(), msfFieldEffect->row(), msfFieldEffect->col()));
    if (txtFieldEffect->isVisible())
        txtFieldEffect->setFocus();
}

void TerrainPage::showCell(int r, int c)
{
    if (r < 1 || r > TerrainRows || c < 1 || c > TerrainCols)
        return;
    msfFieldEffect->setCurrentCell(r, c);
    msfFieldEffect->scrollTo(msfFieldEffect->currentIndex());
    msfFieldEffect_RowColChange();
    txtFieldEffect->setFocus();
}

void TerrainPage::txtFieldEffect_Enter()
{
    const QString text = txtFieldEffect->text();
    const int r = msfFieldEffect->row();
    const int c = msfFieldEffect->col();
    const qint64 offset = cellOffset(r, c);
    if (!(decimal() ? IsDecByte(text) : IsHexByte(text)) || offset >= m_images.WorkImage.size()) {
        if (offset < m_images.WorkImage.size())
            valueNotTaken(txtFieldEffect, QStringLiteral("地形效果"), decimal() ? DecByteAccepted : HexByteAccepted);
        msfFieldEffect->setFocus();
        msfFieldEffect_RowColChange();
        return;
    }
    {
        const QString caption = QStringLiteral("地形效果 %1/%2").arg(GetGridCell(msfFieldEffect->grid(), r, 0).trimmed(),
                                                                 GetGridCell(msfFieldEffect->grid(), 0, c).trimmed());
        const EditStep step(m_images, caption, decimal() ? EditHistory::Base::Decimal : EditHistory::Base::Hex);
        m_images.write(offset, text.toInt(nullptr, decimal() ? 10 : 16));
    }
    SetGridCell(msfFieldEffect->grid(), r, c, text);
    msfFieldEffect_RowColChange();
    txtFieldEffect->selectAll();
}

void TerrainPage::navigate(int key)
{
    FlexGrid *g = msfFieldEffect;
    int r = g->row();
    int c = g->col();
    const int lastCol = TerrainCols;
    switch (key) {
    case Qt::Key_Left:
        if (c == 1) {
            g->setCurrentCell(r, lastCol);
            g->setLeftCol(lastCol);
        } else {
            g->setCurrentCell(r, --c);
            if (c < g->leftCol())
                g->setLeftCol(c);
        }
        break;
    case Qt::Key_Right:
        if (c == lastCol) {
            g->setCurrentCell(r, 1);
            g->setLeftCol(1);
        } else {
            g->setCurrentCell(r, ++c);
            if (c > g->leftCol() + 8)
                g->setLeftCol(c - 8);
        }
        break;
    case Qt::Key_Up:
    case Qt::Key_Down:
        g->stepRow(key == Qt::Key_Up ? -1 : 1, 20);
        break;
    }
    msfFieldEffect_RowColChange();
    txtFieldEffect->selectAll();
}

bool TerrainPage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == txtFieldEffect) {
        if (event->type() == QEvent::FocusIn) {
            QTimer::singleShot(0, txtFieldEffect, [this] { txtFieldEffect->selectAll(); });
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                txtFieldEffect_Enter();
                return true;
            }
            if (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down) {
                navigate(key);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TerrainPage::imageWritten(const WrittenBytes &written)
{
    if (touchesTable(written, GameData::TerrainEffects))
        FillTerrainEffectGrid(true);
}
