#include "hexview/bytesearch.h"

#include "image/byteimages.h"

#include <cstring>

qint64 findPattern(const QByteArray &image, qint64 start, const QByteArray &pattern, bool downwards,
                   const MatchTest &test)
{
    const qint64 n = image.size();
    const qint64 len = pattern.size();
    if (len == 0 || len > n)
        return -1;
    const char *data = image.constData();
    const char *pat = pattern.constData();
    const qint64 lastStart = n - len;
    if (downwards) {
        qint64 p = std::max<qint64>(start + 1, 0);
        while (p <= lastStart) {
            // Jump to the next place the first byte stands.
            const void *hit = std::memchr(data + p, pat[0], size_t(lastStart - p + 1));
            if (!hit)
                return -1;
            p = static_cast<const char *>(hit) - data;
            if (std::memcmp(data + p, pat, size_t(len)) == 0) {
                const int verdict = test(p);
                if (verdict != 0)
                    return verdict > 0 ? p : -1;
            }
            ++p;
        }
        return -1;
    }
    for (qint64 p = std::min(start - 1, lastStart); p >= 0; --p) {
        if (data[p] == pat[0] && std::memcmp(data + p, pat, size_t(len)) == 0) {
            const int verdict = test(p);
            if (verdict != 0)
                return verdict > 0 ? p : -1;
        }
    }
    return -1;
}

qint64 findDifference(const QByteArray &work, const QByteArray &pristine, qint64 from, bool downwards)
{
    const qint64 last = std::min<qint64>({CartridgeEnd, work.size() - 1, pristine.size() - 1});
    from = std::clamp<qint64>(from, CartridgeStart, CartridgeEnd);
    const char *w = work.constData();
    const char *p = pristine.constData();
    if (downwards) {
        for (qint64 i = from + 1; i <= last; ++i)
            if (w[i] != p[i])
                return i;
    } else {
        for (qint64 i = std::min(from - 1, last); i >= CartridgeStart; --i)
            if (w[i] != p[i])
                return i;
    }
    return -1;
}
