#pragma once

#include "reader/MessageListPositions.h"
#include "reader/ThreadOrder.h"

#include <QAbstractItemModel>

#include <vector>

namespace marvik::reader {

class MessageRowCache;

// The message list as threads: each message under the one it answers. The
// selection's rows are already in thread order (depth first), so a node's
// place in that order is its position, and the lines come from the same
// cache as the flat list's.
class ThreadTreeModel : public QAbstractItemModel, public MessageListPositions
{
    Q_OBJECT

public:
    explicit ThreadTreeModel(MessageRowCache &cache, QObject *parent = nullptr);

    // The threads of the selection's rows, in the selection's order.
    void setThreads(std::vector<ThreadRow> threads);
    const std::vector<ThreadRow> &threads() const { return m_threads; }
    // The threads without row `position`: its answers take its place under
    // its parent, so the order of the rest stays depth first.
    static std::vector<ThreadRow> withoutRow(const std::vector<ThreadRow> &threads, int position);

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    QModelIndex indexOfPosition(int position) const override;
    int positionOf(const QModelIndex &index) const override;
    void rowChanged(int position) override;
    void rowRemoved(int position) override;
    void reload() override;

private:
    struct Node
    {
        int parent = -1;
        int row = 0; // among its parent's children (or the roots)
        std::vector<int> children;
    };
    void buildNodes();
    const std::vector<int> &childrenOf(const QModelIndex &parent) const;

    MessageRowCache &m_cache;
    std::vector<ThreadRow> m_threads;
    std::vector<Node> m_nodes;
    std::vector<int> m_roots;
};

} // namespace marvik::reader
