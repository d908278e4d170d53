#include "hexview/stringconvert.h"

#include "image/mymodule.h"

#include <QStringList>
#include <QtEndian>

QString renderBytes(const QByteArray &bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    QString text;
    text.reserve(bytes.size() * 3);
    for (char c : bytes) {
        const quint8 b = quint8(c);
        text += QChar(digits[b >> 4]);
        text += QChar(digits[b & 15]);
        text += u' ';
    }
    return text;
}

QByteArray parseBytes(const QString &text, bool *error)
{
    const QString clean = ReplaceAll(text, QStringLiteral("  "), QStringLiteral(" "), true);
    if (clean.isEmpty())
        return QByteArray();
    const QStringList parts = clean.split(u' ');
    QByteArray bytes(parts.size(), '\0');
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (!IsHexByte(parts[i])) {
            *error = true;
            break;
        }
        bytes[i] = char(parts[i].toInt(nullptr, 16));
    }
    return bytes;
}

QByteArray utf16Bytes(const QString &text)
{
    QByteArray bytes(text.size() * 2, '\0');
    for (qsizetype i = 0; i < text.size(); ++i)
        qToLittleEndian<quint16>(text.at(i).unicode(), bytes.data() + 2 * i);
    return bytes;
}

QString textFromUtf16(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size() / 2);
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
        text += QChar(qFromLittleEndian<quint16>(bytes.constData() + i));
    return text;
}
