#include "battlefield/fieldedit.h"
#include "battlefield/fieldinfo.h"
#include "gamedata/gamedata.h"
#include "gamedata/tablefiles.h"
#include "image/fileio.h"
#include "image/gbk.h"
#include "image/mymodule.h"
#include "tables/gametables.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace GameData;
using namespace TableFiles;

namespace {

QStringList problemTexts(const Import &import)
{
    QStringList texts;
    for (const Problem &p : import.problems)
        texts.append(p.text());
    return texts;
}

QVector<QStringList> cellsOf(const QByteArray &file)
{
    const Csv csv = readCsv(decodeText(file));
    QVector<QStringList> rows;
    for (const CsvRow &r : csv.rows)
        rows.append(r.cells);
    return rows;
}

// The field a header caption names; -1 for a start position's X or Y, -2 for "编号" and "名称".
int fieldOf(const Table &table, const QString &caption)
{
    if (caption == QStringLiteral("编号") || caption == QStringLiteral("名称"))
        return -2;
    for (int f = 0; f < table.fields.size(); ++f)
        if (table.fields[f].caption == caption)
            return f;
    return -1;
}

} // namespace

class TestTableFiles : public QObject {
    Q_OBJECT

private:
    QByteArray m_pristine;
    ByteImages m_images;

    Import import(const QVector<File> &files)
    {
        return importTables(m_images, Catalogue(m_images.WorkImage, m_pristine), files);
    }
    Import importText(const QString &name, const QString &text) { return import({File{name, text.toUtf8()}}); }
    void verifyUnchanged()
    {
        QVERIFY(m_images.WorkImage == m_pristine);
        QCOMPARE(m_images.history.steps(), 0);
    }

private slots:
    void initTestCase()
    {
        m_pristine = loadBuiltInImage();
        m_images.PristineImage = m_pristine;
    }
    void init() { m_images.load(m_pristine); }

    void exportThenImportWritesNothing()
    {
        // An image with a code no list names and a level its editor would refuse still comes back.
        const Table &chars = fixedTable(Characters);
        m_images.write(chars.fields[0].offset(2), 0x7F);
        m_images.write(fixedTable(ClassChanges).fields[2].offset(0), 40);
        const QByteArray edited = m_images.WorkImage;
        const Catalogue cat(edited, m_pristine);
        const QVector<File> files = exportTables(cat, edited);
        QStringList names;
        for (const File &f : files)
            names.append(f.name);
        QCOMPARE(names, QStringList({"characters.csv", "classes.csv", "weapons.csv", "spells.csv", "shields.csv",
                                     "class_changes.csv", "level_coefficients.csv", "terrain_effects.csv",
                                     "enemy_types.csv", "units.csv", "positions.csv"}));
        for (int t = 0; t < files.size(); ++t) {
            const QByteArray &bytes = files[t].bytes;
            QVERIFY(bytes.startsWith("\xEF\xBB\xBF\xE7\xBC\x96\xE5\x8F\xB7,\xE5\x90\x8D\xE7\xA7\xB0,")); // 编号,名称,
            QVERIFY(bytes.endsWith("\r\n"));
            QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
            QCOMPARE(cellsOf(bytes).size(), cat.tables()[t].records.size() + 1);
        }

        // A few cells as the editors show them.
        const QVector<QStringList> characters = cellsOf(files[Characters].bytes);
        QCOMPARE(characters[0].mid(0, 4), QStringList({"编号", "名称", "职  业", "等  级"}));
        QCOMPARE(characters[3].mid(0, 3), QStringList({"3", chars.records[2].name, "7F?"}));
        QCOMPARE(characters[1][11], hexByte(byteAt(edited, chars.fields[9].offset(0)))); // 魔  法
        const QVector<QStringList> positions = cellsOf(files[Positions].bytes);
        QCOMPARE(positions[0].mid(2, 2), QStringList({"攻击方一队 01 X", "攻击方一队 01 Y"}));
        const Slot &first = cat.table(Positions).records[0].parts[0];
        QCOMPARE(positions[1].mid(2, 2), QStringList({QString::number(byteAt(edited, first.offset)),
                                                      QString::number(byteAt(edited, first.offset + 1))}));

        const Import back = import(files);
        QVERIFY2(back.ok(), qPrintable(problemTexts(back).join(u'\n')));
        QVERIFY(back.writes.isEmpty());
        QVERIFY(m_images.WorkImage == edited);
        QCOMPARE(m_images.history.steps(), 2);
    }

