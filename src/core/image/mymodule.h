#pragma once

#include "image/byteimages.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

class Dialogs;

// True if a file (or, with isFolder, a file or folder) of that name existed when called.
// With deleteFile (and not isFolder) an existing file is deleted; with isFolder and
// createFolder a missing folder is created. Failures are silent.
bool CheckPath(const QString &path, bool isFolder, bool createFolder, bool deleteFile);

// Bounds of a possibly empty array: -1 for an empty one.
template <typename Container>
int SafeUBound(const Container &c)
{
    return c.isEmpty() ? -1 : int(c.size()) - 1;
}
template <typename Container>
int SafeLBound(const Container &c)
{
    return c.isEmpty() ? -1 : 0;
}

// Pads text with padChar to width characters, on the left or right; never truncates.
QString PadText(const QString &text, const QString &padChar, int width, bool padLeft);

// String-table entry 10000 + id; empty for an id the table does not hold.
QString GetResString(int id);

// A non-empty string of decimal (hexadecimal) digits whose value is at most 255.
bool IsDecByte(const QString &text);
bool IsHexByte(const QString &text);

// Replaces every occurrence of find by replacement, again and again while the text keeps
// getting shorter (so runs collapse). With trim, leading and trailing spaces go first.
QString ReplaceAll(const QString &text, const QString &find, const QString &replacement, bool trim);

// The text without leading and trailing spaces (other blanks stay).
QString TrimSpaces(const QString &text);

// Two upper-case hexadecimal digits of a byte value.
QString hexByte(int value);
// Eight upper-case hexadecimal digits of a file offset: "0006E2D3".
QString hexAddress(qint64 offset);
// A number of at least two decimal digits: "07", "12", "123".
QString twoDigits(int n);

// The change list: every CartridgeRange byte where WorkImage differs from PristineImage.
// BuildChangeList shows "nothing to save" itself and returns false when there is no change.
bool BuildChangeList(const ByteImages &images, QByteArray &out, const QString &fileName, Dialogs &dialogs);
// The bytes outside CartridgeRange where work differs from pristine, which a change list leaves
// out, and the sentence that says how many: "有 N 个字节在卡带范围以外，修改清单不记录它们。"
qsizetype bytesOutsideCartridge(const QByteArray &work, const QByteArray &pristine);
QString outsideCartridgeText(qsizetype count);
// Applies a change list file to a fresh built-in image and makes it WorkImage; on any
// fault shows the error and leaves WorkImage as it was.
bool ReadChangeList(ByteImages &images, const QString &path, Dialogs &dialogs);

// The kinds of file the editor opens and saves, for the file dialogs.
inline const QString FileDialogFilter =
    QStringLiteral("可执行文件(*.exe)|*.exe|文本文件(*.txt)|*.txt|IPS补丁(*.ips)|*.ips|BPS补丁(*.bps)|*.bps|"
                   "卡带文件(*.nes)|*.nes");

// An executable (or LastFile.dat) of exactly TargetSize bytes. Another size, or a file that cannot
// be read, shows "文件错误，请选择正确的文件！" with the path and the cause, and gives none.
std::optional<QByteArray> readExecutable(const QString &path, Dialogs &dialogs);

// What a file is, by its ending in any letter case: ".exe", ".txt", ".ips", ".bps", ".nes".
enum class FileKind { Executable, ChangeList, Ips, Bps, Cartridge, Other };
FileKind fileKind(const QString &path);

// An IPS or BPS patch from the built-in executable to the whole WorkImage; shows "nothing to
// save" itself and returns false when they do not differ.
bool BuildPatch(const ByteImages &images, FileKind kind, QByteArray &out, Dialogs &dialogs);
// Applies an IPS or BPS patch file to a fresh built-in image and makes the result WorkImage; a
// malformed patch, a wrong checksum or a result of another size shows the error and changes
// nothing; a BPS patch made for another base file gets a message of its own. A cartridge file
// (Cartridge) takes the place of the image's cartridge.
bool ReadPatch(ByteImages &images, const QString &path, FileKind kind, Dialogs &dialogs);
// The same for a change list (ChangeList), IPS or BPS patch or cartridge file applied to base: the
// result, or none after the message, which names base by baseName (the built-in file when empty).
std::optional<QByteArray> applyPatchFile(const QString &path, FileKind kind, const QByteArray &base, Dialogs &dialogs,
                                         const QString &baseName = QString());

// The cartridge of an image: its CartridgeRange bytes, which make a complete .nes file.
QByteArray cartridgeOf(const QByteArray &image);
// Whether a cartridge begins as console emulators expect: "NES" and 0x1A.
bool hasNesHeader(const QByteArray &cartridge);

// The pure halves of the two change-list routines above.
// Empty result when the images do not differ inside CartridgeRange.
QByteArray encodeChangeList(const QByteArray &work, const QByteArray &pristine, const QString &fileName,
                            const QDateTime &when);
// Applies the change list text (raw file bytes) to base; false on any fault, base then
// holds partial changes and must be thrown away.
bool applyChangeList(const QByteArray &fileBytes, QByteArray &base);
