#include "battlefield/enemytype.h"

#include "gamedata/gamedata.h"
#include "image/mymodule.h"

CodeList::CodeList(const QString &pieces)
{
    if (pieces.isEmpty())
        return;
    for (const QString &piece : pieces.split(u'|')) {
        m_entries.append(piece);
        m_byKey.insert(piece.left(2), piece);
    }
}

QString CodeList::lookup(int byte) const
{
    const QString key = hexByte(byte);
    return m_byKey.value(key, key + u'?');
}

EnemyType::EnemyType(ByteImages &images)
    : m_images(images), m_names(GetResString(4)), m_works(GetResString(5)), m_items(GetResString(6)),
      m_ais(GetResString(7))
{
}

qint64 EnemyType::offset(int lngIndex, int byte) const
{
    if (!validIndex(lngIndex))
        return -1;
    const qint64 o = GameData::fixedTable(GameData::EnemyTypes).fields[byte].offset(lngIndex - 1);
    return o < m_images.WorkImage.size() ? o : -1;
}

QString EnemyType::field(int lngIndex, int byte, Form form, const CodeList *list, const QString &label,
                         QString *varSource) const
{
    const qint64 o = offset(lngIndex, byte);
    const auto text = [&](int value) {
        switch (form) {
        case Form::Coded:
            return list->lookup(value);
        case Form::Decimal:
            return QString::number(value);
        default:
            return hexByte(value);
        }
    };
    if (o < 0) {
        if (varSource)
            *varSource += label + u'?' + (byte == 5 ? QString() : QStringLiteral("\r\n"));
        return QStringLiteral("?");
    }
    const QString now = text(byteAt(m_images.WorkImage, o));
    if (varSource) {
        const QString opened = o < m_images.OpenedImage.size() ? text(byteAt(m_images.OpenedImage, o)) : QStringLiteral("?");
        *varSource += label + opened;
        if (opened != now)
            *varSource += QStringLiteral(" => ") + now;
        if (byte != 5)
            *varSource += QStringLiteral("\r\n"); // the magic line is the last
    }
    return now;
}

QString EnemyType::tName(int lngIndex, QString *varSource) const
{
    return field(lngIndex, 0, Form::Coded, &m_names, QStringLiteral("姓名: "), varSource);
}

QString EnemyType::tWork(int lngIndex, QString *varSource) const
{
    return field(lngIndex, 1, Form::Coded, &m_works, QStringLiteral("职业: "), varSource);
}

QString EnemyType::tLevel(int lngIndex, QString *varSource) const
{
    return field(lngIndex, 2, Form::Decimal, nullptr, QStringLiteral("等级: "), varSource);
}

QString EnemyType::tItem(int lngIndex, QString *varSource) const
{
    return field(lngIndex, 3, Form::Coded, &m_items, QStringLiteral("物品: "), varSource);
}

QString EnemyType::tAI(int lngIndex, QString *varSource) const
{
    return field(lngIndex, 4, Form::Coded, &m_ais, QStringLiteral("AI方式: "), varSource);
}

QString EnemyType::tMagic(int lngIndex, QString *varSource) const
{
    return field(lngIndex, 5, Form::Hex, nullptr, QStringLiteral("魔法: "), varSource);
}

void EnemyType::setCode(int lngIndex, int byte, const QString &text)
{
    const qint64 o = offset(lngIndex, byte);
    if (o >= 0 && IsHexByte(text.left(2)) && text.size() >= 2)
        m_images.write(o, text.left(2).toInt(nullptr, 16));
}

void EnemyType::setTName(int lngIndex, const QString &strName)
{
    setCode(lngIndex, 0, strName);
}

void EnemyType::setTWork(int lngIndex, const QString &strWork)
{
    setCode(lngIndex, 1, strWork);
}

void EnemyType::setTItem(int lngIndex, const QString &strItem)
{
    setCode(lngIndex, 3, strItem);
}

void EnemyType::setTAI(int lngIndex, const QString &strAI)
{
    setCode(lngIndex, 4, strAI);
}

void EnemyType::setTLevel(int lngIndex, const QString &strLevel)
{
    const qint64 o = offset(lngIndex, 2);
    if (o >= 0 && IsDecByte(strLevel))
        m_images.write(o, strLevel.toInt());
}

void EnemyType::setTMagic(int lngIndex, const QString &strMagic)
{
    const qint64 o = offset(lngIndex, 5);
    if (o >= 0 && IsHexByte(strMagic))
        m_images.write(o, strMagic.toInt(nullptr, 16));
}

QString EnemyType::OneType(int lngIndex, QString *varSource) const
{
    return QStringList{hexByte(lngIndex), tName(lngIndex, varSource), tWork(lngIndex, varSource),
                       tLevel(lngIndex, varSource), tItem(lngIndex, varSource), tAI(lngIndex, varSource),
                       tMagic(lngIndex, varSource)}
        .join(u'\t');
}
