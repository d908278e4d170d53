#pragma once

#include <QString>
#include <QStringList>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QWidget;

// The controls of the table editors, made alike.
QListWidget *makeList(QWidget *parent, const QString &name);
QLabel *makeLabel(QWidget *parent, const QString &name, const QString &caption);
QLineEdit *makeField(QWidget *parent, const QString &name);
QComboBox *makeSelector(QWidget *parent, const QString &name, const QStringList &entries);
// A read-only multi-line box (raw data, help texts).
QPlainTextEdit *makeSourceBox(QWidget *parent, const QString &name);
QPlainTextEdit *makeHelpBox(QWidget *parent, const QString &name, const QString &text);
