#include "app/frmdescriptions.h"

#include "image/dialogs.h"
#include "image/fileio.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QString DescriptionsTitle = QStringLiteral("表格描述");
constexpr int DescriptionPathRole = Qt::UserRole;
constexpr int DescriptionInFolderRole = Qt::UserRole + 1;

bool sameFilePath(const QString &a, const QString &b)
{
    return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

} // namespace

frmDescriptions::frmDescriptions(Dialogs &dialogs, const QString &folder, Reload reload, QWidget *parent)
    : QDialog(parent), m_dialogs(dialogs), m_folder(folder), m_reload(std::move(reload))
{
    setObjectName(QStringLiteral("frmDescriptions"));
    setWindowTitle(DescriptionsTitle);

    lblDescriptionFolder = new QLabel(QStringLiteral("描述文件夹：") + QDir::toNativeSeparators(folder), this);
    lblDescriptionFolder->setObjectName(QStringLiteral("lblDescriptionFolder"));
    lblDescriptionFolder->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblDescriptionFolder->setWordWrap(true);
    treDescriptions = new QTreeWidget(this);
    treDescriptions->setObjectName(QStringLiteral("treDescriptions"));
    treDescriptions->setHeaderLabels({QStringLiteral("文件 / 表格"), QStringLiteral("键"), QStringLiteral("记录数"),
                                      QStringLiteral("字段数")});
    treDescriptions->header()->setStretchLastSection(false);
    treDescriptions->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    treDescriptions->setMinimumSize(620, 300);
    connect(treDescriptions, &QTreeWidget::currentItemChanged, this,
            [this] { btnRemoveDescription->setEnabled(!selectedFolderFile().isEmpty()); });

    btnAddDescription = new QPushButton(QStringLiteral("添加..."), this);
    btnAddDescription->setObjectName(QStringLiteral("btnAddDescription"));
    btnRemoveDescription = new QPushButton(QStringLiteral("删除"), this);
    btnRemoveDescription->setObjectName(QStringLiteral("btnRemoveDescription"));
    btnRemoveDescription->setEnabled(false);
    btnReloadDescriptions = new QPushButton(QStringLiteral("重新载入"), this);
    btnReloadDescriptions->setObjectName(QStringLiteral("btnReloadDescriptions"));
    btnClose = new QPushButton(QStringLiteral("关闭"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    connect(btnAddDescription, &QPushButton::clicked, this, &frmDescriptions::btnAddDescription_Click);
    connect(btnRemoveDescription, &QPushButton::clicked, this, &frmDescriptions::btnRemoveDescription_Click);
    connect(btnReloadDescriptions, &QPushButton::clicked, this, &frmDescriptions::btnReloadDescriptions_Click);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);

    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {btnAddDescription, btnRemoveDescription, btnReloadDescriptions})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(btnClose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblDescriptionFolder);
    layout->addWidget(treDescriptions, 1);
    layout->addLayout(buttons);
}

void frmDescriptions::fill(const QVector<GameData::Description> &files)
{
    const QString current = treDescriptions->currentItem() ? treDescriptions->currentItem()->data(0, DescriptionPathRole).toString() : QString();
    treDescriptions->clear();
    const QIcon warning = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    for (const GameData::Description &d : files) {
        const bool inFolder = sameFilePath(QFileInfo(d.file).path(), m_folder) && !GameData::extraDescriptionFiles().contains(d.file);
        auto *file = new QTreeWidgetItem(treDescriptions);
        QString caption = QFileInfo(d.file).fileName();
        if (!inFolder)
            caption += QStringLiteral("（--tables）");
        if (!d.ok())
            caption += QStringLiteral("（有错误，没有载入）");
        file->setText(0, caption);
        file->setToolTip(0, QDir::toNativeSeparators(d.file));
        file->setData(0, DescriptionPathRole, d.file);
        file->setData(0, DescriptionInFolderRole, inFolder);
        if (!d.ok()) {
            file->setIcon(0, warning);
            file->setForeground(0, QColor(Qt::darkRed));
        }
        for (const GameData::Table &t : d.tables) {
            auto *item = new QTreeWidgetItem(file, {t.name, t.key, QString::number(t.records.size()), QString::number(t.fields.size())});
            item->setData(0, DescriptionPathRole, d.file);
            item->setData(0, DescriptionInFolderRole, inFolder);
        }
        for (const GameData::DescriptionError &e : d.errors) {
            auto *item = new QTreeWidgetItem(file, {e.text()});
            item->setData(0, DescriptionPathRole, d.file);
            item->setData(0, DescriptionInFolderRole, inFolder);
            item->setForeground(0, QColor(Qt::darkRed));
            item->setToolTip(0, e.text());
            item->setFirstColumnSpanned(true);
        }
    }
    if (files.isEmpty()) {
        auto *none = new QTreeWidgetItem(treDescriptions, {QStringLiteral("（没有描述文件。用“添加...”把 .json 描述文件放进描述文件夹）")});
        none->setFirstColumnSpanned(true);
        none->setFlags(Qt::ItemIsEnabled);
    }
    treDescriptions->expandAll();
    for (int c = 1; c < treDescriptions->columnCount(); ++c)
        treDescriptions->resizeColumnToContents(c);
    selectFile(current);
    btnRemoveDescription->setEnabled(!selectedFolderFile().isEmpty());
}

