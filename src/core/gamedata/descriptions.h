#pragma once

#include "gamedata/gamedata.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

// Tables described as JSON files: the nine built-in tables (resources/tables.json) and the ones
// users find and share (Data/Tables/*.json, --tables FILE). One format serves both:
//
//   {"tables": [{
//       "name": "商店", "key": "shops",
//       "base": "0x6F000", "stride": 4, "count": 20,
//       "names": ["店1", "店2"] | {"strings": 10003} | {"list": "characters", "numbered": true}
//                | {"numbers": "hex", "first": 0, "digits": 2, "prefix": ""},
//       "fields": [{"caption": "价格", "offset": 0, "size": 2, "show": "decimal", "range": [0, 9999]},
//                  {"caption": "属性", "offset": 2, "show": "flags", "flags": ["稀有", "", "可卖"]},
//                  {"caption": "物品", "offset": 3, "show": "code", "codes": ["00无", "01铁剑"]},
//                  {"caption": "魔防", "base": "0x8BFF0", "stride": 1}]}]}
//
// "show" is "decimal" (the default), "signed", "hex", "code" or "flags"; "codes" and "names"
// take a list, a string-table entry {"strings": ID} or one of the editor's lists {"list": ...}.
// A field with its own "base" (and "stride", by default its size) is a table of its own beside
// the others, as the game keeps many attributes; any other lies inside its record.
namespace GameData {

struct DescriptionError {
    QString file;
    int line = 0; // broken JSON: where, from 1
    int column = 0;
    QString table; // otherwise the table and field at fault, when there is one
    QString field;
    QString reason;

    // "shops.json 第3行 第7列: ..." or "shops.json 表格“商店” 字段“价格”: ..."
    QString text() const;
};

struct Description {
    QString file; // as given: a path or a name
    QVector<Table> tables; // none when there is an error
    QVector<DescriptionError> errors;

    bool ok() const { return errors.isEmpty(); }
};

// One file's tables, laid out over an image of imageSize bytes, or every fault the file has.
// Fields may share bytes here (the built-in tables do); readDescriptionFiles checks that.
Description readDescription(const QByteArray &bytes, const QString &file, qint64 imageSize = 0xAE000);

// Users' files in order, each read and then checked against the built-in fields (over the
// reference executable), its own fields and the files before it: a byte has one name, and a key
// one table. A file with any fault adds no table; the others still do.
QVector<Description> readDescriptionFiles(const QStringList &paths);
// The tables of the files without a fault, in order.
QVector<Table> tablesOf(const QVector<Description> &files);

// Reads the *.json files of folder and then the extra files (--tables), takes the tables of the
// good ones into use (useUserTables) and keeps the extra files for the next load. The files as
// read, faults and all.
QVector<Description> loadDescriptions(const QString &folder, const QStringList &extra);
// The extra files the last load read.
QStringList extraDescriptionFiles();
// The files the last load read, as it read them.
QVector<Description> lastDescriptions();

// The folder of users' description files under the editor's writable folder.
QString descriptionFolder(const QString &writableFolder);
// The *.json files in it, by name.
QStringList descriptionFiles(const QString &folder);

// A user table as a description file, as readDescription reads it back.
QByteArray writeDescription(const Table &table);

} // namespace GameData
