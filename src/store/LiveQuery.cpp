#include "store/LiveQuery.h"

#include "store/MessageListQueries.h"
#include "store/MessageStore.h"
#include "store/Rewind.h"
#include "store/RowMapper.h"
#include "store/Statement.h"

#include <QHash>

#include <algorithm>

namespace marvik::store {

LiveQuery::LiveQuery(MessageStore &store)
    : m_store(store)
{ }

void LiveQuery::open(const Selection &selection, const ListOrder &order)
{
    close();
    m_selection = selection;
    m_order = order;
    loadKeys();
    m_open = true;
    first();
}

void LiveQuery::openKeys(const QList<qint64> &keys)
{
    close();
    QByteArray list = "[";
    for (qsizetype i = 0; i < keys.size(); ++i) {
        if (i > 0)
            list += ',';
        list += QByteArray::number(keys.at(i));
    }
    list += ']';
    m_selection = Selection {Table::Messages,
        QStringLiteral("rowid IN (SELECT value FROM json_each(?))"), {QString::fromLatin1(list)}};
    m_hitOrder = keys;
    m_keyed = true;
    loadKeys();
    m_open = true;
    first();
}

void LiveQuery::loadKeys()
{
    m_arranged = false;
    m_keys.clear();
    m_read.clear();
    const bool messages = m_selection.table == Table::Messages;
    Statement &s = m_store.prepared(messages ? MessageListQueries::orderedSql(m_selection, m_order,
                                        QStringLiteral("rowid, \"Read Flag\""))
                                             : m_selection.orderedSql(QStringLiteral("rowid")));
    Rewind rewind(s);
    if (messages)
        MessageListQueries::bind(s, m_selection, m_order);
    else
        bindSelection(s, m_selection);
    try {
        if (m_keyed && m_order.sort == ListSort::Store) {
            // A search's hits: in the order they were given, those in view.
            QHash<qint64, bool> read;
            while (s.step())
                read.insert(s.int64(0), s.int64(1) != 0);
            for (const qint64 key : m_hitOrder) {
                const auto it = read.constFind(key);
                if (it == read.constEnd())
                    continue;
                m_keys.append(key);
                m_read.append(*it);
            }
            if (m_order.descending) {
                std::reverse(m_keys.begin(), m_keys.end());
                std::reverse(m_read.begin(), m_read.end());
            }
            return;
        }
        while (s.step()) {
            m_keys.append(s.int64(0));
            if (messages)
                m_read.append(s.int64(1) != 0);
        }
    } catch (...) {
        m_keys.clear();
        m_read.clear();
        throw;
    }
}

bool LiveQuery::reorder(const ListOrder &order)
{
    const qint64 current = hasRow() ? m_keys.at(m_pos) : 0;
    m_order = order;
    loadKeys();
    const int row = rowOfKey(current);
    keepCurrent(current);
    return row > 0;
}

void LiveQuery::arrange(const ListOrder &order, const QList<qint64> &keys, const QList<bool> &read)
{
    const qint64 current = hasRow() ? m_keys.at(m_pos) : 0;
    m_order = order;
    m_keys = keys;
    m_read = read;
    m_read.resize(m_keys.size());
    m_arranged = true;
    keepCurrent(current);
}

void LiveQuery::keepCurrent(qint64 key)
{
    const int row = rowOfKey(key);
    if (row > 0) {
        moveToRow(row);
        return;
    }
    first();
}

qint64 LiveQuery::key(int number) const
{
    return number >= 1 && number <= m_keys.size() ? m_keys.at(number - 1) : 0;
}

int LiveQuery::rowOfKey(qint64 key) const
{
    if (key == 0)
        return 0;
    const qsizetype at = m_keys.indexOf(key);
    return at < 0 ? 0 : int(at) + 1;
}

void LiveQuery::close()
{
    m_open = false;
    m_keyed = false;
    m_hitOrder.clear();
    m_order = ListOrder();
    m_keys.clear();
    m_read.clear();
    m_row.clear();
    m_pos = 0;
    m_eof = m_bof = true;
}

void LiveQuery::moveTo(int pos)
{
    m_pos = pos;
    readCurrent();
}

void LiveQuery::readCurrent()
{
    m_row.clear();
    if (m_keys.isEmpty())
        return;
    const Selection everything {m_selection.table, QStringLiteral("rowid = ?"), {m_keys.at(m_pos)}};
    Statement &s = m_store.prepared(everything.sql(QStringLiteral("*")));
    bindSelection(s, everything);
    try {
        if (s.step())
            m_row = RowMapper::read(s, m_selection.table);
    } catch (...) {
        s.reset();
        throw;
    }
    s.reset();
    if (!m_read.isEmpty() && !m_row.isEmpty())
        m_read[m_pos] = m_row.value(QStringLiteral("Read Flag")).toBool();
}

void LiveQuery::first()
{
    m_bof = true;
    m_eof = m_keys.isEmpty();
    moveTo(0);
}

void LiveQuery::last()
{
    m_eof = true;
    m_bof = m_keys.isEmpty();
    moveTo(m_keys.isEmpty() ? 0 : int(m_keys.size()) - 1);
}

void LiveQuery::next()
{
    moveBy(1);
}

void LiveQuery::prior()
{
    moveBy(-1);
}

void LiveQuery::moveBy(int rows)
{
    if (m_keys.isEmpty()) {
        m_eof = m_bof = true;
        return;
    }
    const qint64 target = qint64(m_pos) + rows;
    const int lastPos = int(m_keys.size()) - 1;
    m_eof = target > lastPos;
    m_bof = target < 0;
    if (rows == 0)
        return;
    moveTo(int(std::clamp<qint64>(target, 0, lastPos)));
}

void LiveQuery::moveToRow(int number)
{
    if (m_keys.isEmpty()) {
        m_eof = m_bof = true;
        return;
    }
    const int pos = std::clamp(number, 1, int(m_keys.size())) - 1;
    m_eof = m_bof = false;
    moveTo(pos);
}

bool LiveQuery::isRowRead(int number) const
{
    return number >= 1 && number <= m_read.size() && m_read.at(number - 1);
}

int LiveQuery::nextUnreadAfter(int number) const
{
    for (int i = std::max(number, 0); i < m_read.size(); ++i) {
        if (!m_read.at(i))
            return i + 1;
    }
    return 0;
}

MessageRecord LiveQuery::message() const
{
    return RowMapper::message(m_row);
}

ConferenceRecord LiveQuery::conference() const
{
    return RowMapper::conference(m_row);
}

BulletinRecord LiveQuery::bulletin() const
{
    return RowMapper::bulletin(m_row);
}

SystemRecord LiveQuery::system() const
{
    return RowMapper::system(m_row);
}

void LiveQuery::forgetCurrent()
{
    if (m_keys.isEmpty())
        return;
    m_keys.removeAt(m_pos);
    if (!m_read.isEmpty())
        m_read.removeAt(m_pos);
    m_bof = false;
    if (m_pos >= m_keys.size()) {
        // The last row went: stay on the new last one, at the end of data.
        m_eof = true;
        m_bof = m_keys.isEmpty();
        m_pos = m_keys.isEmpty() ? 0 : int(m_keys.size()) - 1;
    } else {
        m_eof = false;
    }
    readCurrent();
}

void LiveQuery::refresh()
{
    readCurrent();
}

} // namespace marvik::store
