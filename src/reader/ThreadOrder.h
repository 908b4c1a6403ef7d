#pragma once

#include "store/MessageListQueries.h"

#include <QString>
#include <QtGlobal>

#include <vector>

namespace marvik::reader {

// What threading needs of one message of the list.
using ThreadInput = store::ThreadFields;

struct ThreadRow
{
    qint64 key = 0;
    int depth = 0; // 0 for a root
    int parent = -1; // index into the result, -1 for a root
};

// Hangs each message under the one it answers: by In-Reply-To where the
// packet named messages, else by Reference Number within its conference.
// A message whose parent is not among the rows is a root. Pure logic, so
// hostile data (a message answering itself, two answering each other) can
// be tried without a window: every row comes out exactly once.
class ThreadOrder
{
public:
    // Rows depth first; roots and siblings keep their order in `rows`.
    static std::vector<ThreadRow> build(const std::vector<ThreadInput> &rows);
};

} // namespace marvik::reader
