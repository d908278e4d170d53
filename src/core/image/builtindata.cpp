#include "image/builtindata.h"

#include "image/byteimages.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>

namespace {

QByteArray &referenceOverride()
{
    static QByteArray image;
    return image;
}

struct StringTableState {
    QHash<int, QString> table;
    int generation = 0;
};

QHash<int, QString> parseLines(const QByteArray &bytes)
{
    QHash<int, QString> table;
    for (QByteArray line : bytes.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        const qsizetype tab = line.indexOf('\t');
        if (tab <= 0)
            continue;
        bool ok = false;
        const int id = line.left(tab).toInt(&ok);
        if (ok)
            table.insert(id, QString::fromUtf8(line.mid(tab + 1)));
    }
    return table;
}

StringTableState &state()
{
    static StringTableState s = [] {
        StringTableState built;
        QFile f(QStringLiteral(":/strings/stringtable.txt"));
        if (f.open(QIODevice::ReadOnly))
            built.table = parseLines(f.readAll());
        return built;
    }();
    return s;
}

// Why an entry is not well formed, or an empty text.
QString entryFault(int id, const QString &text)
{
    static const QRegularExpression piece(QStringLiteral("^[0-9A-Fa-f]{2}.+$"));
    static const QRegularExpression map(QStringLiteral("^[0-9A-Fa-f]{1,8}\\|[^|]+\\|[0-9]{2}x[0-9]{2}[A-Za-z]$"));
    static const QRegularExpression army(QStringLiteral("^[0-9A-Fa-f]{1,8}\\|[0-9]{1,3}\\|[0-9]{1,3}$"));
    static const QRegularExpression war(QStringLiteral(
        "^[0-9A-Fa-f]{1,8}(,[0-9A-Fa-f]{1,8}){0,2}\\|[^|]+\\|[0-9]{1,2}\\|[0-9]{1,3}(,[0-9]{1,3})?\\|(Yes|No|YES|NO|yes|no)"
        "\\|[0-9]{1,3}(,[0-9]{1,3})?\\|[0-9]{1,3}(,[0-9]{1,3})?$"));
    if (text.isEmpty())
        return QStringLiteral("为空");
    const auto each = [&](QChar separator, const QRegularExpression &form, int skipLast) -> QString {
        const QStringList items = text.split(separator);
        for (int i = 0; i < items.size() - skipLast; ++i)
            if (!form.match(items[i]).hasMatch())
                return QStringLiteral("第 %1 项“%2”格式不对").arg(i + 1).arg(items[i].left(40));
        return QString();
    };
    switch (id) {
    case 10008:
        return text.split(u'|').size() == 7 ? QString() : QStringLiteral("应有 7 个列标题");
    case 10009:
        return each(u'*', map, 0);
    case 10010:
        return each(u'*', army, 0);
    case 10011:
        return each(u'*', war, 0);
    case 10013:
        return each(u'|', piece, 1); // the last row is the evasion row, not a class
    default:
        return each(u'|', piece, 0);
    }
}

} // namespace

QByteArray loadBuiltInImage()
{
    if (!referenceOverride().isEmpty())
        return referenceOverride();
    QFile f(QStringLiteral(":/DEFAULT/V1.21"));
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

std::optional<QHash<int, QString>> parseStringTable(const QByteArray &fileBytes, QString *reason)
{
    const QHash<int, QString> table = parseLines(fileBytes);
    for (int id = 10000; id <= 10013; ++id) {
        QString fault = table.contains(id) ? entryFault(id, table.value(id)) : QStringLiteral("缺少");
        if (!fault.isEmpty()) {
            if (reason)
                *reason = QStringLiteral("字符串表第 %1 条%2").arg(id).arg(fault);
            return std::nullopt;
        }
    }
    return table;
}

const QHash<int, QString> &stringTable()
{
    return state().table;
}

int stringTableGeneration()
{
    return state().generation;
}

void useReferenceImage(const QByteArray &image)
{
    referenceOverride() = image;
}

void useStringTable(const QHash<int, QString> &table)
{
    StringTableState &s = state();
    if (table.isEmpty()) {
        QFile f(QStringLiteral(":/strings/stringtable.txt"));
        s.table = f.open(QIODevice::ReadOnly) ? parseLines(f.readAll()) : QHash<int, QString>();
    } else {
        s.table = table;
    }
    ++s.generation;
}
