#include "battlefield/armytype.h"

#include "image/mymodule.h"

ArmyType::ArmyType(ByteImages &images, EnemyType &eType) : m_images(images), m_eType(eType)
{
}

void ArmyType::InitArmy(int lngID, qint64 lngAddress, int lngNumber)
{
    m_id = lngID;
    m_address = lngAddress;
    m_units.clear();
    qint64 p = lngAddress + 1;
    for (int m = 1; m <= lngNumber; ++m) {
        if (p < 0 || p >= m_images.WorkImage.size())
            break;
        auto unit = std::make_unique<ArmyMen>(m_images, m_eType);
        unit->InitMen(m, p);
        if (p + unit->length() > m_images.WorkImage.size())
            break;
        p += unit->length();
        m_units.push_back(std::move(unit));
    }
}

ArmyMen *ArmyType::Item(int varID) const
{
    return varID >= 1 && varID <= Number() ? m_units[size_t(varID - 1)].get() : nullptr;
}

QString ArmyType::ID(bool blnHex) const
{
    return blnHex ? PadText(QString::number(m_id, 16).toUpper(), QStringLiteral("0"), 8, true) : QString::number(m_id);
}

QString ArmyType::Address(bool blnHex) const
{
    return blnHex ? PadText(QString::number(m_address, 16).toUpper(), QStringLiteral("0"), 8, true)
                  : QString::number(m_address);
}

qint64 ArmyType::end() const
{
    return m_units.empty() ? m_address + 1 : m_units.back()->address() + m_units.back()->length();
}
