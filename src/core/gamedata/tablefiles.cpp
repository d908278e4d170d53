#include "gamedata/tablefiles.h"

#include "battlefield/enemytype.h"
#include "battlefield/fieldedit.h"
#include "battlefield/fieldinfo.h"
#include "image/fileio.h"
#include "image/gbk.h"
#include "image/mymodule.h"
#include "tables/gametables.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSize>
#include <QStringDecoder>

#include <algorithm>
#include <optional>

namespace TableFiles {

namespace {

using namespace GameData;

const char Bom[] = "\xEF\xBB\xBF";

// One column of a table's file: one byte (a position's X or Y) of one field and entry.
struct Column {
    QString caption;
    int field;
    int entry;
    int part; // the byte within the slot
};

// A table's columns and, for every record, its slot under each column (-1 for none).
struct Sheet {
    QVector<Column> columns;
    QVector<QVector<int>> slotAt;
};

Sheet sheetOf(const Table &table)
{
    Sheet sheet;
    for (int f = 0; f < table.fields.size(); ++f) {
        const Field &field = table.fields[f];
        if (field.show != Show::Position) {
            sheet.columns.append(Column{field.caption, f, 0, 0});
            continue;
        }
        int entries = 0;
        for (const Record &r : table.records)
            for (const Slot &s : r.parts)
                if (s.field == f)
                    entries = std::max(entries, s.entry);
        for (int e = 1; e <= entries; ++e) {
            const QString caption = table.slotCaption(Slot{0, 2, f, e});
            sheet.columns.append(Column{caption + QStringLiteral(" X"), f, e, 0});
            sheet.columns.append(Column{caption + QStringLiteral(" Y"), f, e, 1});
        }
    }
    // The columns of each field and entry (a position has two, X and Y).
    QHash<QPair<int, int>, QVector<int>> columnsOf;
    for (int c = 0; c < sheet.columns.size(); ++c)
        columnsOf[{sheet.columns[c].field, sheet.columns[c].entry}].append(c);
    sheet.slotAt.reserve(table.records.size());
    for (const Record &r : table.records) {
        QVector<int> at(sheet.columns.size(), -1);
        for (int s = 0; s < r.parts.size(); ++s)
            for (int c : columnsOf.value({r.parts[s].field, r.parts[s].entry}))
                at[c] = s;
        sheet.slotAt.append(at);
    }
    return sheet;
}

// A cell's text as the file shows the byte: a position's X or Y in decimal, any other value as
// its editor shows it. Empty for a slot past the image's end.
QString cellText(const Field &field, const Column &column, const Slot &slot, const QByteArray &image)
{
    if (slot.offset < 0 || slot.offset + slot.size > image.size())
        return QString();
    if (field.show == Show::Position)
        return QString::number(byteAt(image, slot.offset + column.part));
    return field.valueText(field.read(image, slot.offset));
}

// A field the description gives a kind, a size or a range the built-in fields do not have: its
// value is read as the field's editor reads it, after a spreadsheet's way of showing numbers.
bool describedOnly(const Field &field)
{
    return field.show == Show::Signed || field.show == Show::Flags || field.hasRange()
        || (field.size == 2 && field.show != Show::Position);
}

QString quoted(const QString &cell)
{
    if (!cell.contains(u',') && !cell.contains(u'"') && !cell.contains(u'\n') && !cell.contains(u'\r'))
        return cell;
    QString q = cell;
    q.replace(u'"', QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

// A caption or name as the import compares it: without spaces, in any letter case.
QString compareKey(const QString &text)
{
    QString key;
    key.reserve(text.size());
    for (QChar c : text)
        if (!c.isSpace())
            key.append(c);
    return key.toCaseFolded();
}

bool isLineEnd(QChar c)
{
    return c == u'\n' || c == u'\r';
}

// The whole number a cell shows as spreadsheet programs write numbers: decimal digits with or
// without leading zeros ("05"), a fraction of zeros ("12.0"), an exponent ("1.2E1"). -1 for
// any other text and for a number with a fraction; numbers above a billion count as a billion.
qint64 wholeNumber(const QString &text)
{
    constexpr qint64 Large = 1'000'000'000;
    QString digits;
    int scale = 0;
    qsizetype i = 0;
    const qsizetype n = text.size();
    const auto isDigit = [&](qsizetype k) { return k < n && text[k] >= u'0' && text[k] <= u'9'; };
    for (; isDigit(i); ++i)
        digits.append(text[i]);
    if (i < n && text[i] == u'.')
        for (++i; isDigit(i); ++i, --scale)
            digits.append(text[i]);
    if (digits.isEmpty())
        return -1;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        const qsizetype from = ++i;
        if (i < n && (text[i] == u'+' || text[i] == u'-'))
            ++i;
        if (!isDigit(i))
            return -1;
        while (isDigit(i))
            ++i;
        bool ok = false;
        const int exponent = text.mid(from, i - from).toInt(&ok);
        if (!ok || exponent > 1000 || exponent < -1000)
            return -1;
        scale += exponent;
    }
    if (i != n)
        return -1;
    while (digits.startsWith(u'0'))
        digits.remove(0, 1);
    if (digits.isEmpty())
        return 0;
    for (; scale < 0 && digits.endsWith(u'0'); ++scale)
        digits.chop(1);
    if (scale < 0)
        return -1;
    if (digits.size() + scale > 9)
        return Large;
    qint64 value = digits.toLongLong();
    for (; scale > 0; --scale)
        value *= 10;
    return value;
}

// Two texts that are the same, or the same whole number as a spreadsheet shows it ("01" and "1").
bool sameCell(const QString &a, const QString &b)
{
    if (compareKey(a) == compareKey(b))
        return true;
    const qint64 n = wholeNumber(a);
    return n >= 0 && n == wholeNumber(b);
}

// The text of decimal digits a spreadsheet read as a number: "5" or "5.0" for "05"; empty when
// the cell is no such number.
QString digitPair(const QString &text)
{
    const qint64 n = wholeNumber(text);
    return n >= 0 && n < 100 ? twoDigits(int(n)) : QString();
}

const QString &numberCaption()
{
    static const QString caption = QStringLiteral("编号");
    return caption;
}

const QString &nameCaption()
{
    static const QString caption = QStringLiteral("名称");
    return caption;
}

// The byte a cell asks for, or why it cannot be taken.
struct Value {
    int byte = -1;
    QString reason;
};

Value refuse(const QString &reason)
{
    return Value{-1, reason};
}

// Where one cell of a file is.
struct Place {
    QString file;
    int line;
    int column;
};

class Importer {
public:
    Importer(const Catalogue &catalogue, const QByteArray &image) : m_catalogue(catalogue), m_image(image) {}

    void importFile(const File &file);
    Import finish(const QVector<File> &files);

private:
    void problem(const Place &at, const QString &reason)
    {
        m_import.problems.append(Problem{at.file, at.line, at.column, reason});
    }
    const Table *tableOf(const File &file);
    // What a file's header row says about its rows.
    struct Header {
        QVector<int> columnOf; // header cell -> column of the sheet, -1 for none
        int width;             // the cells a row has at least
        int numberColumn;
        int nameColumn; // -1 for none
    };
    void importRow(const Table &table, const Sheet &sheet, const CsvRow &row, const Header &header,
                   QHash<int, int> &seen, const QString &file);
    void checkPositions();
    Value value(const Table &table, int record, const Column &column, int old, const QString &text);
    void importValue(const Field &field, const Slot &slot, const QString &text, const Place &at);
    QSize mapSize(const Record &war);
    void write(qint64 offset, int value, const Place &at);

    const Catalogue &m_catalogue;
    const QByteArray &m_image;
    Import m_import;
    QHash<QString, QString> m_tableFiles; // table key -> the file that held it
    QHash<qint64, int> m_writeAt;      // offset -> index in m_import.writes
    QVector<Place> m_writePlaces;      // the cell each write comes from
    QHash<int, QSize> m_mapSizes;      // war number -> its map's width and height
    // A start position the import moves, and the first of its cells that does.
    struct Moved {
        int war;
        int side;
        int entry;
        Place at;
    };
    QVector<Moved> m_moved;
};

const Table *Importer::tableOf(const File &file)
{
    const QString name = QFileInfo(file.name).fileName();
    for (const Table &t : m_catalogue.tables()) {
        if (!hasFile(t.id) || name.compare(fileName(t), Qt::CaseInsensitive) != 0)
            continue;
        if (m_tableFiles.contains(t.key)) {
            problem(Place{file.name, 0, 0}, QStringLiteral("与 %1 是同一个表格").arg(m_tableFiles[t.key]));
            return nullptr;
        }
        m_tableFiles.insert(t.key, name);
        return &t;
    }
    QStringList names;
    for (const Table &t : m_catalogue.tables())
        if (hasFile(t.id))
            names.append(fileName(t));
    problem(Place{file.name, 0, 0}, QStringLiteral("不是表格文件，文件名应为 %1 之一").arg(names.join(QStringLiteral("、"))));
    return nullptr;
}

void Importer::importFile(const File &file)
{
    const Table *table = tableOf(file);
    if (!table)
        return;
    const QString text = decodeText(file.bytes);
    if (text.contains(QChar(0))) {
        problem(Place{file.name, 0, 0},
                QStringLiteral("文件中有零字节，似乎是 UTF-16 或 UTF-32 编码却读不出来；请另存为 UTF-8 编码的 CSV 文件"));
        return;
    }
    const Csv csv = readCsv(text, separatorOf(text));
    for (const CsvError &e : csv.errors)
        problem(Place{file.name, e.line, e.column}, e.reason);

    const auto blank = [](const CsvRow &row) {
        return std::all_of(row.cells.cbegin(), row.cells.cend(),
                           [](const QString &c) { return c.trimmed().isEmpty(); });
    };
    auto row = std::find_if_not(csv.rows.cbegin(), csv.rows.cend(), blank);
    if (row == csv.rows.cend()) {
        if (csv.errors.isEmpty())
            problem(Place{file.name, 0, 0}, QStringLiteral("文件中没有标题行"));
        return;
    }

    // The header: each cell names a column of the sheet, "编号" or "名称"; an empty one names none.
    const Sheet sheet = sheetOf(*table);
    QHash<QString, int> known;
    for (int c = 0; c < sheet.columns.size(); ++c)
        known.insert(compareKey(sheet.columns[c].caption), c);
    for (int c = 0; c < sheet.columns.size(); ++c) { // a file written before the user named the column
        const QString key = compareKey(table->fields[sheet.columns[c].field].builtInCaption);
        if (!key.isEmpty() && !known.contains(key))
            known.insert(key, c);
    }
    const int numberKey = -2;
    const int nameKey = -3;
    known.insert(compareKey(numberCaption()), numberKey);
    known.insert(compareKey(nameCaption()), nameKey);
    // Why a header may not read: a separator that is not the file's.
    QString cause;
    if (row->cells.join(QString()).contains(u';'))
        cause = QStringLiteral("（此文件似乎以分号分隔，请另存为以逗号分隔的 CSV 文件）");
    else if (row->cells.join(QString()).contains(u'\t'))
        cause = QStringLiteral("（此文件似乎以制表符分隔，请另存为以逗号分隔的 CSV 文件）");
    QVector<int> columnOf(row->cells.size(), -1);
    QHash<int, int> headerAt; // column of the sheet -> its header cell
    int width = 0;            // a row has a cell for each header cell up to the last caption
    for (int h = 0; h < row->cells.size(); ++h) {
        const QString caption = row->cells[h].trimmed();
        if (caption.isEmpty())
            continue;
        width = h + 1;
        const Place at{file.name, row->line, h + 1};
        const auto it = known.constFind(compareKey(caption));
        if (it == known.cend()) {
            problem(at, QStringLiteral("未知的列“%1”").arg(caption) + cause);
        } else if (headerAt.contains(*it)) {
            problem(at, QStringLiteral("“%1”列重复，已见于第%2列").arg(caption).arg(headerAt[*it] + 1));
        } else {
            headerAt.insert(*it, h);
            if (*it >= 0)
                columnOf[h] = *it;
        }
    }
    if (!headerAt.contains(numberKey)) {
        problem(Place{file.name, row->line, 0}, QStringLiteral("没有“编号”列") + cause);
        return;
    }
    const Header header{columnOf, width, headerAt[numberKey], headerAt.value(nameKey, -1)};
    QHash<int, int> seen; // record -> the line that named it
    for (++row; row != csv.rows.cend(); ++row)
        if (!blank(*row))
            importRow(*table, sheet, *row, header, seen, file.name);
}

void Importer::importRow(const Table &table, const Sheet &sheet, const CsvRow &row, const Header &header,
                         QHash<int, int> &seen, const QString &file)
{
    const QVector<int> &columnOf = header.columnOf;
    // A row cut short, as a file cut off in the middle of a row.
    if (row.cells.size() < header.width) {
        problem(Place{file, row.line, 0},
                QStringLiteral("只有 %1 个单元格，标题行有 %2 个").arg(row.cells.size()).arg(header.width));
        return;
    }
    const auto cell = [&](int c) { return c >= 0 && c < row.cells.size() ? row.cells[c].trimmed() : QString(); };
    for (int c = columnOf.size(); c < row.cells.size(); ++c)
        if (!cell(c).isEmpty())
            problem(Place{file, row.line, c + 1}, QStringLiteral("这一列没有标题"));

    const Place numberAt{file, row.line, header.numberColumn + 1};
    const QString number = cell(header.numberColumn);
    if (number.isEmpty()) {
        problem(numberAt, QStringLiteral("缺少编号"));
        return;
    }
    const qint64 r = wholeNumber(number) - 1;
    if (r < 0 || r >= table.records.size()) {
        problem(numberAt, QStringLiteral("没有编号为“%1”的记录，编号为 1 至 %2").arg(number).arg(table.records.size()));
        return;
    }
    if (seen.contains(r)) {
        problem(numberAt, QStringLiteral("编号 %1 重复，已见于第%2行").arg(number).arg(seen[r]));
        return;
    }
    seen.insert(r, row.line);
    const Record &record = table.records[r];
    const QString name = cell(header.nameColumn);
    if (!name.isEmpty() && !sameCell(name, record.name)) {
        problem(Place{file, row.line, header.nameColumn + 1},
                QStringLiteral("编号 %1 的名称是“%2”，不是“%3”").arg(number, record.name, name));
        return;
    }

    for (int h = 0; h < columnOf.size(); ++h) {
        const QString text = cell(h);
        if (columnOf[h] < 0 || text.isEmpty())
            continue;
        const Place at{file, row.line, h + 1};
        const Column &column = sheet.columns[columnOf[h]];
        const int s = sheet.slotAt[r][columnOf[h]];
        if (s < 0 || record.parts[s].offset + record.parts[s].size > m_image.size()) {
            problem(at, QStringLiteral("%1 没有“%2”这一项").arg(record.name, column.caption));
            continue;
        }
        const Slot &slot = record.parts[s];
        const Field &field = table.fields[column.field];
        // The value as exported stands for itself, even one its editor would refuse, and so does
        // a spreadsheet's reading of it.
        const QString exported = cellText(field, column, slot, m_image);
        if (text == exported || (wholeNumber(text) >= 0 && wholeNumber(text) == wholeNumber(exported)))
            continue;
        const qint64 offset = slot.offset + column.part;
        if (describedOnly(field)) {
            importValue(field, slot, text, at);
            continue;
        }
        const int old = byteAt(m_image, offset);
        const Value v = value(table, r, column, old, text);
        if (!v.reason.isEmpty())
            problem(at, column.caption + QStringLiteral(": ") + v.reason);
        else if (v.byte != old)
            write(offset, v.byte, at);
        if (v.reason.isEmpty() && v.byte != old && field.show == Show::Position)
            m_moved.append(Moved{record.number, column.field, column.entry, at});
    }
}

Value Importer::value(const Table &table, int record, const Column &column, int old, const QString &text)
{
    const Field &field = table.fields[column.field];
    switch (field.show) {
    case Show::Decimal: {
        const qint64 v = wholeNumber(text);
        if (v < 0 || v > 255)
            return refuse(QStringLiteral("“%1”不是 0 至 255 的十进制数").arg(text));
        if (table.id == ClassChanges && column.field == 2 && (v < 1 || v > 20))
            return refuse(QStringLiteral("“%1”不是 1 至 20 的等级").arg(text));
        return Value{int(v), {}};
    }
    case Show::Hex: {
        // "12.0" is "12" as a spreadsheet shows it.
        const QString digits = IsHexByte(text) ? text : digitPair(text);
        if (digits.isEmpty())
            return refuse(QStringLiteral("“%1”不是 00 至 FF 的十六进制数").arg(text));
        const int v = digits.toInt(nullptr, 16);
        // A unit that refers to an enemy type stays one.
        if (table.id == Units && column.field == 0 && v > EnemyType::Count)
            return refuse(QStringLiteral("“%1”不是 00 至 %2 的部队类型").arg(text, hexByte(EnemyType::Count)));
        return Value{v, {}};
    }
    case Show::Code: {
        const auto entryOf = [&](int code) {
            return std::find_if(field.codes.cbegin(), field.codes.cend(),
                                [&](const QString &e) { return code >= 0 && pieceCode(e) == code; });
        };
        const auto sameName = [](const QString &piece, const QString &entry) {
            const QString name = piece.mid(2);
            return name.trimmed().isEmpty() || compareKey(name) == compareKey(entry.mid(2));
        };
        const auto names = [&](const QString &piece) {
            const auto e = entryOf(pieceCode(piece));
            return e != field.codes.cend() && sameName(piece, *e);
        };
        // A code alone as a spreadsheet may show it: "5" or "5.0" for "05".
        const QString piece = names(text) || digitPair(text).isEmpty() ? text : digitPair(text);
        const int code = pieceCode(piece);
        const auto entry = entryOf(code);
        if (entry == field.codes.cend())
            return refuse(QStringLiteral("“%1”不在列表中").arg(text));
        if (!sameName(piece, *entry))
            return refuse(QStringLiteral("“%1”: %2 是“%3”").arg(text, piece.left(2), *entry));
        // A unit of its own keeps a name code from 81 on, or it would become a reference.
        if (table.id == Units && column.field == 1 && code < 0x81)
            return refuse(QStringLiteral("“%1”不能作部队的姓名").arg(text));
        return Value{(old & ~field.codeMask) | (code & field.codeMask), {}};
    }
    case Show::Position: {
        const QSize size = mapSize(table.records[record]);
        const int limit = (column.part == 0 ? size.width() : size.height()) - 2;
        const qint64 v = wholeNumber(text);
        if (v < 1 || v > limit)
            return refuse(limit < 1 ? QStringLiteral("找不到这一战的地图")
                                    : QStringLiteral("“%1”不在地图内，应为 1 至 %2").arg(text).arg(limit));
        return Value{int(v), {}};
    }
    case Show::Signed:
    case Show::Flags:
    case Show::Map:
        break;
    }
    return refuse(QStringLiteral("这一项不能导入"));
}

void Importer::importValue(const Field &field, const Slot &slot, const QString &text, const Place &at)
{
    QString typed = text;
    if (field.show == Show::Decimal || field.show == Show::Signed) {
        const bool negative = typed.startsWith(u'-');
        if (const qint64 n = wholeNumber(negative ? typed.mid(1) : typed); n >= 0)
            typed = (negative ? QStringLiteral("-") : QString()) + QString::number(n);
    }
    const Field::Parsed p = field.parse(typed, field.read(m_image, slot.offset));
    if (!p.reason.isEmpty()) {
        problem(at, field.caption + QStringLiteral(": ") + p.reason);
        return;
    }
    for (int k = 0; k < slot.size; ++k)
        if (const int byte = int(p.value >> 8 * k) & 0xFF; byte != byteAt(m_image, slot.offset + k))
            write(slot.offset + k, byte, at);
}

// The map of a war's record ("01 平原1", named by its war number): positions lie inside its
// border, as the battlefield page places them.
QSize Importer::mapSize(const Record &war)
{
    const int number = war.name.section(u' ', 0, 0).toInt();
    const auto it = m_mapSizes.constFind(number);
    if (it != m_mapSizes.cend())
        return *it;
    ByteImages view;
    view.load(m_image); // shared, never written
    FieldEdit fields(view, QString());
    FieldInfo info(view);
    const QSize size = info.SetWarField(number, fields) ? QSize(info.Width, info.Height) : QSize();
    m_mapSizes.insert(number, size);
    return size;
}

void Importer::write(qint64 offset, int value, const Place &at)
{
    const auto it = m_writeAt.constFind(offset);
    if (it == m_writeAt.cend()) {
        m_writeAt.insert(offset, m_import.writes.size());
        m_import.writes.append(Write{offset, value});
        m_writePlaces.append(at);
        return;
    }
    if (m_import.writes[*it].value != value) {
        const Place &first = m_writePlaces[*it];
        problem(at, QStringLiteral("与 %1 第%2行 第%3列 是同一字节，值却不同")
                        .arg(QFileInfo(first.file).fileName())
                        .arg(first.line)
                        .arg(first.column));
    }
}

// A moved start position stands inside the map's inner ring (its cells are checked so) and on a
// tile of its own, among the war's positions as the import leaves them.
void Importer::checkPositions()
{
    if (m_moved.isEmpty())
        return;
    QByteArray result = m_image;
    for (const Write &w : std::as_const(m_import.writes))
        result[w.offset] = char(w.value);
    ByteImages view;
    view.load(result); // never written
    FieldEdit fields(view, QString());
    FieldInfo war(view);
    const Table &table = m_catalogue.table(Positions);
    const auto key = [](int w, int side, int entry) { return QStringLiteral("%1 %2 %3").arg(w).arg(side).arg(entry); };
    QSet<QString> checked; // a position moved by both its cells is checked once
    QSet<QString> named;   // "this|other" for each pair named, so that two moved positions are named once
    int shown = 0;         // the war loaded into war
    for (const Moved &m : std::as_const(m_moved)) {
        const QString self = key(m.war, m.side, m.entry);
        if (checked.contains(self))
            continue;
        checked.insert(self);
        if (m.war != shown) {
            shown = war.SetWarField(m.war, fields) ? m.war : 0;
            if (!shown)
                continue;
        }
        const QVector<FieldInfo::Position> all = war.positions();
        const auto it = std::find_if(all.cbegin(), all.cend(), [&](const FieldInfo::Position &p) {
            return p.side == m.side && p.entry == m.entry;
        });
        if (it == all.cend())
            continue;
        const std::optional<FieldInfo::Position> other = war.positionOn(it->tile, m.side, m.entry);
        if (!other)
            continue;
        const QString with = key(m.war, other->side, other->entry);
        if (named.contains(with + u'|' + self))
            continue;
        named.insert(self + u'|' + with);
        problem(m.at, QStringLiteral("%1: (%2,%3) 上已有 %4")
                          .arg(table.slotCaption(Slot{0, 2, m.side, m.entry}))
                          .arg(it->tile.x())
                          .arg(it->tile.y())
                          .arg(table.slotCaption(Slot{0, 2, other->side, other->entry})));
    }
}

Import Importer::finish(const QVector<File> &files)
{
    checkPositions();
    if (!m_import.ok())
        m_import.writes.clear();
    const QString first = files.isEmpty() ? QString() : QFileInfo(files.first().name).fileName();
    const int items = int(m_import.writes.size());
    m_import.label = files.size() > 1
                         ? QStringLiteral("导入 %1 等 %2 个表格 (%3 项)").arg(first).arg(files.size()).arg(items)
                         : QStringLiteral("导入 %1 (%2 项)").arg(first).arg(items);
    return m_import;
}

void apply(ByteImages &images, const Import &import)
{
    if (!import.ok() || import.writes.isEmpty())
        return;
    EditStep step(images, import.label);
    images.history.setLabel(import.label);
    for (const Write &w : import.writes)
        images.write(w.offset, w.value);
}

} // namespace

bool hasFile(TableId id)
{
    return (id >= Characters && id < Maps) || id == UserTable;
}

QString fileName(const Table &table)
{
    return table.key + QStringLiteral(".csv");
}

QByteArray exportTable(const Table &table, const QByteArray &image)
{
    const Sheet sheet = sheetOf(table);
    QVector<QStringList> rows;
    rows.reserve(table.records.size() + 1);
    QStringList header = {numberCaption(), nameCaption()};
    for (const Column &c : sheet.columns)
        header.append(c.caption);
    rows.append(header);
    for (int r = 0; r < table.records.size(); ++r) {
        const Record &record = table.records[r];
        QStringList row = {QString::number(r + 1), record.name};
        for (int c = 0; c < sheet.columns.size(); ++c) {
            const int s = sheet.slotAt[r][c];
            const Column &column = sheet.columns[c];
            row.append(s < 0 ? QString() : cellText(table.fields[column.field], column, record.parts[s], image));
        }
        rows.append(row);
    }
    return writeCsv(rows);
}

QVector<File> exportTables(const Catalogue &catalogue, const QByteArray &image)
{
    QVector<File> files;
    for (const Table &t : catalogue.tables())
        if (hasFile(t.id))
            files.append(File{fileName(t), exportTable(t, image)});
    return files;
}

QString writeTables(const QString &folder, const Catalogue &catalogue, const QByteArray &image)
{
    const QDir dir(folder);
    if (!QDir().mkpath(folder))
        return QStringLiteral("无法创建文件夹 %1").arg(QDir::toNativeSeparators(folder));
    for (const File &f : exportTables(catalogue, image))
        if (!writeWholeFile(dir.filePath(f.name), f.bytes))
            return QStringLiteral("无法写入 %1").arg(QDir::toNativeSeparators(dir.filePath(f.name)));
    return QString();
}

QString decodeText(const QByteArray &bytes)
{
    // UTF-16 by its mark, or by zero bytes that fall mostly on one side of each pair, as the
    // high bytes of the file's digits, commas and line ends do.
    std::optional<QStringDecoder::Encoding> wide;
    if (bytes.startsWith("\xFF\xFE")) {
        wide = QStringDecoder::Utf16LE;
    } else if (bytes.startsWith("\xFE\xFF")) {
        wide = QStringDecoder::Utf16BE;
    } else if (!bytes.startsWith(Bom)) {
        int zeros[2] = {0, 0};
        for (qsizetype i = 0; i < std::min<qsizetype>(bytes.size(), 4096); ++i)
            zeros[i % 2] += bytes[i] == 0;
        if (zeros[1] >= 2 && zeros[1] > 4 * zeros[0])
            wide = QStringDecoder::Utf16LE;
        else if (zeros[0] >= 2 && zeros[0] > 4 * zeros[1])
            wide = QStringDecoder::Utf16BE;
    }
    if (wide) {
        QString text = QStringDecoder(*wide).decode(bytes); // without its mark
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
                ++i;
            else if (text[i].isSurrogate())
                text[i] = QChar::ReplacementCharacter;
        }
        return text;
    }
    const QByteArray body = bytes.startsWith(Bom) ? bytes.mid(3) : bytes;
    // The mark is gone already; a second one stays in the text.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString text = utf8.decode(body);
    return utf8.hasError() ? fromAnsi(body) : text;
}

QChar separatorOf(const QString &text)
{
    const QChar separators[3] = {u',', u';', u'\t'};
    int counts[3] = {0, 0, 0};
    bool quoted = false;
    bool filled = false; // the line has a character besides separators and spaces
    for (const QChar c : text) {
        if (c == u'"') {
            quoted = !quoted;
            filled = true;
        } else if (quoted) {
            continue;
        } else if (isLineEnd(c)) {
            if (filled)
                break;
            std::fill(std::begin(counts), std::end(counts), 0);
        } else if (const auto *s = std::find(std::begin(separators), std::end(separators), c); s != std::end(separators)) {
            ++counts[s - separators];
        } else if (!c.isSpace()) {
            filled = true;
        }
    }
    const int most = int(std::max_element(std::begin(counts), std::end(counts)) - counts); // the first of equals
    return separators[most];
}

Csv readCsv(const QString &text, QChar separator)
{
    Csv csv;
    const qsizetype n = text.size();
    qsizetype i = 0;
    int line = 1;
    while (i < n) {
        CsvRow row{line, {}};
        bool bad = false;
        for (;;) {
            const int column = int(row.cells.size()) + 1;
            QString cell;
            if (text[i] == u'"') {
                const int opened = line;
                bool closed = false;
                for (++i; i < n; ++i) {
                    const QChar c = text[i];
                    if (c == u'"') {
                        if (i + 1 < n && text[i + 1] == u'"') {
                            cell.append(u'"');
                            ++i;
                            continue;
                        }
                        ++i;
                        closed = true;
                        break;
                    }
                    if (c == u'\n' || (c == u'\r' && (i + 1 == n || text[i + 1] != u'\n')))
                        ++line;
                    cell.append(c);
                }
                if (!closed) {
                    csv.errors.append(CsvError{opened, column, QStringLiteral("引号没有闭合")});
                    return csv;
                }
                if (i < n && text[i] != separator && !isLineEnd(text[i])) {
                    csv.errors.append(CsvError{line, column, QStringLiteral("引号后面还有字符")});
                    bad = true;
                    while (i < n && !isLineEnd(text[i]))
                        ++i;
                }
            } else {
                const qsizetype start = i;
                while (i < n && text[i] != separator && !isLineEnd(text[i]))
                    ++i;
                cell = text.mid(start, i - start);
                if (cell.contains(u'"')) {
                    csv.errors.append(CsvError{line, column, QStringLiteral("没有引号的单元格中有引号")});
                    bad = true;
                }
            }
            row.cells.append(cell);
            if (i < n && text[i] == separator) {
                ++i;
                if (i < n && !isLineEnd(text[i]))
                    continue;
                row.cells.append(QString()); // a comma at the end of a row
            }
            break;
        }
        // The row ends at a line end or the end of the text.
        if (i < n && text[i] == u'\r')
            ++i;
        if (i < n && text[i] == u'\n')
            ++i;
        ++line;
        if (!bad)
            csv.rows.append(row);
    }
    return csv;
}

QByteArray writeCsv(const QVector<QStringList> &rows)
{
    QString text;
    for (const QStringList &row : rows) {
        QStringList cells;
        cells.reserve(row.size());
        for (const QString &cell : row)
            cells.append(quoted(cell));
        text += cells.join(u',') + QStringLiteral("\r\n");
    }
    return QByteArray(Bom) + text.toUtf8();
}

QString Problem::text() const
{
    QString where = QFileInfo(file).fileName();
    if (line > 0)
        where += QStringLiteral(" 第%1行").arg(line);
    if (column > 0)
        where += QStringLiteral(" 第%1列").arg(column);
    return where + QStringLiteral(": ") + reason;
}

Import planImport(const Catalogue &catalogue, const QByteArray &image, const QVector<File> &files)
{
    Importer importer(catalogue, image);
    for (const File &f : files)
        importer.importFile(f);
    return importer.finish(files);
}

Import importTables(ByteImages &images, const Catalogue &catalogue, const QVector<File> &files)
{
    const Import import = planImport(catalogue, images.WorkImage, files);
    apply(images, import);
    return import;
}

Import importFiles(ByteImages &images, const Catalogue &catalogue, const QStringList &paths)
{
    QVector<File> files;
    QVector<Problem> unread;
    for (const QString &path : paths) {
        File f{path, {}};
        if (readWholeFile(path, f.bytes))
            files.append(f);
        else
            unread.append(Problem{path, 0, 0, QStringLiteral("无法读取文件")});
    }
    Import import = planImport(catalogue, images.WorkImage, files);
    if (!unread.isEmpty()) {
        import.problems = unread + import.problems;
        import.writes.clear();
    }
    apply(images, import);
    return import;
}

} // namespace TableFiles
