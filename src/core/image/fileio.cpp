#include "image/fileio.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>

namespace {

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// 712704 -> "712,704".
QString grouped(qint64 n)
{
    QLocale english(QLocale::English);
    return english.toString(n);
}

} // namespace

bool readWholeFile(const QString &path, QByteArray &data, QString *why)
{
    const auto fail = [&](const QString &reason) {
        if (why)
            *why = reason;
        return false;
    };
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        const QString reason = unreadableReason(path);
        return fail(reason.isEmpty() ? shown(path) + QStringLiteral("：") + f.errorString() : reason);
    }
    if (f.size() > MaxReadSize) // no file the editor reads is that large; reading it could exhaust memory
        return fail(QStringLiteral("%1 有 %2 字节，太大").arg(shown(path), grouped(f.size())));
    QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return fail(shown(path) + QStringLiteral("：") + f.errorString());
    data = std::move(bytes);
    return true;
}

bool writeWholeFile(const QString &path, const QByteArray &data, QString *why)
{
    QSaveFile f(path);
    const auto fail = [&] {
        if (why)
            *why = shown(path) + QStringLiteral("：") + f.errorString();
        return false;
    };
    if (!f.open(QIODevice::WriteOnly))
        return fail();
    // A write cut short reports nothing; the next one says why (a full disk).
    for (qint64 done = 0; done < data.size();) {
        const qint64 n = f.write(data.constData() + done, data.size() - done);
        if (n <= 0) {
            fail(); // before cancelWriting() puts its own words in place of the reason
            f.cancelWriting();
            return false;
        }
        done += n;
    }
    return f.commit() || fail();
}

QString unreadableReason(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("找不到文件 ") + shown(path);
    if (info.isDir())
        return shown(path) + QStringLiteral(" 是文件夹");
    if (!info.isReadable())
        return QStringLiteral("没有读取权限 ") + shown(path);
    return QString();
}

QString wrongSizeReason(const QString &path, qint64 size, qint64 expected)
{
    return QStringLiteral("%1 有 %2 字节，应为 %3 字节").arg(shown(path), grouped(size), grouped(expected));
}

QString wrongFileText(const QString &why)
{
    return QStringLiteral("文件错误，请选择正确的文件！\n") + why;
}

QString saveFailedText(const QString &why)
{
    return QStringLiteral("文件保存失败！\n") + why;
}
