#pragma once

#include "image/edithistory.h"

#include <algorithm>
#include <vector>

// The bytes one step, undo or redo of the history wrote.
struct WrittenBytes {
    EditHistory::Event event = EditHistory::Event::Step;
    std::vector<quint32> offsets; // sorted, each once

    WrittenBytes(EditHistory::Event e, const std::vector<EditHistory::Change> &changes) : event(e)
    {
        offsets.reserve(changes.size());
        for (const EditHistory::Change &c : changes)
            offsets.push_back(c.offset);
        std::sort(offsets.begin(), offsets.end());
        offsets.erase(std::unique(offsets.begin(), offsets.end()), offsets.end());
    }

    // Some byte of [from, to) was written.
    bool touches(qint64 from, qint64 to) const
    {
        const auto it = std::lower_bound(offsets.begin(), offsets.end(), from,
                                         [](quint32 o, qint64 v) { return qint64(o) < v; });
        return it != offsets.end() && qint64(*it) < to;
    }
    bool touches(qint64 offset) const { return touches(offset, offset + 1); }
};

// A view that keeps what it read from WorkImage. After every step, undo and redo it is told
// which bytes were written, by whichever editor, and updates what they touch; a new image as a
// whole (a file opened) is shown by the window's full refresh instead.
class ImageView {
public:
    virtual ~ImageView() = default;
    virtual void imageWritten(const WrittenBytes &written) = 0;
};
