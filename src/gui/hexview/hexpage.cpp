#include "hexview/hexpage.h"

#include "controls/flexgrid.h"
#include "gamedata/fieldchanges.h"
#include "hexview/bytesearch.h"
#include "hexview/hexcelldelegate.h"
#include "hexview/hexgridmodel.h"
#include "hexview/hextextcolumn.h"
#include "image/dialogs.h"
#include "image/mymodule.h"
#include "tables/tablewidgets.h"

#include <QAction>
#include <QApplication>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

constexpr quint32 Red = 255;
constexpr quint32 White = 0xFFFFFF;

// An address text of one to eight hexadecimal digits; -1 otherwise.
qint64 parseAddress(const QString &text)
{
    if (text.isEmpty() || text.size() > 8)
        return -1;
    bool ok = false;
    const qint64 v = text.toLongLong(&ok, 16);
    return ok && v >= 0 ? v : -1;
}

QString addressText(qint64 offset)
{
    return PadText(QString::number(offset, 16).toUpper(), QStringLiteral("0"), 8, true);
}

// "<" and eight blanks for the address column, then "|<+0" to "|<+F".
QString columnLayout()
{
    QString layout = QStringLiteral("<") + QString(8, u' ');
    for (int c = 0; c < 16; ++c)
        layout += QStringLiteral("|<+") + QString::number(c, 16).toUpper();
    return layout;
}

QLineEdit *makeBox(QWidget *parent, const char *name, const QString &text, int chars)
{
    auto *box = new QLineEdit(text, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    box->setFixedWidth(box->fontMetrics().horizontalAdvance(QString(chars + 2, u'0')) + 8);
    return box;
}

} // namespace

