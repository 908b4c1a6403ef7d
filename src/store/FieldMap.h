#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace marvik::store {

// The fields of one row by name. Names are matched ignoring letter case
// ("QWKID" and "QwkID" are the same field), as the windows have always
// written them both ways.
class FieldMap
{
public:
    bool isEmpty() const { return m_fields.isEmpty(); }
    qsizetype size() const { return m_fields.size(); }
    void clear() { m_fields.clear(); }

    bool contains(const QString &name) const { return indexOf(name) >= 0; }
    // Invalid QVariant for a missing field; also for a null one.
    QVariant value(const QString &name) const;
    // Replaces a field of the same name (any case) or appends one.
    void setValue(const QString &name, const QVariant &value);
    QStringList names() const;

private:
    qsizetype indexOf(const QString &name) const;

    QList<QPair<QString, QVariant>> m_fields;
};

} // namespace marvik::store
