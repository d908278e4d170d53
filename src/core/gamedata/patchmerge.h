#pragma once

#include "gamedata/fieldchanges.h"
#include "image/byteimages.h"
#include "image/mymodule.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <optional>
#include <vector>

class Dialogs;

// A patch applied onto the work in hand. What a patch changes is what it changes in its own
// base: the built-in executable, or the built-in cartridge for a patch made for the bare
// cartridge file. Bytes it rewrites with the base's own value are no changes; a changed byte
// that the work holds with a third value is a conflict.
namespace PatchMerge {

constexpr qsizetype CartridgeLast = CartridgeSize - 1; // 0x6000F, as the cartridge counts

enum class Base { Executable, Cartridge };

// An image with its cartridge (cartridgeOf) put back in place.
QByteArray withCartridge(QByteArray image, const QByteArray &cartridge);

// Why a patch was refused.
enum class Fault { None, Damaged, OtherBase, BadList };

// A patch read against the built-in executable: the result of each reading its format allows,
// as a whole executable (a cartridge patch applied to the built-in cartridge, in place). Only an
// IPS can be read both ways; preferred is the reading to show first.
struct Reading {
    std::optional<QByteArray> executable;
    std::optional<QByteArray> cartridge;
    Base preferred = Base::Executable;
    Fault fault = Fault::None;

    bool ok() const { return fault == Fault::None; }
    bool both() const { return executable && cartridge; }
    const QByteArray &image(Base base) const { return base == Base::Cartridge ? *cartridge : *executable; }
    const QByteArray &image() const { return image(preferred); }
};

// Reads a change list, IPS or BPS patch (a cartridge file only through readPatchFile). A BPS whose source is cartridge-sized is a cartridge
// patch. An IPS is read both ways unless only is given; its preferred reading is the executable
// when a record reaches past the cartridge's last byte, else the reading with more changed bytes
// in described fields, the executable on a tie. With only, a BPS for the other base is refused.
Reading readPatch(const QByteArray &bytes, FileKind kind, const QByteArray &pristine,
                  std::optional<Base> only = std::nullopt);
// The same for a file; a refusal shows the message "打开" shows and gives none. A patch for another
// base names base by baseName (the built-in file when empty).
std::optional<Reading> readPatchFile(const QString &path, FileKind kind, const QByteArray &pristine, Dialogs &dialogs,
                                     std::optional<Base> only = std::nullopt, const QString &baseName = QString());

// The changed bytes of each reading that lie in described fields.
qint64 describedChanges(const QByteArray &pristine, const QByteArray &image);

// What a patch does to the work: every byte it changes, its value, and whether the work holds
// that byte with another changed value.
struct Merge {
    struct Byte {
        quint32 offset;
        quint8 value;
        bool conflict;
    };
    std::vector<Byte> bytes; // rising offsets; bytes the work already holds are left out
    int conflicts = 0;       // conflicting bytes
    bool changes = false;    // the patch changes anything at all
};
Merge mergeBytes(const QByteArray &pristine, const QByteArray &work, const QByteArray &patched);

// The patch's changes by field, conflicts first with both values ("等  级: 当前 12，补丁 9"),
// the others as the change list words them; conflictLines counts the first.
struct MergeLines {
    QVector<FieldChange> lines;
    int conflictLines = 0;
};
MergeLines describeMerge(const QByteArray &pristine, const QByteArray &work, const QByteArray &patched,
                         const Merge &merge);

// Writes the merge into WorkImage as one step "应用补丁 NAME（N 字节，M 处冲突）"; the bytes written.
int applyMerge(ByteImages &images, const Merge &merge, bool keepCurrent, const QString &name, int conflictLines);

// A patch of the cartridge alone, from the built-in cartridge to the work's, by kind (Ips or Bps);
// empty when the cartridges do not differ.
QByteArray encodeCartridgePatch(FileKind kind, const QByteArray &pristine, const QByteArray &work);

} // namespace PatchMerge
