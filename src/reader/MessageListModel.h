#pragma once

#include "reader/MessageListPositions.h"

#include <QAbstractTableModel>

namespace marvik::store {
class LiveQuery;
}

namespace marvik::reader {

class MessageRowCache;

// The message list as a table: one row per message of the open selection,
// in its order, each line read from the cache only when it is painted.
class MessageListModel : public QAbstractTableModel, public MessageListPositions
{
    Q_OBJECT

public:
    MessageListModel(
        MessageRowCache &cache, const store::LiveQuery &rows, QObject *parent = nullptr);

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
    MessageRowCache &m_cache;
    const store::LiveQuery &m_rows;
    int m_count = 0; // rows as the views know them
};

} // namespace marvik::reader
