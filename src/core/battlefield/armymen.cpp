#include "battlefield/armymen.h"

#include "battlefield/enemytype.h"
#include "image/mymodule.h"
#include "tables/gametables.h"

#include <cmath>

ArmyMen::ArmyMen(ByteImages &images, EnemyType &eType) : m_images(images), m_eType(eType)
{
}

void ArmyMen::InitMen(int lngID, qint64 lngAddress)
{
    m_id = lngID;
    m_address = lngAddress;
    m_edit = byte(0) >= 0x81;
}

int ArmyMen::byte(int k) const
{
    const qint64 o = m_address + k;
    return o >= 0 && o < m_images.WorkImage.size() ? byteAt(m_images.WorkImage, o) : 0;
}

void ArmyMen::setByte(int k, int value)
{
    m_images.write(m_address + k, value);
}

QString ArmyMen::ID(bool blnHex) const
{
    return blnHex ? PadText(QString::number(m_id, 16).toUpper(), QStringLiteral("0"), 8, true) : QString::number(m_id);
}

QString ArmyMen::Address(bool blnHex) const
{
    return blnHex ? PadText(QString::number(m_address, 16).toUpper(), QStringLiteral("0"), 8, true)
                  : QString::number(m_address);
}

QString ArmyMen::TypeID(bool blnHex) const
{
    return QString::number(byte(0), blnHex ? 16 : 10).toUpper();
}

void ArmyMen::setTypeID(bool blnHex, const QString &strID)
{
    if (m_edit || !(blnHex ? IsHexByte(strID) : IsDecByte(strID)))
        return;
    const int value = strID.toInt(nullptr, blnHex ? 16 : 10);
    if (value <= EnemyType::Count)
        setByte(0, value);
}

QString ArmyMen::tName() const
{
    return m_edit ? m_eType.AllEName().lookup(byte(0)) : m_eType.tName(byte(0));
}

QString ArmyMen::tWork() const
{
    return m_edit ? m_eType.AllEWork().lookup(byte(1)) : m_eType.tWork(byte(0));
}

QString ArmyMen::tLevel() const
{
    return m_edit ? QString::number(byte(2)) : m_eType.tLevel(byte(0));
}

QString ArmyMen::tItem() const
{
    return m_edit ? m_eType.AllEItem().lookup(byte(3)) : m_eType.tItem(byte(0));
}

QString ArmyMen::tAI() const
{
    return m_edit ? m_eType.AllEAI().lookup(byte(4) & 0xF0) : m_eType.tAI(byte(0));
}

QString ArmyMen::tMagic() const
{
    return m_edit ? hexByte(byte(5)) : m_eType.tMagic(byte(0));
}

void ArmyMen::setCode(int k, const QString &text)
{
    if (m_edit && text.size() >= 2 && IsHexByte(text.left(2)))
        setByte(k, text.left(2).toInt(nullptr, 16));
}

void ArmyMen::setTName(const QString &text)
{
    setCode(0, text);
}

void ArmyMen::setTWork(const QString &text)
{
    setCode(1, text);
}

void ArmyMen::setTItem(const QString &text)
{
    setCode(3, text);
}

void ArmyMen::setTAI(const QString &text)
{
    if (m_edit && text.size() >= 2 && IsHexByte(text.left(2)))
        setByte(4, text.left(2).toInt(nullptr, 16) | (byte(4) & 0x0F));
}

void ArmyMen::setTLevel(const QString &text)
{
    if (m_edit && IsDecByte(text))
        setByte(2, text.toInt());
}

void ArmyMen::setTMagic(const QString &text)
{
    if (m_edit && IsHexByte(text))
        setByte(5, text.toInt(nullptr, 16));
}

std::optional<ArmyMen::Basis> ArmyMen::basis() const
{
    const QString work = tWork();
    const QString level = tLevel();
    if (work.size() < 2 || !IsHexByte(work.left(2)) || !IsDecByte(level))
        return std::nullopt;
    const std::optional<ClassRecord> record = ClassRecord::read(m_images.WorkImage, work.left(2).toInt(nullptr, 16));
    if (!record)
        return std::nullopt;
    const int l = level.toInt();
    return Basis{*record, l, int(std::floor((l - 1) / 2.0))};
}

template <typename F>
std::optional<int> ArmyMen::derive(F f) const
{
    const std::optional<Basis> b = basis();
    return b ? std::optional<int>(f(*b)) : std::nullopt;
}

std::optional<int> ArmyMen::vAct() const
{
    return derive([](const Basis &b) { return b.record.tStrength + b.growth; });
}

std::optional<int> ArmyMen::vTech() const
{
    return derive([](const Basis &b) { return b.record.tSkill + b.growth; });
}

std::optional<int> ArmyMen::vSpeed() const
{
    return derive([](const Basis &b) { return b.record.tSpeed + b.growth; });
}

std::optional<int> ArmyMen::vLuck() const
{
    return derive([](const Basis &b) { return b.record.tLuck; });
}

std::optional<int> ArmyMen::vDef() const
{
    return derive([](const Basis &b) { return b.record.tDefence + b.growth; });
}

std::optional<int> ArmyMen::vMaxHP() const
{
    return derive([](const Basis &b) { return b.record.tMaxHP + b.level - 1; });
}

std::optional<int> ArmyMen::vExp() const
{
    return derive([](const Basis &b) { return b.record.tExp; });
}

std::optional<int> ArmyMen::vMove() const
{
    return derive([](const Basis &b) { return b.record.tMove; });
}

std::optional<int> ArmyMen::vMDef() const
{
    return derive([](const Basis &b) { return b.record.tMagicDefence; });
}
