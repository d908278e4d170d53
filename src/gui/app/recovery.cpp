#include "app/recovery.h"

#include "app/openfile.h"
#include "image/dialogs.h"
#include "image/fileio.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

namespace {

QString baseText(const JournalBase &base)
{
    switch (base.kind) {
    case JournalBase::Kind::BuiltIn:
        return QStringLiteral("自带Rom文件");
    case JournalBase::Kind::LastFile:
        return QStringLiteral("上次保存的内容");
    case JournalBase::Kind::File:
        break;
    }
    return QDir::toNativeSeparators(base.path);
}

void refuse(Dialogs &dialogs, const QString &text)
{
    dialogs.message(Dialogs::Icon::Error, QStringLiteral("无法恢复"), text);
}

} // namespace

QString recoveryText(const JournalOffer &offer)
{
    return QStringLiteral("上次有 %1 步修改没有保存，最后一步在 %2，基于 %3。")
        .arg(offer.contents.entries.size())
        .arg(offer.contents.lastTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), baseText(offer.contents.base));
}

std::optional<Recovered> recoverJournal(const JournalOffer &offer, ByteImages &images, Dialogs &dialogs)
{
    const JournalBase &base = offer.contents.base;
    const QString changed = QStringLiteral("%1 在上次编辑之后已改变，无法恢复未保存的修改。").arg(baseText(base));
    ByteImages loaded;
    if (base.kind == JournalBase::Kind::BuiltIn) {
        loaded.load(loadBuiltInImage());
    } else {
        QByteArray file;
        if (!QFileInfo(base.path).isFile() || !readWholeFile(base.path, file)) {
            refuse(dialogs, QStringLiteral("找不到 %1，无法恢复未保存的修改。").arg(QDir::toNativeSeparators(base.path)));
            return std::nullopt;
        }
        if (QCryptographicHash::hash(file, QCryptographicHash::Sha256) != base.fileSha) {
            refuse(dialogs, changed);
            return std::nullopt;
        }
        if (!loadFile(loaded, base.path, dialogs))
            return std::nullopt;
    }
    // The built-in executable differs under another --reference; a change list reads the same.
    if (QCryptographicHash::hash(loaded.WorkImage, QCryptographicHash::Sha256) != base.imageSha) {
        refuse(dialogs, changed);
        return std::nullopt;
    }
    const QByteArray previous = images.WorkImage;
    const QByteArray previousOpened = images.OpenedImage;
    images.load(loaded.WorkImage);
    images.OpenedImage = loaded.WorkImage;
    QString reason;
    if (!replayJournal(offer.contents, images, &reason)) {
        images.load(previous);
        images.OpenedImage = previousOpened;
        refuse(dialogs, moveJournalAside(offer.path, reason));
        return std::nullopt;
    }
    return Recovered{loaded.WorkImage, baseText(base), int(offer.contents.entries.size())};
}
