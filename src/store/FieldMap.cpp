#include "store/FieldMap.h"

namespace marvik::store {

qsizetype FieldMap::indexOf(const QString &name) const
{
    for (qsizetype i = 0; i < m_fields.size(); ++i) {
        if (m_fields.at(i).first.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QVariant FieldMap::value(const QString &name) const
{
    const qsizetype i = indexOf(name);
    return i < 0 ? QVariant() : m_fields.at(i).second;
}

void FieldMap::setValue(const QString &name, const QVariant &value)
{
    const qsizetype i = indexOf(name);
    if (i < 0)
        m_fields.append({name, value});
    else
        m_fields[i].second = value;
}

QStringList FieldMap::names() const
{
    QStringList out;
    for (const auto &field : m_fields)
        out << field.first;
    return out;
}

} // namespace marvik::store
