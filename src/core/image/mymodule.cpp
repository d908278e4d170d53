#include "image/mymodule.h"
#include "image/patches.h"

#include "image/dialogs.h"
#include "image/builtindata.h"
#include "image/fileio.h"
#include "image/gbk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>

#include <algorithm>
#include <array>

bool CheckPath(const QString &path, bool isFolder, bool createFolder, bool deleteFile)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    const bool found = isFolder ? info.exists() : (info.exists() && !info.isDir());
    if (found) {
        if (deleteFile && !isFolder) {
            QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::WriteOwner);
            QFile::remove(path);
        }
        return true;
    }
    if (isFolder && createFolder)
        QDir().mkdir(path);
    return false;
}

QString PadText(const QString &text, const QString &padChar, int width, bool padLeft)
{
    if (text.size() >= width || padChar.isEmpty())
        return text;
    const QString fill = padChar.left(1).repeated(width - int(text.size()));
    return padLeft ? fill + text : text + fill;
}

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

int hexDigitValue(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    return -1;
}

// Value of a string of digits (base 10 or 16), saturated at 256 so that any over-long
// digit string counts as "too big" rather than wrapping. -1 if a character is no digit.
int byteValue(const QString &text, int base)
{
    if (text.isEmpty())
        return -1;
    int value = 0;
    for (QChar c : text) {
        const int d = base == 10 ? (isAsciiDigit(c) ? c.unicode() - u'0' : -1) : hexDigitValue(c);
        if (d < 0)
            return -1;
        value = std::min(value * base + d, 256);
    }
    return value;
}

} // namespace

QString TrimSpaces(const QString &text)
{
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && text.at(from) == u' ')
        ++from;
    while (to > from && text.at(to - 1) == u' ')
        --to;
    return text.mid(from, to - from);
}

QString GetResString(int id)
{
    return stringTable().value(10000 + id);
}

bool IsDecByte(const QString &text)
{
    const int v = byteValue(text, 10);
    return v >= 0 && v <= 255;
}

bool IsHexByte(const QString &text)
{
    const int v = byteValue(text, 16);
    return v >= 0 && v <= 255;
}

QString ReplaceAll(const QString &text, const QString &find, const QString &replacement, bool trim)
{
    QString result = trim ? TrimSpaces(text) : text;
    if (find.isEmpty())
        return result;
    for (;;) {
        QString next = result;
        next.replace(find, replacement);
        const bool shorter = next.size() < result.size();
        result = std::move(next);
        if (!shorter)
            return result;
    }
}

QString twoDigits(int n)
{
    return PadText(QString::number(n), QStringLiteral("0"), 2, true);
}

QString hexAddress(qint64 offset)
{
    return QString::number(offset, 16).toUpper().rightJustified(8, u'0');
}

QString hexByte(int value)
{
    // Made once and shared: the grids and unit getters ask for these texts by the thousand.
    static const std::array<QString, 256> texts = [] {
        std::array<QString, 256> t;
        for (int v = 0; v < 256; ++v)
            t[size_t(v)] = QString::number(v, 16).toUpper().rightJustified(2, u'0');
        return t;
    }();
    return texts[size_t(value & 0xFF)];
}

QByteArray encodeChangeList(const QByteArray &work, const QByteArray &pristine, const QString &fileName,
                            const QDateTime &when)
{
    static const char digits[] = "0123456789ABCDEF";
    constexpr int lineLimit = 65;
    const qint64 last = std::min<qint64>({CartridgeEnd, work.size() - 1, pristine.size() - 1});
    const char *w = work.constData();
    const char *p = pristine.constData();

    qint64 first = CartridgeStart;
    while (first <= last && w[first] == p[first])
        ++first;
    if (first > last)
        return QByteArray();

    QByteArray out = toAnsi(QStringLiteral("文件名称：") + fileName + QStringLiteral("\r\n创建时间：")
                            + when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QStringLiteral("\r\n*"));
    out.reserve(out.size() + 2 * (last - first + 1) * 34 / 32 + 16);
    int counter = 0;
    qint64 lastWritten = 0;
    for (qint64 i = first; i <= last; ++i) {
        if (w[i] == p[i])
            continue;
        if (i != lastWritten + 1) {
            if (counter + 6 > lineLimit) {
                out += "\r\n";
                counter = 0;
            }
            out += 'H';
            out += QByteArray::number(i, 16).toUpper();
            counter += 6;
        }
        if (counter + 2 > lineLimit) {
            out += "\r\n";
            counter = 0;
        }
        const quint8 b = quint8(w[i]);
        out += digits[b >> 4];
        out += digits[b & 15];
        lastWritten = i;
        counter += 2;
    }
    out += '*';
    return out;
}

