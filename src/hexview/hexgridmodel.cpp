#include "hexview/hexgridmodel.h"

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