HexPage::HexPage(ByteImages &images, Dialogs &dialogs, const QStringList &byteTexts, QWidget *parent)
    : QWidget(parent), m_images(images), m_dialogs(dialogs)
{
    msfFileContent = new FlexGrid(this);
    msfFileContent->setObjectName(QStringLiteral("msfFileContent"));
    gridModel = new HexGridModel(byteTexts);
    msfFileContent->setGridModel(gridModel);
    msfFileContent->setItemDelegate(new HexCellDelegate(msfFileContent));
    msfFileContent->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    msfFileContent->verticalHeader()->setFont(msfFileContent->font());
    msfFileContent->verticalHeader()->setDefaultSectionSize(msfFileContent->fontMetrics().height() + 4);
    connect(msfFileContent, &FlexGrid::rowColChange, this, &HexPage::showCurrentByte);
    msfFileContent->setRunSelection(true);
    msfFileContent->installEventFilter(this);
    msfFileContent->setFormatString(columnLayout());
    msfFileContent->setMinimumWidth(msfFileContent->horizontalHeader()->length() + msfFileContent->verticalHeader()->width()
                                    + 2 * msfFileContent->frameWidth());
    // The text column stands between the bytes and the scroll bar, which mirrors the grid's own.
    msfFileContent->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    textColumn = new HexTextColumn(*gridModel, msfFileContent, this);
    scrollRows = new QScrollBar(Qt::Vertical, this);
    scrollRows->setObjectName(QStringLiteral("scrollRows"));
    QScrollBar *own = msfFileContent->verticalScrollBar();
    const auto follow = [this, own] {
        const QSignalBlocker quiet(scrollRows);
        scrollRows->setRange(own->minimum(), own->maximum());
        scrollRows->setPageStep(own->pageStep());
        scrollRows->setSingleStep(own->singleStep());
        scrollRows->setValue(own->value());
    };
    connect(own, &QScrollBar::rangeChanged, this, follow);
    connect(own, &QScrollBar::valueChanged, this, follow);
    connect(scrollRows, &QScrollBar::valueChanged, own, &QScrollBar::setValue);

    tbarFind = new QToolBar(this);
    tbarFind->setObjectName(QStringLiteral("tbarFind"));
    tbarFind->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    btnFind = tbarFind->addAction(QStringLiteral("查找"));
    btnFind->setObjectName(QStringLiteral("Find"));
    btnFind->setToolTip(QStringLiteral("查找字节序列"));
    btnRefresh = tbarFind->addAction(QStringLiteral("刷新"));
    // The style's icons are looked up once the window is on the screen.
    QTimer::singleShot(0, this, [this] {
        btnFind->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
        btnRefresh->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    });
    btnRefresh->setObjectName(QStringLiteral("Refresh"));
    btnRefresh->setToolTip(QStringLiteral("按当前数据重新填充表格"));
    btnDescribeTable = tbarFind->addAction(QStringLiteral("描述为表格..."));
    btnDescribeTable->setObjectName(QStringLiteral("btnDescribeTable"));
    btnDescribeTable->setToolTip(QStringLiteral("把选中的字节描述为一个表格（拖动或按住 Shift 选择）"));
    btnDescribeTable->setEnabled(false);
    connect(btnDescribeTable, &QAction::triggered, this, [this] {
        const auto [first, length] = selectedBytes();
        if (length > 0)
            emit describeTableRequested(first, length);
    });
    connect(msfFileContent->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { btnDescribeTable->setEnabled(selectedBytes().second > 0); });
    msfFileContent->setContextMenuPolicy(Qt::ActionsContextMenu);
    msfFileContent->addAction(btnFind);
    msfFileContent->addAction(btnDescribeTable);
    connect(btnFind, &QAction::triggered, this, [this] { tbarFind_ButtonClick(QStringLiteral("Find")); });
    connect(btnRefresh, &QAction::triggered, this, [this] { tbarFind_ButtonClick(QStringLiteral("Refresh")); });

    lblLoc = new QLabel(QStringLiteral("位址"), this);
    lblLoc->setObjectName(QStringLiteral("lblLoc"));
    txtLoc = makeBox(this, "txtLoc", QStringLiteral("00000000"), 8);
    lblNewValue = new QLabel(QStringLiteral("当前"), this);
    lblNewValue->setObjectName(QStringLiteral("lblNewValue"));
    txtNewValue = makeBox(this, "txtNewValue", QStringLiteral("00"), 2);
    txtNewValue->setMaxLength(2);
    lblNew = new QLabel(QStringLiteral("对比"), this);
    lblNew->setObjectName(QStringLiteral("lblNew"));
    txtNew = makeBox(this, "txtNew", QStringLiteral("00"), 2);
    txtNew->setReadOnly(true);
    for (QLineEdit *box : {txtLoc, txtNewValue})
        box->installEventFilter(this);
    connect(txtLoc, &QLineEdit::textEdited, this, &HexPage::normalizeLoc);

    frameFindDifferent = new QGroupBox(QStringLiteral("查找不等"), this);
    frameFindDifferent->setObjectName(QStringLiteral("frameFindDifferent"));
    btnFindDifferent = new QPushButton(QStringLiteral("查找"), frameFindDifferent);
    btnFindDifferent->setObjectName(QStringLiteral("btnFindDifferent"));
    optDownWay = new QRadioButton(QStringLiteral("向下"), frameFindDifferent);
    optDownWay->setObjectName(QStringLiteral("optDownWay"));
    optDownWay->setChecked(true);
    optUpWay = new QRadioButton(QStringLiteral("向上"), frameFindDifferent);
    optUpWay->setObjectName(QStringLiteral("optUpWay"));
    connect(btnFindDifferent, &QPushButton::clicked, this, &HexPage::btnFindDifferent_Click);
    auto *diffLayout = new QHBoxLayout(frameFindDifferent);
    diffLayout->addWidget(optDownWay);
    diffLayout->addWidget(optUpWay);
    diffLayout->addWidget(btnFindDifferent);

    prgInitFlexGrid = new QProgressBar(this);
    prgInitFlexGrid->setObjectName(QStringLiteral("prgInitFlexGrid"));
    prgInitFlexGrid->setRange(0, 100);
    prgInitFlexGrid->setVisible(false);

    auto *top = new QHBoxLayout;
    top->addWidget(tbarFind);
    top->addSpacing(8);
    top->addWidget(lblLoc);
    top->addWidget(txtLoc);
    top->addSpacing(8);
    top->addWidget(lblNewValue);
    top->addWidget(txtNewValue);
    top->addSpacing(8);
    top->addWidget(lblNew);
    top->addWidget(txtNew);
    top->addSpacing(8);
    top->addWidget(frameFindDifferent);
    top->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(prgInitFlexGrid);
    auto *rows = new QHBoxLayout;
    rows->setSpacing(0);
    rows->addWidget(msfFileContent);
    rows->addWidget(textColumn);
    rows->addWidget(scrollRows);
    rows->addStretch(1);
    layout->addLayout(rows, 1);
    lblHexField = new QLabel(this);
    lblHexField->setObjectName(QStringLiteral("lblHexField"));
    lblHexField->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(lblHexField);
}

