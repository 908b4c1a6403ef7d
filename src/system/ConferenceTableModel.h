#pragma once

#include <QAbstractTableModel>

namespace marvik::store {
class ConferenceList;
}

namespace marvik::system {

// The conference grid's cells: Number, Name and Messages of each entry of
// the open system's conference list. Cells come from the list only, so
// painting never reads the store; the list's signals keep the view current.
class ConferenceTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column
    {
        NumberColumn,
        NameColumn,
        MessagesColumn,
        ColumnCount
    };

    explicit ConferenceTableModel(const store::ConferenceList &list, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(
        int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    const store::ConferenceList &m_list;
};

} // namespace marvik::system