bool applyChangeList(const QByteArray &fileBytes, QByteArray &base)
{
    // The reader walks one extra terminating character, as the file format was defined.
    const QString text = fromAnsi(fileBytes) + QChar(0);
    const qsizetype lastChar = text.size() - 1;
    const qsizetype star = text.indexOf(u'*');
    if (star < 0)
        return false;

    char *out = base.data();
    const qint64 size = base.size();
    qint64 current = 0;
    qsizetype pos = star + 1;
    while (pos <= lastChar) {
        const QChar c = text.at(pos);
        if (c == u'*')
            return true;
        if (pos >= lastChar)
            return false;
        if (c == u'H') {
            if (pos + 5 >= lastChar)
                return false;
            qint64 address = 0;
            for (int k = 1; k <= 5; ++k) {
                const int d = hexDigitValue(text.at(pos + k));
                if (d < 0)
                    return false;
                address = address * 16 + d;
            }
            if (address >= size)
                return false;
            current = address - 1;
            pos += 6;
        } else if (c == u'\r' && text.at(pos + 1) == u'\n') {
            pos += 2;
        } else if (c == u'\n') {
            pos += 1; // a list whose line ends lost their CR
        } else {
            const int hi = hexDigitValue(c);
            const int lo = hexDigitValue(text.at(pos + 1));
            if (hi < 0 || lo < 0)
                return false;
            ++current;
            if (current < 0 || current >= size)
                return false;
            out[current] = char(hi * 16 + lo);
            pos += 2;
        }
    }
    return false;
}

bool BuildChangeList(const ByteImages &images, QByteArray &out, const QString &fileName, Dialogs &dialogs)
{
    QByteArray list = encodeChangeList(images.WorkImage, images.PristineImage, fileName, QDateTime::currentDateTime());
    if (list.isEmpty()) {
        dialogs.message(Dialogs::Icon::Information, QStringLiteral("无法保存"),
                        QStringLiteral("没有进行任何修改，请修改后再保存！"));
        return false;
    }
    out = std::move(list);
    return true;
}

qsizetype bytesOutsideCartridge(const QByteArray &work, const QByteArray &pristine)
{
    qsizetype count = 0;
    const qsizetype size = std::min(work.size(), pristine.size());
    for (qsizetype i = 0; i < size; ++i)
        count += !inCartridgeRange(i) && work[i] != pristine[i];
    return count;
}

QString outsideCartridgeText(qsizetype count)
{
    return QStringLiteral("有 %1 个字节在卡带范围以外，修改清单不记录它们。").arg(count);
}

bool ReadChangeList(ByteImages &images, const QString &path, Dialogs &dialogs)
{
    return ReadPatch(images, path, FileKind::ChangeList, dialogs);
}

FileKind fileKind(const QString &path)
{
    const QString ending = path.right(4).toLower();
    if (ending == QStringLiteral(".exe"))
        return FileKind::Executable;
    if (ending == QStringLiteral(".txt"))
        return FileKind::ChangeList;
    if (ending == QStringLiteral(".ips"))
        return FileKind::Ips;
    if (ending == QStringLiteral(".nes"))
        return FileKind::Cartridge;
    return ending == QStringLiteral(".bps") ? FileKind::Bps : FileKind::Other;
}

QByteArray cartridgeOf(const QByteArray &image)
{
    return image.mid(CartridgeStart, CartridgeSize);
}

bool hasNesHeader(const QByteArray &cartridge)
{
    return cartridge.startsWith(QByteArrayLiteral("NES\x1A"));
}