HexPage::~HexPage() = default;

void HexPage::FillHexGrid(const QByteArray &imageToShow)
{
    // The event loop runs during the fill: work on copies, and never fill twice at once.
    if (m_filling)
        return;
    const QScopedValueRollback<bool> filling(m_filling, true);
    m_catalogue.reset(); // the built-in image may have been loaded since
    const QByteArray image = imageToShow;
    const QByteArray pristine = m_images.PristineImage;
    const qint64 n = SafeUBound(m_images.OpenedImage);
    prgInitFlexGrid->setValue(0);
    msfFileContent->setFormatString(columnLayout());
    gridModel->setImage(image, n + 1);
    msfFileContent->repaint();
    msfFileContent->setRedraw(false);
    emit lockMainWindow(true);
    prgInitFlexGrid->setVisible(true);

    // Colour the changed cartridge bytes; the event loop runs between blocks.
    const qint64 last = std::min<qint64>({n, CartridgeEnd, image.size() - 1, pristine.size() - 1});
    const char *w = image.constData();
    const char *p = pristine.constData();
    constexpr qint64 block = 0x10000;
    const QRgb red = fromColorValue(Red).rgb();
    for (qint64 from = CartridgeStart; from <= last; from += block) {
        const qint64 to = std::min(last, from + block - 1);
        for (qint64 i = from; i <= to; ++i)
            if (w[i] != p[i])
                gridModel->colorByte(i, red);
        prgInitFlexGrid->setValue(int(to * 100 / std::max<qint64>(n, 1)));
        QCoreApplication::processEvents();
    }

    prgInitFlexGrid->setVisible(false);
    emit lockMainWindow(false);
    msfFileContent->setRedraw(true);
    msfFileContent->setCurrentCell(1, 1);
}

void HexPage::imageWritten(const WrittenBytes &written)
{
    // The cells wait for 刷新 after an edit; an undo or redo shows what it put back at once.
    if (written.event != EditHistory::Event::Step)
        gridModel->updateBytes(m_images.WorkImage, m_images.PristineImage, written.offsets, fromColorValue(Red).rgb());
    const qint64 current = HexGridModel::offsetOf(msfFileContent->row(), msfFileContent->col());
    if (current >= 0 && written.touches(current))
        showCurrentByte();
}

bool HexPage::IsGridAddress(const QString &text) const
{
    const qint64 v = parseAddress(text);
    if (v < 0 || v + 1 > qint64(msfFileContent->rows() - 1) * 16)
        return false;
    return !gridModel->text(int(v / 16) + 1, int(v % 16) + 1).isEmpty();
}

std::pair<qint64, qint64> HexPage::selectedBytes() const
{
    const auto [from, to] = msfFileContent->selectedRun();
    const qint64 first = HexGridModel::offsetOf(from.y(), from.x());
    const qint64 last = std::min<qint64>(HexGridModel::offsetOf(to.y(), to.x()), gridModel->length() - 1);
    if (first < 0 || last <= first)
        return {std::max<qint64>(first, 0), 0};
    return {first, last - first + 1};
}

void HexPage::GotoAddress(const QString &strAddress, bool blnTopRow)
{
    if (!IsGridAddress(strAddress))
        return;
    const qint64 v = parseAddress(strAddress);
    const int row = int(v / 16) + 1;
    msfFileContent->setCurrentCell(row, int(v % 16) + 1);
    if (blnTopRow)
        msfFileContent->setTopRow(row);
    else
        msfFileContent->scrollTo(msfFileContent->currentIndex());
    showCurrentByte();
    msfFileContent->setFocus();
}

