#pragma once

#include <QByteArray>
#include <QString>

// Byte lists: each byte as two upper-case hexadecimal digits and a space ("41 00 ").
QString renderBytes(const QByteArray &bytes);
// Reads a byte list back (trimmed, runs of spaces collapsed). On a part that is no byte, sets
// *error and leaves that part and the rest zero.
QByteArray parseBytes(const QString &text, bool *error);

// UTF-16 (little-endian) bytes of a text, and back; an odd last byte is dropped.
QByteArray utf16Bytes(const QString &text);
QString textFromUtf16(const QByteArray &bytes);
