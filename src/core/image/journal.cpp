#include "image/journal.h"

#include "image/fileio.h"
#include "image/patches.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QtEndian>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

const QByteArray Mark("VESKJNL\x01", 8); // the last byte is the version
constexpr char BaseRecord = 'B';
constexpr char StepRecord = 'S';
constexpr char UndoRecord = 'U';
constexpr char RedoRecord = 'R';
constexpr char HistoryRecord = 'H';
constexpr char OutsideRecord = 'O';
constexpr int RecordHead = 5;   // type and payload length
constexpr int RecordTail = 4;   // CRC-32
constexpr quint32 MaxPayload = 256u << 20;
constexpr qint64 MaxJournalSize = qint64(1) << 30;
constexpr int ShaSize = 32;
constexpr int SyncInterval = 1000; // ms

QByteArray sha256(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

qint64 now()
{
    return QDateTime::currentMSecsSinceEpoch();
}

// Little-endian writing and reading of a record's fields.
class Writer {
public:
    void u8(quint8 v) { bytes.append(char(v)); }
    void u32(quint32 v)
    {
        char b[4];
        qToLittleEndian(v, b);
        bytes.append(b, 4);
    }
    void i64(qint64 v)
    {
        char b[8];
        qToLittleEndian(v, b);
        bytes.append(b, 8);
    }
    void text(const QString &s)
    {
        const QByteArray utf8 = s.toUtf8();
        u32(quint32(utf8.size()));
        bytes.append(utf8);
    }
    QByteArray bytes;
};

class Reader {
public:
    explicit Reader(QByteArrayView bytes) : m_bytes(bytes) {}
    bool ok() const { return m_ok; }
    bool atEnd() const { return m_at == m_bytes.size(); }
    quint8 u8() { return take(1) ? quint8(m_bytes[m_at - 1]) : 0; }
    quint32 u32() { return take(4) ? qFromLittleEndian<quint32>(m_bytes.data() + m_at - 4) : 0; }
    qint64 i64() { return take(8) ? qFromLittleEndian<qint64>(m_bytes.data() + m_at - 8) : 0; }
    QByteArray raw(qsizetype n) { return take(n) ? m_bytes.sliced(m_at - n, n).toByteArray() : QByteArray(); }
    QString text()
    {
        const quint32 n = u32();
        return take(n) ? QString::fromUtf8(m_bytes.sliced(m_at - qsizetype(n), qsizetype(n))) : QString();
    }

private:
    bool take(qint64 n)
    {
        if (!m_ok || n < 0 || n > m_bytes.size() - m_at) {
            m_ok = false;
            return false;
        }
        m_at += n;
        return true;
    }
    QByteArrayView m_bytes;
    qsizetype m_at = 0;
    bool m_ok = true;
};

QByteArray record(char type, const QByteArray &payload)
{
    Writer w;
    w.u8(quint8(type));
    w.u32(quint32(payload.size()));
    w.bytes.append(payload);
    w.u32(Patches::crc32(w.bytes));
    return w.bytes;
}

QByteArray baseRecord(const JournalBase &base)
{
    Writer w;
    w.u8(quint8(base.kind));
    w.u32(quint32(TargetSize));
    w.bytes.append(base.fileSha.leftJustified(ShaSize, '\0', true));
    w.bytes.append(base.imageSha.leftJustified(ShaSize, '\0', true));
    w.i64(now());
    w.text(base.path);
    return record(BaseRecord, w.bytes);
}

void writeChanges(Writer &w, const std::vector<EditHistory::Change> &changes)
{
    w.u32(quint32(changes.size()));
    w.bytes.reserve(w.bytes.size() + qsizetype(changes.size()) * 6);
    for (const EditHistory::Change &c : changes) {
        w.u32(c.offset);
        w.u8(c.before);
        w.u8(c.after);
    }
}

bool readChanges(Reader &r, qsizetype payloadSize, std::vector<EditHistory::Change> &changes)
{
    const quint32 count = r.u32();
    if (!r.ok() || count > quint32(payloadSize) / 6)
        return false;
    changes.resize(count);
    for (EditHistory::Change &c : changes) {
        c.offset = r.u32();
        c.before = r.u8();
        c.after = r.u8();
        if (c.offset >= quint32(TargetSize))
            return false;
    }
    return r.ok();
}

QByteArray historyRecord(const EditHistory &history)
{
    Writer w;
    w.u32(quint32(history.doneSteps()));
    w.u32(quint32(history.stepList().size()));
    for (const EditHistory::Step &s : history.stepList()) {
        w.text(s.label);
        writeChanges(w, s.changes);
    }
    return record(HistoryRecord, w.bytes);
}

bool readHistory(QByteArrayView payload, JournalContents &contents)
{
    Reader r(payload);
    const quint32 done = r.u32();
    const quint32 count = r.u32();
    if (!r.ok() || count > quint32(payload.size()) / 8 || done > count)
        return false;
    contents.historyDone = int(done);
    contents.history.resize(count);
    for (EditHistory::Step &s : contents.history) {
        s.label = r.text();
        if (!readChanges(r, payload.size(), s.changes))
            return false;
    }
    return r.ok() && r.atEnd();
}

QByteArray entryRecord(EditHistory::Event event, const QString &label, const std::vector<EditHistory::Change> &changes,
                       char type = StepRecord)
{
    Writer w;
    w.i64(now());
    if (event != EditHistory::Event::Step)
        return record(event == EditHistory::Event::Undo ? UndoRecord : RedoRecord, w.bytes);
    w.text(label);
    writeChanges(w, changes);
    return record(type, w.bytes);
}

std::optional<JournalBase> readBase(QByteArrayView payload, QString *reason)
{
    Reader r(payload);
    JournalBase base;
    const quint8 kind = r.u8();
    const quint32 size = r.u32();
    base.fileSha = r.raw(ShaSize);
    base.imageSha = r.raw(ShaSize);
    r.i64();
    base.path = r.text();
    if (!r.ok() || !r.atEnd() || kind > quint8(JournalBase::Kind::File)) {
        *reason = QStringLiteral("起始记录损坏");
        return std::nullopt;
    }
    if (size != quint32(TargetSize)) {
        *reason = QStringLiteral("所记的文件大小不对");
        return std::nullopt;
    }
    base.kind = JournalBase::Kind(kind);
    return base;
}

std::optional<JournalEntry> readEntry(char type, QByteArrayView payload)
{
    Reader r(payload);
    JournalEntry e;
    e.time = r.i64();
    if (type == UndoRecord || type == RedoRecord) {
        e.event = type == UndoRecord ? EditHistory::Event::Undo : EditHistory::Event::Redo;
    } else if (type == StepRecord || type == OutsideRecord) {
        e.outside = type == OutsideRecord;
        e.label = r.text();
        if (!readChanges(r, payload.size(), e.changes))
            return std::nullopt;
    } else {
        return std::nullopt;
    }
    if (!r.ok() || !r.atEnd())
        return std::nullopt;
    return e;
}

// The size of the whole record at at, or 0 where none is (cut short or failing its checksum).
qsizetype wholeRecordAt(const QByteArray &bytes, qsizetype at)
{
    if (bytes.size() - at < RecordHead + RecordTail)
        return 0;
    const quint32 length = qFromLittleEndian<quint32>(bytes.constData() + at + 1);
    if (length > MaxPayload || qint64(length) > bytes.size() - at - RecordHead - RecordTail)
        return 0;
    const quint32 crc = qFromLittleEndian<quint32>(bytes.constData() + at + RecordHead + length);
    if (crc != Patches::crc32(bytes.mid(at, RecordHead + qsizetype(length))))
        return 0;
    return RecordHead + qsizetype(length) + RecordTail;
}

// Whether the record at at has the type and length of a step, undo or redo: cheap, so that a
// scan past damage checksums few places.
bool looksLikeEntry(const QByteArray &bytes, qsizetype at)
{
    const char type = bytes[at];
    const qsizetype left = bytes.size() - at - RecordHead - RecordTail;
    if (left < 8)
        return false;
    const quint32 length = qFromLittleEndian<quint32>(bytes.constData() + at + 1);
    if (type == UndoRecord || type == RedoRecord)
        return length == 8;
    if (type != StepRecord || length > quint32(left) || length < 16)
        return false;
    const char *payload = bytes.constData() + at + RecordHead;
    const quint32 label = qFromLittleEndian<quint32>(payload + 8);
    if (label > length - 16)
        return false;
    const quint32 count = qFromLittleEndian<quint32>(payload + 12 + label);
    return count <= (length - 16 - label) / 6 && 16 + label + 6 * count == length;
}

// The whole step, undo and redo records from at on, each found again past any damage.
int wholeStepsFrom(const QByteArray &bytes, qsizetype at)
{
    int found = 0;
    qint64 budget = 4 * bytes.size() + (1 << 20); // bytes checksummed in vain before giving up
    while (at < bytes.size() && budget > 0) {
        const bool candidate = looksLikeEntry(bytes, at);
        const qsizetype size = candidate ? wholeRecordAt(bytes, at) : 0;
        if (size && readEntry(bytes[at], QByteArrayView(bytes).sliced(at + RecordHead, size - RecordHead - RecordTail))) {
            ++found;
            at += size;
        } else {
            if (candidate)
                budget -= RecordHead + qFromLittleEndian<quint32>(bytes.constData() + at + 1);
            ++at;
        }
    }
    return found;
}

QString asidePath(const QString &path)
{
    QString aside = path + QStringLiteral(".damaged");
    for (int i = 2; QFile::exists(aside); ++i)
        aside = path + QStringLiteral(".damaged%1").arg(i);
    return aside;
}

} // namespace

