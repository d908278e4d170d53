#pragma once

#include <QString>

class Dialogs;
class EditorPaths;
class QWidget;
struct ByteImages;

// The first window of a run. With a file named, the start dialog opens it unseen and hands over
// to the main window, which is returned; with none, or when the file is refused (its message
// shown), the start dialog is shown and returned. So it is, without opening the file, when an
// editor that is gone left unsaved steps to recover. Both delete themselves when closed.
QWidget *openFirstWindow(const QString &file, ByteImages &images, Dialogs &dialogs, const EditorPaths &paths);

class frmVeskEdit;
// The main window over images, shown with its start-up sequence to come: fileText goes into its
// current-file box and status into its status bar.
frmVeskEdit *showMainWindow(ByteImages &images, Dialogs &dialogs, const EditorPaths &paths, const QString &fileText,
                            const QString &status);
