#include "store/FieldReaders.h"

#include "store/FieldMap.h"
#include "store/LiveQuery.h"

#include <limits>

namespace marvik::store {

QString FieldText(const FieldMap &fields, const QString &name)
{
    const QVariant value = fields.value(name);
    if (!value.isValid() || value.isNull())
        return QString();
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    return value.toString();
}

int FieldInteger(const FieldMap &fields, const QString &name)
{
    const QVariant value = fields.value(name);
    if (!value.isValid() || value.isNull())
        return 0;
    if (value.typeId() == QMetaType::QString) {
        bool ok = false;
        const int number = value.toString().trimmed().toInt(&ok);
        return ok ? number : 0;
    }
    bool ok = false;
    const qlonglong number = value.toLongLong(&ok);
    if (!ok || number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max())
        return 0;
    return int(number);
}

QString FieldText(const LiveQuery &query, const QString &name)
{
    return FieldText(query.fields(), name);
}

int FieldInteger(const LiveQuery &query, const QString &name)
{
    return FieldInteger(query.fields(), name);
}

} // namespace marvik::store
