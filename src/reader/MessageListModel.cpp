#include "reader/MessageListModel.h"

#include "reader/MessageListColumns.h"
#include "reader/MessageRowCache.h"
#include "store/LiveQuery.h"

namespace marvik::reader {

MessageListModel::MessageListModel(
    MessageRowCache &cache, const store::LiveQuery &rows, QObject *parent)
    : QAbstractTableModel(parent)
    , m_cache(cache)
    , m_rows(rows)
    , m_count(rows.count())
{ }

int MessageListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_count;
}

int MessageListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : MessageListColumns::Count;
}

QVariant MessageListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    return MessageListColumns::data(m_cache.row(index.row()), index.column(), role);
}

QVariant MessageListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    return MessageListColumns::header(section, role);
}

QModelIndex MessageListModel::indexOfPosition(int position) const
{
    return position >= 0 && position < m_count ? index(position, 0) : QModelIndex();
}

int MessageListModel::positionOf(const QModelIndex &index) const
{
    return index.isValid() && index.model() == this ? index.row() : -1;
}

void MessageListModel::rowChanged(int position)
{
    if (position < 0 || position >= m_count)
        return;
    m_cache.refresh(position);
    Q_EMIT dataChanged(index(position, 0), index(position, MessageListColumns::Count - 1));
}

void MessageListModel::rowRemoved(int position)
{
    if (position < 0 || position >= m_count || m_rows.count() != m_count - 1) {
        reload();
        return;
    }
    beginRemoveRows({}, position, position);
    m_cache.clear();
    m_count = m_rows.count();
    endRemoveRows();
}

void MessageListModel::reload()
{
    beginResetModel();
    m_cache.clear();
    m_count = m_rows.count();
    endResetModel();
}

} // namespace marvik::reader
