#include "commandrun.h"

#include "gamedata/descriptions.h"
#include "gamedata/fieldchanges.h"
#include "gamedata/tablefiles.h"
#include "image/builtindata.h"
#include "image/fileio.h"
#include "image/mymodule.h"

#include <QTemporaryDir>
#include <QTest>

using namespace GameData;

namespace {

// A table of eight 4-byte records in the emulator's part of the executable, which no built-in
// field names: a 2-byte price with a range, flags, and an item code.
const QByteArray Shops = R"({"tables": [{"name": "商店", "key": "shops", "base": "0x1000", "stride": 4, "count": 8,
  "names": {"numbers": "dec", "first": 1, "prefix": "店"},
  "fields": [{"caption": "价格", "offset": 0, "size": 2, "range": [0, 9999]},
             {"caption": "属性", "offset": 2, "show": "flags", "flags": ["稀有", "", "可卖"]},
             {"caption": "物品", "offset": 3, "show": "code", "codes": ["00无", "01铁剑", "02钢剑"]}]}]})";

} // namespace

class TestDescriptions : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QByteArray m_pristine;

    QString written(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        writeWholeFile(path, bytes);
        return path;
    }
    QStringList faults(const QVector<Description> &files)
    {
        QStringList texts;
        for (const Description &d : files)
            for (const DescriptionError &e : d.errors)
                texts.append(e.text());
        return texts;
    }

