#pragma once

#include <QModelIndex>

namespace marvik::reader {

// What the reader asks of either message list model (flat or threaded):
// both show the rows of the open selection in its order, so a row's place
// in that order (0-based) names it in both.
class MessageListPositions
{
public:
    virtual ~MessageListPositions() = default;

    virtual QModelIndex indexOfPosition(int position) const = 0;
    // -1 for an index that names no row.
    virtual int positionOf(const QModelIndex &index) const = 0;
    // The row was read or marked: its line is read again.
    virtual void rowChanged(int position) = 0;
    // The row left the selection, which has already forgotten it.
    virtual void rowRemoved(int position) = 0;
    // The selection's rows or order changed: everything is read again.
    virtual void reload() = 0;
};

} // namespace marvik::reader
