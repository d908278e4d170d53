#pragma once

#include "battlefield/mapdata.h"
#include "image/byteimages.h"

#include <QImage>
#include <QStringList>

#include <map>

class FieldInfo;

// The catalogue of the 46 battlefield maps (string 10009: "000556DF|第01战场|22x24A", map
// address, name, rows x columns and map type), and the drawing of a map from WorkImage.
class FieldEdit {
public:
    FieldEdit(ByteImages &images, const QString &editorFolder);

    const QStringList &AllField() const { return m_rows; }

    // Fills the battlefield members of target from catalogue row lngID (from 1) and, given a
    // picture, draws the map into it. False for a row the catalogue does not hold.
    bool Field(int lngID, FieldInfo &target, QImage *picField = nullptr);
    // Draws the map whose width byte is at strAddress (hexadecimal) with the tiles of map type
    // strFieldType ("A", "B", "C"; any other letter uses the folder "Loc").
    bool ReadField(const QString &strAddress, const QString &strFieldType, QImage *picField);

    // The tile folder of a map type, and its bitmaps (each file read once).
    QString tileFolder(const QString &strFieldType) const;
    TileSet &tiles(const QString &strFieldType);
    // Forgets every loaded tile bitmap.
    void clearTiles() { m_tiles.clear(); }

    // The type digit of a map type: "0", "1", "2", or "" for another letter.
    static QString typeDigit(const QString &strFieldType);

private:
    ByteImages &m_images;
    QString m_folder;
    QStringList m_rows;
    std::map<QString, TileSet> m_tiles;
};
