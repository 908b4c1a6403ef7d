#include "store/SearchIndex.h"

#include "store/Database.h"
#include "store/MessageStore.h"
#include "store/Rewind.h"
#include "store/Statement.h"

#include <algorithm>

namespace marvik::store {

namespace {

// The indexed columns, as the FTS table and MESSAGES both name them.
const QString columns = QStringLiteral("\"From\", \"To\", \"Subject\", \"Message\"");

QString oldValues()
{
    return QStringLiteral("old.\"From\", old.\"To\", old.\"Subject\", old.\"Message\"");
}

// Read by the window's connection and by the indexing thread's.
QString watermarkQuery()
{
    return QStringLiteral("SELECT \"Indexed Up To\" FROM SEARCH_STATE LIMIT 1");
}

} // namespace

QStringList SearchIndex::createStatements()
{
    QStringList statements;
    // Full detail, so phrases work; a prefix index of three letters, so
    // "mod*" reads one list instead of merging every word that begins so.
    // Accents and case are folded, so "cafe" finds "Café".
    statements << QStringLiteral("CREATE VIRTUAL TABLE IF NOT EXISTS MESSAGES_FTS USING fts5(%1, "
                                 "content='MESSAGES', tokenize='unicode61 remove_diacritics 2', "
                                 "prefix='3', detail=full)")
                      .arg(columns);
    // The index grows by a commit at a time (a slice of the indexer, a
    // reply): merging its pieces eight at a time instead of four does less
    // merge work, and a merge of every piece of a level at once (which held
    // a slice for a tenth of a second or more) waits for 64 of them.
    statements << QStringLiteral(
        "INSERT INTO MESSAGES_FTS (MESSAGES_FTS, rank) VALUES ('automerge', 8)");
    statements << QStringLiteral(
        "INSERT INTO MESSAGES_FTS (MESSAGES_FTS, rank) VALUES ('crisismerge', 64)");
    statements << QStringLiteral(
        "CREATE TABLE IF NOT EXISTS SEARCH_STATE (\"Indexed Up To\" INTEGER NOT NULL)");
    statements << QStringLiteral("INSERT INTO SEARCH_STATE SELECT 0 WHERE NOT EXISTS "
                                 "(SELECT 1 FROM SEARCH_STATE)");
    const QString covered = QStringLiteral("(SELECT \"Indexed Up To\" FROM SEARCH_STATE LIMIT 1)");
    const QString remove
        = QStringLiteral("INSERT INTO MESSAGES_FTS (MESSAGES_FTS, rowid, %1) VALUES ('delete', "
                         "old.rowid, %2);")
              .arg(columns, oldValues());
    statements << QStringLiteral("CREATE TRIGGER IF NOT EXISTS MessagesSearchDelete AFTER DELETE "
                                 "ON MESSAGES WHEN old.rowid <= %1 BEGIN %2 END")
                      .arg(covered, remove);
    statements << QStringLiteral(
        "CREATE TRIGGER IF NOT EXISTS MessagesSearchUpdate AFTER UPDATE OF %1 ON MESSAGES "
        "WHEN old.rowid <= %2 BEGIN %3 INSERT INTO MESSAGES_FTS (rowid, %1) VALUES "
        "(new.rowid, new.\"From\", new.\"To\", new.\"Subject\", new.\"Message\"); END")
                      .arg(columns, covered, remove);
    return statements;
}

qint64 SearchIndex::watermark(const MessageStore &store)
{
    Statement &s = store.prepared(watermarkQuery());
    Rewind rewind(s);
    return s.step() ? s.int64(0) : 0;
}

qint64 SearchIndex::lastKey(const MessageStore &store)
{
    Statement &s = store.prepared(QStringLiteral("SELECT IFNULL(MAX(rowid), 0) FROM MESSAGES"));
    Rewind rewind(s);
    return s.step() ? s.int64(0) : 0;
}

bool SearchIndex::isComplete(const MessageStore &store)
{
    return lastKey(store) <= watermark(store);
}

int SearchIndex::indexNext(MessageStore &store, int rows)
{
    return indexNext(store.database(), rows);
}

int SearchIndex::indexNext(const Database &db, int rows)
{
    qint64 from = 0;
    {
        Statement s(db, watermarkQuery());
        if (s.step())
            from = s.int64(0);
    }
    qint64 to = from;
    int count = 0;
    {
        Statement s(db,
            QStringLiteral("SELECT MAX(k), COUNT(*) FROM (SELECT rowid AS k FROM MESSAGES "
                           "WHERE rowid > ? ORDER BY rowid LIMIT ?)"));
        s.bind(1, from);
        s.bind(2, rows);
        if (s.step() && !s.isNull(0)) {
            to = s.int64(0);
            count = s.integer(1);
        }
    }
    if (count == 0)
        return 0;
    {
        Statement s(db,
            QStringLiteral("INSERT INTO MESSAGES_FTS (rowid, %1) SELECT rowid, %1 FROM MESSAGES "
                           "WHERE rowid > ? AND rowid <= ? ORDER BY rowid")
                .arg(columns));
        s.bind(1, from);
        s.bind(2, to);
        s.step();
    }
    Statement s(db, QStringLiteral("UPDATE SEARCH_STATE SET \"Indexed Up To\" = ?"));
    s.bind(1, to);
    s.step();
    return count;
}

bool SearchIndex::indexAppended(MessageStore &store, qint64 first, qint64 last)
{
    const qint64 from = watermark(store);
    {
        Statement &s = store.prepared(
            QStringLiteral("SELECT 1 FROM MESSAGES WHERE rowid > ? AND rowid < ? LIMIT 1"));
        Rewind rewind(s);
        s.bind(1, from);
        s.bind(2, first);
        if (s.step())
            return false; // the indexer gets to them in order
    }
    const qint64 waiting = last - from;
    return waiting > 0 && indexNext(store, int(std::min<qint64>(waiting, 1 << 30))) > 0;
}

} // namespace marvik::store
