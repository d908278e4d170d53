#include "gamedata/gamedata.h"

#include "gamedata/descriptions.h"

#include "battlefield/armys.h"
#include "battlefield/fieldedit.h"
#include "battlefield/fieldinfo.h"
#include "battlefield/mapcodec.h"
#include "image/builtindata.h"
#include "image/mymodule.h"
#include "tables/gametables.h"

#include <QFile>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <array>

namespace GameData {

namespace {

using namespace GameTables;

// The user's terrain names, as taken by useTerrainNames, and how often they were set.
QStringList &terrainNames()
{
    static QStringList names;
    return names;
}
int terrainNamesGeneration = 0;

QVector<Table> &userTableList()
{
    static QVector<Table> tables;
    return tables;
}
int userTablesGeneration = 0;

// A caption as two captions clash: without blanks, in any letter case.
QString captionKey(const QString &caption)
{
    QString key;
    for (QChar c : caption)
        if (!c.isSpace())
            key.append(c);
    return key.toCaseFolded();
}

Field field(const char *caption, Show show)
{
    Field f;
    f.caption = QString::fromUtf8(caption);
    f.show = show;
    return f;
}

// The nine fixed tables as resources/tables.json describes them, by key.
QHash<QString, Table> describedTables()
{
    QHash<QString, Table> tables;
    QFile file(QStringLiteral(":/tables/tables.json"));
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    const Description d = readDescription(bytes, QStringLiteral("tables.json"));
    Q_ASSERT_X(d.ok(), "tables.json", qPrintable(d.errors.value(0).text()));
    for (const Table &t : d.tables)
        tables.insert(t.key, t);
    return tables;
}

// The terrain fields take the user's terrain names as captions where they are usable.
void nameTerrainColumns(Table &t)
{
    QSet<QString> taken;
    for (const Field &f : t.fields)
        taken.insert(captionKey(f.caption));
    for (int c = 0; c < t.fields.size(); ++c) {
        Field &f = t.fields[c];
        const QString name = terrainNames().value(c).trimmed();
        const QString key = captionKey(name);
        if (!key.isEmpty() && key != captionKey(f.caption) && !taken.contains(key)) {
            taken.insert(key);
            f.builtInCaption = f.caption;
            f.caption = name;
        }
    }
}

std::array<Table, TableCount> buildFixed()
{
    static const char *keys[] = {"characters", "classes", "weapons", "spells", "shields", "class_changes",
                                 "level_coefficients", "terrain_effects", "enemy_types"};
    const QHash<QString, Table> described = describedTables();
    std::array<Table, TableCount> tables;
    for (int i = 0; i <= EnemyTypes; ++i) {
        tables[size_t(i)] = described.value(QString::fromLatin1(keys[i]));
        tables[size_t(i)].id = TableId(i);
    }
    nameTerrainColumns(tables[TerrainEffects]);

    // The derived tables: their records come from the image.
    const auto derived = [&](TableId id, const char *key, const char *name) -> Table & {
        Table &t = tables[size_t(id)];
        t.id = id;
        t.key = QString::fromLatin1(key);
        t.name = QString::fromUtf8(name);
        return t;
    };
    // A unit of an army has an enemy type's fields, after the type it may refer to.
    Table &units = derived(Units, "units", "战场部队");
    units.fields = {field("类  型", Show::Hex)};
    for (Field f : tables[EnemyTypes].fields) {
        f.base = -1;
        f.stride = 0;
        units.fields.append(f);
    }
    units.fields[5].codeMask = 0xF0; // the low four bits of a unit's AI byte are not the AI's
    Table &positions = derived(Positions, "positions", "出场位置");
    for (const char *side : {"攻击方一队", "攻击方二队", "防御方一队", "防御方二队"}) {
        positions.fields.append(field(side, Show::Position));
        positions.fields.last().size = 2;
    }
    Table &maps = derived(Maps, "maps", "战场地图");
    maps.fields = {field("地图", Show::Map), field("高", Show::Decimal), field("宽", Show::Decimal)};
    maps.fields[1].bias = maps.fields[2].bias = 1;
    return tables;
}

void addUnits(Table &t, ByteImages &view)
{
    const Armys armies(view);
    for (int a = 1; a <= armies.Count(); ++a) {
        const ArmyType *army = armies.Item(a);
        for (int m = 1; m <= army->Number(); ++m) {
            const ArmyMen *unit = army->Item(m);
            Record rec;
            rec.name = QStringLiteral("部队%1 %2").arg(twoDigits(a), twoDigits(m));
            rec.number = a;
            rec.item = m;
            if (unit->Edit()) {
                for (int k = 0; k < 6; ++k)
                    rec.parts.append(Slot{unit->address() + k, 1, k + 1, 0});
            } else {
                rec.parts.append(Slot{unit->address(), 1, 0, 0});
            }
            t.records.append(rec);
        }
    }
}

void addPositions(Table &t, ByteImages &view)
{
    FieldEdit fields(view, QString());
    FieldInfo war(view);
    for (int k = 1; k <= war.AllWarName().size(); ++k) {
        if (!war.SetWarField(k, fields))
            continue;
        Record rec;
        rec.name = twoDigits(k) + u' ' + war.WarName;
        rec.number = k;
        const auto side = [&](int f, int count, auto offset) {
            for (int i = 1; i <= count; ++i)
                if (const qint64 o = offset(i); o >= 0)
                    rec.parts.append(Slot{o, 2, f, i});
        };
        side(0, war.ActNumber[0], [&](int i) { return war.actOffset(0, i); });
        if (war.HelpNumber != 0)
            side(1, war.HelpNumber, [&](int i) { return war.helpOffset(i); });
        else
            side(1, war.ActNumber[1], [&](int i) { return war.actOffset(1, i); });
        side(2, war.DefNumber[0], [&](int i) { return war.defOffset(0, i); });
        side(3, war.DefNumber[1], [&](int i) { return war.defOffset(1, i); });
        t.records.append(rec);
    }
}

void addMaps(Table &t, ByteImages &view, const QByteArray &reference)
{
    FieldEdit fields(view, QString());
    FieldInfo info(view);
    for (int k = 1; k <= fields.AllField().size(); ++k) {
        if (!fields.Field(k, info))
            continue;
        bool ok = false;
        const qint64 m = info.Address.toLongLong(&ok, 16);
        if (!ok || m < 0)
            continue;
        const qint64 cells = qint64(info.Width) * info.Height;
        qint64 length = mapStreamLength(reference, m + 3, cells);
        if (length <= 0)
            length = mapStreamLength(view.WorkImage, m + 3, cells);
        if (length <= 0 || length > 0x10000)
            continue;
        // Height and width (each less one) stand before the two bytes ahead of the stream.
        t.records.append(Record{info.Name, {Slot{m - 1, 1, 1, 0}, Slot{m, 1, 2, 0}, Slot{m + 3, int(length), 0, 0}}, k, 0});
    }
}

} // namespace

void Field::setCodes(const QStringList &list)
{
    codes = list;
    m_entryOf = QVector<qint32>(256, -1);
    for (qsizetype i = 0; i < list.size(); ++i)
        if (const int code = pieceCode(list[i]); code >= 0 && m_entryOf[code] < 0)
            m_entryOf[code] = qint32(i);
}

QString Field::entryOf(int code) const
{
    const int i = m_entryOf.value(code, -1);
    return i >= 0 ? codes.value(i) : QString();
}

QString Table::slotCaption(const Slot &slot) const
{
    const QString caption = slot.field >= 0 && slot.field < fields.size() ? fields[slot.field].caption : QString();
    return slot.entry > 0 ? caption + u' ' + twoDigits(slot.entry) : caption;
}

const Table &fixedTable(TableId id)
{
    // Built again when another string table or other terrain names are taken into use.
    static std::array<Table, TableCount> tables;
    static std::pair<int, int> builtFor{-1, -1};
    if (builtFor != std::pair(stringTableGeneration(), terrainNamesGeneration)) {
        tables = buildFixed();
        builtFor = {stringTableGeneration(), terrainNamesGeneration};
    }
    return tables[size_t(std::clamp(int(id), 0, TableCount - 1))];
}

const QVector<Table> &userTables()
{
    return userTableList();
}

void useUserTables(const QVector<Table> &tables)
{
    userTableList() = tables;
    ++userTablesGeneration;
}

void useTerrainNames(const QStringList &names)
{
    if (names == terrainNames())
        return;
    terrainNames() = names;
    ++terrainNamesGeneration;
}

int fixedTablesGeneration()
{
    // All three generations only count up.
    return stringTableGeneration() + terrainNamesGeneration + userTablesGeneration;
}

QString placeName(const Table &table, const Record &record, const Slot &slot)
{
    return table.name + u' ' + record.name + QStringLiteral(" · ") + table.slotCaption(slot);
}

Catalogue::Catalogue(const QByteArray &image, const QByteArray &reference, bool withUserTables)
{
    ByteImages view;
    view.load(image); // shared, never written
    m_tables.reserve(TableCount + (withUserTables ? userTables().size() : 0));
    for (int i = 0; i < TableCount; ++i)
        m_tables.append(fixedTable(TableId(i)));
    if (withUserTables)
        m_tables += userTables();
    addUnits(m_tables[Units], view);
    addPositions(m_tables[Positions], view);
    addMaps(m_tables[Maps], view, reference);

    for (int t = 0; t < m_tables.size(); ++t) {
        QVector<Record> &records = m_tables[t].records;
        for (int r = 0; r < records.size(); ++r) {
            QVector<Slot> &parts = records[r].parts;
            // A short image holds only some of the parts.
            if (!parts.isEmpty() && std::any_of(parts.cbegin(), parts.cend(), [&](const Slot &s) {
                    return s.offset < 0 || s.offset + s.size > image.size();
                }))
                parts.removeIf([&](const Slot &s) { return s.offset < 0 || s.offset + s.size > image.size(); });
            for (int s = 0; s < parts.size(); ++s)
                m_index.append(Index{parts[s].offset, parts[s].offset + parts[s].size, t, r, s});
        }
    }
    // Stable: a byte two tables share (the magic defence of characters and classes) is named
    // alike on every run.
    std::stable_sort(m_index.begin(), m_index.end(), [](const Index &a, const Index &b) { return a.offset < b.offset; });
    for (const Index &i : m_index) {
        if (!m_covered.isEmpty() && i.offset <= m_covered.last().second)
            m_covered.last().second = std::max(m_covered.last().second, i.end);
        else
            m_covered.append({i.offset, i.end});
    }
}

std::optional<Catalogue::Place> Catalogue::at(qint64 offset) const
{
    // The last slot starting at or before the byte; parts of different tables may nest, so look
    // back over a few that start earlier.
    auto it = std::upper_bound(m_index.cbegin(), m_index.cend(), offset,
                               [](qint64 o, const Index &i) { return o < i.offset; });
    for (int back = 0; back < 8 && it != m_index.cbegin(); ++back) {
        --it;
        if (offset < it->end) {
            const Table &t = m_tables[it->table];
            const Record &r = t.records[it->record];
            return Place{&t, &r, &r.parts[it->slot]};
        }
    }
    return std::nullopt;
}

qint64 Catalogue::coveredBytes(qint64 from, qint64 to) const
{
    qint64 covered = 0;
    for (const auto &[start, end] : m_covered)
        covered += std::max<qint64>(0, std::min(end, to) - std::max(start, from));
    return covered;
}

QString Catalogue::valueText(const Field &field, const Slot &slot, const QByteArray &image)
{
    if (slot.offset < 0 || slot.offset + slot.size > image.size())
        return QStringLiteral("?");
    if (field.show == Show::Position)
        return QStringLiteral("(%1,%2)").arg(byteAt(image, slot.offset)).arg(byteAt(image, slot.offset + 1));
    if (field.show == Show::Map)
        return QString();
    return field.valueText(field.read(image, slot.offset));
}

} // namespace GameData