    // Each table saved again by a spreadsheet program: every cell quoted, LF, no byte-order mark,
    // GBK, the columns and rows reversed; some values changed, codes in every accepted form.
    void spreadsheetRewriteWritesTheChanges_data()
    {
        QTest::addColumn<int>("table");
        for (int t = 0; t < Maps; ++t)
            QTest::newRow(qPrintable(fixedTable(TableId(t)).key)) << t;
    }
    void spreadsheetRewriteWritesTheChanges()
    {
        QFETCH(int, table);
        const Catalogue cat(m_pristine, m_pristine);
        const Table &t = cat.table(TableId(table));
        // The low four bits of a unit's AI byte stay as they are when its AI changes.
        if (t.id == Units)
            for (const Record &r : t.records)
                for (const Slot &s : r.parts)
                    if (s.field == 5)
                        m_images.write(s.offset, byteAt(m_pristine, s.offset) | 0x05);
        const QByteArray base = m_images.WorkImage;
        QVector<QStringList> rows = cellsOf(exportTable(t, base));
        QVector<QStringList> expected = rows;
        const QStringList header = rows[0];
        int edits = 0;
        const int stride = rows.size() > 12 ? 3 : 1;
        for (int r = 1; r < rows.size(); r += stride) {
            // One value cell of the row, the first filled one from a column that moves with the row.
            for (int k = 0; k < header.size() - 2; ++k) {
                const int c = 2 + (r / stride + k) % (header.size() - 2);
                const QString old = rows[r][c];
                if (old.isEmpty() || old.endsWith(u'?'))
                    continue;
                const int f = fieldOf(t, header[c]);
                const Show show = f < 0 ? Show::Position : t.fields[f].show;
                const auto step = [](int v) { return v > 1 ? v - 1 : v + 1; };
                if (show == Show::Code) {
                    const QStringList &codes = t.fields[f].codes;
                    const QString next = codes[(codes.indexOf(old) + 1) % codes.size()];
                    const QString forms[3] = {next.left(2), next, next.left(2) + u' ' + next.mid(2)};
                    rows[r][c] = forms[edits % 3];
                    expected[r][c] = next;
                } else if (show == Show::Position) {
                    // A start position moves to a free tile beside it, or stays.
                    const bool x = header[c].endsWith(u'X');
                    QPoint to(rows[r][x ? c : c - 1].toInt(), rows[r][x ? c + 1 : c].toInt());
                    (x ? to.rx() : to.ry()) = step(old.toInt());
                    ByteImages view;
                    view.load(base);
                    FieldEdit fields(view, QString());
                    FieldInfo war(view);
                    QVERIFY(war.SetWarField(t.records[r - 1].number, fields));
                    if (!war.IsFreeTile(to.x(), to.y()))
                        continue;
                    rows[r][c] = expected[r][c] = QString::number(x ? to.x() : to.y());
                } else if (show == Show::Hex) {
                    rows[r][c] = expected[r][c] = hexByte(old.toInt(nullptr, 16) ^ 1);
                } else {
                    rows[r][c] = expected[r][c] = QString::number(step(old.toInt()));
                }
                ++edits;
                break;
            }
        }
        QVERIFY(edits >= 4);

        QVector<QStringList> saved = {header};
        for (int r = rows.size() - 1; r >= 1; --r)
            saved.append(rows[r]);
        const bool withoutNames = table % 2;
        QString text;
        for (const QStringList &cells : saved) {
            QStringList quoted;
            for (int c = cells.size() - 1; c >= 0; --c)
                if (!(withoutNames && c == 1))
                    quoted.append(u'"' + QString(cells[c]).replace(u'"', QStringLiteral("\"\"")) + u'"');
            text += quoted.join(u',') + u'\n';
        }
        const Import result = import({File{fileName(t), toAnsi(text)}});
        QVERIFY2(result.ok(), qPrintable(problemTexts(result).join(u'\n')));
        QCOMPARE(result.label, QStringLiteral("导入 %1 (%2 项)").arg(fileName(t)).arg(edits));

        // Exactly the changed cells, each one byte of this table.
        QCOMPARE(cellsOf(exportTable(Catalogue(m_images.WorkImage, m_pristine).table(t.id), m_images.WorkImage)),
                 expected);
        int changed = 0;
        for (qint64 o = 0; o < base.size(); ++o) {
            if (m_images.WorkImage[o] == base[o])
                continue;
            ++changed;
            const auto place = cat.at(o);
            QVERIFY(place && place->table->id == t.id);
        }
        QCOMPARE(changed, edits);
        if (t.id == Units)
            for (const Record &r : t.records)
                for (const Slot &s : r.parts)
                    QVERIFY(s.field != 5 ||
                            (byteAt(m_images.WorkImage, s.offset) & 0x0F) == (byteAt(base, s.offset) & 0x0F));
    }

