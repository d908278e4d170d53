#include "tables/usertablepage.h"

#include "controls/flexgrid.h"
#include "image/mymodule.h"
#include "tables/tablewidgets.h"

#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>
#include <QVBoxLayout>

using namespace GameData;

UserTablePage::UserTablePage(ByteImages &images, const QString &descriptionFolder, QWidget *parent)
    : QWidget(parent), m_images(images), m_folder(descriptionFolder)
{
    cboUserTable = new QComboBox(this);
    cboUserTable->setObjectName(QStringLiteral("cboUserTable"));
    connect(cboUserTable, &QComboBox::currentIndexChanged, this, [this] { fillGrid(); });
    auto *tableLabel = makeLabel(this, QStringLiteral("lblUserTable"), QStringLiteral("表格(&T):"));
    tableLabel->setBuddy(cboUserTable);

    msfUserTable = new FlexGrid(this);
    msfUserTable->setObjectName(QStringLiteral("msfUserTable"));
    connect(msfUserTable, &FlexGrid::rowColChange, this, &UserTablePage::cellChanged);

    frameUserEdit = new QGroupBox(QStringLiteral("按回车修改"), this);
    frameUserEdit->setObjectName(QStringLiteral("frameUserEdit"));
    txtUserValue = makeField(frameUserEdit, QStringLiteral("txtUserValue"));
    txtUserValue->installEventFilter(this);
    (new QHBoxLayout(frameUserEdit))->addWidget(txtUserValue);
    txtUserSource = makeSourceBox(this, QStringLiteral("txtUserSource"));

    lblUserHelp = makeLabel(this, QStringLiteral("lblUserHelp"),
                            QStringLiteral("这里显示用户描述的表格。\n\n用菜单“文件 → 表格描述(D)...”添加描述文件（JSON），"
                                           "或在“地址编辑”中选中一段字节，用“描述为表格...”生成一个。\n\n描述文件放在：\n%1")
                                .arg(QDir::toNativeSeparators(m_folder)));
    lblUserHelp->setWordWrap(true);
    lblUserHelp->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *panel = new QWidget(this);
    panel->setMaximumWidth(panel->fontMetrics().horizontalAdvance(QStringLiteral("用菜单“文件 → 表格描述(D)...”添加")) + 24);
    auto *side = new QVBoxLayout(panel);
    side->setContentsMargins(0, 0, 0, 0);
    side->addWidget(frameUserEdit);
    side->addWidget(txtUserSource, 1);
    side->addWidget(lblUserHelp);
    auto *top = new QHBoxLayout;
    top->addWidget(tableLabel);
    top->addWidget(cboUserTable, 1);
    auto *left = new QVBoxLayout;
    left->addLayout(top);
    left->addWidget(msfUserTable, 1);
    auto *layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addWidget(panel);
    fillTables();
}

const Table *UserTablePage::table() const
{
    const int i = cboUserTable->currentIndex();
    return i >= 0 && i < userTables().size() ? &userTables()[i] : nullptr;
}

void UserTablePage::fillTables()
{
    const QString shown = table() ? table()->key : QString();
    const QSignalBlocker block(cboUserTable);
    cboUserTable->clear();
    int keep = 0;
    for (const Table &t : userTables()) {
        if (t.key == shown)
            keep = cboUserTable->count();
        cboUserTable->addItem(QStringLiteral("%1 (%2)").arg(t.name, t.key));
    }
    const bool any = !userTables().isEmpty();
    cboUserTable->setEnabled(any);
    frameUserEdit->setEnabled(any);
    cboUserTable->setCurrentIndex(any ? keep : -1);
    fillGrid(!shown.isEmpty() && table() && table()->key == shown);
}

QString UserTablePage::cellText(const Field &field, const Slot &slot) const
{
    const qint64 value = field.read(m_images.WorkImage, slot.offset);
    return value < 0 ? QString() : field.valueText(value);
}

void UserTablePage::fillGrid(bool keepPlace)
{
    const int row = msfUserTable->row();
    const int col = msfUserTable->col();
    const int topRow = msfUserTable->topRow();
    const int leftCol = msfUserTable->leftCol();
    const Table *t = table();
    msfUserTable->setRedraw(false);
    QString format = QStringLiteral("<编号");
    if (t)
        for (const Field &f : t->fields)
            format += QStringLiteral("|>") + f.caption;
    msfUserTable->setFormatString(format);
    msfUserTable->setRows(1 + (t ? int(t->records.size()) : 0));
    FlexGridModel &g = msfUserTable->grid();
    if (t) {
        for (int r = 0; r < t->records.size(); ++r) {
            const Record &rec = t->records[r];
            SetGridCell(g, r + 1, 0, rec.name);
            for (const Slot &s : rec.parts)
                SetGridCell(g, r + 1, s.field + 1, cellText(t->fields[s.field], s));
        }
    }
    msfUserTable->setRedraw(true);
    if (!t)
        txtUserValue->clear();
    else if (keepPlace && row >= 1 && col >= 1 && row < msfUserTable->rows() && col < msfUserTable->cols()) {
        msfUserTable->setCurrentCell(row, col);
        msfUserTable->setTopRow(topRow);
        msfUserTable->setLeftCol(leftCol);
    } else {
        msfUserTable->setCurrentCell(1, 1);
    }
    cellChanged();
}

