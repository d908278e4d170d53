#include "gamedata/gamedata.h"

#include "battlefield/armys.h"
#include "battlefield/fieldedit.h"
#include "battlefield/fieldinfo.h"
#include "battlefield/mapcodec.h"
#include "image/builtindata.h"
#include "image/mymodule.h"
#include "tables/gametables.h"

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

QString terrainCaption(int column)
{
    return QStringLiteral("地形") + twoDigits(column + 1);
}

// A caption as two captions clash: without blanks, in any letter case.
QString captionKey(const QString &caption)
{
    QString key;
    for (QChar c : caption)
        if (!c.isSpace())
            key.append(c);
    return key.toCaseFolded();
}

Field field(const char *caption, Show show, qint64 base, int stride, const QStringList &codes = {})
{
    Field f;
    f.caption = QString::fromUtf8(caption);
    f.show = show;
    f.base = base;
    f.stride = stride;
    f.setCodes(codes);
    return f;
}

QStringList pieces(int stringId)
{
    const QString text = GetResString(stringId);
    return text.isEmpty() ? QStringList() : text.split(u'|');
}

// "01骑士" -> "01 骑士", the way the lists show a record.
QString pieceName(const QString &piece)
{
    return piece.left(2) + u' ' + piece.mid(2);
}

// Records named by names, each with one slot per field at the field's formula.
void layOut(Table &t, const QStringList &names)
{
    t.records.reserve(names.size());
    for (int r = 0; r < names.size(); ++r) {
        Record rec;
        rec.name = names[r];
        rec.parts.reserve(t.fields.size());
        for (int f = 0; f < t.fields.size(); ++f)
            rec.parts.append(Slot{t.fields[f].offset(r), 1, f, 0});
        t.records.append(rec);
    }
}

Table makeTable(TableId id, const char *key, const char *name)
{
    Table t;
    t.id = id;
    t.key = QString::fromLatin1(key);
    t.name = QString::fromUtf8(name);
    return t;
}

const QStringList &effectCodes()
{
    static const QStringList codes = {QStringLiteral("00无"), QStringLiteral("01对怪物特效"),
                                      QStringLiteral("03对飞行部队特效"), QStringLiteral("04对骑士特效")};
    return codes;
}

// The fields of a unit of an army, and of an enemy type from its first field on.
QVector<Field> unitFields(qint64 base, int stride)
{
    Field ai = field("AI方式", Show::Code, base + 4, stride, pieces(7));
    return {field("姓  名", Show::Code, base, stride, pieces(4)),
            field("职  业", Show::Code, base + 1, stride, pieces(5)),
            field("等  级", Show::Decimal, base + 2, stride),
            field("物  品", Show::Code, base + 3, stride, pieces(6)),
            ai,
            field("魔  法", Show::Hex, base + 5, stride)};
}

