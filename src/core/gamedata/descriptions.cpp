#include "gamedata/descriptions.h"

#include "image/builtindata.h"
#include "image/fileio.h"
#include "image/mymodule.h"
#include "tables/gametables.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <cmath>
#include <initializer_list>
#include <optional>

namespace GameData {

namespace {

// A list the editor keeps itself, by the name a description gives it.
std::optional<QStringList> editorList(const QString &name)
{
    if (name == QLatin1String("characters"))
        return characterNames();
    if (name == QLatin1String("character_classes"))
        return characterClassList();
    if (name == QLatin1String("character_items"))
        return characterItemList();
    return std::nullopt;
}

// Record names: a list, or numbers made as the records are counted.
struct Names {
    QStringList list;
    bool numbers = false;
    bool hex = true;
    qint64 first = 0;
    int digits = 2;
    QString prefix;

    QString name(qint64 record) const
    {
        return prefix + QString::number(first + record, hex ? 16 : 10).toUpper().rightJustified(digits, u'0');
    }
};

// Reads one file, keeping the table and field it is in for its messages.
class DescriptionReader {
public:
    DescriptionReader(Description &out, qint64 imageSize) : m_out(out), m_imageSize(imageSize) {}

    void read(const QByteArray &bytes);

private:
    void fail(const QString &reason)
    {
        m_out.errors.append(DescriptionError{m_out.file, 0, 0, m_table, m_field, reason});
    }
    bool onlyKeys(const QJsonObject &object, std::initializer_list<QLatin1String> keys);
    std::optional<qint64> integer(const QJsonValue &value, const QString &key, qint64 low, qint64 high);
    std::optional<QStringList> textList(const QJsonValue &value, const QString &key);
    std::optional<QStringList> entries(const QJsonValue &value, const QString &key);
    std::optional<Names> names(const QJsonValue &value);
    std::optional<Table> table(const QJsonObject &object);
    std::optional<Field> field(const QJsonObject &object, qint64 base, int stride, int count);

    Description &m_out;
    qint64 m_imageSize;
    QString m_table;
    QString m_field;
    QHash<int, QStringList> m_strings; // string-table entries as lists
    qint64 m_slots = 0; // the fields of every record of the file's tables so far
};

void DescriptionReader::read(const QByteArray &bytes)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError) {
        const QByteArray before = bytes.left(error.offset);
        const int line = int(before.count('\n')) + 1;
        const int column = int(QString::fromUtf8(before.mid(before.lastIndexOf('\n') + 1)).size()) + 1;
        m_out.errors.append(DescriptionError{m_out.file, line, column, {}, {}, error.errorString()});
        return;
    }
    if (!doc.isObject() || !doc.object().value(QLatin1String("tables")).isArray()) {
        fail(QStringLiteral("文件应是一个带“tables”列表的对象"));
        return;
    }
    if (!onlyKeys(doc.object(), {QLatin1String("tables")}))
        return;
    QSet<QString> keys;
    for (const QJsonValue &v : doc.object().value(QLatin1String("tables")).toArray()) {
        m_table.clear();
        m_field.clear();
        if (!v.isObject()) {
            fail(QStringLiteral("“tables”中的每一项应是一个表格对象"));
            continue;
        }
        if (std::optional<Table> t = table(v.toObject())) {
            if (keys.contains(t->key))
                fail(QStringLiteral("键“%1”在本文件中已用过").arg(t->key));
            keys.insert(t->key);
            m_out.tables.append(std::move(*t));
        }
    }
    if (m_out.tables.isEmpty() && m_out.errors.isEmpty())
        fail(QStringLiteral("文件中没有表格"));
}

bool DescriptionReader::onlyKeys(const QJsonObject &object, std::initializer_list<QLatin1String> keys)
{
    bool ok = true;
    for (auto it = object.begin(); it != object.end(); ++it)
        if (std::find(keys.begin(), keys.end(), it.key()) == keys.end()) {
            fail(QStringLiteral("不认识的键“%1”").arg(it.key()));
            ok = false;
        }
    return ok;
}

