#include "battlefield/armys.h"

#include "image/mymodule.h"

Armys::Armys(ByteImages &images) : m_eType(images)
{
    const QString table = GetResString(10);
    if (table.isEmpty())
        return;
    const QStringList rows = table.split(u'*');
    for (int r = 0; r < rows.size(); ++r) {
        const QStringList f = rows[r].split(u'|');
        bool ok = false;
        const qint64 address = f.value(0).toLongLong(&ok, 16);
        auto army = std::make_unique<ArmyType>(images, m_eType);
        if (ok)
            army->InitArmy(r + 1, address, f.value(1).toInt());
        m_byAddress.insert(f.value(0), r + 1);
        m_armies.push_back(std::move(army));
    }
}

ArmyType *Armys::Item(int varIndex) const
{
    return varIndex >= 1 && varIndex <= Count() ? m_armies[size_t(varIndex - 1)].get() : nullptr;
}

ArmyType *Armys::Item(const QString &varIndex) const
{
    return Item(m_byAddress.value(varIndex, 0));
}
