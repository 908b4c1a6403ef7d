#pragma once

#include <QString>

namespace marvik::store {

// How a message list is sorted and which of its rows it shows. The default,
// the store's order, is the order the reader has always walked.
enum class ListSort
{
    Store,
    Number,
    From,
    To,
    Subject,
    Date,
};

enum class ListView
{
    All,
    Unread,
    Marked,
};

struct ListOrder
{
    ListSort sort = ListSort::Store;
    bool descending = false;
    ListView view = ListView::All;
    // Rows whose From, To or Subject holds this text, in any case; empty: all.
    QString filter;

    bool operator==(const ListOrder &) const = default;
};

} // namespace marvik::store