// A whole number: a JSON number, or a text in decimal or with "0x" in hexadecimal.
std::optional<qint64> DescriptionReader::integer(const QJsonValue &value, const QString &key, qint64 low, qint64 high)
{
    std::optional<qint64> n;
    if (value.isDouble()) {
        const double d = value.toDouble();
        if (std::isfinite(d) && d == std::floor(d) && std::abs(d) < 1e15)
            n = qint64(d);
    } else if (value.isString()) {
        const QString text = value.toString().trimmed();
        bool ok = false;
        const qint64 v = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? text.mid(2).toLongLong(&ok, 16)
                                                                                   : text.toLongLong(&ok, 10);
        if (ok)
            n = v;
    }
    if (!n || *n < low || *n > high) {
        fail(QStringLiteral("“%1”应是 %2 至 %3 的整数").arg(key).arg(low).arg(high));
        return std::nullopt;
    }
    return n;
}

std::optional<QStringList> DescriptionReader::textList(const QJsonValue &value, const QString &key)
{
    QStringList list;
    const QJsonArray array = value.toArray();
    list.reserve(array.size());
    for (const QJsonValue &v : array) {
        if (!v.isString()) {
            fail(QStringLiteral("“%1”的每一项应是文字").arg(key));
            return std::nullopt;
        }
        list.append(v.toString());
    }
    return list;
}

// A list given inline, as a string-table entry split at "|", or as one of the editor's lists.
std::optional<QStringList> DescriptionReader::entries(const QJsonValue &value, const QString &key)
{
    if (value.isArray())
        return textList(value, key);
    const QJsonObject o = value.toObject();
    if (o.contains(QLatin1String("strings"))) {
        const std::optional<qint64> id = integer(o.value(QLatin1String("strings")), QStringLiteral("strings"), 0, 99999);
        if (!id)
            return std::nullopt;
        if (!stringTable().contains(int(*id))) {
            fail(QStringLiteral("字符串表中没有 %1").arg(*id));
            return std::nullopt;
        }
        // Split once per file: many fields name the same list.
        auto split = m_strings.find(int(*id));
        if (split == m_strings.end()) {
            const QString text = stringTable().value(int(*id));
            split = m_strings.insert(int(*id), text.isEmpty() ? QStringList() : text.split(u'|'));
        }
        return *split;
    }
    if (o.contains(QLatin1String("list"))) {
        if (const auto list = editorList(o.value(QLatin1String("list")).toString()))
            return list;
        fail(QStringLiteral("没有名为“%1”的列表，可用 characters、character_classes、character_items")
                 .arg(o.value(QLatin1String("list")).toString()));
        return std::nullopt;
    }
    fail(QStringLiteral("“%1”应是列表、{\"strings\": 编号} 或 {\"list\": 名称}").arg(key));
    return std::nullopt;
}

// Record names; numbers when the description names none.
std::optional<Names> DescriptionReader::names(const QJsonValue &value)
{
    Names names;
    if (value.isUndefined()) {
        names.numbers = true;
        return names;
    }
    if (value.isArray()) {
        std::optional<QStringList> list = textList(value, QStringLiteral("names"));
        if (!list)
            return std::nullopt;
        names.list = *list;
        return names;
    }
    const QJsonObject o = value.toObject();
    if (!value.isObject()) {
        fail(QStringLiteral("“names”应是列表或对象"));
        return std::nullopt;
    }
    if (!onlyKeys(o, {QLatin1String("strings"), QLatin1String("list"), QLatin1String("spaced"), QLatin1String("numbered"),
                      QLatin1String("numbers"), QLatin1String("first"), QLatin1String("digits"), QLatin1String("prefix")}))
        return std::nullopt;
    if (o.contains(QLatin1String("numbers"))) {
        const QString base = o.value(QLatin1String("numbers")).toString();
        if (base != QLatin1String("hex") && base != QLatin1String("dec")) {
            fail(QStringLiteral("“numbers”应是“hex”或“dec”"));
            return std::nullopt;
        }
        const QJsonValue first = o.value(QLatin1String("first"));
        const QJsonValue digits = o.value(QLatin1String("digits"));
        const auto from = first.isUndefined() ? std::optional<qint64>(0) : integer(first, QStringLiteral("first"), 0, 65535);
        const auto width = digits.isUndefined() ? std::optional<qint64>(2) : integer(digits, QStringLiteral("digits"), 1, 5);
        if (!from || !width)
            return std::nullopt;
        names.numbers = true;
        names.hex = base == QLatin1String("hex");
        names.first = *from;
        names.digits = int(*width);
        names.prefix = o.value(QLatin1String("prefix")).toString();
        return names;
    }
    std::optional<QStringList> list = entries(value, QStringLiteral("names"));
    if (!list)
        return std::nullopt;
    // A piece "01骑士" reads "01 骑士", as the lists show a record.
    if (o.contains(QLatin1String("strings")) && o.value(QLatin1String("spaced")).toBool(true))
        for (QString &name : *list)
            if (pieceCode(name) >= 0)
                name = name.left(2) + u' ' + name.mid(2);
    if (o.value(QLatin1String("numbered")).toBool())
        for (int n = 0; n < list->size(); ++n)
            (*list)[n] = hexByte(n + 1) + u' ' + (*list)[n];
    names.list = *list;
    return names;
}

