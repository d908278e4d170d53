#pragma once

#include <QByteArray>

#include <functional>

// Range test for a full match at offset: 1 accepts it, 0 goes on searching, -1 stops.
using MatchTest = std::function<int(qint64 offset)>;

// First offset after start (downwards) or before start (upwards) where pattern stands in
// image and test accepts it; -1 when there is none or the test stopped the search.
qint64 findPattern(const QByteArray &image, qint64 start, const QByteArray &pattern, bool downwards,
                   const MatchTest &test);

// First offset of CartridgeRange after (or before) from, which is first clamped to the range,
// where work and pristine differ; -1 when there is none.
qint64 findDifference(const QByteArray &work, const QByteArray &pristine, qint64 from, bool downwards);
