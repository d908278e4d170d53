#include "app/frmchanges.h"

#include "image/byteimages.h"
#include "image/dialogs.h"
#include "image/fileio.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
constexpr int ChangeRole = Qt::UserRole; // index into the list of changes
}

frmChanges::frmChanges(ByteImages &images, Dialogs &dialogs, Mode mode, QWidget *parent)
    : QDialog(parent), m_images(images), m_dialogs(dialogs), m_mode(mode), m_opened(images.OpenedImage)
{
    setObjectName(mode == Mode::Live ? QStringLiteral("frmChanges") : QStringLiteral("frmChangesPreview"));
    setWindowTitle(QStringLiteral("修改清单"));
    setModal(false);

    chkChangesSinceOpen = new QCheckBox(QStringLiteral("只列出打开文件以来的修改"), this);
    chkChangesSinceOpen->setObjectName(QStringLiteral("chkChangesSinceOpen"));
    chkChangesSinceOpen->setVisible(mode == Mode::Live);
    connect(chkChangesSinceOpen, &QCheckBox::toggled, this, &frmChanges::refresh);
    lblChangesCount = new QLabel(this);
    lblChangesCount->setObjectName(QStringLiteral("lblChangesCount"));

    treeChanges = new QTreeWidget(this);
    treeChanges->setObjectName(QStringLiteral("treeChanges"));
    treeChanges->setHeaderHidden(true);
    treeChanges->setUniformRowHeights(true);
    treeChanges->setExpandsOnDoubleClick(false);
    connect(treeChanges, &QTreeWidget::itemActivated, this, &frmChanges::itemActivated);

    btnChangesExport = new QPushButton(QStringLiteral("导出..."), this);
    btnChangesExport->setObjectName(QStringLiteral("btnChangesExport"));
    connect(btnChangesExport, &QPushButton::clicked, this, &frmChanges::exportList);
    btnChangesOpen = new QPushButton(QStringLiteral("打开"), this);
    btnChangesOpen->setObjectName(QStringLiteral("btnChangesOpen"));
    btnChangesOpen->setVisible(mode == Mode::Preview);
    connect(btnChangesOpen, &QPushButton::clicked, this, [this] {
        emit openRequested(m_previewPath);
    });
    btnChangesClose = new QPushButton(QStringLiteral("关闭"), this);
    btnChangesClose->setObjectName(QStringLiteral("btnChangesClose"));
    connect(btnChangesClose, &QPushButton::clicked, this, &QDialog::close);

    auto *top = new QHBoxLayout;
    top->addWidget(lblChangesCount, 1);
    top->addWidget(chkChangesSinceOpen);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnChangesOpen);
    buttons->addWidget(btnChangesExport);
    buttons->addWidget(btnChangesClose);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(treeChanges, 1);
    layout->addLayout(buttons);
    resize(560, 480);
}

void frmChanges::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_mode == Mode::Live)
        refresh();
}

void frmChanges::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    // Names change without an edit too (the terrain-name file read again): the list, brought to
    // the front, names its fields anew.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        refresh();
}

void frmChanges::refresh()
{
    if (m_mode != Mode::Live || !isVisible())
        return;
    const QByteArray &before = chkChangesSinceOpen->isChecked() ? m_opened : m_images.PristineImage;
    const GameData::Catalogue catalogue(m_images.WorkImage, m_images.PristineImage);
    fill(describeChanges(catalogue, before, m_images.WorkImage, &m_cache));
}

void frmChanges::showPreview(const QString &path, const QByteArray &before, const QByteArray &after)
{
    m_previewPath = path;
    setWindowTitle(QStringLiteral("查看补丁 - ") + QFileInfo(path).fileName());
    fill(describeChanges(GameData::Catalogue(after, before), before, after));
}

void frmChanges::fill(const QVector<FieldChange> &changes)
{
    // Lines of the same fields keep the tree, its scroll position and its current line; only
    // their texts are set again.
    const bool sameFields = !changes.isEmpty() && changes.size() == m_changes.size()
        && std::equal(changes.cbegin(), changes.cend(), m_changes.cbegin(), [](const FieldChange &a, const FieldChange &b) {
               return a.offset == b.offset && a.size == b.size && a.group == b.group;
           });
    if (sameFields) {
        for (int g = 0, i = 0; g < treeChanges->topLevelItemCount(); ++g) {
            QTreeWidgetItem *group = treeChanges->topLevelItem(g);
            for (int k = 0; k < group->childCount(); ++k, ++i)
                if (changes[i].text != m_changes[i].text)
                    group->child(k)->setText(0, changes[i].text);
        }
        m_changes = changes;
        return;
    }
    m_changes = changes;
    treeChanges->setUpdatesEnabled(false);
    treeChanges->clear();
    QList<QTreeWidgetItem *> groups;
    QTreeWidgetItem *group = nullptr;
    QFont bold = treeChanges->font();
    bold.setBold(true);
    for (int i = 0; i < changes.size(); ++i) {
        const FieldChange &c = changes[i];
        const QString title = c.group.isEmpty() ? uncoveredGroup() : c.group;
        if (!group || group->text(0) != title) {
            group = new QTreeWidgetItem(QStringList(title));
            group->setFont(0, bold);
            groups.append(group);
        }
        auto *line = new QTreeWidgetItem(group, QStringList(c.text));
        line->setData(0, ChangeRole, i);
    }
    treeChanges->addTopLevelItems(groups);
    treeChanges->expandAll();
    treeChanges->setUpdatesEnabled(true);
    lblChangesCount->setText(changes.isEmpty() ? QStringLiteral("没有修改")
                                               : QStringLiteral("共 %1 项修改").arg(changes.size()));
    btnChangesExport->setEnabled(!changes.isEmpty());
}

QStringList frmChanges::lines() const
{
    QStringList out;
    for (const FieldChange &c : m_changes)
        out.append(c.line());
    return out;
}

void frmChanges::exportList()
{
    // A description to read, not a change list to open again: a name of its own.
    const QString path = m_dialogs.saveFileName(QStringLiteral("导出修改清单"), QStringLiteral("文本文件(*.txt)|*.txt"),
                                                QStringLiteral("修改说明.txt"));
    if (path.isEmpty())
        return;
    QString why;
    if (!writeWholeFile(path, changeListText(m_changes), &why)) {
        m_dialogs.message(Dialogs::Icon::Error, QStringLiteral("文件错误"), saveFailedText(why));
        return;
    }
    if (auto *window = qobject_cast<QMainWindow *>(parentWidget()))
        window->statusBar()->showMessage(QStringLiteral("已导出修改说明到 ") + QDir::toNativeSeparators(path));
}

void frmChanges::itemActivated(QTreeWidgetItem *item)
{
    const QVariant index = item ? item->data(0, ChangeRole) : QVariant();
    if (m_mode != Mode::Live || !index.isValid())
        return;
    emit placeChosen(m_changes[index.toInt()].offset);
}