std::optional<Table> DescriptionReader::table(const QJsonObject &object)
{
    m_table = object.value(QLatin1String("name")).toString();
    const int errors = int(m_out.errors.size());
    onlyKeys(object, {QLatin1String("name"), QLatin1String("key"), QLatin1String("base"), QLatin1String("stride"),
                      QLatin1String("count"), QLatin1String("names"), QLatin1String("fields")});
    Table t;
    t.id = UserTable;
    t.name = m_table.trimmed();
    t.key = object.value(QLatin1String("key")).toString();
    t.source = m_out.file;
    if (t.name.isEmpty())
        fail(QStringLiteral("缺少表格名称“name”"));
    static const QRegularExpression keyPattern(QStringLiteral("^[a-z0-9_]{1,40}$"));
    if (!keyPattern.match(t.key).hasMatch())
        fail(QStringLiteral("“key”应是 1 至 40 个小写字母、数字或下划线，用作 CSV 文件名"));
    const auto base = integer(object.value(QLatin1String("base")), QStringLiteral("base"), 0, m_imageSize - 1);
    const auto stride = integer(object.value(QLatin1String("stride")), QStringLiteral("stride"), 1, 65535);
    const std::optional<Names> naming = names(object.value(QLatin1String("names")));
    std::optional<qint64> count;
    if (object.contains(QLatin1String("count")) || (naming && naming->numbers))
        count = integer(object.value(QLatin1String("count")), QStringLiteral("count"), 1, 65535);
    if (int(m_out.errors.size()) != errors || !base || !stride || !naming || (naming->numbers && !count))
        return std::nullopt;

    // Names from a list tell the count; a count cuts them.
    std::optional<QStringList> names = naming->list;
    if (naming->numbers) {
        names->clear();
        for (qint64 r = 0; r < *count; ++r)
            names->append(naming->name(r));
    } else if (count) {
        *names = names->mid(0, int(*count));
    }
    if (names->isEmpty()) {
        fail(QStringLiteral("表格没有记录"));
        return std::nullopt;
    }
    t.base = *base;
    t.stride = int(*stride);
    const QJsonValue fields = object.value(QLatin1String("fields"));
    if (!fields.isArray() || fields.toArray().isEmpty()) {
        fail(QStringLiteral("缺少字段列表“fields”"));
        return std::nullopt;
    }
    t.fields.reserve(fields.toArray().size());
    for (const QJsonValue &v : fields.toArray()) {
        m_field.clear();
        if (!v.isObject()) {
            fail(QStringLiteral("“fields”中的每一项应是一个字段对象"));
            continue;
        }
        if (std::optional<Field> f = field(v.toObject(), t.base, t.stride, int(names->size())))
            t.fields.append(std::move(*f));
    }
    m_field.clear();
    // Fields share no byte, so a file names at most the image's bytes.
    m_slots += qint64(names->size()) * t.fields.size();
    if (m_slots > m_imageSize)
        fail(QStringLiteral("记录和字段太多：共 %1 项，多于文件的字节数").arg(m_slots));
    if (int(m_out.errors.size()) != errors)
        return std::nullopt;
    t.records.reserve(names->size());
    for (int r = 0; r < names->size(); ++r) {
        Record rec;
        rec.name = names->at(r);
        rec.parts.reserve(t.fields.size());
        for (int f = 0; f < t.fields.size(); ++f)
            rec.parts.append(Slot{t.fields[f].offset(r), t.fields[f].size, f, 0});
        t.records.append(std::move(rec));
    }
    return t;
}

