#include "image/patches.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <vector>

namespace Patches {

namespace {

constexpr qsizetype IpsMaxRecord = 0xFFFF;
constexpr qsizetype IpsEofOffset = 0x454F46; // "EOF" read as an offset

std::array<quint32, 256> crcTable()
{
    std::array<quint32, 256> table{};
    for (quint32 n = 0; n < 256; ++n) {
        quint32 c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

void put24(QByteArray &out, qsizetype v)
{
    out.append(char(v >> 16)).append(char(v >> 8)).append(char(v));
}

void put16(QByteArray &out, qsizetype v)
{
    out.append(char(v >> 8)).append(char(v));
}

// Byte i of an image, or -1 past its end (so every target byte there counts as changed).
int at(const QByteArray &image, qsizetype i)
{
    return i < image.size() ? quint8(image[i]) : -1;
}

// A cursor over patch bytes that fails instead of reading past the end.
struct Reader {
    const QByteArray &data;
    qsizetype pos = 0;
    qsizetype end;
    bool ok = true;

    Reader(const QByteArray &d, qsizetype limit) : data(d), end(limit) {}
    bool has(qsizetype n) const { return ok && n >= 0 && end - pos >= n; }
    quint64 byte()
    {
        if (!has(1)) {
            ok = false;
            return 0;
        }
        return quint8(data[pos++]);
    }
    quint64 be(int n)
    {
        quint64 v = 0;
        for (int i = 0; i < n; ++i)
            v = v << 8 | byte();
        return v;
    }
    // BPS number: 7 bits a byte, the high bit ends it, one added for every byte that goes on.
    quint64 number()
    {
        quint64 data = 0;
        quint64 shift = 1;
        for (int i = 0; i < 10 && ok; ++i) {
            const quint64 x = byte();
            data += (x & 0x7F) * shift;
            if (x & 0x80)
                return data;
            shift <<= 7;
            data += shift;
        }
        ok = false; // longer than any size here
        return 0;
    }
};

void putNumber(QByteArray &out, quint64 n)
{
    for (;;) {
        const quint64 x = n & 0x7F;
        n >>= 7;
        if (n == 0) {
            out.append(char(0x80 | x));
            return;
        }
        out.append(char(x));
        --n;
    }
}

void putCrc(QByteArray &out, quint32 crc)
{
    for (int i = 0; i < 4; ++i)
        out.append(char(crc >> (8 * i)));
}

quint32 readCrc(const QByteArray &data, qsizetype pos)
{
    quint32 v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | quint8(data[pos + i]);
    return v;
}

// IPS: the records of one changed stretch [from, to), with long runs of one byte as run records.
void ipsStretch(QByteArray &out, const QByteArray &target, qsizetype from, qsizetype to)
{
    const auto literal = [&](qsizetype a, qsizetype b) {
        while (a < b) {
            qsizetype start = a;
            if (start == IpsEofOffset)
                --start; // that offset reads as the end marker: begin one byte earlier
            const qsizetype n = std::min(IpsMaxRecord, b - start);
            put24(out, start);
            put16(out, n);
            out.append(target.constData() + start, n);
            a = start + n;
        }
    };
    qsizetype pending = from; // start of bytes not yet written
    qsizetype i = from;
    while (i < to) {
        qsizetype j = i + 1;
        while (j < to && target[j] == target[i])
            ++j;
        const qsizetype run = j - i;
        // A run record costs 8 bytes; cutting a literal record in two costs another 5.
        const bool edge = i == pending || j == to;
        const qsizetype worth = i == pending && j == to ? 3 : edge ? 8 : 13;
        if (run > worth && i != IpsEofOffset) {
            literal(pending, i);
            for (qsizetype k = i; k < j;) {
                const qsizetype start = k == IpsEofOffset ? k - 1 : k; // k - 1 is in the run too
                const qsizetype n = std::min(IpsMaxRecord, j - start);
                put24(out, start);
                put16(out, 0);
                put16(out, n);
                out.append(target[i]);
                k = start + n;
            }
            pending = j;
        }
        i = j;
    }
    literal(pending, to);
}

} // namespace

quint32 crc32(const QByteArray &data)
{
    static const std::array<quint32, 256> table = crcTable();
    quint32 c = 0xFFFFFFFFu;
    for (const char ch : data)
        c = table[(c ^ quint8(ch)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

namespace {

// The BPS magic, room for the header and the three checksums, and the patch's own checksum right.
bool bpsIntact(const QByteArray &patch)
{
    return patch.size() >= 4 + 3 + 12 && patch.startsWith("BPS1") &&
           readCrc(patch, patch.size() - 4) == crc32(patch.left(patch.size() - 4));
}

// The bytes putNumber writes for n.
int numberSize(quint64 n)
{
    int size = 1;
    for (n >>= 7; n != 0; n >>= 7) {
        --n;
        ++size;
    }
    return size;
}

// The BPS number that moves a copy cursor from one offset to another: the distance, the low bit
// its sign.
quint64 relativeNumber(qsizetype from, qsizetype to)
{
    return to >= from ? quint64(to - from) << 1 : quint64(from - to) << 1 | 1;
}

// How many bytes from a and b are equal, up to limit.
qsizetype common(const uchar *a, const uchar *b, qsizetype limit)
{
    qsizetype n = 0;
    while (n < limit && a[n] == b[n])
        ++n;
    return n;
}

// The four bytes at p, as one number.
quint32 gramAt(const uchar *p)
{
    quint32 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// The BPS actions of a target, parsed greedily: at each byte the best of reading the source in
// place, copying from elsewhere in the source, and copying from the target written so far (which
// makes a run of one value a byte and a copy), else the byte itself; a match a byte later that
// saves more wins over one here. Copies are found through chains of offsets with the same four
// bytes: source offsets are numbered 0.., target offsets after them.
class BpsWriter {
public:
    BpsWriter(const QByteArray &source, const QByteArray &target, QByteArray &out)
        : m_s(reinterpret_cast<const uchar *>(source.constData())),
          m_t(reinterpret_cast<const uchar *>(target.constData())),
          m_sn(source.size()),
          m_tn(target.size()),
          m_out(out)
    {
    }

    void write()
    {
        // Offsets are kept as 32-bit numbers: larger files are written without copies.
        if (m_sn + m_tn < std::numeric_limits<qint32>::max()) {
            m_head.assign(size_t(1) << HashBits, -1);
            m_links.resize(size_t(m_sn + m_tn));
            // Added from the end, so a run's chain starts at its first byte, where the longest copy is.
            for (qsizetype at = m_sn - Gram; at >= 0; --at)
                link(at, gramAt(m_s + at));
        }
        qsizetype literal = 0; // the first byte not yet written out
        qsizetype i = 0;
        Match ahead; // best(i) when it was looked at as the byte after
        while (i < m_tn) {
            Match m = ahead.length ? ahead : best(i);
            ahead = Match();
            // Between two stretches of bytes, an action costs a header more than its own.
            const qsizetype worth = literal < i && i + m.length < m_tn ? 2 : 1;
            if (m.gain >= worth && m.length < NoLookAhead && i + 1 < m_tn) {
                ahead = best(i + 1);
                if (ahead.gain - (literal < i ? 1 : 2) > m.gain)
                    m = Match();
                else
                    ahead = Match();
            }
            if (m.gain < worth) {
                ++i;
                continue;
            }
            putLiteral(literal, i);
            put(m);
            i += m.length;
            literal = i;
        }
        putLiteral(literal, m_tn);
    }

private:
    enum Action : quint8 { SourceRead, TargetRead, SourceCopy, TargetCopy };
    static constexpr qsizetype Gram = 4;
    static constexpr int HashBits = 20;
    static constexpr int Depth = 32; // offsets tried per byte
    // Past these lengths a match is taken as it is: no search for copies beside reading in place,
    // no look a byte ahead.
    static constexpr qsizetype LongRead = 64;
    static constexpr qsizetype NoLookAhead = 256;

    struct Match {
        Action action = TargetRead;
        qsizetype from = 0;
        qsizetype length = 0;
        qsizetype gain = 0; // bytes saved over writing the bytes themselves
    };
    struct Link {
        qint32 next;
        quint32 gram;
    };

    static quint32 hash(quint32 gram) { return (gram * 2654435761u) >> (32 - HashBits); }

    void link(qsizetype at, quint32 gram)
    {
        qint32 &head = m_head[hash(gram)];
        m_links[size_t(at)] = Link{head, gram};
        head = qint32(at);
    }

    Match best(qsizetype i)
    {
        const bool chained = !m_links.empty();
        // Where target and source agree, a copy from the target is one from the source.
        for (; m_added < i && chained; ++m_added)
            if (m_added + Gram <= m_tn && (m_added + Gram > m_sn || gramAt(m_s + m_added) != gramAt(m_t + m_added)))
                link(m_sn + m_added, gramAt(m_t + m_added));
        Match m;
        const auto consider = [&](Action action, qsizetype from, qsizetype length, qsizetype cursor) {
            qsizetype cost = numberSize(quint64(length - 1) << 2 | action);
            if (action != SourceRead)
                cost += numberSize(relativeNumber(cursor, from));
            if (length - cost > m.gain)
                m = Match{action, from, length, length - cost};
        };
        const qsizetype inPlace = i < m_sn ? common(m_s + i, m_t + i, std::min(m_sn, m_tn) - i) : 0;
        if (inPlace > 0)
            consider(SourceRead, i, inPlace, 0);
        if (inPlace >= LongRead || i + Gram > m_tn || !chained)
            return m;
        if (i + 2 + Gram <= m_tn) // the chain looked up two bytes on, fetched while this one is walked
            __builtin_prefetch(&m_head[hash(gramAt(m_t + i + 2))]);
        const quint32 gram = gramAt(m_t + i);
        int depth = Depth;
        for (qint32 at = m_head[hash(gram)]; at >= 0 && depth-- > 0; at = m_links[size_t(at)].next) {
            if (m_links[size_t(at)].gram != gram)
                continue;
            if (at < m_sn) {
                consider(SourceCopy, at, common(m_s + at, m_t + i, std::min(m_sn - at, m_tn - i)), m_sourceCursor);
            } else {
                // A copy from the target may run into the bytes it writes.
                const qsizetype from = at - m_sn;
                consider(TargetCopy, from, common(m_t + from, m_t + i, m_tn - i), m_targetCursor);
            }
        }
        // A copy ends where a read in place begins that goes on past it.
        if (m.action != SourceRead) {
            qsizetype end = i + m.length;
            if (end < std::min(m_sn, m_tn) && m_s[end] == m_t[end]) {
                while (end > i && m_s[end - 1] == m_t[end - 1])
                    --end;
                if (end > i) {
                    m.gain -= m.length - (end - i);
                    m.length = end - i;
                }
            }
        }
        return m;
    }

    void putAction(Action action, qsizetype length) { putNumber(m_out, quint64(length - 1) << 2 | action); }

    void putLiteral(qsizetype from, qsizetype to)
    {
        if (from == to)
            return;
        putAction(TargetRead, to - from);
        m_out.append(reinterpret_cast<const char *>(m_t) + from, to - from);
    }

    void put(const Match &m)
    {
        putAction(m.action, m.length);
        qsizetype *cursor = m.action == SourceCopy ? &m_sourceCursor : m.action == TargetCopy ? &m_targetCursor : nullptr;
        if (cursor) {
            putNumber(m_out, relativeNumber(*cursor, m.from));
            *cursor = m.from + m.length;
        }
    }

    const uchar *m_s;
    const uchar *m_t;
    qsizetype m_sn;
    qsizetype m_tn;
    QByteArray &m_out;
    std::vector<qint32> m_head; // by hash: the last offset linked, or -1
    std::vector<Link> m_links;  // by offset: the one linked before it with the same hash
    qsizetype m_added = 0;      // target bytes considered for linking: those before the byte parsed
    qsizetype m_sourceCursor = 0;
    qsizetype m_targetCursor = 0;
};

} // namespace

QByteArray encodeIps(const QByteArray &source, const QByteArray &target)
{
    if (source == target)
        return QByteArray();
    QByteArray out("PATCH");
    const qsizetype n = target.size();
    qsizetype i = 0;
    while (i < n) {
        if (at(source, i) == at(target, i)) {
            ++i;
            continue;
        }
        // A stretch of changes, joined over gaps shorter than a record header.
        qsizetype end = i + 1;
        for (qsizetype k = end; k < n && k - end < 5; ++k)
            if (at(source, k) != at(target, k))
                end = k + 1;
        ipsStretch(out, target, i, end);
        i = end;
    }
    out.append("EOF");
    // The length to cut to: it also tells an executable patch from a cartridge patch.
    if (target.size() <= 0xFFFFFF)
        put24(out, target.size());
    return out;
}

std::optional<QByteArray> applyIps(const QByteArray &patch, const QByteArray &source, qsizetype maxSize)
{
    if (!patch.startsWith("PATCH"))
        return std::nullopt;
    QByteArray out = source;
    Reader r(patch, patch.size());
    r.pos = 5;
    for (;;) {
        if (!r.has(3))
            return std::nullopt; // no end marker
        const qsizetype offset = qsizetype(r.be(3));
        if (offset == IpsEofOffset)
            break;
        qsizetype length = qsizetype(r.be(2));
        int fill = -1;
        if (length == 0) {
            length = qsizetype(r.be(2));
            fill = int(r.byte());
        }
        if (!r.ok || (fill < 0 && !r.has(length)) || offset + length > maxSize)
            return std::nullopt;
        if (offset + length > out.size())
            out.resize(offset + length, '\0');
        if (fill >= 0) {
            std::fill(out.begin() + offset, out.begin() + offset + length, char(fill));
        } else {
            std::copy_n(patch.constData() + r.pos, length, out.begin() + offset);
            r.pos += length;
        }
    }
    if (r.has(3)) {
        const qsizetype cut = qsizetype(r.be(3));
        if (cut > out.size())
            return std::nullopt;
        out.truncate(cut);
    }
    if (r.pos != patch.size() || out.size() > maxSize)
        return std::nullopt; // bytes after the end marker
    return out;
}

QByteArray encodeBps(const QByteArray &source, const QByteArray &target)
{
    if (source == target)
        return QByteArray();
    QByteArray out("BPS1");
    putNumber(out, quint64(source.size()));
    putNumber(out, quint64(target.size()));
    putNumber(out, 0); // no metadata
    BpsWriter(source, target, out).write();
    putCrc(out, crc32(source));
    putCrc(out, crc32(target));
    putCrc(out, crc32(out));
    return out;
}

bool bpsForOtherSource(const QByteArray &patch, const QByteArray &source)
{
    if (!bpsIntact(patch))
        return false;
    Reader r(patch, patch.size() - 12);
    r.pos = 4;
    const quint64 sourceSize = r.number();
    return r.ok && (sourceSize != quint64(source.size()) || readCrc(patch, patch.size() - 12) != crc32(source));
}

std::optional<QByteArray> applyBps(const QByteArray &patch, const QByteArray &source, qsizetype maxSize)
{
    if (!bpsIntact(patch))
        return std::nullopt;
    const qsizetype footer = patch.size() - 12;
    Reader r(patch, footer);
    r.pos = 4;
    const quint64 sourceSize = r.number();
    const quint64 targetSize = r.number();
    const quint64 metadata = r.number();
    if (!r.ok || sourceSize != quint64(source.size()) || targetSize > quint64(maxSize) || !r.has(qsizetype(metadata)) ||
        metadata > quint64(footer))
        return std::nullopt;
    r.pos += qsizetype(metadata);
    if (readCrc(patch, footer) != crc32(source))
        return std::nullopt;

    QByteArray out(qsizetype(targetSize), '\0');
    const qsizetype size = out.size();
    qsizetype written = 0;
    qsizetype sourceRelative = 0;
    qsizetype targetRelative = 0;
    // A copy cursor moved by a relative number; a move longer than the file it is in is damage.
    const auto relative = [&r](qsizetype &cursor, qsizetype limit) {
        const quint64 v = r.number();
        const quint64 step = v >> 1;
        if (step > quint64(limit)) {
            r.ok = false;
            return;
        }
        cursor += (v & 1) ? -qsizetype(step) : qsizetype(step);
    };
    while (r.ok && r.pos < footer) {
        const quint64 data = r.number();
        const quint64 length64 = (data >> 2) + 1;
        if (!r.ok || length64 > quint64(size - written))
            return std::nullopt;
        const qsizetype length = qsizetype(length64);
        switch (data & 3) {
        case 0: // SourceRead
            if (written + length > source.size())
                return std::nullopt;
            std::copy_n(source.constData() + written, length, out.begin() + written);
            break;
        case 1: // TargetRead
            if (!r.has(length))
                return std::nullopt;
            std::copy_n(patch.constData() + r.pos, length, out.begin() + written);
            r.pos += length;
            break;
        case 2: // SourceCopy
            relative(sourceRelative, source.size());
            if (!r.ok || sourceRelative < 0 || sourceRelative > source.size() - length)
                return std::nullopt;
            std::copy_n(source.constData() + sourceRelative, length, out.begin() + written);
            sourceRelative += length;
            break;
        default: // TargetCopy, byte by byte: it may read what it writes
            relative(targetRelative, size);
            if (!r.ok || targetRelative < 0 || targetRelative >= written)
                return std::nullopt;
            for (qsizetype k = 0; k < length; ++k)
                out[written + k] = out[targetRelative++];
            break;
        }
        written += length;
    }
    if (!r.ok || written != size || readCrc(patch, footer + 4) != crc32(out))
        return std::nullopt;
    return out;
}

} // namespace Patches
