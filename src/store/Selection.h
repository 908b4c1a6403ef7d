#pragma once

#include "store/Schema.h"

#include <QString>
#include <QVariantList>

namespace marvik::store {

class MessageStore;
class Statement;

// A selection of rows of one table: a WHERE clause with ? placeholders and
// the values bound to them, never pasted in. Rows always come in the table's
// key order.
struct Selection
{
    Table table = Table::Messages;
    QString where; // empty: every row
    QVariantList values;

    QString sql(const QString &what) const; // "SELECT <what> FROM T [WHERE ...]"
    QString orderedSql(const QString &what) const; // the same, ORDER BY the key
};

// Binds the selection's values to a statement prepared from its SQL.
void bindSelection(Statement &statement, const Selection &selection);

// Number of rows the selection yields; 0 when it cannot be read.
int CountSelection(const MessageStore &store, const Selection &selection);

} // namespace marvik::store
