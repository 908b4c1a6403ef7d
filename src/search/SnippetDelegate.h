#pragma once

#include <QStyledItemDelegate>

namespace marvik::search {

// Draws the snippet column with the hit words in bold, on one line.
class SnippetDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
        const QModelIndex &index) const override;
};

} // namespace marvik::search
