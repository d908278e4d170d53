#pragma once

#include "image/journal.h"

#include <QByteArray>
#include <QString>

#include <optional>

class Dialogs;

// An image brought back from a journal: the steps replayed onto its base.
struct Recovered {
    QByteArray base;  // the image the steps started from
    QString fileText; // how the window names the file: a path, "自带Rom文件" or "上次保存的内容"
    int steps = 0;
};

// The offer's line in the start dialog: how many steps, the last one when, and from what.
QString recoveryText(const JournalOffer &offer);

// Loads the base the journal names into images and replays its steps. A base file that is
// gone or changed is named in a message and nothing is loaded; a journal whose steps do not fit
// is moved aside with a message, and images hold what they held before (without its history).
std::optional<Recovered> recoverJournal(const JournalOffer &offer, ByteImages &images, Dialogs &dialogs);
