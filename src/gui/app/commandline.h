#pragma once

#include <QString>
#include <QStringList>

class QCommandLineParser;
class QTextStream;

// The program's command line. Without a command it opens the window (on FILE when given); with
// one it runs without a display, prints its output on standard output and its messages (the
// window's texts) on standard error, and ends with 0 (done), 1 (input refused) or 2 (wrong
// usage):
//   veskedit apply PATCH -o OUT.exe [--base EXE] [--cartridge]
//   veskedit make-patch EXE -o OUT.txt|OUT.ips|OUT.bps|OUT.nes [--cartridge]
//   veskedit merge BASE PATCH... -o OUT.exe [--prefer patch|current]
//   veskedit changes FILE [FILE2]
//   veskedit export EXE DIR
//   veskedit import EXE FILE... -o OUT.exe
// --reference EXE and --strings FILE replace the built-in executable and string table in every
// mode, the window's included; --tables FILE (repeatable) adds the tables a description file
// describes to those of the editor's Data/Tables folder.

// Every option and argument of every mode.
void addProgramOptions(QCommandLineParser &parser);

// The commands, one a line, as --help lists them.
QString commandList();
// Whether a window can open: on Linux and the like a display or a platform must be named
// (DISPLAY, WAYLAND_DISPLAY, QT_QPA_PLATFORM or Qt's -platform among arguments).
bool displayAvailable(const QStringList &arguments);
// Why no window opens without one, and the commands that need none.
QString noDisplayText();

// The command that argv (program name first) names, or an empty text for the window.
QString commandOf(const QStringList &arguments);

// Whether -o names a file the command reads (--base, --reference and --strings included), by
// any path: then it says so on err, and the command line is wrong usage.
bool outputOverwritesInput(const QCommandLineParser &parser, QTextStream &err);

// Checks --reference, --strings and --tables and takes them into use; false after saying why on
// err.
bool useDataOptions(const QCommandLineParser &parser, QTextStream &err);

// Runs the command of a parsed command line (its data options already in use).
int runCommand(const QCommandLineParser &parser, QTextStream &out, QTextStream &err);

// Parses arguments and runs the command they name, data options included: what main() does for
// a command, callable from tests.
int runCommandLine(const QStringList &arguments, QTextStream &out, QTextStream &err);
