#pragma once

#include "gamedata/gamedata.h"

#include <QString>
#include <QStringList>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QWidget;
struct WrittenBytes;

// What a byte field accepts, for the status bar when a value was not taken.
inline const QString DecByteAccepted = QStringLiteral("0 至 255 的十进制数");
inline const QString HexByteAccepted = QStringLiteral("00 至 FF 的十六进制数");

// Says in the main window's status bar that the field captioned caption did not take its value,
// and what it accepts ("等  级：0 至 255 的十进制数"). Nothing is written, and no box is shown.
void valueNotTaken(QWidget *field, const QString &caption, const QString &accepts);
// Says text in the status bar of the main window that holds w, for a while.
void showStatus(QWidget *w, const QString &text);

// The controls of the table editors, made alike.
QListWidget *makeList(QWidget *parent, const QString &name);
QLabel *makeLabel(QWidget *parent, const QString &name, const QString &caption);
QLineEdit *makeField(QWidget *parent, const QString &name);
// A selector: the wheel turns it only while it has the focus.
QComboBox *makeSelector(QWidget *parent, const QString &name, const QStringList &entries);
// Selects the entry that reads text; with none, selects nothing and shows text greyed (a code
// with no entry, such as "E3?").
void showEntry(QComboBox *combo, const QString &text);
// A read-only multi-line box (raw data, help texts).
QPlainTextEdit *makeSourceBox(QWidget *parent, const QString &name);
QPlainTextEdit *makeHelpBox(QWidget *parent, const QString &name, const QString &text);
// Height of a text box that shows lines lines of Chinese text whole (the CJK fallback font
// makes lines taller than the box font's own line spacing).
int textBoxHeight(const QPlainTextEdit *box, int lines);

// Some byte of a fixed table's records was written.
bool touchesTable(const WrittenBytes &written, GameData::TableId id);