void UserTablePage::cellChanged()
{
    const Table *t = table();
    const int r = msfUserTable->row() - 1;
    if (!t || r < 0 || r >= t->records.size()) {
        txtUserSource->clear();
        return;
    }
    txtUserValue->setText(GetGridCell(msfUserTable->grid(), r + 1, msfUserTable->col()));
    // The record's raw bytes in file order: each field as opened, and what it is now where it differs.
    QStringList lines{QStringLiteral("原始数据:")};
    for (const Slot &s : t->records[r].parts) {
        const Field &f = t->fields[s.field];
        const auto raw = [&](const QByteArray &image) {
            QStringList bytes;
            for (qint64 o = s.offset; o < s.offset + s.size; ++o)
                bytes.append(o < image.size() ? hexByte(byteAt(image, o)) : QStringLiteral("?"));
            return bytes.join(u' ');
        };
        const QString now = raw(m_images.WorkImage);
        const QString opened = raw(m_images.OpenedImage);
        QString line = QStringLiteral("%1 %2: %3").arg(hexAddress(s.offset), f.caption, opened);
        if (now != opened)
            line += QStringLiteral(" => ") + now;
        lines.append(line);
    }
    txtUserSource->setPlainText(lines.join(u'\n'));
    if (txtUserValue->isVisible())
        txtUserValue->setFocus();
}

void UserTablePage::confirm()
{
    const Table *t = table();
    const int r = msfUserTable->row() - 1;
    const int c = msfUserTable->col() - 1;
    if (!t || r < 0 || r >= t->records.size() || c < 0 || c >= t->fields.size())
        return;
    const Field &field = t->fields[c];
    const Slot &slot = t->records[r].parts[c];
    const qint64 old = field.read(m_images.WorkImage, slot.offset);
    if (old < 0)
        return;
    const Field::Parsed p = field.parse(txtUserValue->text(), old);
    if (!p.reason.isEmpty()) {
        valueNotTaken(txtUserValue, field.caption, field.accepts());
        cellChanged();
        txtUserValue->selectAll();
        return;
    }
    if (p.value != old) {
        // Named as the other editors name a step: "价格 120 => 150".
        const EditStep step(m_images, field.caption);
        m_images.history.setLabel(QStringLiteral("%1 %2 => %3")
                                      .arg(field.caption.trimmed(), field.valueText(old), field.valueText(p.value)));
        for (int k = 0; k < field.size; ++k)
            m_images.write(slot.offset + k, int(p.value >> 8 * k) & 0xFF);
    }
    // The written record shows through imageWritten; Enter moves on to the next field.
    navigate(Qt::Key_Right);
}

void UserTablePage::navigate(int key)
{
    FlexGrid *g = msfUserTable;
    const int lastCol = g->cols() - 1;
    const int r = g->row();
    const int c = g->col();
    if (lastCol < 1 || g->rows() < 2)
        return;
    switch (key) {
    case Qt::Key_Left:
        g->setCurrentCell(r, c <= 1 ? lastCol : c - 1);
        break;
    case Qt::Key_Right:
        g->setCurrentCell(r, c >= lastCol ? 1 : c + 1);
        break;
    default:
        g->stepRow(key == Qt::Key_Up ? -1 : 1, 20);
        break;
    }
    g->scrollTo(g->currentIndex());
    cellChanged();
    txtUserValue->selectAll();
}

void UserTablePage::showField(const QString &tableKey, int record, int field)
{
    for (int i = 0; i < userTables().size(); ++i)
        if (userTables()[i].key == tableKey) {
            cboUserTable->setCurrentIndex(i);
            msfUserTable->setCurrentCell(record + 1, field + 1);
            msfUserTable->scrollTo(msfUserTable->currentIndex());
            cellChanged();
            txtUserValue->setFocus();
            return;
        }
}

void UserTablePage::imageWritten(const WrittenBytes &written)
{
    const Table *t = table();
    if (!t)
        return;
    for (const Record &rec : t->records)
        for (const Slot &s : rec.parts)
            if (written.touches(s.offset, s.offset + s.size)) {
                fillGrid(true);
                return;
            }
}

bool UserTablePage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == txtUserValue) {
        if (event->type() == QEvent::FocusIn) {
            QTimer::singleShot(0, txtUserValue, [this] { txtUserValue->selectAll(); });
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                confirm();
                return true;
            }
            if (key == Qt::Key_Up || key == Qt::Key_Down) {
                navigate(key);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}
