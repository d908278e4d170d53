#include "hexview/frmdescribetable.h"

#include "controls/flexgrid.h"
#include "gamedata/descriptions.h"
#include "image/dialogs.h"
#include "image/fileio.h"
#include "image/mymodule.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

const QString DescribeTitle = QStringLiteral("描述为表格");

// The records of a proposed table as the image holds them: one row per record, one decimal
// column per byte of the stride. Texts are computed, none stored.
class ProposalPreviewModel : public FlexGridModel {
public:
    explicit ProposalPreviewModel(const QByteArray &image) : m_image(image) {}

    void show(qint64 base, int stride, int count)
    {
        m_base = base;
        m_stride = stride;
        setRedraw(false);
        setRows(1 + (base < 0 ? 0 : count));
        QString format = QStringLiteral("<"); // record numbers
        for (int k = 0; k < stride; ++k)
            format += QStringLiteral("|>") + GameData::byteCaption(k);
        setFormatString(format);
        setRedraw(true);
    }

    QString text(int row, int col) const override
    {
        if (!isValidCell(row, col))
            return QString();
        if (row == 0)
            return m_header.value(col);
        if (col == 0)
            return QString::number(row - 1, 16).toUpper().rightJustified(2, u'0');
        const qint64 offset = m_base + qint64(m_stride) * (row - 1) + col - 1;
        return offset >= 0 && offset < m_image.size() ? QString::number(quint8(m_image[offset])) : QString();
    }
    void setText(int row, int col, const QString &text) override
    {
        if (row == 0 && isValidCell(row, col))
            m_header[col] = text;
    }
    QColor cellColor(int, int) const override { return QColor(); }
    void setCellColor(int, int, const QColor &) override {}
    void clear() override {}

protected:
    void resizeCells(int, int cols) override { m_header.resize(cols); }

private:
    const QByteArray &m_image;
    QVector<QString> m_header;
    qint64 m_base = 0;
    int m_stride = 1;
};

} // namespace

frmDescribeTable::frmDescribeTable(const QByteArray &image, qint64 first, qint64 length, Dialogs &dialogs,
                                   const QString &folder, std::function<void()> reload, QWidget *parent)
    : QDialog(parent), m_image(image), m_length(std::max<qint64>(length, 1)), m_dialogs(dialogs), m_folder(folder),
      m_reload(std::move(reload))
{
    setObjectName(QStringLiteral("frmDescribeTable"));
    setWindowTitle(DescribeTitle);

    const int stride = GameData::guessStride(image.mid(first, length));
    txtTableName = new QLineEdit(QStringLiteral("新表格"), this);
    txtTableName->setObjectName(QStringLiteral("txtTableName"));
    txtTableKey = new QLineEdit(GameData::proposedKey(first), this);
    txtTableKey->setObjectName(QStringLiteral("txtTableKey"));
    txtTableKey->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[a-z0-9_]{0,40}")), txtTableKey));
    txtTableKey->setToolTip(QStringLiteral("小写字母、数字或下划线；也是描述文件和 CSV 文件的名称"));
    connect(txtTableKey, &QLineEdit::textEdited, this, [this] { m_keyFollowsBase = false; });
    txtTableBase = new QLineEdit(hexAddress(first), this);
    txtTableBase->setObjectName(QStringLiteral("txtTableBase"));
    txtTableBase->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9A-Fa-f]{0,8}")), txtTableBase));
    connect(txtTableBase, &QLineEdit::textChanged, this, &frmDescribeTable::baseEdited);
    spnTableStride = new QSpinBox(this);
    spnTableStride->setObjectName(QStringLiteral("spnTableStride"));
    spnTableStride->setRange(1, 256);
    spnTableStride->setSuffix(QStringLiteral(" 字节"));
    spnTableStride->setValue(stride);
    spnTableCount = new QSpinBox(this);
    spnTableCount->setObjectName(QStringLiteral("spnTableCount"));
    spnTableCount->setRange(1, 65535);
    spnTableCount->setValue(int(std::clamp<qint64>(m_length / stride, 1, 65535)));
    connect(spnTableStride, &QSpinBox::valueChanged, this, &frmDescribeTable::strideChanged);
    connect(spnTableCount, &QSpinBox::valueChanged, this, &frmDescribeTable::updatePreview);
    lblTableSpan = new QLabel(this);
    lblTableSpan->setObjectName(QStringLiteral("lblTableSpan"));

    msfTablePreview = new FlexGrid(this);
    msfTablePreview->setObjectName(QStringLiteral("msfTablePreview"));
    msfTablePreview->setGridModel(new ProposalPreviewModel(m_image));
    msfTablePreview->setMinimumSize(560, 240);

    btnSaveTable = new QPushButton(QStringLiteral("保存"), this);
    btnSaveTable->setObjectName(QStringLiteral("btnSaveTable"));
    btnSaveTable->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("取消"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    connect(btnSaveTable, &QPushButton::clicked, this, [this] {
        if (btnSaveTable_Click())
            accept();
    });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("表格名称"), txtTableName);
    form->addRow(QStringLiteral("键"), txtTableKey);
    form->addRow(QStringLiteral("起始地址"), txtTableBase);
    form->addRow(QStringLiteral("记录长度"), spnTableStride);
    form->addRow(QStringLiteral("记录数"), spnTableCount);
    form->addRow(QString(), lblTableSpan);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnSaveTable);
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(new QLabel(QStringLiteral("预览（每个字节一个十进制字段，保存后可在描述文件中修改）："), this));
    layout->addWidget(msfTablePreview, 1);
    layout->addLayout(buttons);
    updatePreview();
}

