#include "tables/gametables.h"

#include "image/gbk.h"
#include "image/mymodule.h"

#include <QFile>

namespace {

// Rows of a tab-separated list file of the resources; "#" lines are comments.
QList<QStringList> listRows(const QString &name)
{
    QList<QStringList> rows;
    QFile f(QStringLiteral(":/lists/") + name);
    if (!f.open(QIODevice::ReadOnly))
        return rows;
    for (const QString &raw : QString::fromUtf8(f.readAll()).split(u'\n')) {
        const QString line = raw.trimmed();
        if (!line.isEmpty() && !line.startsWith(u'#'))
            rows.append(line.split(u'\t'));
    }
    return rows;
}

QStringList codeNames(const QString &file, int from, int to)
{
    QStringList entries;
    for (const QStringList &row : listRows(file)) {
        const int code = pieceCode(row.value(0));
        if (code >= from && code <= to)
            entries.append(row.value(0) + row.value(1));
    }
    return entries;
}

} // namespace

std::optional<ClassRecord> ClassRecord::read(const QByteArray &image, int classCode)
{
    using namespace GameTables;
    const int i = classCode - 1;
    if (i < 0 || i >= ClassCount || image.size() <= ClassMagicDefence + i)
        return std::nullopt;
    const int rec = ClassBase + ClassStride * i;
    ClassRecord r;
    r.tStrength = byteAt(image, rec);
    r.tSkill = byteAt(image, rec + 1);
    r.tSpeed = byteAt(image, rec + 2);
    r.tLuck = byteAt(image, rec + 3);
    r.tDefence = byteAt(image, rec + 4);
    r.tMaxHP = byteAt(image, rec + 5);
    r.tExp = byteAt(image, rec + 6);
    r.tMove = byteAt(image, ClassMovement + i);
    r.tMagicDefence = byteAt(image, ClassMagicDefence + i);
    return r;
}

int pieceCode(const QString &piece)
{
    // Two hexadecimal digits, read without a copy (lists of many entries are read often).
    const auto digit = [](QChar c) {
        const char16_t u = c.unicode();
        return u >= u'0' && u <= u'9' ? u - u'0' : u >= u'A' && u <= u'F' ? u - u'A' + 10
                                              : u >= u'a' && u <= u'f' ? u - u'a' + 10 : -1;
    };
    if (piece.size() < 2 || digit(piece[0]) < 0 || digit(piece[1]) < 0)
        return -1;
    return digit(piece[0]) * 16 + digit(piece[1]);
}

QStringList characterNames()
{
    QStringList names;
    for (const QStringList &row : listRows(QStringLiteral("characters.txt")))
        names.append(row.value(0));
    return names;
}

QStringList characterClassList()
{
    return codeNames(QStringLiteral("classes.txt"), 0x01, 0x18);
}

QStringList characterItemList()
{
    return QStringList{QStringLiteral("00无")} + codeNames(QStringLiteral("weapons.txt"), 0x02, 0x16)
        + codeNames(QStringLiteral("items.txt"), 0x30, 0x3A);
}

QString magicTableText()
{
    QStringList lines;
    for (const QStringList &row : listRows(QStringLiteral("magictable.txt")))
        lines.append(row.join(u'\t'));
    return lines.join(u'\n');
}

std::optional<QStringList> parseTerrainNames(const QByteArray &fileBytes)
{
    const QStringList lines = fromAnsi(fileBytes).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).split(u'\n');
    if (lines.size() < GameTables::TerrainCols)
        return std::nullopt;
    QStringList names;
    for (int i = 0; i < GameTables::TerrainCols; ++i) {
        if (lines[i].isEmpty())
            return std::nullopt;
        names.append(QString(lines[i]).replace(u'|', QChar(0xFF5C)));
    }
    return names;
}
