#include "battlefield/fieldinfo.h"

#include "battlefield/fieldedit.h"
#include "image/mymodule.h"

namespace {

QString offsetText(qint64 offset)
{
    return PadText(QString::number(offset, 16).toUpper(), QStringLiteral("0"), 8, true);
}

qint64 parseOffset(const QString &text)
{
    bool ok = false;
    const qint64 v = text.trimmed().toLongLong(&ok, 16);
    return ok && v >= 0 ? v : -1;
}

int number(const QStringList &list, int i)
{
    return i < list.size() ? list[i].trimmed().toInt() : 0;
}

bool validLoc(int LocType)
{
    return LocType == 0 || LocType == 1;
}

} // namespace

FieldInfo::FieldInfo(ByteImages &images) : m_images(images)
{
    const QString table = GetResString(11);
    if (table.isEmpty())
        return;
    const QStringList rows = table.split(u'*');
    m_warRows = rows;
    for (int r = 0; r < rows.size(); ++r) {
        const QString key = QString::number(r).rightJustified(2, u'0');
        const QString name = rows[r].section(u'|', 1, 1);
        m_warIds.insert(name, key);
        m_warNames.append(name);
    }
}

bool FieldInfo::SetWarField(int lngID, FieldEdit &fields, QImage *picField)
{
    if (lngID < 1 || lngID > m_warRows.size())
        return false;
    return setWarRow(m_warRows[lngID - 1], fields, picField);
}

bool FieldInfo::setWarRow(const QString &row, FieldEdit &fields, QImage *picField)
{
    const QStringList f = row.split(u'|');
    if (f.size() < 7 || !fields.Field(f[2].toInt(), *this, picField))
        return false;
    WarName = f[1];
    const QStringList A = f[0].split(u',');
    const QStringList F = f[3].split(u',');
    const QStringList N = f[5].split(u',');
    const QStringList D = f[6].split(u',');

    FixedArmy = f[4].toUpper() == QStringLiteral("YES");
    FixedArmyID[0] = FixedArmy ? number(F, 0) : 0;
    FixedArmyID[1] = FixedArmy ? number(F, 1) : 0;

    ActAddress[0] = A.value(0);
    ActNumber[0] = number(N, 0);
    ActAddress[1].clear();
    ActNumber[1] = 0;
    HelpAddress.clear();
    HelpNumber = 0;
    DefAddress[1].clear();
    DefNumber[1] = 0;
    DefNumber[0] = number(D, 0);

    // The offset just behind a counted list of n pairs.
    const auto next = [](qint64 list, qint64 n) { return list + 2 * n + 1; };
    const qint64 a0 = parseOffset(A.value(0));
    DefAddress[0].clear();
    if (A.size() <= 2 && a0 >= 0) {
        if (N.size() < 2) {
            DefAddress[0] = offsetText(next(a0, ActNumber[0]));
        } else {
            HelpNumber = number(N, 1);
            const qint64 help = next(a0, number(N, 0));
            HelpAddress = offsetText(help);
            DefAddress[0] = offsetText(help + 2 * qint64(HelpNumber));
        }
        if (A.size() == 2) {
            DefAddress[1] = A[1];
            DefNumber[1] = number(D, 1);
        }
    } else if (A.size() >= 3) {
        // The second list is stepped over by its own count byte.
        const qint64 a1 = parseOffset(A[1]);
        DefAddress[0] = a1 >= 0 && a1 < m_images.WorkImage.size() ? offsetText(next(a1, byteAt(m_images.WorkImage, a1))) : QString();
        DefAddress[1] = A[2];
        DefNumber[1] = number(D, 1);
        if (N.size() >= 2) {
            ActAddress[1] = A[1];
            ActNumber[1] = number(N, 1);
        }
    }
    return true;
}

qint64 FieldInfo::countedOffset(const QString &address, int count, int lngID, int which) const
{
    if (address.isEmpty() || lngID < 1 || lngID > count)
        return -1;
    const qint64 list = parseOffset(address);
    return list < 0 ? -1 : list + 2 * qint64(lngID - 1) + 1 + which;
}

qint64 FieldInfo::helpOffset(int lngID, int which) const
{
    if (HelpAddress.isEmpty() || lngID < 1 || lngID > HelpNumber)
        return -1;
    const qint64 list = parseOffset(HelpAddress);
    return list < 0 ? -1 : list + 2 * qint64(lngID - 1) + which;
}

