#pragma once

#include "controls/flexgridmodel.h"

#include <QByteArray>
#include <QHash>
#include <QStringList>
#include <QVector>

#include <vector>

// The hex grid's cells, computed from a snapshot of the image taken at fill time: column 0 is
// the row's address, columns 1 to 16 the bytes +0 to +F. Texts typed into cells after the
// fill and cell colours are kept beside the snapshot; no text is stored per cell.
class HexGridModel : public FlexGridModel {
    Q_OBJECT
public:
    // byteTexts: the 256 two-digit texts "00" .. "FF".
    explicit HexGridModel(const QStringList &byteTexts, QObject *parent = nullptr);

    // Shows the first `length` bytes of image (sixteen to a row), dropping typed texts and
    // colours. Rows = 1 + ceil(length / 16).
    void setImage(const QByteArray &image, qsizetype length);
    qsizetype length() const { return m_length; }

    // Offset of a byte cell, or -1 for a header or address cell.
    static qint64 offsetOf(int row, int col);

    QString text(int row, int col) const override;
    void setText(int row, int col, const QString &text) override;
    QColor cellColor(int row, int col) const override;
    void setCellColor(int row, int col, const QColor &color) override;
    void clear() override;

    // Colours a byte by offset without notifying views (used while filling).
    void colorByte(qint64 offset, QRgb rgb) { m_colors[offset] = rgb | 0xFF000000u; }
    // Shows the bytes at offsets (sorted) as image holds them now, coloured as the fill colours
    // them: changedColor where a cartridge byte differs from pristine, the default elsewhere.
    void updateBytes(const QByteArray &image, const QByteArray &pristine, const std::vector<quint32> &offsets,
                     QRgb changedColor);
    // The bytes a row of cells shows: the snapshot, with a value typed into a cell in its place.
    QByteArray rowBytes(int row) const;

protected:
    void resizeCells(int rows, int cols) override;

private:
    const QStringList &m_byteTexts;
    QByteArray m_image;
    qsizetype m_length = 0;
    QStringList m_header;            // row 0
    QHash<qint64, QString> m_typed;  // texts written into byte cells after the fill
    QVector<QRgb> m_colors;          // per byte; 0 = default
};