JournalBase JournalBase::of(Kind kind, const QString &path, const QByteArray &image)
{
    JournalBase base;
    base.kind = kind;
    base.imageSha = sha256(image);
    if (kind == Kind::BuiltIn) {
        base.fileSha = base.imageSha;
    } else {
        base.path = QFileInfo(path).absoluteFilePath();
        QByteArray file;
        if (readWholeFile(path, file))
            base.fileSha = sha256(file);
    }
    return base;
}

QDateTime JournalContents::lastTime() const
{
    return entries.empty() ? QDateTime() : QDateTime::fromMSecsSinceEpoch(entries.back().time);
}

std::optional<JournalContents> readJournal(const QByteArray &bytes, QString *reason)
{
    QString ignored;
    QString &why = reason ? *reason : ignored;
    if (!bytes.startsWith(Mark.left(Mark.size() - 1))) {
        why = QStringLiteral("不是恢复文件");
        return std::nullopt;
    }
    if (bytes.size() < Mark.size() || bytes[Mark.size() - 1] != Mark.back()) {
        why = QStringLiteral("来自其它版本");
        return std::nullopt;
    }
    JournalContents contents;
    bool haveBase = false;
    qsizetype at = Mark.size();
    while (at < bytes.size()) {
        const qsizetype size = wholeRecordAt(bytes, at);
        if (!size) {
            // Cut short or torn by a crash while it was written, unless whole steps follow.
            if (haveBase && (contents.lostSteps = wholeStepsFrom(bytes, at + 1)) > 0)
                contents.damagedStep = int(contents.entries.size()) + 1;
            break;
        }
        const char type = bytes[at];
        const QByteArrayView payload(bytes.constData() + at + RecordHead, size - RecordHead - RecordTail);
        if (!haveBase) {
            if (type != BaseRecord) {
                why = QStringLiteral("缺少起始记录");
                return std::nullopt;
            }
            const std::optional<JournalBase> base = readBase(payload, &why);
            if (!base)
                return std::nullopt;
            contents.base = *base;
            haveBase = true;
        } else if (type == HistoryRecord && contents.entries.empty() && contents.history.empty()) {
            if (!readHistory(payload, contents)) {
                why = QStringLiteral("保存前的历史记录损坏");
                return std::nullopt;
            }
        } else {
            std::optional<JournalEntry> entry = readEntry(type, payload);
            if (!entry || (entry->outside && !contents.entries.empty())) {
                why = QStringLiteral("第 %1 步的记录损坏").arg(contents.entries.size() + 1);
                return std::nullopt;
            }
            contents.entries.push_back(std::move(*entry));
        }
        at += size;
        contents.wholeSize = at;
    }
    if (!haveBase) {
        why = QStringLiteral("缺少起始记录");
        return std::nullopt;
    }
    return contents;
}

