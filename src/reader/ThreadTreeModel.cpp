#include "reader/ThreadTreeModel.h"

#include "reader/MessageListColumns.h"
#include "reader/MessageRowCache.h"

namespace marvik::reader {

ThreadTreeModel::ThreadTreeModel(MessageRowCache &cache, QObject *parent)
    : QAbstractItemModel(parent)
    , m_cache(cache)
{ }

void ThreadTreeModel::setThreads(std::vector<ThreadRow> threads)
{
    beginResetModel();
    m_threads = std::move(threads);
    m_cache.clear();
    buildNodes();
    endResetModel();
}

std::vector<ThreadRow> ThreadTreeModel::withoutRow(
    const std::vector<ThreadRow> &threads, int position)
{
    if (position < 0 || position >= int(threads.size()))
        return threads;
    const int gone = position;
    const int adopter = threads[size_t(gone)].parent;
    std::vector<ThreadRow> rest;
    rest.reserve(threads.size() - 1);
    // The gone row's descendants follow it, deeper than it.
    const int goneDepth = threads[size_t(gone)].depth;
    bool inSubtree = true;
    for (int i = 0; i < int(threads.size()); ++i) {
        if (i == gone)
            continue;
        ThreadRow row = threads[size_t(i)];
        if (i > gone && inSubtree && row.depth <= goneDepth)
            inSubtree = false;
        if (i > gone && inSubtree)
            --row.depth;
        if (row.parent == gone)
            row.parent = adopter;
        if (row.parent > gone)
            --row.parent;
        rest.push_back(row);
    }
    return rest;
}

void ThreadTreeModel::buildNodes()
{
    m_nodes.assign(m_threads.size(), Node());
    m_roots.clear();
    for (int i = 0; i < int(m_threads.size()); ++i) {
        const int parent = m_threads[size_t(i)].parent;
        // Parents come before their answers; anything else is a root.
        std::vector<int> &siblings
            = parent >= 0 && parent < i ? m_nodes[size_t(parent)].children : m_roots;
        m_nodes[size_t(i)].parent = parent >= 0 && parent < i ? parent : -1;
        m_nodes[size_t(i)].row = int(siblings.size());
        siblings.push_back(i);
    }
}

const std::vector<int> &ThreadTreeModel::childrenOf(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return m_roots;
    return m_nodes[size_t(parent.internalId())].children;
}

QModelIndex ThreadTreeModel::index(int row, int column, const QModelIndex &parent) const
{
    if (column < 0 || column >= MessageListColumns::Count || row < 0)
        return {};
    if (parent.isValid() && (parent.model() != this || parent.column() != 0))
        return {};
    const std::vector<int> &children = childrenOf(parent);
    if (row >= int(children.size()))
        return {};
    return createIndex(row, column, quintptr(children[size_t(row)]));
}

QModelIndex ThreadTreeModel::parent(const QModelIndex &child) const
{
    if (!child.isValid() || child.internalId() >= m_nodes.size())
        return {};
    const int parent = m_nodes[size_t(child.internalId())].parent;
    if (parent < 0)
        return {};
    return createIndex(m_nodes[size_t(parent)].row, 0, quintptr(parent));
}

int ThreadTreeModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() && parent.column() != 0)
        return 0;
    return int(childrenOf(parent).size());
}

int ThreadTreeModel::columnCount(const QModelIndex &) const
{
    return MessageListColumns::Count;
}

QVariant ThreadTreeModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    return MessageListColumns::data(m_cache.row(int(index.internalId())), index.column(), role);
}

QVariant ThreadTreeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    return MessageListColumns::header(section, role);
}

QModelIndex ThreadTreeModel::indexOfPosition(int position) const
{
    if (position < 0 || position >= int(m_nodes.size()))
        return {};
    return createIndex(m_nodes[size_t(position)].row, 0, quintptr(position));
}

int ThreadTreeModel::positionOf(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != this)
        return -1;
    return int(index.internalId());
}

void ThreadTreeModel::rowChanged(int position)
{
    const QModelIndex first = indexOfPosition(position);
    if (!first.isValid())
        return;
    m_cache.refresh(position);
    Q_EMIT dataChanged(first, first.siblingAtColumn(MessageListColumns::Count - 1));
}

void ThreadTreeModel::rowRemoved(int position)
{
    setThreads(withoutRow(m_threads, position));
}

void ThreadTreeModel::reload()
{
    setThreads(m_threads);
}

} // namespace marvik::reader
