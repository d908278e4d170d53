#include "hexview/hexcelldelegate.h"

#include <QApplication>
#include <QPainter>

void HexCellDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette::ColorGroup group = option.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
    if (selected) {
        painter->fillRect(option.rect, option.palette.brush(group, QPalette::Highlight));
    } else {
        const QVariant back = index.data(Qt::BackgroundRole);
        if (back.isValid())
            painter->fillRect(option.rect, back.value<QColor>());
    }

    const QString text = index.data(Qt::DisplayRole).toString();
    if (!text.isEmpty()) {
        if (m_font != option.font) {
            m_texts.clear();
            m_font = option.font;
        }
        auto it = m_texts.find(text);
        if (it == m_texts.end()) {
            it = m_texts.insert(text, QStaticText(text));
            it->setTextFormat(Qt::PlainText);
            it->prepare(QTransform(), m_font);
        }
        const QSizeF size = it->size();
        const int margin = option.widget ? option.widget->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1 : 3;
        const QPointF at(option.rect.left() + margin, option.rect.top() + (option.rect.height() - size.height()) / 2);
        painter->save();
        painter->setFont(m_font);
        painter->setPen(option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
        painter->drawStaticText(at, *it);
        painter->restore();
    }

    if (option.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        focus.backgroundColor = option.palette.color(group, selected ? QPalette::Highlight : QPalette::Base);
        const QWidget *w = option.widget;
        (w ? w->style() : QApplication::style())->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, w);
    }
}
