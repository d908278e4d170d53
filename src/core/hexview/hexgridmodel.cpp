#include "hexview/hexgridmodel.h"

#include "image/byteimages.h"

HexGridModel::HexGridModel(const QStringList &byteTexts, QObject *parent)
    : FlexGridModel(parent), m_byteTexts(byteTexts)
{
}

void HexGridModel::resizeCells(int, int cols)
{
    m_header.resize(cols);
}

void HexGridModel::setImage(const QByteArray &image, qsizetype length)
{
    beginResetModel();
    m_image = image;
    m_length = std::min(length, image.size());
    m_typed.clear();
    m_colors.fill(0, m_length);
    endResetModel();
    setRows(1 + int((length + 15) / 16));
}

qint64 HexGridModel::offsetOf(int row, int col)
{
    return row >= 1 && col >= 1 && col <= 16 ? qint64(row - 1) * 16 + col - 1 : -1;
}

QString HexGridModel::text(int row, int col) const
{
    if (!isValidCell(row, col))
        return QString();
    if (row == 0)
        return m_header.value(col);
    if (col == 0)
        return QString::number(qint64(row - 1) * 16, 16).toUpper().rightJustified(8, u'0');
    const qint64 offset = offsetOf(row, col);
    if (offset < 0 || offset >= m_length)
        return QString();
    const auto typed = m_typed.constFind(offset);
    if (typed != m_typed.constEnd())
        return *typed;
    return m_byteTexts.value(quint8(m_image.at(offset)));
}

void HexGridModel::setText(int row, int col, const QString &text)
{
    if (!isValidCell(row, col))
        return;
    if (row == 0) {
        m_header[col] = text;
    } else {
        const qint64 offset = offsetOf(row, col);
        if (offset < 0 || offset >= m_length)
            return; // addresses are computed; cells past the image stay empty
        m_typed.insert(offset, text);
    }
    cellChanged(row, col);
}

QColor HexGridModel::cellColor(int row, int col) const
{
    const qint64 offset = offsetOf(row, col);
    if (offset < 0 || offset >= m_length || !m_colors[offset])
        return QColor();
    return QColor::fromRgb(m_colors[offset]);
}

void HexGridModel::setCellColor(int row, int col, const QColor &color)
{
    const qint64 offset = offsetOf(row, col);
    if (offset < 0 || offset >= m_length)
        return;
    m_colors[offset] = color.isValid() ? (color.rgb() | 0xFF000000u) : 0;
    cellChanged(row, col);
}

void HexGridModel::clear()
{
    beginResetModel();
    m_image.clear();
    m_length = 0;
    m_typed.clear();
    m_colors.clear();
    endResetModel();
}

void HexGridModel::updateBytes(const QByteArray &image, const QByteArray &pristine, const std::vector<quint32> &offsets,
                               QRgb changedColor)
{
    // One signal for a large step (an import, a patch), one a cell for a few bytes.
    const bool many = offsets.size() > 256;
    if (many)
        beginResetModel();
    for (const quint32 offset : offsets) {
        if (qint64(offset) >= m_length || qint64(offset) >= image.size())
            continue;
        m_image[offset] = image[offset];
        m_typed.remove(offset);
        const bool changed = inCartridgeRange(offset) && offset < quint32(pristine.size()) && image[offset] != pristine[offset];
        m_colors[offset] = changed ? (changedColor | 0xFF000000u) : 0;
        if (!many)
            cellChanged(int(offset / 16) + 1, int(offset % 16) + 1);
    }
    if (many)
        endResetModel();
}

QByteArray HexGridModel::rowBytes(int row) const
{
    const qint64 from = offsetOf(row, 1);
    if (from < 0 || from >= m_length)
        return QByteArray();
    QByteArray bytes = m_image.mid(from, std::min<qint64>(16, m_length - from));
    for (int k = 0; k < bytes.size(); ++k) {
        const auto typed = m_typed.constFind(from + k);
        if (typed != m_typed.constEnd())
            bytes[k] = char(typed->toInt(nullptr, 16));
    }
    return bytes;
}
