#include "search/SnippetDelegate.h"

#include "search/SearchResultModel.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QPainter>
#include <QTextDocument>

namespace marvik::search {

void SnippetDelegate::paint(
    QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QString html = index.data(SearchResultModel::SnippetHtmlRole).toString();
    item.text.clear();
    QStyle *style = item.widget ? item.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, item.widget);

    QTextDocument document;
    document.setDefaultFont(item.font);
    document.setDocumentMargin(0);
    document.setHtml(html);
    const QRect text = style->subElementRect(QStyle::SE_ItemViewItemText, &item, item.widget);
    painter->save();
    painter->setClipRect(text);
    painter->translate(text.left(), text.top() + (text.height() - document.size().height()) / 2.0);
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette = item.palette;
    const bool selected = item.state & QStyle::State_Selected;
    context.palette.setColor(QPalette::Text,
        item.palette.color(
            QPalette::Active, selected ? QPalette::HighlightedText : QPalette::Text));
    document.documentLayout()->draw(painter, context);
    painter->restore();
}

} // namespace marvik::search
