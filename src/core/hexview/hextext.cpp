#include "hexview/hextext.h"

#include <QStringDecoder>

namespace {

bool isLeadByte(quint8 b)
{
    return b >= 0x81 && b <= 0xFE;
}

bool isTrailByte(quint8 b)
{
    return b >= 0x40 && b <= 0xFE && b != 0x7F;
}

} // namespace

QVector<HexTextGlyph> hexRowGlyphs(const QByteArray &image, qint64 from, int count)
{
    QVector<HexTextGlyph> glyphs;
    if (from < 0 || from >= image.size() || count <= 0)
        return glyphs;
    const int n = int(std::min<qint64>(count, image.size() - from));
    const auto *bytes = reinterpret_cast<const quint8 *>(image.constData() + from);
    // Opening the converter costs more than decoding a screenful of rows: one per thread.
    static thread_local QStringDecoder gbk("GBK");
    gbk.resetState();
    for (int i = 0; i < n;) {
        const quint8 b = bytes[i];
        if (isLeadByte(b) && i + 1 < n && isTrailByte(bytes[i + 1])) {
            const QString c = gbk.decode(QByteArrayView(reinterpret_cast<const char *>(bytes + i), 2));
            if (c.size() == 1 && c[0] != QChar::ReplacementCharacter && c[0].isPrint()) {
                glyphs.append({c, i, 2});
                i += 2;
                continue;
            }
            gbk.resetState();
        }
        glyphs.append({b >= 0x20 && b < 0x7F ? QString(QChar(b)) : QStringLiteral("."), i, 1});
        ++i;
    }
    return glyphs;
}

QString hexRowText(const QByteArray &image, qint64 from, int count)
{
    QString text;
    for (const HexTextGlyph &g : hexRowGlyphs(image, from, count))
        text += g.text;
    return text;
}
