#include "reader/MessageLineDelegate.h"

#include <QPainter>

namespace marvik::reader {

void MessageLineDelegate::paint(
    QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette::ColorGroup group
        = option.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
    if (selected)
        painter->fillRect(option.rect, option.palette.brush(group, QPalette::Highlight));
    const QString text = index.data(Qt::DisplayRole).toString();
    if (text.isEmpty())
        return;
    painter->save();
    const QVariant font = index.data(Qt::FontRole);
    if (font.isValid())
        painter->setFont(font.value<QFont>());
    painter->setPen(
        option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    const QRect area = option.rect.adjusted(3, 0, -3, 0);
    const QVariant alignment = index.data(Qt::TextAlignmentRole);
    const int flags
        = alignment.isValid() ? alignment.toInt() : int(Qt::AlignLeft | Qt::AlignVCenter);
    painter->drawText(area, flags | Qt::TextSingleLine,
        painter->fontMetrics().elidedText(text, Qt::ElideRight, area.width()));
    painter->restore();
}

} // namespace marvik::reader