    void acceptedForms_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QString utf8 = QStringLiteral("编号,职  业,等  级\n3,%1,9\n");
        QTest::newRow("code only") << utf8.arg("05").toUtf8();
        QTest::newRow("code and name") << utf8.arg("05飞鹰骑士").toUtf8();
        QTest::newRow("code, space, name") << utf8.arg(" 05 飞鹰 骑士 ").toUtf8();
        QTest::newRow("BOM, CR LF, captions without spaces")
            << QByteArray("\xEF\xBB\xBF") + QStringLiteral("编号,职业,等级\r\n3,05,9\r\n").toUtf8();
        QTest::newRow("CR, quoted, spaced captions")
            << QStringLiteral("\" 编 号 \",\"职 业\",\"等级\"\r\"3\",\"05\",\"9\"").toUtf8();
        QTest::newRow("GBK, blank rows and columns")
            << toAnsi(QStringLiteral(",编号,职业,等级,\n\n,3,05飞鹰骑士,9,\n,,,,\n"));
    }
    void acceptedForms()
    {
        QFETCH(QByteArray, bytes);
        const Import result = import({File{QStringLiteral("Characters.CSV"), bytes}});
        QVERIFY2(result.ok(), qPrintable(problemTexts(result).join(u'\n')));
        const Table &chars = fixedTable(Characters);
        QCOMPARE(byteAt(m_images.WorkImage, chars.fields[0].offset(2)), 5);
        QCOMPARE(byteAt(m_images.WorkImage, chars.fields[1].offset(2)), 9);
    }

    // Each kind of error, with its file, line and column; the image is left as it was.
    void errorsHaveTheirPlace_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QStringList>("problems");
        const QString chars = QStringLiteral("characters.csv");
        const auto one = [&](const char *tag, const QString &text, const QStringList &problems) {
            QTest::newRow(tag) << QStringList(chars) << QStringList(text) << problems;
        };
        one("unclosed quote", "编号,等级\n1,7\n2,\"8\n,\n", {"characters.csv 第3行 第2列: 引号没有闭合"});
        one("text after a quote", "编号,等级\n1,\"7\"x,\n2,8\n", {"characters.csv 第2行 第2列: 引号后面还有字符"});
        one("quote in a bare cell", "编号,等级\n1,7\"\n", {"characters.csv 第2行 第2列: 没有引号的单元格中有引号"});
        one("unknown column", "编号,等级,身高\n1,7,3\n", {"characters.csv 第1行 第3列: 未知的列“身高”"});
        one("column twice", "编号,等  级,等级\n1,7,8\n", {"characters.csv 第1行 第3列: “等级”列重复，已见于第2列"});
        one("no number column", "名称,等级\n,7\n", {"characters.csv 第1行: 没有“编号”列"});
        one("no header", "\n,,\n", {"characters.csv: 文件中没有标题行"});
        one("cell without a header", "编号,等级\n1,7,9\n", {"characters.csv 第2行 第3列: 这一列没有标题"});
        one("numbers", "编号,等级\n1,7\n,8\n35,7\nx,7\n1,8\n",
            {"characters.csv 第3行 第1列: 缺少编号",
             "characters.csv 第4行 第1列: 没有编号为“35”的记录，编号为 1 至 34",
             "characters.csv 第5行 第1列: 没有编号为“x”的记录，编号为 1 至 34",
             "characters.csv 第6行 第1列: 编号 1 重复，已见于第2行"});
        one("wrong name", "编号,名称,等级\n1,张三,7\n",
            {QStringLiteral("characters.csv 第2行 第2列: 编号 1 的名称是“%1”，不是“张三”")
                 .arg(fixedTable(Characters).records[0].name)});
        one("values", "编号,等级,魔法,职业\n1,256,G1,99\n2,-1,100,05骑士\n",
            {"characters.csv 第2行 第2列: 等  级: “256”不是 0 至 255 的十进制数",
             "characters.csv 第2行 第3列: 魔  法: “G1”不是 00 至 FF 的十六进制数",
             "characters.csv 第2行 第4列: 职  业: “99”不在列表中",
             "characters.csv 第3行 第2列: 等  级: “-1”不是 0 至 255 的十进制数",
             "characters.csv 第3行 第3列: 魔  法: “100”不是 00 至 FF 的十六进制数",
             "characters.csv 第3行 第4列: 职  业: “05骑士”: 05 是“05飞鹰骑士”"});
        one("numbers with another meaning", "编号,等级,魔法,职业\n1.5,7,,\n2,5.5,1.5,5.5\n3,1E5,,\n",
            {"characters.csv 第2行 第1列: 没有编号为“1.5”的记录，编号为 1 至 34",
             "characters.csv 第3行 第2列: 等  级: “5.5”不是 0 至 255 的十进制数",
             "characters.csv 第3行 第3列: 魔  法: “1.5”不是 00 至 FF 的十六进制数",
             "characters.csv 第3行 第4列: 职  业: “5.5”不在列表中",
             "characters.csv 第4行 第2列: 等  级: “1E5”不是 0 至 255 的十进制数"});
        QTest::newRow("class change level")
            << QStringList("class_changes.csv") << QStringList("编号,必要等级\n1,21\n2,0\n3,20\n")
            << QStringList({"class_changes.csv 第2行 第2列: 必要等级: “21”不是 1 至 20 的等级",
                            "class_changes.csv 第3行 第2列: 必要等级: “0”不是 1 至 20 的等级"});

        // A unit that refers to an enemy type, and one of its own.
        const Catalogue cat(m_pristine, m_pristine);
        const QVector<Record> &units = cat.table(Units).records;
        QVector<int> references;
        int own = -1;
        for (int r = 0; r < units.size(); ++r)
            if (units[r].parts.size() == 1)
                references.append(r + 1);
            else if (own < 0)
                own = r + 1;
        QVERIFY(references.size() >= 2 && own > 0);
        QTest::newRow("units") << QStringList("units.csv")
                               << QStringList(QStringLiteral("编号,类型,等级,AI方式\n%1,54,,\n%2,,5,\n%3,01,,40\n")
                                                  .arg(references[0])
                                                  .arg(references[1])
                                                  .arg(own))
                               << QStringList({QStringLiteral("units.csv 第2行 第2列: 类  型: “54”不是 00 至 53 的部队类型"),
                                               QStringLiteral("units.csv 第3行 第3列: %1 没有“等  级”这一项")
                                                   .arg(units[references[1] - 1].name),
                                               QStringLiteral("units.csv 第4行 第2列: %1 没有“类  型”这一项")
                                                   .arg(units[own - 1].name)});

        // A start position inside the map's border.
        ByteImages view;
        view.WorkImage = m_pristine;
        FieldEdit fields(view, QString());
        FieldInfo war(view);
        QVERIFY(war.SetWarField(1, fields));
        QTest::newRow("positions")
            << QStringList("positions.csv")
            << QStringList(QStringLiteral("编号,攻击方一队 01 X,攻击方一队 01 Y\n1,0,%1\n").arg(war.Height - 1))
            << QStringList({QStringLiteral("positions.csv 第2行 第2列: 攻击方一队 01 X: “0”不在地图内，应为 1 至 %1")
                                .arg(war.Width - 2),
                            QStringLiteral("positions.csv 第2行 第3列: 攻击方一队 01 Y: “%1”不在地图内，应为 1 至 %2")
                                .arg(war.Height - 1)
                                .arg(war.Height - 2)});

        // Errors of several files in one list, each named by its file.
        QTest::newRow("files") << QStringList({"chars.csv", chars, "sub/Characters.CSV", "shields.csv"})
                               << QStringList({"编号\n", "编号,等级\n1,7\n", "编号\n", "编号,效果\n9,1\n"})
                               << QStringList({"chars.csv: 不是表格文件，文件名应为 characters.csv、classes.csv、weapons.csv、"
                                               "spells.csv、shields.csv、class_changes.csv、level_coefficients.csv、"
                                               "terrain_effects.csv、enemy_types.csv、units.csv、positions.csv 之一",
                                               "Characters.CSV: 与 characters.csv 是同一个表格",
                                               "shields.csv 第2行 第1列: 没有编号为“9”的记录，编号为 1 至 5"});
    }
    void errorsHaveTheirPlace()
    {
        QFETCH(QStringList, names);
        QFETCH(QStringList, texts);
        QFETCH(QStringList, problems);
        QVector<File> files;
        for (int i = 0; i < names.size(); ++i)
            files.append(File{names[i], texts[i].toUtf8()});
        const Import result = import(files);
        QCOMPARE(problemTexts(result), problems);
        QVERIFY(result.writes.isEmpty());
        verifyUnchanged();
    }

    // Every file as a spreadsheet program saves it again, with its cells of digits read as numbers,
    // and one code typed as a number: the code alone is written.
    void spreadsheetNumbersImport_data()
    {
        QTest::addColumn<int>("form");
        QTest::addColumn<bool>("everyCell");
        QTest::newRow("leading zeros dropped") << 0 << true;
        QTest::newRow("1E5") << 1 << true;
        QTest::newRow("trailing .0") << 2 << true;
        QTest::newRow("code typed 5") << 0 << false;
    }
    void spreadsheetNumbersImport()
    {
        QFETCH(int, form);
        QFETCH(bool, everyCell);
        // "05" as 5, as 5E0 (12 as 1.2E1) or as 5.0.
        const auto number = [form](const QString &cell) {
            if (cell.isEmpty() || !std::all_of(cell.cbegin(), cell.cend(), [](QChar c) { return c.isDigit(); }))
                return cell;
            const QString digits = QString::number(cell.toInt());
            if (form == 1)
                return digits.left(1) + (digits.size() > 1 ? u'.' + digits.mid(1) : QString()) +
                       QStringLiteral("E%1").arg(digits.size() - 1);
            return form == 2 ? digits + QStringLiteral(".0") : digits;
        };
        QVector<File> files = exportTables(Catalogue(m_pristine, m_pristine), m_pristine);
        int changed = 0;
        for (File &f : files) {
            QVector<QStringList> rows = cellsOf(f.bytes);
            for (int r = 1; everyCell && r < rows.size(); ++r)
                for (QString &cell : rows[r]) {
                    const QString n = number(cell);
                    changed += n != cell;
                    cell = n;
                }
            if (f.name == QStringLiteral("characters.csv"))
                rows[3][2] = number(QStringLiteral("05")); // 职  业
            f.bytes = writeCsv(rows);
        }
        QVERIFY(!everyCell || changed > 500);
        const Import result = import(files);
        QVERIFY2(result.ok(), qPrintable(problemTexts(result).join(u'\n')));
        QCOMPARE(result.writes.size(), 1);
        QCOMPARE(result.writes[0].offset, fixedTable(Characters).fields[0].offset(2));
        QCOMPARE(result.writes[0].value, 5);
    }

    // A file cut off in the middle of a row: "…,10,4" where 攻成长 was 45.
    void cutOffRowRefused_data()
    {
        QTest::addColumn<QByteArray>("end");
        QTest::newRow("with a line break") << QByteArray("\r\n");
        QTest::newRow("without") << QByteArray();
    }
    void cutOffRowRefused()
    {
        QFETCH(QByteArray, end);
        const QByteArray whole = exportTable(fixedTable(Characters), m_pristine);
        const QList<QByteArray> lines = whole.split('\n');
        const QByteArray cut = lines[3].left(lines[3].indexOf(",45,") + 2);
        QVERIFY(cut.endsWith(",10,4"));
        const QByteArray bytes = whole.left(whole.indexOf(lines[3])) + cut + end;
        QCOMPARE(problemTexts(import({File{QStringLiteral("characters.csv"), bytes}})),
                 QStringList(QStringLiteral("characters.csv 第4行: 只有 14 个单元格，标题行有 20 个")));
        verifyUnchanged();
    }

    // Start positions of the first war moved by a file: none onto a tile where another position
    // of the war stands once the whole file is read.
    void sharedTileRefused_data()
    {
        QTest::addColumn<QStringList>("moves"); // "side entry>side entry": the first onto the second's tile
        QTest::addColumn<QString>("problem");
        QTest::newRow("onto another") << QStringList{"0 1>0 2"} << "第2行 第3列: 攻击方一队 01: <0 2> 上已有 攻击方一队 02";
        QTest::newRow("onto another side") << QStringList{"0 1>2 1"}
                                           << "第2行 第3列: 攻击方一队 01: <2 1> 上已有 防御方一队 01";
        QTest::newRow("two onto one free tile") << QStringList{"0 1>free", "0 2>free"}
                                                << "第2行 第3列: 攻击方一队 01: <free> 上已有 攻击方一队 02";
        QTest::newRow("swapped") << QStringList{"0 1>0 2", "0 2>0 1"} << QString();
        QTest::newRow("onto a tile left") << QStringList{"0 2>free", "0 1>0 2"} << QString();
    }
    void sharedTileRefused()
    {
        QFETCH(QStringList, moves);
        QFETCH(QString, problem);
        ByteImages view;
        view.load(m_pristine);
        FieldEdit fields(view, QString());
        FieldInfo war(view);
        QVERIFY(war.SetWarField(1, fields));
        const QVector<FieldInfo::Position> before = war.positions();
        QPoint free(1, 1);
        while (!war.IsFreeTile(free.x(), free.y()))
            free.rx()++;
        const auto tileOf = [&](const QString &which) {
            const QStringList p = which.split(u' ');
            for (const FieldInfo::Position &q : before)
                if (p.size() == 2 && q.side == p[0].toInt() && q.entry == p[1].toInt())
                    return q.tile;
            return free;
        };
        const Catalogue cat(m_pristine, m_pristine);
        const Table &table = cat.table(Positions);
        QVector<QStringList> rows = cellsOf(exportTable(table, m_pristine));
        for (const QString &move : moves) {
            const QStringList ends = move.split(u'>');
            const QStringList p = ends[0].split(u' ');
            const int x = int(rows[0].indexOf(table.slotCaption(Slot{0, 2, p[0].toInt(), p[1].toInt()}) + " X"));
            QVERIFY(x > 0);
            rows[1][x] = QString::number(tileOf(ends[1]).x());
            rows[1][x + 1] = QString::number(tileOf(ends[1]).y());
        }
        for (const QString which : {"0 2", "2 1", "free"})
            problem.replace(u'<' + which + u'>', QStringLiteral("(%1,%2)").arg(tileOf(which).x()).arg(tileOf(which).y()));
        const Import result = import({File{"positions.csv", writeCsv(rows)}});
        QCOMPARE(problemTexts(result), problem.isEmpty() ? QStringList() : QStringList("positions.csv " + problem));
        if (!problem.isEmpty()) {
            verifyUnchanged();
            return;
        }
        // Each position stands where the file put it.
        view.load(m_images.WorkImage);
        QVERIFY(war.SetWarField(1, fields));
        for (const QString &move : moves) {
            const QStringList ends = move.split(u'>');
            const auto on = war.positionOn(tileOf(ends[1]));
            QVERIFY(on && QStringLiteral("%1 %2").arg(on->side).arg(on->entry) == ends[0]);
        }
    }

    // Files saved with semicolons or tabs, or as UTF-16, are read; one that still cannot be read
    // names the likely cause.
    void otherSeparatorsAndEncodings_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("problems"); // none: the file writes class 05 and level 9
        const QString name = fixedTable(Characters).records[2].name;
        const QString semicolons = QStringLiteral("编号;名称;职业;等级\r\n3;%1;05;\"9\"\r\n").arg(name);
        const QString tabs = QStringLiteral("编号\t名称\t职业\t等级\n3\t%1\t\"05飞鹰骑士\"\t9\n").arg(name);
        const auto utf16 = [](const QString &text, bool bigEndian, bool mark) {
            QByteArray bytes = mark ? QByteArray(bigEndian ? "\xFE\xFF" : "\xFF\xFE") : QByteArray();
            for (QChar c : text) {
                const char high = char(c.unicode() >> 8);
                const char low = char(c.unicode() & 0xFF);
                bytes.append(bigEndian ? high : low).append(bigEndian ? low : high);
            }
            return bytes;
        };
        QTest::newRow("semicolons") << semicolons.toUtf8() << QStringList();
        QTest::newRow("tabs, GBK") << toAnsi(tabs) << QStringList();
        QTest::newRow("UTF-16 LE, tabs") << utf16(tabs, false, true) << QStringList();
        QTest::newRow("UTF-16 BE") << utf16(semicolons, true, true) << QStringList();
        QTest::newRow("UTF-16 LE without a mark") << utf16(semicolons, false, false) << QStringList();
        QTest::newRow("UTF-16 BE without a mark") << utf16(tabs, true, false) << QStringList();
        const QString semicolonCause = QStringLiteral("（此文件似乎以分号分隔，请另存为以逗号分隔的 CSV 文件）");
        QTest::newRow("semicolons and a comma")
            << QStringLiteral("编号;职业,等级\n3;05,9\n").toUtf8()
            << QStringList{"characters.csv 第1行 第1列: 未知的列“编号;职业”" + semicolonCause,
                           "characters.csv 第1行: 没有“编号”列" + semicolonCause};
        QByteArray utf32("\xFF\xFE\0\0", 4);
        for (QChar c : QStringLiteral("编号,等级\n3,9\n"))
            utf32.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8)).append(2, '\0');
        QTest::newRow("UTF-32")
            << utf32
            << QStringList{"characters.csv: 文件中有零字节，似乎是 UTF-16 或 UTF-32 编码却读不出来；请另存为 UTF-8 编码的 CSV 文件"};
    }
    void otherSeparatorsAndEncodings()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, problems);
        const Import result = import({File{QStringLiteral("characters.csv"), bytes}});
        QCOMPARE(problemTexts(result), problems);
        if (!problems.isEmpty()) {
            verifyUnchanged();
            return;
        }
        const Table &chars = fixedTable(Characters);
        QCOMPARE(byteAt(m_images.WorkImage, chars.fields[0].offset(2)), 5);
        QCOMPARE(byteAt(m_images.WorkImage, chars.fields[1].offset(2)), 9);
    }

    void oneUndoStepWithItsLabel()
    {
        const Table &chars = fixedTable(Characters);
        const int level = byteAt(m_pristine, chars.fields[1].offset(0));
        const QString shields = QStringLiteral("编号,效果\n1,%1\n2,%2\n")
                                    .arg(byteAt(m_pristine, fixedTable(Shields).fields[0].offset(0)) ^ 1)
                                    .arg(byteAt(m_pristine, fixedTable(Shields).fields[0].offset(1)));
        const QString characters = QStringLiteral("编号,等级,魔法\n1,%1,%2\n")
                                       .arg(level ^ 1)
                                       .arg(hexByte(byteAt(m_pristine, chars.fields[9].offset(0)) ^ 1));
        Import result = import({File{"/tmp/x/characters.csv", characters.toUtf8()}, File{"shields.csv", shields.toUtf8()}});
        QVERIFY(result.ok());
        QCOMPARE(result.label, QStringLiteral("导入 characters.csv 等 2 个表格 (3 项)"));
        QCOMPARE(m_images.history.steps(), 1);
        QCOMPARE(m_images.history.undoLabel(), result.label);
        m_images.history.undo(m_images.WorkImage);
        QVERIFY(m_images.WorkImage == m_pristine);
        m_images.history.redo(m_images.WorkImage);
        QCOMPARE(byteAt(m_images.WorkImage, chars.fields[1].offset(0)), level ^ 1);

        // One value; nothing left to write makes no step.
        init();
        result = importText("shields.csv", shields);
        QCOMPARE(m_images.history.undoLabel(), QStringLiteral("导入 shields.csv (1 项)"));
        result = importText("shields.csv", shields);
        QVERIFY(result.ok() && result.writes.isEmpty());
        QCOMPARE(m_images.history.steps(), 1);
    }

    void csvReader_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QVector<QStringList>>("rows");
        QTest::addColumn<QList<int>>("lines");
        QTest::newRow("quotes") << QStringLiteral("a,\"b,c\",\"d\"\"e\"\r\n\"\",f")
                                << QVector<QStringList>{{"a", "b,c", "d\"e"}, {"", "f"}} << QList<int>{1, 2};
        QTest::newRow("line ends inside quotes") << QStringLiteral("\"x\r\ny\",1\n\"z\rw\n\",2\r3")
                                                 << QVector<QStringList>{{"x\r\ny", "1"}, {"z\rw\n", "2"}, {"3"}}
                                                 << QList<int>{1, 3, 6};
        QTest::newRow("empty rows and cells") << QStringLiteral("\n,\na,\n")
                                              << QVector<QStringList>{{""}, {"", ""}, {"a", ""}} << QList<int>{1, 2, 3};
    }
    void csvReader()
    {
        QFETCH(QString, text);
        QFETCH(QVector<QStringList>, rows);
        QFETCH(QList<int>, lines);
        const Csv csv = readCsv(text);
        QVERIFY(csv.errors.isEmpty());
        QVector<QStringList> got;
        QList<int> gotLines;
        for (const CsvRow &r : csv.rows) {
            got.append(r.cells);
            gotLines.append(r.line);
        }
        QCOMPARE(got, rows);
        QCOMPARE(gotLines, lines);
        QCOMPARE(cellsOf(writeCsv(rows)), rows);
    }

    void filesOnDisk()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("表格/新"));
        const Catalogue cat(m_pristine, m_pristine);
        QCOMPARE(writeTables(folder, cat, m_pristine), QString());
        QByteArray bytes;
        QVERIFY(readWholeFile(folder + QStringLiteral("/units.csv"), bytes));
        QCOMPARE(bytes, exportTable(cat.table(Units), m_pristine));
        QVERIFY(writeWholeFile(dir.filePath(QStringLiteral("file")), "x"));
        QCOMPARE(writeTables(dir.filePath(QStringLiteral("file")), cat, m_pristine),
                 QStringLiteral("无法创建文件夹 %1").arg(QDir::toNativeSeparators(dir.filePath(QStringLiteral("file")))));

        const QStringList paths = {folder + QStringLiteral("/units.csv"), dir.filePath(QStringLiteral("missing.csv"))};
        const Import result = importFiles(m_images, cat, paths);
        QCOMPARE(problemTexts(result), QStringList(QStringLiteral("missing.csv: 无法读取文件")));
        verifyUnchanged();
        QVERIFY(importFiles(m_images, cat, paths.mid(0, 1)).ok());
    }
};

QTEST_GUILESS_MAIN(TestTableFiles)
#include "tst_tablefiles.moc"
