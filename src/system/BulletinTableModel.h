#pragma once

#include <QAbstractTableModel>

namespace marvik::store {
class BulletinList;
}

namespace marvik::system {

// The bulletin grid's cells: conference and bulletin number of each entry
// of the open system's bulletin list, served from the list only.
class BulletinTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column
    {
        ConferenceColumn,
        NumberColumn,
        ColumnCount
    };

    explicit BulletinTableModel(const store::BulletinList &list, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(
        int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    const store::BulletinList &m_list;
};

} // namespace marvik::system
