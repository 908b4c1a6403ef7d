#pragma once

#include <QString>

namespace marvik::store {

class FieldMap;
class LiveQuery;

// Tolerant readers: they never fail. A missing field, a null value or no
// current row give "" and 0; a boolean reads as "True"/"False" and 1/0;
// a text that is not a whole number reads as 0.
QString FieldText(const FieldMap &fields, const QString &name);
int FieldInteger(const FieldMap &fields, const QString &name);
QString FieldText(const LiveQuery &query, const QString &name);
int FieldInteger(const LiveQuery &query, const QString &name);

} // namespace marvik::store