GameData::TableProposal frmDescribeTable::proposal() const
{
    GameData::TableProposal p;
    p.name = txtTableName->text();
    p.key = txtTableKey->text();
    bool ok = false;
    const qint64 base = txtTableBase->text().toLongLong(&ok, 16);
    p.base = ok && base < m_image.size() ? base : -1;
    p.stride = spnTableStride->value();
    p.count = spnTableCount->value();
    return p;
}

void frmDescribeTable::baseEdited()
{
    const GameData::TableProposal p = proposal();
    if (p.base >= 0 && m_keyFollowsBase)
        txtTableKey->setText(GameData::proposedKey(p.base));
    updatePreview();
}

void frmDescribeTable::strideChanged()
{
    // The records the selection holds at this stride.
    spnTableCount->setValue(int(std::clamp<qint64>(m_length / spnTableStride->value(), 1, 65535)));
    updatePreview();
}

void frmDescribeTable::updatePreview()
{
    const GameData::TableProposal p = proposal();
    auto *model = static_cast<ProposalPreviewModel *>(&msfTablePreview->grid());
    model->show(p.base, p.stride, p.count);
    if (p.base < 0) {
        lblTableSpan->setText(QStringLiteral("起始地址应是文件内的十六进制地址（0 至 %1）").arg(hexAddress(m_image.size() - 1)));
    } else {
        const qint64 bytes = qint64(p.stride) * p.count;
        lblTableSpan->setText(QStringLiteral("%1 至 %2，共 %3 字节")
                                  .arg(hexAddress(p.base), hexAddress(p.base + bytes - 1))
                                  .arg(bytes));
    }
    btnSaveTable->setEnabled(p.base >= 0);
}

bool frmDescribeTable::btnSaveTable_Click()
{
    const GameData::TableProposal p = proposal();
    if (p.base < 0) {
        m_dialogs.message(Dialogs::Icon::Error, DescribeTitle, lblTableSpan->text());
        return false;
    }
    const QByteArray bytes = GameData::writeDescription(p.table());
    const QString name = (p.key.isEmpty() ? QStringLiteral("table") : p.key) + QStringLiteral(".json");
    const QString path = QDir(m_folder).filePath(name);
    QStringList others = GameData::descriptionFiles(m_folder);
    others.removeAll(path);
    others += GameData::extraDescriptionFiles();
    const QVector<GameData::DescriptionError> faults = GameData::faultsAfter(others, name, bytes);
    if (!faults.isEmpty()) {
        QStringList lines;
        for (const GameData::DescriptionError &e : faults)
            lines.append(e.text());
        m_dialogs.message(Dialogs::Icon::Error, DescribeTitle, QStringLiteral("这个表格不能保存，没有写入：\n") + lines.join(u'\n'));
        return false;
    }
    if (QFileInfo::exists(path)
        && !m_dialogs.confirm(DescribeTitle, QStringLiteral("“%1”已经存在，要替换它吗？").arg(QDir::toNativeSeparators(path))))
        return false;
    QString why;
    if (!QDir().mkpath(m_folder) || !writeWholeFile(path, bytes, &why)) {
        m_dialogs.message(Dialogs::Icon::Error, DescribeTitle,
                          QStringLiteral("无法写入“%1”。%2").arg(QDir::toNativeSeparators(path), why));
        return false;
    }
    if (m_reload)
        m_reload();
    return true;
}
