#pragma once

#include "battlefield/armytype.h"
#include "battlefield/enemytype.h"

#include <QHash>

// All armies of string 10010 ("0006E664|05|01": address, unit count, army number), walked once
// when created. Create a new one after the image changed to see new unit kinds.
class Armys {
public:
    explicit Armys(ByteImages &images);

    // Army by number (from 1) or by its address text as the table writes it; none otherwise.
    ArmyType *Item(int varIndex) const;
    ArmyType *Item(const QString &varIndex) const;
    int Count() const { return int(m_armies.size()); }
    EnemyType &eType() { return m_eType; }

private:
    EnemyType m_eType;
    std::vector<std::unique_ptr<ArmyType>> m_armies;
    QHash<QString, int> m_byAddress;
};
