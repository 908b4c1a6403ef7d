#include "store/Selection.h"

#include "store/MessageStore.h"
#include "store/Statement.h"
#include "store/StoreError.h"

namespace marvik::store {

QString Selection::sql(const QString &what) const
{
    QString text = QStringLiteral("SELECT %1 FROM %2").arg(what, Schema::table(table).name);
    if (!where.isEmpty())
        text += QLatin1String(" WHERE ") + where;
    return text;
}

QString Selection::orderedSql(const QString &what) const
{
    return sql(what) + QLatin1String(" ORDER BY ") + Schema::keyOrder(table);
}

void bindSelection(Statement &statement, const Selection &selection)
{
    for (qsizetype i = 0; i < selection.values.size(); ++i)
        statement.bindVariant(int(i + 1), selection.values.at(i));
}

int CountSelection(const MessageStore &store, const Selection &selection)
{
    try {
        Statement &s = store.prepared(selection.sql(QStringLiteral("COUNT(*)")));
        bindSelection(s, selection);
        const int count = s.step() ? s.integer(0) : 0;
        s.reset();
        return count;
    } catch (const StoreError &) {
        return 0;
    }
}

} // namespace marvik::store
