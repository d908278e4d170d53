#pragma once

#include "gamedata/gamedata.h"
#include "image/byteimages.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

// Every table but the maps as a CSV file for spreadsheet programs, and those files read back.
// A file has a header row ("编号", "名称", then the field captions) and one row per record; "编号"
// is the record's place in its table from 1, "名称" its name. A start position is two columns,
// "攻击方一队 01 X" and "攻击方一队 01 Y", in decimal. A file read back may be separated by
// semicolons or tabs, and its cells may be numbers as a spreadsheet shows them: "1" for "01",
// "12.0", "1.2E1".
namespace TableFiles {

// A table file: its name (a path is fine; the file name picks the table) and its bytes.
struct File {
    QString name;
    QByteArray bytes;
};

// The tables that have a file: all but the maps.
bool hasFile(GameData::TableId id);
// "characters.csv".
QString fileName(const GameData::Table &table);

// One table over an image: UTF-8 with a byte-order mark, CR LF, RFC 4180 quoting.
QByteArray exportTable(const GameData::Table &table, const QByteArray &image);
// Every table's file, in the order of the tables.
QVector<File> exportTables(const GameData::Catalogue &catalogue, const QByteArray &image);
// Writes every table's file into folder, made when missing; empty, or why it failed.
QString writeTables(const QString &folder, const GameData::Catalogue &catalogue, const QByteArray &image);

// The CSV reader. A file's text: UTF-16 by its byte-order mark or by the pattern of its zero
// bytes; UTF-8 with or without a byte-order mark; or GBK when the bytes are not UTF-8.
QString decodeText(const QByteArray &bytes);
// The separator of a file as its header row, the first with a caption, shows it: the most
// frequent of comma, semicolon and tab outside quotes; a comma when none is more frequent.
QChar separatorOf(const QString &text);

struct CsvRow {
    int line = 0; // where the row starts, from 1
    QStringList cells;
};
struct CsvError {
    int line = 0;
    int column = 0; // from 1
    QString reason;
};
struct Csv {
    QVector<CsvRow> rows; // rows with a fault are left out
    QVector<CsvError> errors;
};
// RFC 4180 rows; LF, CR LF or CR end a row outside quotes.
Csv readCsv(const QString &text, QChar separator = u',');
// Rows as a file: byte-order mark, fields quoted where they must be, CR LF after each row.
QByteArray writeCsv(const QVector<QStringList> &rows);

// A reason a file cannot be imported. line and column are 0 where they do not apply.
struct Problem {
    QString file;
    int line = 0;
    int column = 0;
    QString reason;

    // "units.csv 第12行 第5列: ..."
    QString text() const;
};

struct Write {
    qint64 offset;
    int value;
};

struct Import {
    QVector<Problem> problems; // all of them; nothing is written when there is one
    QVector<Write> writes;     // each byte whose value differs, once
    QString label;             // the undo step: "导入 characters.csv 等 2 个表格 (37 项)"

    bool ok() const { return problems.isEmpty(); }
};

// What importing the files into image would write, every value checked as its editor checks it.
// The catalogue is laid out over image.
Import planImport(const GameData::Catalogue &catalogue, const QByteArray &image, const QVector<File> &files);
// Plans the import into WorkImage and, without a problem, writes it as one undo step.
Import importTables(ByteImages &images, const GameData::Catalogue &catalogue, const QVector<File> &files);
// The same for files on disk; a file that cannot be read is a problem too.
Import importFiles(ByteImages &images, const GameData::Catalogue &catalogue, const QStringList &paths);

} // namespace TableFiles
