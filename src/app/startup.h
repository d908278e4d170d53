#pragma once

#include <QString>

class Dialogs;
class EditorPaths;
class QCommandLineParser;
class QWidget;
struct ByteImages;

// The program's options: an optional FILE, --help, --version and --smoke-test.
void addProgramOptions(QCommandLineParser &parser);

// The first window of a run. With a file named, the start dialog opens it unseen and hands over
// to the main window, which is returned; with none, or when the file is refused (its message
// shown), the start dialog is shown and returned. Both delete themselves when closed.
QWidget *openFirstWindow(const QString &file, ByteImages &images, Dialogs &dialogs, const EditorPaths &paths);