Table buildFixed(TableId id)
{
    switch (id) {
    case Characters: {
        Table t = makeTable(id, "characters", "我方人物");
        const auto rec = [](int byte) { return qint64(CharacterBase + byte); };
        t.fields = {field("职  业", Show::Code, rec(0), CharacterStride, characterClassList()),
                    field("等  级", Show::Decimal, rec(1), CharacterStride),
                    field("最大HP", Show::Decimal, rec(2), CharacterStride),
                    field("经验值", Show::Decimal, rec(3), CharacterStride),
                    field("攻  击", Show::Decimal, rec(4), CharacterStride),
                    field("技  术", Show::Decimal, rec(5), CharacterStride),
                    field("速  度", Show::Decimal, rec(6), CharacterStride),
                    field("运  气", Show::Decimal, rec(7), CharacterStride),
                    field("防  御", Show::Decimal, rec(8), CharacterStride),
                    field("魔  法", Show::Hex, rec(9), CharacterStride),
                    field("魔  防", Show::Decimal, CharacterMagicDefence, 1)};
        const char *growth[6] = {"攻成长", "技成长", "速成长", "运成长", "防成长", "HP成长"};
        for (int k = 0; k < 6; ++k)
            t.fields.append(field(growth[k], Show::Decimal, CharacterGrowth + k, 6));
        t.fields.append(field("物  品", Show::Code, rec(10), CharacterStride, characterItemList()));
        QStringList names = characterNames().mid(0, CharacterCount);
        for (int n = 0; n < names.size(); ++n)
            names[n] = hexByte(n + 1) + u' ' + names[n];
        layOut(t, names);
        return t;
    }
    case Classes: {
        Table t = makeTable(id, "classes", "职业基础能力");
        const char *captions[7] = {"力  量", "技  术", "速  度", "运  气", "防  御", "最大HP", "经验值"};
        for (int i = 0; i < 7; ++i)
            t.fields.append(field(captions[i], Show::Decimal, ClassBase + i, ClassStride));
        t.fields.append(field("移动力", Show::Decimal, ClassMovement, 1));
        t.fields.append(field("魔  防", Show::Decimal, ClassMagicDefence, 1));
        QStringList names = pieces(0).mid(0, ClassCount);
        std::transform(names.begin(), names.end(), names.begin(), pieceName);
        layOut(t, names);
        return t;
    }
    case Weapons:
    case Spells: {
        const bool spells = id == Spells;
        Table t = spells ? makeTable(id, "spells", "魔法设定") : makeTable(id, "weapons", "武器设定");
        const int first = spells ? FirstSpell : 0; // item code of the first record
        t.fields = {field("攻  击", Show::Decimal, ItemAttack + first, 1),
                    field("重  量", Show::Decimal, ItemWeight + first, 1),
                    field("命中率", Show::Decimal, ItemHitRate + first, 1),
                    field("必  杀", Show::Decimal, ItemCritical + first, 1)};
        if (spells)
            t.fields.append(field("消耗HP", Show::Decimal, SpellHpCost, 1));
        t.fields.append(field("特  效", Show::Code, ItemEffect + first, 1, effectCodes()));
        QStringList names = pieces(spells ? 2 : 1);
        std::transform(names.begin(), names.end(), names.begin(), pieceName);
        layOut(t, names);
        return t;
    }
    case Shields: {
        Table t = makeTable(id, "shields", "盾牌");
        t.fields = {field("效  果", Show::Decimal, ShieldBase, 1)};
        QStringList names = pieces(3);
        std::transform(names.begin(), names.end(), names.begin(), pieceName);
        layOut(t, names);
        return t;
    }
    case ClassChanges: {
        Table t = makeTable(id, "class_changes", "职业转换");
        t.fields = {field("原始职业", Show::Code, ClassChangeBefore, 1, pieces(12)),
                    field("可转职业", Show::Code, ClassChangeAfter, 1, pieces(12)),
                    field("必要等级", Show::Decimal, ClassChangeLevel, 1)};
        QStringList names;
        for (int r = 1; r <= ClassChangeCount; ++r)
            names.append(twoDigits(r));
        layOut(t, names);
        return t;
    }
    case LevelCoefficients: {
        Table t = makeTable(id, "level_coefficients", "等级系数");
        t.fields = {field("系数", Show::Decimal, LevelCoefficientBase + 1, 1)};
        QStringList names;
        for (int k = 1; k <= 19; ++k)
            names.append(QStringLiteral("级别") + QString::number(k));
        layOut(t, names);
        return t;
    }
    case TerrainEffects: {
        Table t = makeTable(id, "terrain_effects", "地形效果");
        QSet<QString> taken;
        for (int c = 0; c < TerrainCols; ++c)
            taken.insert(captionKey(terrainCaption(c)));
        for (int c = 0; c < TerrainCols; ++c) {
            t.fields.append(field("", Show::Hex, TerrainBase + c, TerrainCols));
            Field &f = t.fields.last();
            f.caption = terrainCaption(c);
            const QString name = terrainNames().value(c).trimmed();
            const QString key = captionKey(name);
            if (!key.isEmpty() && key != captionKey(f.caption) && !taken.contains(key)) {
                taken.insert(key);
                f.builtInCaption = f.caption;
                f.caption = name;
            }
        }
        layOut(t, pieces(13).mid(0, TerrainRows));
        return t;
    }
    case EnemyTypes: {
        Table t = makeTable(id, "enemy_types", "部队类型");
        t.fields = unitFields(EnemyType::Base, 6);
        QStringList names;
        for (int n = 1; n <= EnemyType::Count; ++n)
            names.append(hexByte(n));
        layOut(t, names);
        return t;
    }
    case Units: {
        Table t = makeTable(id, "units", "战场部队");
        t.fields = QVector<Field>{field("类  型", Show::Hex, -1, 0)} + unitFields(-1, 0);
        t.fields[5].codeMask = 0xF0; // the low four bits of a unit's AI byte are not the AI's
        return t;
    }
    case Positions: {
        Table t = makeTable(id, "positions", "出场位置");
        for (const char *side : {"攻击方一队", "攻击方二队", "防御方一队", "防御方二队"})
            t.fields.append(field(side, Show::Position, -1, 0));
        return t;
    }
    case Maps: {
        Table t = makeTable(id, "maps", "战场地图");
        t.fields = {field("地图", Show::Map, -1, 0), field("高", Show::Decimal, -1, 0), field("宽", Show::Decimal, -1, 0)};
        t.fields[1].bias = t.fields[2].bias = 1;
        return t;
    }
    case TableCount:
        break;
    }
    return Table{};
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

QString Field::valueText(int byte) const
{
    switch (show) {
    case Show::Hex:
        return hexByte(byte);
    case Show::Code: {
        const int code = byte & codeMask & 0xFF;
        const QString entry = m_entryOf.value(code);
        return entry.isEmpty() ? hexByte(code) + u'?' : entry;
    }
    default:
        return QString::number(byte + bias);
    }
}

void Field::setCodes(const QStringList &list)
{
    codes = list;
    m_entryOf = QVector<QString>(256);
    for (const QString &entry : list)
        if (const int code = pieceCode(entry); code >= 0 && m_entryOf[code].isEmpty())
            m_entryOf[code] = entry;
}

QString Table::slotCaption(const Slot &slot) const
{
    const QString caption = fields.value(slot.field).caption;
    return slot.entry > 0 ? caption + u' ' + twoDigits(slot.entry) : caption;
}

const Table &fixedTable(TableId id)
{
    // Built again when another string table or other terrain names are taken into use.
    static std::array<Table, TableCount> tables;
    static std::pair<int, int> builtFor{-1, -1};
    if (builtFor != std::pair(stringTableGeneration(), terrainNamesGeneration)) {
        for (int i = 0; i < TableCount; ++i)
            tables[size_t(i)] = buildFixed(TableId(i));
        builtFor = {stringTableGeneration(), terrainNamesGeneration};
    }
    return tables[size_t(std::clamp(int(id), 0, TableCount - 1))];
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
    // Both generations only count up.
    return stringTableGeneration() + terrainNamesGeneration;
}

QString placeName(const Table &table, const Record &record, const Slot &slot)
{
    return table.name + u' ' + record.name + QStringLiteral(" · ") + table.slotCaption(slot);
}

Catalogue::Catalogue(const QByteArray &image, const QByteArray &reference)
{
    ByteImages view;
    view.load(image); // shared, never written
    m_tables.reserve(TableCount);
    for (int i = 0; i < TableCount; ++i)
        m_tables.append(fixedTable(TableId(i)));
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
    return field.valueText(byteAt(image, slot.offset));
}

} // namespace GameData