private slots:
    void initTestCase() { m_pristine = loadBuiltInImage(); }
    void cleanup() { useUserTables({}); }

    // Each fault names the file, then the line and column or the table and field.
    void faultsNamed_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("fault");
        const QByteArray table = R"({"tables": [{"name": "T", "key": "t", "base": 4096, "stride": 2, "count": 3, "fields": [)";
        QTest::newRow("broken JSON") << QByteArray("{\"tables\": [\n  {\"name\": }]}") << "x.json 第2行 第13列: ";
        QTest::newRow("unknown key") << QByteArray(R"({"tables": [{"name": "T", "colour": 1}]})")
                                     << "x.json 表格“T”: 不认识的键“colour”";
        QTest::newRow("missing base") << QByteArray(R"({"tables": [{"name": "T", "key": "t", "stride": 2, "count": 1, "fields": [{"caption": "a", "offset": 0}]}]})")
                                      << "x.json 表格“T”: “base”应是 0 至 712703 的整数";
        QTest::newRow("hexadecimal base past the image")
            << QByteArray(R"({"tables": [{"name": "T", "key": "t", "base": "0xAE000", "stride": 1, "count": 1, "fields": [{"caption": "a", "offset": 0}]}]})")
            << "x.json 表格“T”: “base”应是 0 至 712703 的整数";
        QTest::newRow("field outside its record") << table + R"({"caption": "a", "offset": 1, "size": 2}]}]})"
                                                  << "x.json 表格“T” 字段“a”: 字段超出了记录：偏移 1 加 2 字节大于记录长度 2";
        QTest::newRow("last record past the image")
            << QByteArray(R"({"tables": [{"name": "T", "key": "t", "base": 712700, "stride": 2, "count": 3, "fields": [{"caption": "a", "offset": 0}]}]})")
            << "x.json 表格“T” 字段“a”: 最后一条记录的这一项在 000AE000，超出了文件（712704 字节）";
        QTest::newRow("wrong show") << table + R"({"caption": "a", "offset": 0, "show": "octal"}]}]})"
                                    << "x.json 表格“T” 字段“a”: “show”应是 decimal、signed、hex、code 或 flags 之一";
        QTest::newRow("code without two digits") << table + R"({"caption": "a", "offset": 0, "show": "code", "codes": ["铁剑"]}]}]})"
                                                 << "x.json 表格“T” 字段“a”: 代码“铁剑”应以两位十六进制数开头，如“05飞鹰骑士”";
        QTest::newRow("range outside a signed byte") << table + R"({"caption": "a", "offset": 0, "show": "signed", "range": [-200, 5]}]}]})"
                                                     << "x.json 表格“T” 字段“a”: “range”应是 -128 至 127 的整数";
        QTest::newRow("key of a built-in table")
            << QByteArray(R"({"tables": [{"name": "T", "key": "characters", "base": 4096, "stride": 1, "count": 1, "fields": [{"caption": "a", "offset": 0}]}]})")
            << "x.json 表格“T”: 键“characters”已有表格使用";
        QTest::newRow("a built-in field's byte")
            << QByteArray(R"({"tables": [{"name": "T", "key": "t", "base": "0x6E2D4", "stride": 1, "count": 1, "fields": [{"caption": "a", "offset": 0}]}]})")
            << "x.json 表格“T” 字段“a”: 与自带的 我方人物 01 艾伦 · 等  级 共用字节 0006E2D4";
        QTest::newRow("two fields of one file")
            << table + R"({"caption": "a", "offset": 0}, {"caption": "b", "base": 4098}]}]})"
            << "x.json 表格“T” 字段“a”: 与 表格“T”字段“b”共用字节 00001002";
    }
    void faultsNamed()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, fault);
        const QVector<Description> files = readDescriptionFiles({written("x.json", json)});
        QVERIFY(files[0].tables.isEmpty());
        QVERIFY2(faults(files).value(0).startsWith(fault), qPrintable(faults(files).join(u'\n')));
    }

    // A file with a fault adds nothing; the files before and after it still load, and a later
    // file may not name the bytes an earlier one names.
    void faultyFileAddsNothing()
    {
        const QString good = written("a.json", Shops);
        const QString bad = written("b.json", "{");
        QByteArray other = Shops;
        other.replace("shops", "more_shops");
        const QString overlapping = written("c.json", other);
        const QVector<Description> files = loadDescriptions(m_dir.filePath("none"), {good, bad, overlapping});
        QCOMPARE(files.size(), 3);
        QVERIFY(files[0].ok() && !files[1].ok() && !files[2].ok());
        QCOMPARE(faults({files[2]}).value(0), "c.json 表格“商店” 字段“价格”: 与 a.json 表格“商店”字段“价格”共用字节 00001000");
        QCOMPARE(userTables().size(), 1);
        QCOMPARE(userTables()[0].records.size(), 8);
        QCOMPARE(userTables()[0].records[7].name, "店08");
    }

    // Values as every view shows them, and as the edit box and the import take them.
    void valuesShownAndTaken_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("taken"); // -1: refused
        QTest::newRow("two bytes") << QByteArray(R"("size": 2)") << 0x1234 << "4660" << "65535" << 0xFFFF;
        QTest::newRow("past two bytes") << QByteArray(R"("size": 2)") << 0 << "0" << "65536" << -1;
        QTest::newRow("signed") << QByteArray(R"("show": "signed")") << 0xFE << "-2" << "-128" << 0x80;
        QTest::newRow("signed too low") << QByteArray(R"("show": "signed")") << 0 << "0" << "-129" << -1;
        QTest::newRow("range") << QByteArray(R"("range": [1, 20])") << 5 << "5" << "21" << -1;
        QTest::newRow("hex, two bytes") << QByteArray(R"("show": "hex", "size": 2)") << 0xBEEF << "BEEF" << "12a" << 0x12A;
        QTest::newRow("flags by name") << QByteArray(R"("show": "flags", "flags": ["飞行", "", "魔免"])") << 0x06 << "位1、魔免"
                                       << "飞行 魔免" << 0x05;
        QTest::newRow("flags in hex") << QByteArray(R"("show": "flags", "flags": ["飞行"])") << 0 << "无" << "81" << 0x81;
        QTest::newRow("unknown flag") << QByteArray(R"("show": "flags", "flags": ["飞行"])") << 0 << "无" << "潜水" << -1;
        QTest::newRow("code") << QByteArray(R"("show": "code", "codes": ["00无", "05铁剑"])") << 5 << "05铁剑" << "00" << 0;
        QTest::newRow("code not listed") << QByteArray(R"("show": "code", "codes": ["00无"])") << 7 << "07?" << "07" << -1;
    }
    void valuesShownAndTaken()
    {
        QFETCH(QByteArray, field);
        QFETCH(int, stored);
        QFETCH(QString, shown);
        QFETCH(QString, typed);
        QFETCH(int, taken);
        const Description d = readDescription(
            R"({"tables": [{"name": "T", "key": "t", "base": 0, "stride": 2, "count": 1, "fields": [{"caption": "a", "offset": 0, )" + field + "}]}]}",
            "x.json");
        QVERIFY2(d.ok(), qPrintable(d.errors.value(0).text()));
        const Field &f = d.tables[0].fields[0];
        QCOMPARE(f.valueText(stored), shown);
        const Field::Parsed p = f.parse(typed, stored);
        QCOMPARE(p.reason.isEmpty() ? int(p.value) : -1, taken);
    }

    // The change list, the read-out, the table files and the command line name the user's fields.
    void everyViewReadsThem()
    {
        loadDescriptions(m_dir.filePath("none"), {written("shops.json", Shops)});
        QByteArray work = m_pristine;
        work[0x1000] = char(0x10); // price 0x__10
        work[0x1001] = char(0x27);
        work[0x1007] = char(0x02);
        const Catalogue catalogue(work, m_pristine);
        QStringList lines;
        for (const FieldChange &c : describeChanges(catalogue, m_pristine, work))
            lines.append(c.line());
        QVERIFY2(lines.contains(QStringLiteral("商店 店01 · 价格: %1 => 10000").arg(byteAt(m_pristine, 0x1000) | byteAt(m_pristine, 0x1001) << 8)),
                 qPrintable(lines.join(u'\n')));
        QVERIFY(lines.contains(QStringLiteral("商店 店02 · 物品: %1 => 02钢剑").arg(catalogue.tables().last().fields[2].valueText(byteAt(m_pristine, 0x1007)))));
        QVERIFY(describeByte(catalogue, work, 0x1001).endsWith("商店 店01 · 价格 = 10000"));

        // Exported, edited as a spreadsheet would, imported back: the values go where they belong.
        const TableFiles::File file{"shops.csv", TableFiles::exportTable(catalogue.tables().last(), work)};
        QVERIFY(file.bytes.contains("店01,10000,"));
        QString text = QString::fromUtf8(file.bytes);
        text.replace("店01,10000,", "店01,123,");
        const auto plan = TableFiles::planImport(catalogue, work, {{"shops.csv", text.toUtf8()}});
        QVERIFY2(plan.ok(), qPrintable(plan.problems.value(0).text()));
        QCOMPARE(plan.writes.size(), 2);
        QCOMPARE(plan.writes[0].offset, 0x1000);
        QCOMPARE(plan.writes[0].value, 123);
        text.replace("店01,123,", "店01,10001,");
        const auto refused = TableFiles::planImport(catalogue, work, {{"shops.csv", text.toUtf8()}});
        QCOMPARE(refused.problems.value(0).text(), "shops.csv 第2行 第3列: 价格: “10001”不是0 至 9999 的十进制数");

        // The command line reads --tables, and refuses a faulty one.
        const QString exe = written("work.exe", work);
        QString out, err;
        QCOMPARE(runCommand({"changes", exe, "--tables", m_dir.filePath("shops.json")}, out, err), 0);
        QVERIFY2(out.contains("商店 店01 · 价格: "), qPrintable(out));
        QCOMPARE(runCommand({"changes", exe, "--tables", written("bad.json", "[")}, out, err), 1);
        QVERIFY(err.startsWith("bad.json"));
    }
};

QTEST_MAIN(TestDescriptions)
#include "tst_descriptions.moc"