void frmDescriptions::selectFile(const QString &path)
{
    for (int i = 0; i < treDescriptions->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = treDescriptions->topLevelItem(i);
        if (!path.isEmpty() && sameFilePath(item->data(0, DescriptionPathRole).toString(), path))
            treDescriptions->setCurrentItem(item);
    }
}

QString frmDescriptions::selectedFolderFile() const
{
    const QTreeWidgetItem *item = treDescriptions->currentItem();
    return item && item->data(0, DescriptionInFolderRole).toBool() ? item->data(0, DescriptionPathRole).toString() : QString();
}

void frmDescriptions::btnReloadDescriptions_Click()
{
    fill(m_reload ? m_reload() : GameData::lastDescriptions());
}

void frmDescriptions::btnAddDescription_Click()
{
    const QString source = m_dialogs.openFileName(QStringLiteral("添加表格描述"), QStringLiteral("表格描述(*.json)|*.json"), QString());
    if (source.isEmpty())
        return;
    const QString target = QDir(m_folder).filePath(QFileInfo(source).fileName());
    if (!sameFilePath(source, target)) {
        QByteArray bytes;
        QString why;
        if (!readWholeFile(source, bytes, &why)) {
            m_dialogs.message(Dialogs::Icon::Error, DescriptionsTitle,
                              QStringLiteral("无法读取“%1”，没有添加。%2").arg(QDir::toNativeSeparators(source), why));
            return;
        }
        if (QFileInfo::exists(target)
            && !m_dialogs.confirm(DescriptionsTitle, QStringLiteral("描述文件夹中已有“%1”，要替换它吗？").arg(QFileInfo(target).fileName())))
            return;
        if (!QDir().mkpath(m_folder)) {
            m_dialogs.message(Dialogs::Icon::Error, DescriptionsTitle,
                              QStringLiteral("无法建立描述文件夹“%1”，没有添加。").arg(QDir::toNativeSeparators(m_folder)));
            return;
        }
        if (!writeWholeFile(target, bytes, &why)) {
            m_dialogs.message(Dialogs::Icon::Error, DescriptionsTitle,
                              QStringLiteral("无法写入“%1”，没有添加。%2").arg(QDir::toNativeSeparators(target), why));
            return;
        }
    }
    btnReloadDescriptions_Click();
    selectFile(target);
}

void frmDescriptions::btnRemoveDescription_Click()
{
    const QString path = selectedFolderFile();
    if (path.isEmpty())
        return;
    const QString name = QFileInfo(path).fileName();
    if (!m_dialogs.confirm(DescriptionsTitle, QStringLiteral("从描述文件夹中删除“%1”？它描述的表格将不再显示。").arg(name)))
        return;
    QFile file(path);
    if (!file.remove()) {
        m_dialogs.message(Dialogs::Icon::Error, DescriptionsTitle, QStringLiteral("无法删除“%1”。%2").arg(name, file.errorString()));
        return;
    }
    btnReloadDescriptions_Click();
}