bool replayJournal(const JournalContents &contents, ByteImages &images, QString *reason)
{
    int n = 0;
    const auto misfit = [&] {
        if (reason)
            *reason = QStringLiteral("第 %1 步与文件内容不符").arg(n);
        return false;
    };
    auto entry = contents.entries.begin();
    if (entry != contents.entries.end() && entry->outside) {
        // Bytes the base file leaves out are part of the image the history starts from.
        ++n;
        QByteArray image = images.WorkImage;
        for (const EditHistory::Change &c : entry->changes) {
            if (c.offset >= quint32(image.size()) || byteAt(image, c.offset) != c.before)
                return misfit();
            image[c.offset] = char(c.after);
        }
        if (entry->changes.empty())
            return misfit();
        images.load(image);
        ++entry;
    }
    if (!contents.history.empty())
        images.history.restore(contents.history, contents.historyDone);
    for (; entry != contents.entries.end(); ++entry) {
        const JournalEntry &e = *entry;
        ++n;
        bool fits = false;
        switch (e.event) {
        case EditHistory::Event::Step:
            fits = !e.outside && !e.changes.empty() && images.history.replay(images.WorkImage, e.label, e.changes);
            break;
        case EditHistory::Event::Undo:
            fits = images.history.canUndo();
            images.history.undo(images.WorkImage);
            break;
        case EditHistory::Event::Redo:
            fits = images.history.canRedo();
            images.history.redo(images.WorkImage);
            break;
        case EditHistory::Event::Clear:
            break;
        }
        if (!fits)
            return misfit();
    }
    return true;
}

