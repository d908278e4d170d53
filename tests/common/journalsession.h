#pragma once

#include "image/byteimages.h"
#include "image/fileio.h"
#include "image/journal.h"

#include <QDir>
#include <QString>

// A session of edits as the editor makes them, the same in every process that plays it: each
// step writes one to four cartridge bytes; some steps are undone and redone instead, and after
// step saveAt the image is saved as saved.exe in folder and the journal starts afresh.
struct JournalSession {
    ByteImages images;
    Journal journal;
    QString folder;
    int saveAt;

    JournalSession(const QString &folder, int saveAt = -1) : journal(folder), folder(folder), saveAt(saveAt)
    {
        images.load(loadBuiltInImage());
        images.history.recorded = [this](EditHistory::Event e, const QString &label,
                                          const std::vector<EditHistory::Change> &changes) {
            journal.record(e, label, changes);
        };
        journal.start(JournalBase::of(JournalBase::Kind::BuiltIn, QString(), images.WorkImage));
    }
    ~JournalSession() { images.history.recorded = nullptr; }

    QString savedFile() const { return QDir(folder).filePath(QStringLiteral("saved.exe")); }

    // Plays step k (from 0).
    void play(int k)
    {
        EditHistory &h = images.history;
        if (k % 5 == 4 && h.canUndo()) {
            h.undo(images.WorkImage);
        } else if (k % 7 == 6 && h.canRedo()) {
            h.redo(images.WorkImage);
        } else {
            EditStep step(images, QStringLiteral("步骤 %1").arg(k));
            quint32 seed = quint32(k + 1) * 2654435761u;
            for (int i = 0, n = 1 + int(seed % 4); i < n; ++i) {
                seed = seed * 1664525u + 1013904223u;
                const qint64 offset = CartridgeStart + qint64(seed >> 8) % (CartridgeEnd - CartridgeStart);
                images.write(offset, byteAt(images.WorkImage, offset) ^ int(1 + (seed & 0x7F)));
            }
        }
        if (k == saveAt) {
            writeWholeFile(savedFile(), images.WorkImage);
            journal.start(JournalBase::of(JournalBase::Kind::File, savedFile(), images.WorkImage), &images.history);
        }
    }
    void play(int from, int to)
    {
        for (int k = from; k < to; ++k)
            play(k);
    }
};
