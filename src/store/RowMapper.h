#pragma once

#include "store/FieldMap.h"
#include "store/Records.h"
#include "store/Schema.h"

namespace marvik::store {

class Statement;

// The one place where a table row becomes a record: the keyed reads of the
// store and the current row of a live query both go through it.
class RowMapper
{
public:
    // Every column of the statement's current row by its name; boolean
    // columns as bool, null as an invalid value.
    static FieldMap read(const Statement &statement, Table table);

    static SystemRecord system(const FieldMap &row);
    static ConferenceRecord conference(const FieldMap &row);
    static MessageRecord message(const FieldMap &row);
    static BulletinRecord bulletin(const FieldMap &row);
};

} // namespace marvik::store
