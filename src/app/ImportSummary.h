#pragma once

#include "packet/ImportResult.h"

#include <QString>

namespace marvik::app {

// One line that says what an import brought, for the main window's status
// line: "HARBOR: 12 new messages in 5 conferences, 4 personal, 2 bulletins",
// with what was skipped or already stored when there was any.
class ImportSummary
{
public:
    static QString text(const packet::ImportResult &result);
};

} // namespace marvik::app
