#include "system/ConferenceTableModel.h"

#include "store/ConferenceList.h"

namespace marvik::system {

namespace {

// The grid shows at most this many characters of a text.
constexpr int CellWidth = 80;

} // namespace

ConferenceTableModel::ConferenceTableModel(const store::ConferenceList &list, QObject *parent)
    : QAbstractTableModel(parent)
    , m_list(list)
{
    connect(
        &list, &store::ConferenceList::aboutToReset, this, &ConferenceTableModel::beginResetModel);
    connect(&list, &store::ConferenceList::reset, this, &ConferenceTableModel::endResetModel);
    connect(&list, &store::ConferenceList::entryChanged, this, [this](int row) {
        Q_EMIT dataChanged(index(row, 0), index(row, ColumnCount - 1), {Qt::DisplayRole});
    });
}

int ConferenceTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_list.count();
}

int ConferenceTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ConferenceTableModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const store::ConferenceEntry &entry = m_list.at(index.row());
    switch (index.column()) {
    case NumberColumn:
        return store::ConferenceList::numberText(entry);
    case NameColumn:
        return entry.name.left(CellWidth);
    case MessagesColumn:
        return store::ConferenceList::countsText(entry.total, entry.unread);
    default:
        return {};
    }
}

QVariant ConferenceTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    switch (section) {
    case NumberColumn:
        return QStringLiteral("Number");
    case NameColumn:
        return QStringLiteral("Name");
    case MessagesColumn:
        return QStringLiteral("Messages");
    default:
        return {};
    }
}

Qt::ItemFlags ConferenceTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

} // namespace marvik::system
