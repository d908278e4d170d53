// How a field's value reads and is written: its text, and the text a user types for it.
#include "gamedata/gamedata.h"

#include "image/mymodule.h"
#include "tables/gametables.h"

#include <QRegularExpression>

namespace GameData {

namespace {

qint64 largest(const Field &f)
{
    return f.size == 2 ? 0xFFFF : 0xFF;
}

// A stored value as its signed field shows it.
qint64 signedValue(qint64 value, int size)
{
    const qint64 half = size == 2 ? 0x8000 : 0x80;
    return value >= half ? value - 2 * half : value;
}

Field::Parsed refused(const QString &reason)
{
    return Field::Parsed{0, reason};
}

} // namespace

qint64 Field::read(const QByteArray &image, qint64 at) const
{
    if (at < 0 || at + std::max(1, std::min(size, 2)) > image.size())
        return -1;
    return size == 2 && show != Show::Position ? byteAt(image, at) | byteAt(image, at + 1) << 8 : byteAt(image, at);
}

QString Field::valueText(qint64 value) const
{
    switch (show) {
    case Show::Signed:
        return QString::number(signedValue(value, size));
    case Show::Hex:
        return size == 2 ? QString::number(value, 16).toUpper().rightJustified(4, u'0') : hexByte(int(value));
    case Show::Code: {
        const int code = int(value) & codeMask & 0xFF;
        const QString entry = entryOf(code);
        return entry.isEmpty() ? hexByte(code) + u'?' : entry;
    }
    case Show::Flags: {
        QString set;
        for (int bit = 0; bit < 8 * size; ++bit)
            if (value >> bit & 1) {
                if (!set.isEmpty())
                    set += u'、';
                if (bit < flags.size() && !flags[bit].isEmpty())
                    set += flags[bit];
                else
                    set += u'位' + QString::number(bit);
            }
        return set.isEmpty() ? QStringLiteral("无") : set;
    }
    default:
        return QString::number(value + bias);
    }
}

QString Field::accepts() const
{
    const qint64 top = largest(*this);
    switch (show) {
    case Show::Signed:
        return hasRange() ? QStringLiteral("%1 至 %2 的整数").arg(minimum).arg(maximum)
                          : QStringLiteral("%1 至 %2 的整数").arg(-(top + 1) / 2).arg(top / 2);
    case Show::Hex:
        return QStringLiteral("%1 至 %2 的十六进制数")
            .arg(valueText(hasRange() ? minimum : 0), valueText(hasRange() ? maximum : top));
    case Show::Code:
        return QStringLiteral("列表中的一项");
    case Show::Flags:
        return QStringLiteral("以“、”分开的位名称，或十六进制数");
    default:
        return QStringLiteral("%1 至 %2 的十进制数").arg(hasRange() ? minimum : 0).arg(hasRange() ? maximum : top);
    }
}

Field::Parsed Field::parse(const QString &input, qint64 old) const
{
    const QString text = input.trimmed();
    const qint64 top = largest(*this);
    const auto inRange = [&](qint64 shown, qint64 stored) {
        if (hasRange() && (shown < minimum || shown > maximum))
            return refused(QStringLiteral("“%1”不是%2").arg(text, accepts()));
        return Parsed{stored, {}};
    };
    switch (show) {
    case Show::Decimal: {
        static const QRegularExpression digits(QStringLiteral("^\\d{1,6}$"));
        const qint64 v = digits.match(text).hasMatch() ? text.toLongLong() - bias : -1;
        if (v < 0 || v > top)
            return refused(QStringLiteral("“%1”不是%2").arg(text, accepts()));
        return inRange(v + bias, v);
    }
    case Show::Signed: {
        static const QRegularExpression digits(QStringLiteral("^[-+]?\\d{1,6}$"));
        const qint64 v = digits.match(text).hasMatch() ? text.toLongLong() : top + 1;
        if (v < -(top + 1) / 2 || v > top / 2)
            return refused(QStringLiteral("“%1”不是%2").arg(text, accepts()));
        return inRange(v, v < 0 ? v + top + 1 : v);
    }
    case Show::Hex: {
        static const QRegularExpression digits(QStringLiteral("^[0-9A-Fa-f]{1,4}$"));
        const qint64 v = digits.match(text).hasMatch() ? text.toLongLong(nullptr, 16) : -1;
        if (v < 0 || v > top)
            return refused(QStringLiteral("“%1”不是%2").arg(text, accepts()));
        return inRange(v, v);
    }
    case Show::Code: {
        // An entry ("05飞鹰骑士") or its code alone ("05").
        const int code = pieceCode(text);
        const QString entry = entryOf(code);
        if (code < 0 || entry.isEmpty() || (text.size() > 2 && text != entry))
            return refused(QStringLiteral("“%1”不在列表中").arg(text));
        return Parsed{(old & ~codeMask) | (code & codeMask), {}};
    }
    case Show::Flags: {
        static const QRegularExpression digits(QStringLiteral("^[0-9A-Fa-f]{1,4}$"));
        qint64 v = 0;
        if (digits.match(text).hasMatch() && !flags.contains(text)) {
            v = text.toLongLong(nullptr, 16);
        } else if (text != QStringLiteral("无")) {
            static const QRegularExpression separators(QStringLiteral("[、,，+\\s]+"));
            for (const QString &name : text.split(separators, Qt::SkipEmptyParts)) {
                int bit = int(flags.indexOf(name));
                if (bit < 0 && name.startsWith(QStringLiteral("位"))) {
                    bool number = false;
                    bit = name.mid(1).toInt(&number);
                    bit = number ? bit : -1;
                }
                if (bit < 0 || bit >= 8 * size) {
                    QStringList named = flags;
                    named.removeAll(QString());
                    return refused(QStringLiteral("“%1”不是这一项的位名称（%2）").arg(name, named.join(QStringLiteral("、"))));
                }
                v |= qint64(1) << bit;
            }
        }
        if (v > top)
            return refused(QStringLiteral("“%1”不是%2").arg(text, accepts()));
        return inRange(v, v);
    }
    default:
        return refused(QStringLiteral("这一项不能这样修改"));
    }
}

} // namespace GameData