std::optional<Field> DescriptionReader::field(const QJsonObject &object, qint64 base, int stride, int count)
{
    m_field = object.value(QLatin1String("caption")).toString();
    const int errors = int(m_out.errors.size());
    onlyKeys(object, {QLatin1String("caption"), QLatin1String("offset"), QLatin1String("base"), QLatin1String("stride"),
                      QLatin1String("size"), QLatin1String("show"), QLatin1String("codes"), QLatin1String("mask"),
                      QLatin1String("flags"), QLatin1String("range")});
    Field f;
    f.caption = m_field;
    if (f.caption.trimmed().isEmpty())
        fail(QStringLiteral("缺少字段名称“caption”"));
    static const QStringList shows = {QStringLiteral("decimal"), QStringLiteral("signed"), QStringLiteral("hex"),
                                      QStringLiteral("code"), QStringLiteral("flags")};
    static const Show showOf[] = {Show::Decimal, Show::Signed, Show::Hex, Show::Code, Show::Flags};
    const QString show = object.value(QLatin1String("show")).toString(QStringLiteral("decimal"));
    if (!shows.contains(show))
        fail(QStringLiteral("“show”应是 decimal、signed、hex、code 或 flags 之一"));
    else
        f.show = showOf[shows.indexOf(show)];
    const QJsonValue sizeValue = object.value(QLatin1String("size"));
    const auto size = sizeValue.isUndefined() ? std::optional<qint64>(1) : integer(sizeValue, QStringLiteral("size"), 1, 2);
    f.size = int(size.value_or(1));

    // Inside the record, or an array of its own.
    const bool own = object.contains(QLatin1String("base"));
    if (own) {
        const auto b = integer(object.value(QLatin1String("base")), QStringLiteral("base"), 0, m_imageSize - 1);
        const QJsonValue s = object.value(QLatin1String("stride"));
        const auto st = s.isUndefined() ? std::optional<qint64>(f.size) : integer(s, QStringLiteral("stride"), 1, 65535);
        if (object.contains(QLatin1String("offset")))
            fail(QStringLiteral("有自己“base”的字段不用“offset”"));
        f.base = b.value_or(0);
        f.stride = int(st.value_or(1));
    } else {
        if (object.contains(QLatin1String("stride")))
            fail(QStringLiteral("“stride”只用于有自己“base”的字段"));
        const auto offset = integer(object.value(QLatin1String("offset")), QStringLiteral("offset"), 0, 65535);
        if (offset && *offset + f.size > stride)
            fail(QStringLiteral("字段超出了记录：偏移 %1 加 %2 字节大于记录长度 %3").arg(*offset).arg(f.size).arg(stride));
        f.base = base + offset.value_or(0);
        f.stride = stride;
    }
    const qint64 end = f.offset(count - 1) + f.size;
    if (int(m_out.errors.size()) == errors && end > m_imageSize)
        fail(QStringLiteral("最后一条记录的这一项在 %1，超出了文件（%2 字节）")
                 .arg(hexAddress(f.offset(count - 1)))
                 .arg(m_imageSize));

    if (f.show == Show::Code) {
        if (f.size != 1)
            fail(QStringLiteral("代码列表只用于 1 字节的字段"));
        if (const auto codes = entries(object.value(QLatin1String("codes")), QStringLiteral("codes"))) {
            for (const QString &entry : *codes)
                if (pieceCode(entry) < 0) {
                    fail(QStringLiteral("代码“%1”应以两位十六进制数开头，如“05飞鹰骑士”").arg(entry));
                    break;
                }
            f.setCodes(*codes);
        }
        if (object.contains(QLatin1String("mask")))
            f.codeMask = int(integer(object.value(QLatin1String("mask")), QStringLiteral("mask"), 1, 255).value_or(0xFF));
    } else if (object.contains(QLatin1String("codes")) || object.contains(QLatin1String("mask"))) {
        fail(QStringLiteral("“codes”和“mask”只用于 show 为 code 的字段"));
    }
    if (f.show == Show::Flags) {
        if (const auto flags = textList(object.value(QLatin1String("flags")), QStringLiteral("flags"))) {
            if (flags->isEmpty() || flags->size() > 8 * f.size)
                fail(QStringLiteral("“flags”应有 1 至 %1 个位的名称").arg(8 * f.size));
            f.flags = *flags;
        }
    } else if (object.contains(QLatin1String("flags"))) {
        fail(QStringLiteral("“flags”只用于 show 为 flags 的字段"));
    }

    if (object.contains(QLatin1String("range"))) {
        const QJsonArray range = object.value(QLatin1String("range")).toArray();
        const qint64 span = f.size == 1 ? 0xFF : 0xFFFF;
        const qint64 low = f.show == Show::Signed ? -(span + 1) / 2 : 0;
        const qint64 high = f.show == Show::Signed ? span / 2 : span;
        const auto from = integer(range.at(0), QStringLiteral("range"), low, high);
        const auto to = from ? integer(range.at(1), QStringLiteral("range"), *from, high) : std::nullopt;
        if (range.size() != 2 && from && to)
            fail(QStringLiteral("“range”应是 [最小, 最大]"));
        f.minimum = from.value_or(0);
        f.maximum = to.value_or(-1);
    }
    if (int(m_out.errors.size()) != errors)
        return std::nullopt;
    return f;
}