std::vector<EditHistory::Change> changesBetween(const QByteArray &from, const QByteArray &to)
{
    std::vector<EditHistory::Change> changes;
    for (qsizetype i = 0, n = std::min(from.size(), to.size()); i < n; ++i)
        if (from[i] != to[i])
            changes.push_back({quint32(i), quint8(from[i]), quint8(to[i])});
    return changes;
}

void JournalOffer::discard()
{
    QFile::remove(path);
    if (lock)
        lock->unlock();
}

QString damageText(const JournalContents &contents)
{
    if (contents.lostSteps == 0)
        return QString();
    return QStringLiteral("第 %1 步已损坏，其后 %2 步无法恢复").arg(contents.damagedStep).arg(contents.lostSteps);
}

QString moveJournalAside(const QString &path, const QString &reason)
{
    const QString aside = asidePath(path);
    const bool moved = QFile::rename(path, aside);
    if (!moved)
        QFile::remove(path); // never trusted again, even where it cannot be kept
    return QStringLiteral("恢复文件 %1 无法使用（%2），%3")
        .arg(QDir::toNativeSeparators(path), reason,
             moved ? QStringLiteral("已移到 %1。").arg(QDir::toNativeSeparators(aside)) : QStringLiteral("已删除。"));
}

std::vector<JournalOffer> findOrphanJournals(const QString &folder, QStringList *damaged)
{
    std::vector<JournalOffer> offers;
    const QFileInfoList files = QDir(folder).entryInfoList({QStringLiteral("*.journal")}, QDir::Files, QDir::Name);
    for (const QFileInfo &info : files) {
        auto lock = std::make_shared<QLockFile>(info.absoluteFilePath() + QStringLiteral(".lock"));
        lock->setStaleLockTime(0); // held as long as its editor runs
        if (!lock->tryLock(0))
            continue; // a running editor's
        QByteArray bytes;
        QString reason;
        std::optional<JournalContents> contents;
        if (info.size() > MaxJournalSize)
            reason = QStringLiteral("文件过大");
        else if (!readWholeFile(info.absoluteFilePath(), bytes))
            reason = QStringLiteral("无法读取");
        else
            contents = readJournal(bytes, &reason);
        if (!contents) {
            const QString message = moveJournalAside(info.absoluteFilePath(), reason);
            if (damaged)
                damaged->append(message);
            lock->unlock();
            continue;
        }
        JournalOffer offer{info.absoluteFilePath(), lock, std::move(*contents)};
        if (const QString damage = damageText(offer.contents); !damage.isEmpty()) {
            if (offer.contents.entries.empty()) {
                if (damaged)
                    damaged->append(moveJournalAside(offer.path, damage));
                lock->unlock();
                continue;
            }
            // The damaged file is kept aside; the journal goes on as the steps before the damage,
            // so the next start reads it whole.
            const QString aside = asidePath(offer.path);
            const bool kept = QFile::copy(offer.path, aside);
            if (kept)
                QFile::resize(offer.path, offer.contents.wholeSize);
            if (damaged)
                damaged->append(QStringLiteral("恢复文件 %1 中%2。前 %3 步仍可恢复%4")
                                    .arg(QDir::toNativeSeparators(offer.path), damage)
                                    .arg(offer.contents.entries.size())
                                    .arg(kept ? QStringLiteral("，原文件已复制到 %1。").arg(QDir::toNativeSeparators(aside))
                                              : QStringLiteral("。")));
            offer.contents.lostSteps = offer.contents.damagedStep = 0;
        }
        if (offer.contents.entries.empty()) {
            offer.discard();
            continue;
        }
        offers.push_back(std::move(offer));
    }
    std::stable_sort(offers.begin(), offers.end(), [](const JournalOffer &a, const JournalOffer &b) {
        return a.contents.entries.back().time > b.contents.entries.back().time;
    });
    return offers;
}