namespace {

// A cartridge file in place of the cartridge of base. One of another size or without the header
// that emulators read is refused before anything is read into base.
std::optional<QByteArray> applyCartridgeFile(const QString &path, const QByteArray &base, Dialogs &dialogs)
{
    const auto refuse = [&dialogs](const QString &text) -> std::optional<QByteArray> {
        dialogs.message(Dialogs::Icon::Error, QStringLiteral("文件错误"), text);
        return std::nullopt;
    };
    const auto wrongSize = [&refuse](qint64 size) {
        const QLocale english(QLocale::English);
        return refuse(QStringLiteral("卡带文件应为 %1 字节，此文件为 %2 字节。")
                          .arg(english.toString(CartridgeSize), english.toString(size)));
    };
    const QFileInfo info(path);
    if (info.isFile() && info.size() != CartridgeSize)
        return wrongSize(info.size()); // before reading a file that may be huge
    QByteArray bytes;
    if (!readWholeFile(path, bytes) || base.size() != TargetSize)
        return refuse(QStringLiteral("文件错误，请选择正确的文件！"));
    if (bytes.size() != CartridgeSize) // changed while it was read
        return wrongSize(bytes.size());
    if (!hasNesHeader(bytes))
        return refuse(QStringLiteral("不是卡带文件（文件头不是 NES）。"));
    QByteArray result = base;
    std::copy(bytes.cbegin(), bytes.cend(), result.begin() + CartridgeStart);
    return result;
}

} // namespace

bool BuildPatch(const ByteImages &images, FileKind kind, QByteArray &out, Dialogs &dialogs)
{
    const QByteArray &source = images.PristineImage;
    if (source == images.WorkImage) {
        dialogs.message(Dialogs::Icon::Information, QStringLiteral("无法保存"),
                        QStringLiteral("没有进行任何修改，请修改后再保存！"));
        return false;
    }
    out = kind == FileKind::Bps ? Patches::encodeBps(source, images.WorkImage) : Patches::encodeIps(source, images.WorkImage);
    return true;
}

std::optional<QByteArray> applyPatchFile(const QString &path, FileKind kind, const QByteArray &base, Dialogs &dialogs,
                                         const QString &baseName)
{
    if (kind == FileKind::Cartridge)
        return applyCartridgeFile(path, base, dialogs);
    QByteArray fileBytes;
    const bool read = readWholeFile(path, fileBytes) && !base.isEmpty();
    if (kind == FileKind::ChangeList) {
        QByteArray result = base;
        if (!read || !applyChangeList(fileBytes, result)) {
            dialogs.message(Dialogs::Icon::Error, QStringLiteral("错误"), QStringLiteral("数据有误，无法读取！"));
            return std::nullopt;
        }
        return result;
    }
    std::optional<QByteArray> result;
    if (read)
        result = kind == FileKind::Bps ? Patches::applyBps(fileBytes, base, TargetSize)
                                       : Patches::applyIps(fileBytes, base, TargetSize);
    if (!result && kind == FileKind::Bps && Patches::bpsForOtherSource(fileBytes, base)) {
        const QString base = baseName.isEmpty() ? QStringLiteral("自带文件") : u' ' + QDir::toNativeSeparators(baseName) + u' ';
        dialogs.message(Dialogs::Icon::Error, QStringLiteral("文件错误"), QStringLiteral("补丁与%1不符，无法使用！").arg(base));
        return std::nullopt;
    }
    if (!result || result->size() != TargetSize) {
        dialogs.message(Dialogs::Icon::Error, QStringLiteral("错误"), QStringLiteral("补丁有误，无法读取！"));
        return std::nullopt;
    }
    return result;
}

bool ReadPatch(ByteImages &images, const QString &path, FileKind kind, Dialogs &dialogs)
{
    const std::optional<QByteArray> result = applyPatchFile(path, kind, loadBuiltInImage(), dialogs);
    if (!result)
        return false;
    images.load(*result);
    return true;
}

std::optional<QByteArray> readExecutable(const QString &path, Dialogs &dialogs)
{
    const QFileInfo info(path);
    QByteArray bytes;
    QString why;
    if (info.isFile() && info.size() != TargetSize)
        why = wrongSizeReason(path, info.size(), TargetSize);
    else if (readWholeFile(path, bytes, &why) && bytes.size() != TargetSize) // changed while it was read
        why = wrongSizeReason(path, bytes.size(), TargetSize);
    if (!why.isEmpty()) {
        dialogs.message(Dialogs::Icon::Error, QStringLiteral("文件错误"), wrongFileText(why));
        return std::nullopt;
    }
    return bytes;
}
