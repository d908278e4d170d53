#include "app/openfile.h"

#include "gamedata/patchmerge.h"
#include "image/byteimages.h"
#include "image/dialogs.h"
#include "image/fileio.h"
#include "image/mymodule.h"

#include <QMimeData>
#include <QUrl>

bool loadFile(ByteImages &images, const QString &path, Dialogs &dialogs)
{
    // A name from outside a file dialog may be a folder or gone.
    if (const QString why = unreadableReason(path); !why.isEmpty()) {
        dialogs.message(Dialogs::Icon::Error, QStringLiteral("文件错误"), wrongFileText(why));
        return false;
    }
    switch (const FileKind kind = fileKind(path)) {
    case FileKind::ChangeList:
        return ReadChangeList(images, path, dialogs);
    case FileKind::Ips:
    case FileKind::Bps:
    case FileKind::Cartridge: {
        // A patch of the executable or of the bare cartridge (shifted into place), or a cartridge.
        const auto read = PatchMerge::readPatchFile(path, kind, loadBuiltInImage(), dialogs);
        if (read)
            images.load(read->image());
        return read.has_value();
    }
    default: {
        const std::optional<QByteArray> bytes = readExecutable(path, dialogs);
        if (!bytes)
            return false;
        images.load(*bytes);
        return true;
    }
    }
}

QString openedMessage(const QString &path)
{
    QString kind;
    switch (fileKind(path)) {
    case FileKind::ChangeList:
        kind = QStringLiteral("修改清单");
        break;
    case FileKind::Ips:
        kind = QStringLiteral("IPS 补丁");
        break;
    case FileKind::Bps:
        kind = QStringLiteral("BPS 补丁");
        break;
    case FileKind::Cartridge:
        kind = QStringLiteral("卡带文件");
        break;
    default:
        kind = QStringLiteral("可执行文件");
    }
    return QStringLiteral("已打开 %1（%2）").arg(path, kind);
}

QString draggedFile(const QMimeData *mime)
{
    if (!mime || !mime->hasUrls() || mime->urls().size() != 1 || !mime->urls().constFirst().isLocalFile())
        return QString();
    return mime->urls().constFirst().toLocalFile();
}
