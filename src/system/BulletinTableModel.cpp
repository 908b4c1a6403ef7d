#include "system/BulletinTableModel.h"

#include "store/BulletinList.h"

namespace marvik::system {

BulletinTableModel::BulletinTableModel(const store::BulletinList &list, QObject *parent)
    : QAbstractTableModel(parent)
    , m_list(list)
{
    connect(&list, &store::BulletinList::aboutToReset, this, &BulletinTableModel::beginResetModel);
    connect(&list, &store::BulletinList::reset, this, &BulletinTableModel::endResetModel);
}

int BulletinTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_list.count();
}

int BulletinTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant BulletinTableModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const store::BulletinEntry &entry = m_list.at(index.row());
    switch (index.column()) {
    case ConferenceColumn:
        return QString::number(entry.conference);
    case NumberColumn:
        return QString::number(entry.bulletin);
    default:
        return {};
    }
}

QVariant BulletinTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    switch (section) {
    case ConferenceColumn:
        return QStringLiteral("Conference");
    case NumberColumn:
        return QStringLiteral("Number");
    default:
        return {};
    }
}

Qt::ItemFlags BulletinTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

} // namespace marvik::system
