#pragma once

#include "store/ListOrder.h"
#include "store/MessageListQueries.h"

#include <QVariant>

#include <optional>

namespace marvik::reader {

// The columns of the reader's message list, shared by the flat list and the
// thread tree: what a line shows of a message and which sort each column
// stands for.
class MessageListColumns
{
public:
    enum Column
    {
        Number,
        Unread,
        Marked,
        Personal,
        Private,
        From,
        To,
        Subject,
        Date,
        Count
    };

    static QVariant data(const store::MessageListRow &row, int column, int role);
    static QVariant header(int column, int role);
    // The sort a click on the column's header asks for; none for the marks.
    static std::optional<store::ListSort> sortOf(int column);
    // The column showing a sort; -1 for the store's order.
    static int columnOf(store::ListSort sort);
};

} // namespace marvik::reader
