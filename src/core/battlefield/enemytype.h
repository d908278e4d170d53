#pragma once

#include "image/byteimages.h"

#include <QHash>
#include <QString>
#include <QStringList>

// One code list of the string table ("81赤枪兵|82赤骑士|..."): entries in list order, found by
// the two hexadecimal digits they start with.
class CodeList {
public:
    explicit CodeList(const QString &pieces = QString());
    const QStringList &entries() const { return m_entries; }
    // The entry of a byte; a byte without one shows as its digits and "?" ("9F?").
    QString lookup(int byte) const;

private:
    QStringList m_entries;
    QHash<QString, QString> m_byKey;
};

// The 83 enemy types, six bytes each from 0x6ECF2: name code, class code, level, item code,
// AI byte, magic. Every getter reads WorkImage; a getter given a source text appends the field's
// raw-data line (opened value, and " => " with the current one where they differ).
class EnemyType {
public:
    static constexpr int Base = 0x6ECF2;
    static constexpr int Count = 83;

    explicit EnemyType(ByteImages &images);

    const CodeList &AllEName() const { return m_names; }
    const CodeList &AllEWork() const { return m_works; }
    const CodeList &AllEItem() const { return m_items; }
    const CodeList &AllEAI() const { return m_ais; }

    // Types 1 to 83; any other number shows "?" and takes no writes.
    QString tName(int lngIndex, QString *varSource = nullptr) const;
    QString tWork(int lngIndex, QString *varSource = nullptr) const;
    QString tLevel(int lngIndex, QString *varSource = nullptr) const;
    QString tItem(int lngIndex, QString *varSource = nullptr) const;
    QString tAI(int lngIndex, QString *varSource = nullptr) const;
    QString tMagic(int lngIndex, QString *varSource = nullptr) const;

    // Coded fields take a list entry (its first two characters are the code).
    void setTName(int lngIndex, const QString &strName);
    void setTWork(int lngIndex, const QString &strWork);
    void setTItem(int lngIndex, const QString &strItem);
    void setTAI(int lngIndex, const QString &strAI);
    // Level in decimal and magic in hexadecimal, each a byte value; anything else is ignored.
    void setTLevel(int lngIndex, const QString &strLevel);
    void setTMagic(int lngIndex, const QString &strMagic);

    // One grid row: the type number as two hexadecimal digits and the six fields, tab-separated.
    QString OneType(int lngIndex, QString *varSource = nullptr) const;

    static bool validIndex(int lngIndex) { return lngIndex >= 1 && lngIndex <= Count; }

private:
    enum class Form { Coded, Decimal, Hex };
    QString field(int lngIndex, int byte, Form form, const CodeList *list, const QString &label, QString *varSource) const;
    void setCode(int lngIndex, int byte, const QString &text);
    // The offset of a field, or -1 for a type number outside the table or past the image.
    qint64 offset(int lngIndex, int byte) const;

    ByteImages &m_images;
    CodeList m_names;
    CodeList m_works;
    CodeList m_items;
    CodeList m_ais;
};
