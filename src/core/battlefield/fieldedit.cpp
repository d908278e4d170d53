#include "battlefield/fieldedit.h"

#include "battlefield/fieldinfo.h"
#include "image/mymodule.h"

FieldEdit::FieldEdit(ByteImages &images, const QString &editorFolder) : m_images(images), m_folder(editorFolder)
{
    const QString table = GetResString(9);
    if (!table.isEmpty())
        m_rows = table.split(u'*');
}

QString FieldEdit::typeDigit(const QString &strFieldType)
{
    if (strFieldType == QStringLiteral("A"))
        return QStringLiteral("0");
    if (strFieldType == QStringLiteral("B"))
        return QStringLiteral("1");
    if (strFieldType == QStringLiteral("C"))
        return QStringLiteral("2");
    return QString();
}

QString FieldEdit::tileFolder(const QString &strFieldType) const
{
    return m_folder + QStringLiteral("/Loc") + typeDigit(strFieldType);
}

TileSet &FieldEdit::tiles(const QString &strFieldType)
{
    const QString folder = tileFolder(strFieldType);
    return m_tiles.try_emplace(folder, folder).first->second;
}

bool FieldEdit::Field(int lngID, FieldInfo &target, QImage *picField)
{
    if (lngID < 1 || lngID > m_rows.size())
        return false;
    const QStringList f = m_rows[lngID - 1].split(u'|');
    const QString size = f.value(2);
    if (f.size() < 3 || size.size() < 6)
        return false;
    target.ID = lngID;
    target.Address = f[0];
    target.Name = f[1];
    target.Width = size.mid(3, 2).toInt();
    target.Height = size.left(2).toInt();
    target.fType = size.right(1);
    if (picField)
        ReadField(target.Address, target.fType, picField); // a map that cannot be read leaves the picture
    return true;
}

bool FieldEdit::ReadField(const QString &strAddress, const QString &strFieldType, QImage *picField)
{
    bool ok = false;
    const qint64 address = strAddress.toLongLong(&ok, 16);
    if (!ok)
        return false;
    const DecodedMap map = decodeMap(m_images.WorkImage, address);
    if (map.width == 0)
        return false;
    *picField = paintMap(map, tiles(strFieldType));
    return true;
}
