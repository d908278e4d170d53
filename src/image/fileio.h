#pragma once

#include <QByteArray>
#include <QString>

// Reads a whole file; false if it cannot be opened or read.
bool readWholeFile(const QString &path, QByteArray &data);

// Writes a whole file through a temporary file that replaces the target only when every
// byte is on disk, so a failed write leaves the old file as it was.
bool writeWholeFile(const QString &path, const QByteArray &data);
