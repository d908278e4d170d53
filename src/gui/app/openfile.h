#pragma once

#include <QString>

class Dialogs;
class QMimeData;
struct ByteImages;

// Loads a file of the editor's kinds into WorkImage, by its ending: ".txt" a change list and
// ".ips" or ".bps" a patch, each applied to the built-in executable, ".nes" a cartridge in place
// of the built-in one; any other ending an executable of exactly TargetSize bytes. A refused file, missing ones included, shows its
// message and leaves the images as they were. A new WorkImage starts a new history.
bool loadFile(ByteImages &images, const QString &path, Dialogs &dialogs);

// The status-bar text after a file was opened: its path and its kind.
QString openedMessage(const QString &path);

// The local file a drag carries, or an empty text when it carries none or more than one.
QString draggedFile(const QMimeData *mime);
