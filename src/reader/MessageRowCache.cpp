#include "reader/MessageRowCache.h"

#include "store/LiveQuery.h"

namespace marvik::reader {

namespace {

const store::MessageListRow &noRow()
{
    static const store::MessageListRow none;
    return none;
}

} // namespace

MessageRowCache::MessageRowCache(const store::MessageStore &store, const store::LiveQuery &rows)
    : m_store(store)
    , m_rows(rows)
{ }

const store::MessageListRow &MessageRowCache::row(int position) const
{
    const QList<qint64> &keys = m_rows.keys();
    if (position < 0 || position >= keys.size())
        return noRow();
    const int page = position / PageRows;
    auto found = m_pages.find(page);
    if (found == m_pages.end()) {
        const int from = page * PageRows;
        const QList<qint64> wanted = keys.mid(from, PageRows);
        const QList<store::MessageListRow> read = store::MessageListQueries::rows(m_store, wanted);
        // One line per key, so places stay put when a message is gone.
        QList<store::MessageListRow> lines;
        lines.reserve(wanted.size());
        qsizetype next = 0;
        for (const qint64 key : wanted) {
            if (next < read.size() && read.at(next).key == key)
                lines.append(read.at(next++));
            else
                lines.append(store::MessageListRow());
        }
        if (m_pages.size() >= KeptPages && !m_recent.isEmpty())
            m_pages.remove(m_recent.takeFirst());
        found = m_pages.insert(page, lines);
        m_recent.append(page);
    }
    const qsizetype at = position % PageRows;
    return at < found->size() ? found->at(at) : noRow();
}

void MessageRowCache::refresh(int position)
{
    const auto found = m_pages.find(position / PageRows);
    if (found == m_pages.end())
        return;
    const qsizetype at = position % PageRows;
    if (at >= found->size())
        return;
    const QList<store::MessageListRow> read
        = store::MessageListQueries::rows(m_store, {m_rows.key(position + 1)});
    (*found)[at] = read.isEmpty() ? store::MessageListRow() : read.first();
}

void MessageRowCache::clear()
{
    m_pages.clear();
    m_recent.clear();
}

} // namespace marvik::reader
