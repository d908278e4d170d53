#pragma once

#include "image/byteimages.h"

#include <QHash>
#include <QImage>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

class FieldEdit;

// One war: its battlefield (filled by FieldEdit::Field), the start-position lists of the two
// attacking teams, a help list and the two defending teams, and the fixed armies standing on
// the defending positions. Coordinates are read from and written to WorkImage directly.
class FieldInfo {
public:
    explicit FieldInfo(ByteImages &images);

    // Battlefield.
    int ID = 0;
    QString Address;
    QString Name;
    int Width = 0;
    int Height = 0;
    QString fType;
    // War.
    QString WarName;
    QString ActAddress[2];
    int ActNumber[2] = {0, 0};
    QString HelpAddress;
    int HelpNumber = 0;
    QString DefAddress[2];
    int DefNumber[2] = {0, 0};
    bool FixedArmy = false;
    int FixedArmyID[2] = {0, 0};

    // War name -> war row index from 0 as two digits; and the war names in table order.
    const QHash<QString, QString> &AllWarID() const { return m_warIds; }
    const QStringList &AllWarName() const { return m_warNames; }

    // Loads war lngID (from 1) from string 10011 and its battlefield; draws the map into
    // picField when given. False for a war or battlefield the tables do not hold.
    bool SetWarField(int lngID, FieldEdit &fields, QImage *picField = nullptr);
    // The same for one row of the war table ("0006FF3E|海上1|11|09|Yes|10|07").
    bool setWarRow(const QString &row, FieldEdit &fields, QImage *picField = nullptr);

    // Coordinates of entry lngID (from 1) of a list; -1 when the list or entry does not exist.
    int ActX(int LocType, int lngID) const;
    int ActY(int LocType, int lngID) const;
    int DefX(int LocType, int lngID) const;
    int DefY(int LocType, int lngID) const;
    int HelpX(int lngID) const;
    int HelpY(int lngID) const;
    // Writes only inside the map's inner ring (0 < x < Width - 1, 0 < y < Height - 1) and to
    // entries that exist; returns whether it wrote.
    bool setActX(int LocType, int lngID, int value);
    bool setActY(int LocType, int lngID, int value);
    bool setDefX(int LocType, int lngID, int value);
    bool setDefY(int LocType, int lngID, int value);
    bool setHelpX(int lngID, int value);
    bool setHelpY(int lngID, int value);

    // A start position: its side (0 attacking team one, 1 attacking team two or the help list,
    // 2 and 3 the defending teams), its entry from 1 and its tile.
    struct Position {
        int side;
        int entry;
        QPoint tile;
    };
    // The start positions of the four sides in this order, each side's entries up to the first
    // that lies past the image's end: the markers of the battlefield page.
    QVector<Position> positions() const;
    // The position on a tile other than the one of side and entry; none when no other stands there.
    std::optional<Position> positionOn(QPoint tile, int side = -1, int entry = 0) const;
    // A tile inside the map's inner ring that holds no start position: the outer ring never takes
    // one, and no two positions of a war share a tile.
    bool IsFreeTile(int x, int y) const;

    // Offset of the X byte of an entry (Y follows it), or -1 when the list or entry does not exist.
    qint64 actOffset(int LocType, int lngID) const;
    qint64 defOffset(int LocType, int lngID) const;
    qint64 helpOffset(int lngID, int which = 0) const;

private:
    // Offset of a coordinate byte, or -1.
    qint64 countedOffset(const QString &address, int number, int lngID, int which) const;
    int readAt(qint64 offset) const;
    bool writeAt(qint64 offset, int value, int limit);

    ByteImages &m_images;
    QHash<QString, QString> m_warIds;
    QStringList m_warNames;
    QStringList m_warRows; // string 10011, split once
};
