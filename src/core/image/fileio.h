#pragma once

#include <QByteArray>
#include <QString>

// The largest file the editor reads (a patch of the whole executable is far smaller).
constexpr qint64 MaxReadSize = 64 * 1024 * 1024;

// Reads a whole file; false if it cannot be opened or read, or is larger than MaxReadSize. why,
// when given, then says so with the path (see unreadableReason).
bool readWholeFile(const QString &path, QByteArray &data, QString *why = nullptr);

// Writes a whole file through a temporary file that replaces the target only when every
// byte is on disk, so a failed write leaves the old file as it was. why, when given, then
// holds the path and Qt's reason.
bool writeWholeFile(const QString &path, const QByteArray &data, QString *why = nullptr);

// Why a file cannot be opened for reading: "找不到文件 PATH", "PATH 是文件夹", "没有读取权限 PATH";
// empty when it can.
QString unreadableReason(const QString &path);
// "PATH 有 1,000 字节，应为 712,704 字节".
QString wrongSizeReason(const QString &path, qint64 size, qint64 expected);

// A refused file: "文件错误，请选择正确的文件！" and why on a second line.
QString wrongFileText(const QString &why);
// A failed save: "文件保存失败！" and why on a second line.
QString saveFailedText(const QString &why);