// Every byte a table's fields cover, with the place it names.
template<typename Visit>
void forEachByte(const Table &t, Visit visit)
{
    for (int r = 0; r < t.records.size(); ++r)
        for (const Slot &s : t.records[r].parts)
            for (int k = 0; k < s.size; ++k)
                visit(s.offset + k, r, s);
}

} // namespace

QString DescriptionError::text() const
{
    QString where = QFileInfo(file).fileName();
    if (line > 0)
        where += QStringLiteral(" 第%1行 第%2列").arg(line).arg(column);
    if (!table.isEmpty())
        where += QStringLiteral(" 表格“%1”").arg(table);
    if (!field.isEmpty())
        where += QStringLiteral(" 字段“%1”").arg(field);
    return where + QStringLiteral(": ") + reason;
}

Description readDescription(const QByteArray &bytes, const QString &file, qint64 imageSize)
{
    Description d;
    d.file = file;
    DescriptionReader(d, imageSize).read(bytes);
    if (!d.ok())
        d.tables.clear();
    return d;
}

QVector<Description> readDescriptionFiles(const QStringList &paths)
{
    QVector<Description> files;
    if (paths.isEmpty())
        return files;
    const QByteArray reference = loadBuiltInImage();
    const Catalogue builtIn(reference, reference, false);
    QSet<QString> keys;
    for (const Table &t : builtIn.tables())
        keys.insert(t.key);
    // Which field of the users' files names each byte so far: an index into owners, -1 for none.
    struct Owner {
        qint32 file;
        qint32 table;
        qint32 field;
    };
    QVector<Owner> owners;
    QVector<qint32> ownerOf(reference.size(), -1);
    for (const QString &path : paths) {
        QByteArray bytes;
        QString reason;
        Description d;
        if (readWholeFile(path, bytes, &reason))
            d = readDescription(bytes, path, reference.size());
        else
            d = Description{path, {}, {DescriptionError{path, 0, 0, {}, {}, reason}}};
        const qint32 index = qint32(files.size());
        QVector<qint64> marked;
        QStringList added;
        for (int t = 0; t < d.tables.size() && d.errors.size() < 20; ++t) {
            const Table &table = d.tables[t];
            if (keys.contains(table.key))
                d.errors.append(DescriptionError{path, 0, 0, table.name, {}, QStringLiteral("键“%1”已有表格使用").arg(table.key)});
            else
                added.append(table.key);
            QSet<int> faulty; // fields named once each
            const qint32 first = qint32(owners.size()); // this table's fields in owners
            for (int f = 0; f < table.fields.size(); ++f)
                owners.append(Owner{index, t, f});
            forEachByte(table, [&](qint64 offset, int, const Slot &s) {
                if (d.errors.size() >= 20 || faulty.contains(s.field))
                    return;
                const auto fault = [&](const QString &other) {
                    faulty.insert(s.field);
                    d.errors.append(DescriptionError{path, 0, 0, table.name, table.fields[s.field].caption,
                                                     QStringLiteral("与%1共用字节 %2").arg(other, hexAddress(offset))});
                };
                qint32 &id = ownerOf[offset];
                if (const auto place = builtIn.at(offset)) {
                    fault(QStringLiteral("自带的 ") + placeName(*place->table, *place->record, *place->slot) + u' ');
                } else if (id >= 0 && id != first + s.field) {
                    const Owner &o = owners[id];
                    const Table &other = o.file == index ? d.tables[o.table] : files[o.file].tables[o.table];
                    const QString where = o.file == index ? QString() : QFileInfo(files[o.file].file).fileName() + u' ';
                    fault(QStringLiteral(" %1表格“%2”字段“%3”").arg(where, other.name, other.fields[o.field].caption));
                } else if (id < 0) {
                    id = first + s.field;
                    marked.append(offset);
                }
            });
            keys.insert(table.key);
        }
        if (!d.ok()) {
            // A file with a fault names nothing.
            for (const qint64 offset : marked)
                ownerOf[offset] = -1;
            for (const QString &key : added)
                keys.remove(key);
            d.tables.clear();
        }
        files.append(d);
    }
    return files;
}

