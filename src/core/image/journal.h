#pragma once

#include "image/byteimages.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <deque>
#include <memory>
#include <optional>
#include <vector>

class QFile;
class QLockFile;

// The recovery journal: the image an editing session started from, then every step, undo and
// redo of its history, appended as they happen so that a crash loses none of them.
//
// A file of records after an eight-byte mark: type (one byte), payload length (four bytes),
// payload, and a CRC-32 of all three. Reading stops at the first record that is cut short or
// fails its checksum; what came before it stands. Whole records after such a one mean damage
// rather than a crash in the middle of writing, and are counted as lost.

// The image the session started from: the built-in executable, or a file opened or saved.
struct JournalBase {
    enum class Kind : quint8 { BuiltIn, LastFile, File };
    Kind kind = Kind::BuiltIn;
    QString path;        // empty for the built-in executable
    QByteArray fileSha;  // SHA-256 of the file as it was opened or saved
    QByteArray imageSha; // SHA-256 of the image it gave

    // The base of image, opened from path (none for the built-in executable).
    static JournalBase of(Kind kind, const QString &path, const QByteArray &image);
};

struct JournalEntry {
    EditHistory::Event event = EditHistory::Event::Step; // Step, Undo or Redo
    qint64 time = 0;                                     // milliseconds since the epoch
    QString label;                                       // of a step
    std::vector<EditHistory::Change> changes;            // of a step
    // Bytes the base file leaves out (a change list holds the cartridge only), put back onto
    // its image without a step of the history; only ever the first entry.
    bool outside = false;
};

struct JournalContents {
    JournalBase base;
    // The history as it stood when the journal started (after a save), the first done of its
    // steps in the base image.
    std::deque<EditHistory::Step> history;
    int historyDone = 0;
    std::vector<JournalEntry> entries;
    qint64 wholeSize = 0; // bytes up to the end of the last whole record
    // A damaged record with whole steps after it: its number among the steps and how many
    // whole ones follow it, lost with it (both 0 when the journal ends whole or cut short).
    int damagedStep = 0;
    int lostSteps = 0;

    QDateTime lastTime() const;
};

// The contents of a journal file, or nothing with the reason (not a journal, another version,
// a damaged base) in reason.
std::optional<JournalContents> readJournal(const QByteArray &bytes, QString *reason = nullptr);

// Replays the entries onto images, which hold the base image with an empty history: the steps
// become its history again. False with the reason when an entry does not fit the image (the
// images then hold part of the replay).
bool replayJournal(const JournalContents &contents, ByteImages &images, QString *reason = nullptr);

// The bytes in which to differs from from, as the changes of one step.
std::vector<EditHistory::Change> changesBetween(const QByteArray &from, const QByteArray &to);

// A journal whose editor is no longer running, locked by this one while it is offered.
struct JournalOffer {
    QString path;
    std::shared_ptr<QLockFile> lock;
    JournalContents contents;

    // Removes the journal and its lock.
    void discard();
};

// "第 2 步已损坏，其后 3 步无法恢复", or nothing when no step was lost to damage.
QString damageText(const JournalContents &contents);

// The journals in folder that no running editor holds, newest first. Journals without a step
// are removed; unreadable ones are moved aside, and a message for each goes to damaged. A
// journal damaged in the middle offers the steps before the damage: the file as it was is
// copied aside first, with a message (moved aside when no step comes before the damage).
std::vector<JournalOffer> findOrphanJournals(const QString &folder, QStringList *damaged = nullptr);

// Moves a journal that cannot be trusted aside (".damaged" added to its name, or removed where
// it cannot be renamed); the message that says so, with the reason.
QString moveJournalAside(const QString &path, const QString &reason);

// The journal one editor writes. The file is created at the first step after start(), with a
// lock that names this process; it is written at once and synced to disk at least once a second.
class Journal {
public:
    explicit Journal(const QString &folder);
    // The file stays for the next start to recover; only its lock goes.
    ~Journal();
    Journal(const Journal &) = delete;
    Journal &operator=(const Journal &) = delete;

    // The steps from now on start from base; what was written before is dropped. A history
    // that leads to base (a save) is written first, so that its steps can still be undone.
    // Bytes the image in hand holds beyond base's image (outside, from its bytes to the image's)
    // are written at once, as the first entry.
    void start(const JournalBase &base, const EditHistory *history = nullptr,
               const std::vector<EditHistory::Change> &outside = {});
    // The image is as last opened or saved again: nothing to recover until the next step, which
    // starts a fresh file from the same base with history as it stands.
    void restart(const EditHistory &history);
    // Writes down one event of the history (EditHistory::recorded). A clear ends the journal
    // until the next start().
    void record(EditHistory::Event event, const QString &label, const std::vector<EditHistory::Change> &changes);
    // Removes the file and its lock: the session ended in a way the user chose.
    void discard();
    // Goes on writing an orphan journal whose steps were replayed.
    void adopt(JournalOffer offer);
    // Syncs what was written to disk.
    void sync();

    // The file, once there is one.
    QString path() const { return m_path; }
    // Set when the file could not be written; the journal then stays silent.
    QString failure() const { return m_failure; }

private:
    bool open();
    void append(const QByteArray &record);
    void closeFile();
    void fail(const QString &reason);

    QString m_folder;
    QString m_path;
    std::shared_ptr<QLockFile> m_lock;
    std::unique_ptr<QFile> m_file;
    std::optional<JournalBase> m_base;
    QByteArray m_head; // the mark, the base and the history, written when the file is made
    QString m_failure;
    qint64 m_lastSync = 0;
    bool m_unsynced = false;
    QTimer m_syncTimer;
};
