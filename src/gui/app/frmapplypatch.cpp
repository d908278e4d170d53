#include "app/frmapplypatch.h"

#include "image/byteimages.h"
#include "image/dialogs.h"
#include "image/fileio.h"

#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

using PatchMerge::Base;

frmApplyPatch::frmApplyPatch(ByteImages &images, Dialogs &dialogs, QWidget *parent)
    : QDialog(parent), m_images(images), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("frmApplyPatch"));
    setWindowTitle(QStringLiteral("应用补丁"));

    lblPatchBase = new QLabel(QStringLiteral("补丁针对："), this);
    lblPatchBase->setObjectName(QStringLiteral("lblPatchBase"));
    cboPatchBase = new QComboBox(this);
    cboPatchBase->setObjectName(QStringLiteral("cboPatchBase"));
    cboPatchBase->addItems({QStringLiteral("可执行文件"), QStringLiteral("卡带文件")});
    lblPatchBase->setBuddy(cboPatchBase);
    lblApplyCount = new QLabel(this);
    lblApplyCount->setObjectName(QStringLiteral("lblApplyCount"));
    lstApplyPatch = new QListWidget(this);
    lstApplyPatch->setObjectName(QStringLiteral("lstApplyPatch"));
    lstApplyPatch->setUniformItemSizes(true);

    btnApply = new QPushButton(QStringLiteral("应用"), this);
    btnApply->setObjectName(QStringLiteral("btnApply"));
    btnApplyKeep = new QPushButton(QStringLiteral("应用，冲突处保留当前值"), this);
    btnApplyKeep->setObjectName(QStringLiteral("btnApplyKeep"));
    btnApplyCancel = new QPushButton(QStringLiteral("取消"), this);
    btnApplyCancel->setObjectName(QStringLiteral("btnApplyCancel"));
    connect(btnApply, &QPushButton::clicked, this, [this] { write(false); });
    connect(btnApplyKeep, &QPushButton::clicked, this, [this] { write(true); });
    connect(btnApplyCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cboPatchBase, &QComboBox::currentIndexChanged, this, [this](int index) {
        const Base base = index == 1 ? Base::Cartridge : Base::Executable;
        if (m_reading.both() && base != m_reading.preferred) {
            m_reading.preferred = base;
            fill();
        }
    });

    auto *top = new QHBoxLayout;
    top->addWidget(lblPatchBase);
    top->addWidget(cboPatchBase);
    top->addStretch(1);
    top->addWidget(lblApplyCount);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnApply);
    buttons->addWidget(btnApplyKeep);
    buttons->addWidget(btnApplyCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(lstApplyPatch, 1);
    layout->addLayout(buttons);
    resize(620, 480);
}

bool frmApplyPatch::setPatch(const QString &path)
{
    std::optional<PatchMerge::Reading> read =
        PatchMerge::readPatchFile(path, fileKind(path), m_images.PristineImage, m_dialogs);
    if (!read)
        return false;
    m_reading = std::move(*read);
    m_name = QFileInfo(path).fileName();
    setWindowTitle(QStringLiteral("应用补丁 - ") + m_name);
    // Only an IPS leaves its base open; the choice shows the reading listed.
    const QSignalBlocker blocker(cboPatchBase);
    cboPatchBase->setCurrentIndex(m_reading.preferred == Base::Cartridge ? 1 : 0);
    cboPatchBase->setEnabled(m_reading.both());
    fill();
    if (!m_merge.changes) {
        m_dialogs.message(Dialogs::Icon::Information, QStringLiteral("应用补丁"), QStringLiteral("补丁没有任何修改。"));
        return false;
    }
    return true;
}

void frmApplyPatch::fill()
{
    const QByteArray &patched = m_reading.image();
    m_merge = PatchMerge::mergeBytes(m_images.PristineImage, m_images.WorkImage, patched);
    const PatchMerge::MergeLines described =
        PatchMerge::describeMerge(m_images.PristineImage, m_images.WorkImage, patched, m_merge);
    m_conflictLines = described.conflictLines;

    lstApplyPatch->setUpdatesEnabled(false);
    lstApplyPatch->clear();
    QStringList texts;
    texts.reserve(described.lines.size());
    for (int i = 0; i < described.lines.size(); ++i)
        texts.append(i < m_conflictLines ? QStringLiteral("冲突 ") + described.lines[i].line() : described.lines[i].line());
    lstApplyPatch->addItems(texts);
    for (int i = 0; i < m_conflictLines; ++i)
        lstApplyPatch->item(i)->setForeground(Qt::red);
    lstApplyPatch->setUpdatesEnabled(true);
    lblApplyCount->setText(QStringLiteral("%1 处修改，%2 处冲突").arg(described.lines.size()).arg(m_conflictLines));
    btnApplyKeep->setEnabled(m_conflictLines > 0);
}

QStringList frmApplyPatch::lines() const
{
    QStringList out;
    for (int i = 0; i < lstApplyPatch->count(); ++i)
        out.append(lstApplyPatch->item(i)->text());
    return out;
}

void frmApplyPatch::write(bool keepCurrent)
{
    const int written = PatchMerge::applyMerge(m_images, m_merge, keepCurrent, m_name, m_conflictLines);
    emit applied(written > 0 ? m_images.history.undoLabel() : QString());
    accept();
}

void applyPatchFromMenu(QWidget *parent, ByteImages &images, Dialogs &dialogs,
                        const std::function<void(const QString &)> &written)
{
    const QString path = dialogs.openFileName(QStringLiteral("应用补丁"),
                                              QStringLiteral("补丁文件(*.txt *.ips *.bps *.nes)|*.txt;*.ips;*.bps;*.nes"), QString());
    if (path.isEmpty())
        return;
    auto *window = new frmApplyPatch(images, dialogs, parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    if (!window->setPatch(path)) {
        delete window;
        return;
    }
    QObject::connect(window, &frmApplyPatch::applied, parent, [written](const QString &label) { written(label); });
    window->open();
}

QString exportCartridgePatch(ByteImages &images, Dialogs &dialogs)
{
    const QString path = dialogs.saveFileName(QStringLiteral("导出卡带补丁"),
                                              QStringLiteral("IPS补丁(*.ips)|*.ips|BPS补丁(*.bps)|*.bps"), QString());
    if (path.isEmpty())
        return QString();
    const QByteArray patch = PatchMerge::encodeCartridgePatch(fileKind(path) == FileKind::Bps ? FileKind::Bps : FileKind::Ips,
                                                              images.PristineImage, images.WorkImage);
    if (patch.isEmpty()) {
        dialogs.message(Dialogs::Icon::Information, QStringLiteral("无法保存"),
                        QStringLiteral("没有进行任何修改，请修改后再保存！"));
        return QString();
    }
    if (!writeWholeFile(path, patch)) {
        dialogs.message(Dialogs::Icon::Error, QStringLiteral("文件错误"), QStringLiteral("文件保存失败！"));
        return QString();
    }
    return path;
}
