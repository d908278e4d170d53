#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>

// The built-in data every part reads: the reference executable (loadBuiltInImage) and the
// string table (GetResString). Both come from the program's resources unless the command line
// named others at start-up (--reference, --strings), so that the editor serves another release
// of the game without a rebuild.

// A string table file: "ID<tab>text" lines, UTF-8, LF or CR LF. Entries 10000 to 10013 must be
// present and well formed (code lists, the map, army and war tables); none, with the reason in
// *reason, otherwise.
std::optional<QHash<int, QString>> parseStringTable(const QByteArray &fileBytes, QString *reason = nullptr);

// The string table in use.
const QHash<int, QString> &stringTable();
// Counts the times the string table was replaced: what is derived from it compares this.
int stringTableGeneration();

// From now on, image (TargetSize bytes) in place of the built-in executable, and table in place
// of the built-in string table; an empty image or table brings back the built-in one.
void useReferenceImage(const QByteArray &image);
void useStringTable(const QHash<int, QString> &table);