void HexPage::SetCellColor(qint64 lngAddress, quint32 lngColor)
{
    const int row = int((lngAddress + 1 + 15) / 16);
    const int col = int(lngAddress % 16) + 1;
    msfFileContent->setCurrentCell(row, col);
    gridModel->setCellColor(row, col, fromColorValue(lngColor));
}

void HexPage::showCurrentByte()
{
    const qint64 offset = HexGridModel::offsetOf(msfFileContent->row(), msfFileContent->col());
    if (offset < 0 || offset >= m_images.WorkImage.size())
        return;
    txtLoc->setText(addressText(offset));
    txtNew->setText(offset < m_images.PristineImage.size() ? hexByte(byteAt(m_images.PristineImage, offset)) : QString());
    txtNewValue->setText(hexByte(byteAt(m_images.WorkImage, offset)));
    showField(offset);
}

void HexPage::showField(qint64 offset)
{
    if (!m_catalogue || m_catalogueRevision != m_images.history.revision()
        || m_catalogueTables != GameData::fixedTablesGeneration()) {
        m_catalogue = std::make_unique<GameData::Catalogue>(m_images.WorkImage, m_images.PristineImage);
        m_catalogueRevision = m_images.history.revision();
        m_catalogueTables = GameData::fixedTablesGeneration();
    }
    lblHexField->setText(describeByte(*m_catalogue, m_images.WorkImage, offset));
}

void HexPage::tbarFind_ButtonClick(const QString &key)
{
    if (key == QStringLiteral("Find")) {
        txtLoc->setFocus();
        emit findRequested();
    } else if (key == QStringLiteral("Refresh")) {
        const QString address = txtLoc->text();
        FillHexGrid(m_images.WorkImage);
        txtLoc->setFocus();
        GotoAddress(address, true);
    }
}

void HexPage::btnFindDifferent_Click()
{
    const qint64 from = parseAddress(txtLoc->text());
    if (from < 0)
        return;
    const qint64 found = findDifference(m_images.WorkImage, m_images.PristineImage, from, optDownWay->isChecked());
    if (found >= 0)
        GotoAddress(addressText(found), true);
    else
        m_dialogs.message(Dialogs::Icon::Information, QStringLiteral("没有找到！"), QStringLiteral("没有符合条件的内容！"));
}

bool HexPage::txtNewValue_KeyDown(int key)
{
    FlexGrid *g = msfFileContent;
    int row = g->row();
    int col = g->col();
    const int lastRow = g->rows() - 1;
    switch (key) {
    case Qt::Key_Left:
        col = col == 1 ? 16 : col - 1;
        g->setCurrentCell(row, col);
        if (col < g->leftCol())
            g->setLeftCol(col);
        break;
    case Qt::Key_Right:
        if (col == 16) {
            g->setCurrentCell(row, 1);
            g->setLeftCol(1);
        } else {
            g->setCurrentCell(row, ++col);
            if (col > g->leftCol() + 8)
                g->setLeftCol(col - 8);
        }
        break;
    case Qt::Key_Up:
        row = row == 1 ? lastRow : row - 1;
        g->setCurrentCell(row, col);
        if (row < g->topRow())
            g->setTopRow(row);
        break;
    case Qt::Key_Down:
        if (row == lastRow) {
            g->setCurrentCell(1, col);
            g->setTopRow(1);
        } else {
            g->setCurrentCell(++row, col);
            if (row > g->topRow() + 17)
                g->setTopRow(row - 17);
        }
        break;
    default:
        return false;
    }
    g->scrollTo(g->currentIndex()); // a view shorter than the rules expect still shows the cell
    showCurrentByte();
    txtNewValue->selectAll();
    return true;
}

