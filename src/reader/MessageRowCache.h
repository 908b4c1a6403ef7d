#pragma once

#include "store/MessageListQueries.h"

#include <QHash>
#include <QList>

namespace marvik::store {
class LiveQuery;
class MessageStore;
} // namespace marvik::store

namespace marvik::reader {

// The lines of a message list, read from the store a page at a time by
// their place in the list, so a list over 100,000 messages reads only the
// rows painted and never a text. Only a few pages are kept.
class MessageRowCache
{
public:
    static constexpr int PageRows = 64;
    static constexpr int KeptPages = 32;

    MessageRowCache(const store::MessageStore &store, const store::LiveQuery &rows);

    // The line at `position` (0-based) of the list's order; a message that
    // left the store meanwhile gives a line with key 0.
    const store::MessageListRow &row(int position) const;
    // Reads the line at `position` again (it was read or marked).
    void refresh(int position);
    // Forgets every line: the list's order or rows changed.
    void clear();
    int pagesKept() const { return int(m_pages.size()); }

private:
    const store::MessageStore &m_store;
    const store::LiveQuery &m_rows;
    mutable QHash<int, QList<store::MessageListRow>> m_pages;
    mutable QList<int> m_recent; // pages in the order they were read
};

} // namespace marvik::reader
