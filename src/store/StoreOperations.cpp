#include "store/StoreOperations.h"

#include "store/ConferenceList.h"
#include "store/MessageStore.h"
#include "store/Statement.h"
#include "store/StoreError.h"
#include "store/Transaction.h"

#include <QElapsedTimer>

namespace marvik::store {

namespace {

// A long deletion commits after this long even when the batch is not full,
// so the log stays small and a kill loses little.
constexpr int BatchMilliseconds = 40;

// Resets a cached statement however the caller leaves it.
class Rewind
{
public:
    explicit Rewind(Statement &statement)
        : m_statement(statement)
    { }
    ~Rewind() { m_statement.reset(); }
    Rewind(const Rewind &) = delete;
    Rewind &operator=(const Rewind &) = delete;

private:
    Statement &m_statement;
};

QList<qint64> selectKeys(MessageStore &store, const Selection &selection)
{
    Statement &s = store.prepared(selection.orderedSql(QStringLiteral("rowid")));
    Rewind rewind(s);
    bindSelection(s, selection);
    QList<qint64> keys;
    while (s.step())
        keys.append(s.int64(0));
    return keys;
}

} // namespace

StoreOperations::StoreOperations(MessageStore &store)
    : m_store(store)
{ }

QList<ConferenceRecord> StoreOperations::conferencesForList(const QString &qwkId)
{
    Statement &s = m_store.prepared(
        QStringLiteral("UPDATE CONFS SET \"Unread Msgs\" = 0 WHERE \"QwkID\" = ? AND "
                       "IFNULL(\"Total Msgs\", 0) = 0 AND IFNULL(\"Unread Msgs\", 0) <> 0"));
    {
        Rewind rewind(s);
        s.bind(1, qwkId);
        s.step();
    }
    return m_store.conferences(qwkId);
}

void StoreOperations::setConferenceTotal(const QString &qwkId, int conference, int total)
{
    if (total == 0)
        return;
    Statement &s
        = m_store.prepared(QStringLiteral("UPDATE CONFS SET \"Total Msgs\" = ? "
                                          "WHERE \"Conference Number\" = ? AND \"QwkID\" = ?"));
    {
        Rewind rewind(s);
        s.bind(1, total);
        s.bind(2, conference);
        s.bind(3, qwkId);
        s.step();
    }
    tellList(qwkId, conference);
}

bool StoreOperations::markRead(const MessageRecord &message)
{
    Transaction transaction(m_store);
    // The stored flag decides, not the record: a message marked twice, or
    // from a stale record, lowers the counts once.
    Statement &s = m_store.prepared(QStringLiteral(
        "UPDATE MESSAGES SET \"Read Flag\" = 1 WHERE rowid = ? AND IFNULL(\"Read Flag\", 0) = 0 "
        "RETURNING \"Conference Number\", \"QwkID\", \"Personal\""));
    bool wasUnread = false;
    int conference = 0;
    QString qwkId;
    bool personal = false;
    {
        Rewind rewind(s);
        s.bind(1, message.recordNumber);
        if (s.step()) {
            wasUnread = true;
            conference = s.integer(0);
            qwkId = s.text(1);
            personal = s.int64(2) != 0;
            while (s.step()) { }
        }
    }
    CountChanges changes;
    if (wasUnread && conference != -2) {
        changes[{qwkId, conference}].unread -= 1;
        if (personal)
            changes[{qwkId, -1}].unread -= 1;
    }
    applyCounts(changes);
    transaction.commit();
    for (auto it = changes.cbegin(); it != changes.cend(); ++it)
        tellList(it.key().first, it.key().second);
    return wasUnread;
}

bool StoreOperations::deleteRow(qint64 recordNumber, CountChanges &changes)
{
    Statement &s = m_store.prepared(
        QStringLiteral("DELETE FROM MESSAGES WHERE rowid = ? "
                       "RETURNING \"Conference Number\", \"QwkID\", \"Read Flag\", \"Personal\""));
    Rewind rewind(s);
    s.bind(1, recordNumber);
    if (!s.step())
        return false;
    const int conference = s.integer(0);
    const QString qwkId = s.text(1);
    const bool read = s.int64(2) != 0;
    const bool personal = s.int64(3) != 0;
    while (s.step()) { }
    Counts &counts = changes[{qwkId, conference}];
    counts.total -= 1;
    if (!read)
        counts.unread -= 1;
    if (personal && conference != -2) {
        Counts &personalCounts = changes[{qwkId, -1}];
        personalCounts.total -= 1;
        if (!read)
            personalCounts.unread -= 1;
    }
    return true;
}

void StoreOperations::applyCounts(const CountChanges &changes)
{
    for (auto it = changes.cbegin(); it != changes.cend(); ++it)
        m_store.addToConferenceCounts(
            it.key().second, it.key().first, it.value().total, it.value().unread);
}

void StoreOperations::tellList(const QString &qwkId, int conference)
{
    if (!m_list || m_list->qwkId() != qwkId)
        return;
    if (const auto row = m_store.findConference(conference, qwkId))
        m_list->setCounts(qwkId, conference, row->totalMsgs, row->unreadMsgs);
}

int StoreOperations::deleteMessages(const QList<MessageRecord> &messages)
{
    Transaction transaction(m_store);
    CountChanges changes;
    int deleted = 0;
    for (const MessageRecord &message : messages)
        deleted += deleteRow(message.recordNumber, changes) ? 1 : 0;
    applyCounts(changes);
    transaction.commit();
    for (auto it = changes.cbegin(); it != changes.cend(); ++it)
        tellList(it.key().first, it.key().second);
    return deleted;
}

int StoreOperations::deleteKeys(const QList<qint64> &keys, const RowProgress &progress)
{
    const int count = int(keys.size());
    int done = 0;
    int deleted = 0;
    while (done < count) {
        Transaction transaction(m_store);
        CountChanges changes;
        int inBatch = 0;
        int batchDeleted = 0;
        QElapsedTimer timer;
        timer.start();
        while (done < count && inBatch < BatchSize
            && (inBatch == 0 || timer.elapsed() < BatchMilliseconds)) {
            if (progress)
                progress(done + 1, count);
            batchDeleted += deleteRow(keys.at(done), changes) ? 1 : 0;
            ++done;
            ++inBatch;
        }
        applyCounts(changes);
        transaction.commit();
        deleted += batchDeleted;
        for (auto it = changes.cbegin(); it != changes.cend(); ++it)
            tellList(it.key().first, it.key().second);
    }
    return deleted;
}

int StoreOperations::deleteSelection(const Selection &selection, const RowProgress &progress)
{
    if (selection.table != Table::Messages)
        throw StoreError(QStringLiteral("Only messages are deleted by selection."));
    return deleteKeys(selectKeys(m_store, selection), progress);
}

QList<MessageRecord> StoreOperations::storeWrittenMessage(
    const QString &qwkId, QList<MessageRecord> parts)
{
    Transaction transaction(m_store);
    const auto system = m_store.findSystem(qwkId);
    if (!system)
        throw StoreError(QStringLiteral("The system %1 is not in the message store.").arg(qwkId));
    int lastReply = system->lastReply;
    for (MessageRecord &part : parts) {
        part.qwkId = qwkId;
        part.conferenceNumber = -2;
        part.messageNumber = ++lastReply;
        part.read = true;
        part.personal = false;
        part.recordNumber = m_store.appendMessage(part);
    }
    m_store.setLastReply(qwkId, lastReply);
    m_store.addToConferenceCounts(-2, qwkId, int(parts.size()), 0);
    transaction.commit();
    tellList(qwkId, -2);
    return parts;
}

void StoreOperations::deleteSystem(const QString &qwkId, const TableProgress &progress)
{
    // The system row goes last: a deletion cut short leaves the system in the
    // list, to be deleted again, instead of rows nobody can reach.
    const auto deleteTable = [&](Table table, const Selection &selection) {
        const QList<qint64> keys = selectKeys(m_store, selection);
        const int count = int(keys.size());
        Statement &s = m_store.prepared(
            QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(Schema::table(table).name));
        for (int done = 0; done < count;) {
            Transaction transaction(m_store);
            QElapsedTimer timer;
            timer.start();
            for (int inBatch = 0; done < count && inBatch < BatchSize
                 && (inBatch == 0 || timer.elapsed() < BatchMilliseconds);
                 ++inBatch, ++done) {
                if (progress)
                    progress(table, done + 1, count);
                Rewind rewind(s);
                s.bind(1, keys.at(done));
                s.step();
            }
            transaction.commit();
        }
    };
    const QVariantList bySystem {qwkId};
    const QString where = QStringLiteral("\"QwkID\" = ?");
    deleteTable(Table::Bulletins, Selection {Table::Bulletins, where, bySystem});
    deleteKeys(selectKeys(m_store, Selection {Table::Messages, where, bySystem}),
        [&progress](int index, int count) {
            if (progress)
                progress(Table::Messages, index, count);
        });
    deleteTable(Table::Conferences, Selection {Table::Conferences, where, bySystem});
    deleteTable(Table::Systems, Selection {Table::Systems, where, bySystem});
    if (m_list && m_list->qwkId() == qwkId)
        m_list->clear();
}

} // namespace marvik::store