qint64 FieldInfo::actOffset(int LocType, int lngID) const
{
    return validLoc(LocType) ? countedOffset(ActAddress[LocType], ActNumber[LocType], lngID, 0) : -1;
}

qint64 FieldInfo::defOffset(int LocType, int lngID) const
{
    return validLoc(LocType) ? countedOffset(DefAddress[LocType], DefNumber[LocType], lngID, 0) : -1;
}

int FieldInfo::readAt(qint64 offset) const
{
    return offset >= 0 && offset < m_images.WorkImage.size() ? byteAt(m_images.WorkImage, offset) : -1;
}

bool FieldInfo::writeAt(qint64 offset, int value, int limit)
{
    return value > 0 && value < limit - 1 && m_images.write(offset, value);
}

int FieldInfo::ActX(int LocType, int lngID) const
{
    return validLoc(LocType) ? readAt(countedOffset(ActAddress[LocType], ActNumber[LocType], lngID, 0)) : -1;
}

int FieldInfo::ActY(int LocType, int lngID) const
{
    return validLoc(LocType) ? readAt(countedOffset(ActAddress[LocType], ActNumber[LocType], lngID, 1)) : -1;
}

int FieldInfo::DefX(int LocType, int lngID) const
{
    return validLoc(LocType) ? readAt(countedOffset(DefAddress[LocType], DefNumber[LocType], lngID, 0)) : -1;
}

int FieldInfo::DefY(int LocType, int lngID) const
{
    return validLoc(LocType) ? readAt(countedOffset(DefAddress[LocType], DefNumber[LocType], lngID, 1)) : -1;
}

int FieldInfo::HelpX(int lngID) const
{
    return readAt(helpOffset(lngID, 0));
}

int FieldInfo::HelpY(int lngID) const
{
    return readAt(helpOffset(lngID, 1));
}

QVector<FieldInfo::Position> FieldInfo::positions() const
{
    QVector<Position> list;
    const auto side = [&](int s, int count, auto x, auto y) {
        for (int i = 1; i <= count; ++i) {
            const int px = x(i);
            const int py = y(i);
            if (px < 0 || py < 0)
                break;
            list.append(Position{s, i, QPoint(px, py)});
        }
    };
    side(0, ActNumber[0], [&](int i) { return ActX(0, i); }, [&](int i) { return ActY(0, i); });
    if (HelpNumber != 0)
        side(1, HelpNumber, [&](int i) { return HelpX(i); }, [&](int i) { return HelpY(i); });
    else if (ActNumber[1] != 0)
        side(1, ActNumber[1], [&](int i) { return ActX(1, i); }, [&](int i) { return ActY(1, i); });
    side(2, DefNumber[0], [&](int i) { return DefX(0, i); }, [&](int i) { return DefY(0, i); });
    if (DefNumber[1] != 0)
        side(3, DefNumber[1], [&](int i) { return DefX(1, i); }, [&](int i) { return DefY(1, i); });
    return list;
}

std::optional<FieldInfo::Position> FieldInfo::positionOn(QPoint tile, int side, int entry) const
{
    for (const Position &p : positions())
        if (p.tile == tile && (p.side != side || p.entry != entry))
            return p;
    return std::nullopt;
}

bool FieldInfo::IsFreeTile(int x, int y) const
{
    return x > 0 && x < Width - 1 && y > 0 && y < Height - 1 && !positionOn(QPoint(x, y));
}

bool FieldInfo::setActX(int LocType, int lngID, int value)
{
    return validLoc(LocType) && writeAt(countedOffset(ActAddress[LocType], ActNumber[LocType], lngID, 0), value, Width);
}

bool FieldInfo::setActY(int LocType, int lngID, int value)
{
    return validLoc(LocType) && writeAt(countedOffset(ActAddress[LocType], ActNumber[LocType], lngID, 1), value, Height);
}

bool FieldInfo::setDefX(int LocType, int lngID, int value)
{
    return validLoc(LocType) && writeAt(countedOffset(DefAddress[LocType], DefNumber[LocType], lngID, 0), value, Width);
}

bool FieldInfo::setDefY(int LocType, int lngID, int value)
{
    return validLoc(LocType) && writeAt(countedOffset(DefAddress[LocType], DefNumber[LocType], lngID, 1), value, Height);
}

bool FieldInfo::setHelpX(int lngID, int value)
{
    return writeAt(helpOffset(lngID, 0), value, Width);
}

bool FieldInfo::setHelpY(int lngID, int value)
{
    return writeAt(helpOffset(lngID, 1), value, Height);
}
