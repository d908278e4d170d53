#pragma once

#include <QHash>
#include <QStaticText>
#include <QStyledItemDelegate>

// Paints the hex grid's byte cells: the cell colour or the selection, and the cell's text laid
// out once per distinct text ("00" .. "FF" and what was typed), so that a screenful of bytes is
// drawn without shaping a text for every cell.
class HexCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    mutable QHash<QString, QStaticText> m_texts;
    mutable QFont m_font; // the font the cached texts were laid out in
};
