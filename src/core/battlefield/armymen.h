#pragma once

#include "image/byteimages.h"
#include "tables/gametables.h"

#include <QString>

#include <optional>

class EnemyType;

// One unit of an army: either a one-byte reference to an enemy type (first byte up to 0x80)
// or a six-byte record of its own (first byte 0x81 and up) laid out like an enemy type.
class ArmyMen {
public:
    ArmyMen(ByteImages &images, EnemyType &eType);

    void InitMen(int lngID, qint64 lngAddress);

    QString ID(bool blnHex) const;
    QString Address(bool blnHex) const;
    qint64 address() const { return m_address; }
    bool Edit() const { return m_edit; }
    // Length of the unit's data: 1 or 6 bytes.
    int length() const { return m_edit ? 6 : 1; }

    // The first byte: hexadecimal without leading zero ("5", "3A") or decimal.
    QString TypeID(bool blnHex) const;
    // References only: a type number from 0 to 83 (0x53), hexadecimal or decimal.
    void setTypeID(bool blnHex, const QString &strID);

    QString tName() const;
    QString tWork() const;
    QString tLevel() const;
    QString tItem() const;
    QString tAI() const;
    QString tMagic() const;
    // Own records only; coded fields take a list entry.
    void setTName(const QString &text);
    void setTWork(const QString &text);
    void setTLevel(const QString &text);
    void setTItem(const QString &text);
    void setTAI(const QString &text); // keeps the low four bits of the AI byte
    void setTMagic(const QString &text);

    // Statistics from the class and level; none when the class or level is unknown.
    std::optional<int> vAct() const;
    std::optional<int> vTech() const;
    std::optional<int> vSpeed() const;
    std::optional<int> vLuck() const;
    std::optional<int> vDef() const;
    std::optional<int> vMaxHP() const;
    std::optional<int> vExp() const;
    std::optional<int> vMove() const;
    std::optional<int> vMDef() const;

private:
    int byte(int k) const;
    void setByte(int k, int value);
    void setCode(int k, const QString &text);
    // Class record, level and level growth ((level - 1) / 2, floored) behind the statistics.
    struct Basis {
        ClassRecord record;
        int level;
        int growth;
    };
    std::optional<Basis> basis() const;
    template <typename F>
    std::optional<int> derive(F f) const;

    ByteImages &m_images;
    EnemyType &m_eType;
    int m_id = 0;
    qint64 m_address = 0;
    bool m_edit = false;
};
