#pragma once

#include <QStyledItemDelegate>

namespace marvik::reader {

// Paints a cell of the message list as plain text in one run: the list's
// cells hold no icons, checks or rich text, and a line drawn this way costs
// a fraction of the style's full item painting, which the reader pays at
// every message it moves to.
class MessageLineDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
        const QModelIndex &index) const override;
};

} // namespace marvik::reader
