#include "reader/MessageListView.h"

#include "reader/MessageLineDelegate.h"

#include <QHeaderView>

namespace marvik::reader {

MessageListView::MessageListView(QWidget *parent)
    : QTreeView(parent)
{
    // Every line is one text line high: the view then never measures rows,
    // which keeps a list of 100,000 messages quick to scroll.
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setExpandsOnDoubleClick(false);
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(true);
    header()->setStretchLastSection(false);
    setItemDelegate(new MessageLineDelegate(this));
    // The reader brings the current line into view itself, to the middle
    // and only when it has left the view; the view's own scrolling would
    // move the list a line at every message.
    setAutoScroll(false);
}

void MessageListView::keyboardSearch(const QString &) { }

} // namespace marvik::reader