namespace {
QStringList &extraFiles()
{
    static QStringList files;
    return files;
}
QVector<Description> &lastFiles()
{
    static QVector<Description> files;
    return files;
}
} // namespace

QVector<Description> loadDescriptions(const QString &folder, const QStringList &extra)
{
    extraFiles() = extra;
    const QVector<Description> files = readDescriptionFiles(descriptionFiles(folder) + extra);
    useUserTables(tablesOf(files));
    lastFiles() = files;
    return files;
}

QStringList extraDescriptionFiles()
{
    return extraFiles();
}

QVector<Description> lastDescriptions()
{
    return lastFiles();
}

QVector<Table> tablesOf(const QVector<Description> &files)
{
    QVector<Table> tables;
    for (const Description &d : files)
        tables += d.tables;
    return tables;
}

QString descriptionFolder(const QString &writableFolder)
{
    return writableFolder + QStringLiteral("/Data/Tables");
}

QStringList descriptionFiles(const QString &folder)
{
    QStringList paths;
    const QDir dir(folder);
    for (const QString &name : dir.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name))
        paths.append(dir.filePath(name));
    return paths;
}

QByteArray writeDescription(const Table &table)
{
    static const char *showNames[] = {"decimal", "signed", "hex", "code", "flags"};
    QJsonArray fields;
    for (const Field &f : table.fields) {
        QJsonObject o{{QStringLiteral("caption"), f.caption}, {QStringLiteral("offset"), f.base - table.base}};
        if (f.size != 1)
            o.insert(QStringLiteral("size"), f.size);
        if (f.show != Show::Decimal)
            o.insert(QStringLiteral("show"), QString::fromLatin1(showNames[std::min(int(f.show), 4)]));
        if (f.show == Show::Code)
            o.insert(QStringLiteral("codes"), QJsonArray::fromStringList(f.codes));
        if (f.show == Show::Code && f.codeMask != 0xFF)
            o.insert(QStringLiteral("mask"), f.codeMask);
        if (f.show == Show::Flags)
            o.insert(QStringLiteral("flags"), QJsonArray::fromStringList(f.flags));
        if (f.hasRange())
            o.insert(QStringLiteral("range"), QJsonArray{f.minimum, f.maximum});
        fields.append(o);
    }
    // Records named 00, 01, ... say so in one line.
    QJsonValue names = QJsonObject{{QStringLiteral("numbers"), QStringLiteral("hex")}};
    for (int r = 0; r < table.records.size(); ++r)
        if (table.records[r].name != Names{}.name(r)) {
            QJsonArray list;
            for (const Record &rec : table.records)
                list.append(rec.name);
            names = list;
            break;
        }
    const QJsonObject t{{QStringLiteral("name"), table.name},
                        {QStringLiteral("key"), table.key},
                        {QStringLiteral("base"), QStringLiteral("0x") + QString::number(table.base, 16).toUpper()},
                        {QStringLiteral("stride"), table.stride},
                        {QStringLiteral("count"), int(table.records.size())},
                        {QStringLiteral("names"), names},
                        {QStringLiteral("fields"), fields}};
    return QJsonDocument(QJsonObject{{QStringLiteral("tables"), QJsonArray{t}}}).toJson(QJsonDocument::Indented);
}

} // namespace GameData
