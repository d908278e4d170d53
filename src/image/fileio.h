#pragma once

#include <QByteArray>
#include <QString>

// The largest file the editor reads (a patch of the whole executable is far smaller).
constexpr qint64 MaxReadSize = 64 * 1024 * 1024;

// Reads a whole file; false if it cannot be opened or read, or is larger than MaxReadSize.
bool readWholeFile(const QString &path, QByteArray &data);

// Writes a whole file through a temporary file that replaces the target only when every
// byte is on disk, so a failed write leaves the old file as it was.
bool writeWholeFile(const QString &path, const QByteArray &data);
