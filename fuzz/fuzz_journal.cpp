// Any bytes as a recovery journal: either refused with a reason, or read up to its last whole
// record and replayed onto the built-in image; the replayed history then undoes and redoes to
// the end without leaving the image.
#include "image/builtindata.h"
#include "image/journal.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QByteArray pristine = loadBuiltInImage();
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QString reason;
    const std::optional<JournalContents> contents = readJournal(bytes, &reason);
    if (!contents) {
        if (reason.isEmpty())
            __builtin_trap();
        return 0;
    }
    if (contents->wholeSize > bytes.size() || contents->historyDone > int(contents->history.size()))
        __builtin_trap();
    ByteImages images;
    images.load(pristine);
    if (!replayJournal(*contents, images, &reason) && reason.isEmpty())
        __builtin_trap();
    while (images.history.canUndo())
        images.history.undo(images.WorkImage);
    while (images.history.canRedo())
        images.history.redo(images.WorkImage);
    if (images.WorkImage.size() != pristine.size())
        __builtin_trap();
    return 0;
}