Journal::Journal(const QString &folder) : m_folder(folder)
{
    m_syncTimer.setSingleShot(true);
    QObject::connect(&m_syncTimer, &QTimer::timeout, [this] { sync(); });
}

Journal::~Journal()
{
    sync();
}

void Journal::start(const JournalBase &base, const EditHistory *history, const std::vector<EditHistory::Change> &outside)
{
    closeFile();
    if (!m_path.isEmpty())
        QFile::remove(m_path);
    m_base = base;
    m_head = Mark + baseRecord(base);
    if (history && history->steps() > 0)
        m_head += historyRecord(*history);
    m_failure.clear();
    if (!outside.empty()) {
        // Nothing else holds these bytes: on disk before the next step.
        m_head += entryRecord(EditHistory::Event::Step, QStringLiteral("修改清单以外的字节"), outside, OutsideRecord);
        open();
    }
}

void Journal::restart(const EditHistory &history)
{
    if (m_base && m_file)
        start(JournalBase(*m_base), &history);
}

void Journal::record(EditHistory::Event event, const QString &label, const std::vector<EditHistory::Change> &changes)
{
    if (event == EditHistory::Event::Clear) {
        closeFile();
        if (!m_path.isEmpty())
            QFile::remove(m_path);
        m_base.reset();
        return;
    }
    if (m_base && m_failure.isEmpty() && open())
        append(entryRecord(event, label, changes));
}

void Journal::discard()
{
    closeFile();
    if (!m_path.isEmpty())
        QFile::remove(m_path);
    if (m_lock)
        m_lock->unlock();
    m_lock.reset();
    m_path.clear();
    m_base.reset();
}

void Journal::adopt(JournalOffer offer)
{
    discard();
    m_path = offer.path;
    m_lock = offer.lock;
    m_base = offer.contents.base;
    m_head.clear();
    m_failure.clear();
    m_file = std::make_unique<QFile>(m_path);
    // A record cut short at the end goes: the next one follows the last whole one.
    if (!m_file->open(QIODevice::ReadWrite) || !m_file->resize(offer.contents.wholeSize) || !m_file->seek(offer.contents.wholeSize))
        fail(m_file->errorString());
}

bool Journal::open()
{
    if (m_file)
        return true;
    if (!m_lock) {
        // Named by time and process; a second journal of the same moment takes a number.
        QDir().mkpath(m_folder);
        const QString stem = QDir(m_folder).filePath(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"))
                                                     + QStringLiteral("-%1").arg(QCoreApplication::applicationPid()));
        for (int n = 0; !m_lock && n < 100; ++n) {
            const QString path = stem + (n ? QStringLiteral("-%1").arg(n) : QString()) + QStringLiteral(".journal");
            auto lock = std::make_shared<QLockFile>(path + QStringLiteral(".lock"));
            lock->setStaleLockTime(0);
            if (!QFile::exists(path) && lock->tryLock(0)) {
                m_lock = lock;
                m_path = path;
            }
        }
        if (!m_lock) {
            fail(QDir::toNativeSeparators(m_folder));
            return false;
        }
    }
    m_file = std::make_unique<QFile>(m_path);
    if (!m_file->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        fail(m_file->errorString());
        return false;
    }
    append(m_head);
    return m_failure.isEmpty();
}

void Journal::append(const QByteArray &bytes)
{
    if (!m_file || m_file->write(bytes) != bytes.size() || !m_file->flush()) {
        fail(m_file ? m_file->errorString() : QString());
        return;
    }
    m_unsynced = true;
    const qint64 since = now() - m_lastSync;
    if (since >= SyncInterval)
        sync();
    else if (!m_syncTimer.isActive())
        m_syncTimer.start(int(SyncInterval - since));
}

void Journal::sync()
{
    m_syncTimer.stop();
    if (!m_file || !m_unsynced)
        return;
#ifdef Q_OS_UNIX
    ::fdatasync(m_file->handle());
#endif
    m_unsynced = false;
    m_lastSync = now();
}

void Journal::closeFile()
{
    sync();
    m_file.reset();
}

void Journal::fail(const QString &reason)
{
    m_failure = reason.isEmpty() ? QStringLiteral("无法写入") : reason;
    m_file.reset();
}
