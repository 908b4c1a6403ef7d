#pragma once

#include <QString>
#include <QStringList>

namespace marvik::store {

class Database;
class MessageStore;

// The full-text index over From, To, Subject and the text of every message:
// an FTS5 table that reads its texts from MESSAGES (the message key is its
// rowid), so only the index itself takes room.
//
// The index holds exactly the messages whose key is at most the watermark
// kept in SEARCH_STATE. Triggers on MESSAGES keep those rows right when they
// are deleted or their texts change, in the statement that changes them; a
// row above the watermark is never in the index, so nothing is ever deleted
// from the index that was not put there. Rows appended by an import lie above
// the watermark until the indexer catches up; a stored reply is indexed at
// once when nothing before it waits.
class SearchIndex
{
public:
    static constexpr const char *Table = "MESSAGES_FTS";
    static constexpr const char *StateTable = "SEARCH_STATE";

    // The table, the state row (watermark 0) and the triggers.
    static QStringList createStatements();

    // The highest key covered by the index.
    static qint64 watermark(const MessageStore &store);
    // The highest key in MESSAGES (0 when empty).
    static qint64 lastKey(const MessageStore &store);
    // Whether every message is in the index.
    static bool isComplete(const MessageStore &store);

    // Indexes the next rows above the watermark, at most `rows` of them, and
    // moves the watermark past them. The caller holds the transaction.
    // Returns how many were indexed (0: nothing was waiting).
    static int indexNext(MessageStore &store, int rows);
    // The same on another connection to the store (the indexing thread's).
    static int indexNext(const Database &db, int rows);

    // Messages just appended with keys [first, last] in the caller's
    // transaction: when no row before them waits for the indexer, they are
    // indexed now and the watermark moves to `last`. Returns whether it did.
    static bool indexAppended(MessageStore &store, qint64 first, qint64 last);
};

} // namespace marvik::store