void HexPage::txtNewValue_Enter()
{
    const QString text = txtNewValue->text();
    if (!IsHexByte(text)) {
        valueNotTaken(txtNewValue, lblNewValue->text(), HexByteAccepted);
        return;
    }
    const qint64 offset = parseAddress(txtLoc->text());
    if (offset < 0 || offset >= m_images.WorkImage.size())
        return;
    const int value = text.toInt(nullptr, 16);
    {
        const EditStep step(m_images, PadText(QString::number(offset, 16).toUpper(), QStringLiteral("0"), 8, true) + u':',
                            EditHistory::Base::Hex);
        m_images.write(offset, value);
    }
    // The cell of the written byte shows the text as typed.
    const int row = int(offset / 16) + 1;
    const int col = int(offset % 16) + 1;
    msfFileContent->setCurrentCell(row, col);
    gridModel->setText(row, col, hexByte(value));
    txtNewValue->setText(text.toUpper()); // confirmed: Ctrl+Z now reaches the image history
    showField(offset);
    if (inCartridgeRange(offset) && offset < m_images.PristineImage.size())
        SetCellColor(offset, value != byteAt(m_images.PristineImage, offset) ? Red : White);
}

bool HexPage::gridKeyPress(QKeyEvent *key)
{
    // A hexadecimal digit starts overwriting the current byte in the value box; no other
    // character jumps anywhere.
    const QString t = key->text();
    if (t.size() != 1 || !t[0].isPrint() || (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return false;
    if (QStringLiteral("0123456789ABCDEF").contains(t[0].toUpper())) {
        txtNewValue->setFocus();
        txtNewValue->selectAll();
        txtNewValue->insert(t.toUpper());
    }
    return true;
}

bool HexPage::txtLoc_KeyPress(const QString &typed, int key)
{
    if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) {
        GotoAddress(txtLoc->text(), true);
        return true;
    }
    const QString ch = typed.toUpper();
    if (ch.size() == 1 && QStringLiteral("0123456789ABCDEF").contains(ch[0])) {
        const int p = txtLoc->hasSelectedText() ? txtLoc->selectionStart() : txtLoc->cursorPosition();
        if (p < 8) {
            QString text = txtLoc->text();
            if (p < text.size())
                text[p] = ch[0];
            else
                text += ch;
            txtLoc->setText(text);
            txtLoc->setCursorPosition(p + 1);
        }
        return true;
    }
    return true; // every other character, Backspace and Delete included, is ignored
}

void HexPage::normalizeLoc()
{
    // Pasted or cut text: keep eight hexadecimal digits.
    QString digits;
    for (QChar c : txtLoc->text().toUpper())
        if (QStringLiteral("0123456789ABCDEF").contains(c))
            digits += c;
    digits = digits.right(8).rightJustified(8, u'0');
    if (digits != txtLoc->text()) {
        const int p = txtLoc->cursorPosition();
        txtLoc->setText(digits);
        txtLoc->setCursorPosition(std::min(p, 8));
    }
}

bool HexPage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == txtNewValue) {
        if (event->type() == QEvent::FocusIn) {
            // Not after a digit typed on the grid: that digit starts the new value.
            QTimer::singleShot(0, txtNewValue, [this] {
                if (!txtNewValue->isModified())
                    txtNewValue->selectAll();
            });
        } else if (event->type() == QEvent::KeyPress) {
            auto *key = static_cast<QKeyEvent *>(event);
            if (txtNewValue_KeyDown(key->key()))
                return true;
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                txtNewValue_Enter();
                return true;
            }
            const QString t = key->text();
            const bool plain = !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
            if (plain && t.size() == 1 && t[0].isPrint() && t != t.toUpper()) {
                txtNewValue->insert(t.toUpper());
                return true;
            }
        }
    } else if (watched == msfFileContent && event->type() == QEvent::KeyPress) {
        return gridKeyPress(static_cast<QKeyEvent *>(event));
    } else if (watched == txtLoc && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        for (QKeySequence::StandardKey edit : {QKeySequence::Cut, QKeySequence::Undo, QKeySequence::Redo,
                                               QKeySequence::DeleteStartOfWord, QKeySequence::DeleteEndOfWord,
                                               QKeySequence::DeleteEndOfLine, QKeySequence::DeleteCompleteLine})
            if (key->matches(edit))
                return true;
        const QString t = key->text();
        const bool character = (t.size() == 1 && t[0].isPrint() && !(key->modifiers() & Qt::ControlModifier))
            || key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete || key->key() == Qt::Key_Return
            || key->key() == Qt::Key_Enter;
        if (character)
            return txtLoc_KeyPress(t, key->key());
    }
    return QWidget::eventFilter(watched, event);
}
