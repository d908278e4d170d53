#pragma once

#include "battlefield/armymen.h"

#include <memory>
#include <vector>

// One army: its units in image order from the byte after its address.
class ArmyType {
public:
    ArmyType(ByteImages &images, EnemyType &eType);

    // Walks lngNumber units from lngAddress + 1; units that would run past the image are left out.
    void InitArmy(int lngID, qint64 lngAddress, int lngNumber);

    // Unit varID, from 1 to Number(); none outside.
    ArmyMen *Item(int varID) const;
    QString ID(bool blnHex) const;
    QString Address(bool blnHex) const;
    qint64 address() const { return m_address; }
    int Number() const { return int(m_units.size()); }
    // Offset just behind the last unit.
    qint64 end() const;

private:
    ByteImages &m_images;
    EnemyType &m_eType;
    std::vector<std::unique_ptr<ArmyMen>> m_units;
    int m_id = 0;
    qint64 m_address = 0;
};
