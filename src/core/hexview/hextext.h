#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

// One glyph of the hex grid's text column: a GBK character over the two bytes that form it, a
// printable ASCII character over its byte, or "." for any other byte.
struct HexTextGlyph {
    QString text;
    int first = 0; // index of its first byte within the row
    int span = 1;  // bytes it covers: 1 or 2
};

// Decodes bytes [from, from + count) of image as a row of the text column. A pair that would run
// past the row's end is shown as ".".
QVector<HexTextGlyph> hexRowGlyphs(const QByteArray &image, qint64 from, int count);
// The glyphs of a row joined, as a person reads it.
QString hexRowText(const QByteArray &image, qint64 from, int count);
