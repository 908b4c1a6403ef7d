#include "store/StoreOperations.h"

#include "store/ConferenceList.h"
#include "store/Database.h"
#include "store/MessageStore.h"
#include "store/PackingJournal.h"
#include "store/Rewind.h"
#include "store/SearchIndex.h"
#include "store/Statement.h"
#include "store/StoreError.h"
#include "store/Transaction.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>

namespace marvik::store {

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
    CountChanges changed;
    changed[{qwkId, conference}] = Counts {};
    tellList(changed);
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
    tellList(changes);
    return wasUnread;
}

void StoreOperations::countRemoved(
    CountChanges &changes, const QString &qwkId, int conference, bool personal, bool read, int rows)
{
    Counts &counts = changes[{qwkId, conference}];
    counts.total -= rows;
    if (!read)
        counts.unread -= rows;
    if (personal && conference != -2) {
        Counts &personalCounts = changes[{qwkId, -1}];
        personalCounts.total -= rows;
        if (!read)
            personalCounts.unread -= rows;
    }
}

int StoreOperations::removeRows(
    const QList<qint64> &keys, qsizetype from, qsizetype to, CountChanges &changes)
{
    return removeListed(PackingJournal::keyList(keys.mid(from, to - from)), changes);
}

int StoreOperations::removeListed(const QString &keyList, CountChanges &changes)
{
    // One statement for the rows, their keys handed over as one JSON list,
    // so it touches exactly those rows however sparse they are; the rows it
    // returns give the count changes, as stored, not as a caller remembers.
    Statement &s = m_store.prepared(
        QStringLiteral("DELETE FROM MESSAGES WHERE rowid IN (SELECT value FROM json_each(?)) "
                       "RETURNING \"QwkID\", \"Conference Number\", \"Personal\", \"Read Flag\""));
    Rewind rewind(s);
    s.bind(1, keyList);
    int removed = 0;
    while (s.step()) {
        countRemoved(changes, s.text(0), s.integer(1), s.int64(2) != 0, s.int64(3) != 0, 1);
        ++removed;
    }
    return removed;
}

void StoreOperations::applyCounts(const CountChanges &changes)
{
    // One statement for all the conferences a batch touched: a bulk delete
    // across a system may touch thousands.
    QJsonArray deltas;
    for (auto it = changes.cbegin(); it != changes.cend(); ++it) {
        if (it.value().total != 0 || it.value().unread != 0)
            deltas.append(
                QJsonArray {it.key().first, it.key().second, it.value().total, it.value().unread});
    }
    if (deltas.isEmpty())
        return;
    Statement &s = m_store.prepared(QStringLiteral(
        "UPDATE CONFS SET \"Total Msgs\" = IFNULL(\"Total Msgs\", 0) + d.total, "
        "\"Unread Msgs\" = IFNULL(\"Unread Msgs\", 0) + d.unread FROM (SELECT "
        "value ->> 0 AS qwkId, value ->> 1 AS number, value ->> 2 AS total, value ->> 3 AS unread "
        "FROM json_each(?)) AS d WHERE CONFS.\"QwkID\" = d.qwkId AND "
        "CONFS.\"Conference Number\" = d.number"));
    Rewind rewind(s);
    s.bind(1, QString::fromUtf8(QJsonDocument(deltas).toJson(QJsonDocument::Compact)));
    s.step();
}

void StoreOperations::tellList(const CountChanges &changes)
{
    if (!m_list || changes.isEmpty())
        return;
    const QString qwkId = m_list->qwkId();
    int touched = 0;
    for (auto it = changes.cbegin(); it != changes.cend(); ++it)
        touched += it.key().first == qwkId ? 1 : 0;
    if (touched == 0)
        return;
    if (touched == 1) {
        for (auto it = changes.cbegin(); it != changes.cend(); ++it) {
            if (it.key().first == qwkId) {
                if (const auto row = m_store.findConference(it.key().second, qwkId))
                    m_list->setCounts(qwkId, row->number, row->totalMsgs, row->unreadMsgs);
            }
        }
        return;
    }
    // Many conferences: one read of them all; only changed entries signal.
    for (const ConferenceRecord &row : m_store.conferences(qwkId))
        m_list->setCounts(qwkId, row.number, row.totalMsgs, row.unreadMsgs);
}

int StoreOperations::deleteMessages(const QList<MessageRecord> &messages)
{
    QList<qint64> keys;
    keys.reserve(messages.size());
    for (const MessageRecord &message : messages)
        keys.append(message.recordNumber);
    return deleteMessages(keys);
}

int StoreOperations::deleteMessages(const QList<qint64> &recordNumbers)
{
    Transaction transaction(m_store);
    CountChanges changes;
    const int deleted = removeRows(recordNumbers, 0, recordNumbers.size(), changes);
    applyCounts(changes);
    transaction.commit();
    tellList(changes);
    return deleted;
}

int StoreOperations::finishPacking(qint64 entry)
{
    Transaction transaction(m_store);
    QString keyList;
    {
        Statement &s = m_store.prepared(
            QStringLiteral("SELECT \"Replies\" FROM PACKING WHERE \"Entry\" = ?"));
        Rewind rewind(s);
        s.bind(1, entry);
        if (!s.step())
            return 0; // finished already
        keyList = s.text(0);
    }
    CountChanges changes;
    const int deleted = removeListed(keyList, changes);
    PackingJournal(m_store).drop(entry);
    applyCounts(changes);
    transaction.commit();
    tellList(changes);
    return deleted;
}

QList<qint64> StoreOperations::selectKeys(const Selection &selection)
{
    // Unordered, so the rows come straight off the index and events run
    // while they do; ordering them in SQL would read them all before the
    // first row came back. Deleting in key order changes each table page
    // once, hence the sort here.
    Statement &s = m_store.prepared(selection.sql(QStringLiteral("rowid")));
    Rewind rewind(s);
    bindSelection(s, selection);
    QList<qint64> keys;
    while (s.step()) {
        keys.append(s.int64(0));
        // The pump decides itself whether it is time to run events.
        if (m_pump && (keys.size() & 1023) == 0)
            m_pump();
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

int StoreOperations::deleteInBatches(const Selection &selection, const RowProgress &progress)
{
    if (selection.table != Table::Messages)
        throw StoreError(QStringLiteral("Only messages are deleted by selection."));
    const QList<qint64> keys = selectKeys(selection);

    const int count = int(keys.size());
    int done = 0;
    int deleted = 0;
    int rows = FirstBatchRows;
    // The conference list is told once at the end, also when a batch fails:
    // reading every conference after each batch would cost more than the
    // batch's own count changes.
    CountChanges changed;
    try {
        while (done < count) {
            const int end = std::min(count, done + rows);
            if (progress) {
                for (int i = done; i < end; ++i)
                    progress(i + 1, count);
            }
            QElapsedTimer timer;
            timer.start();
            Transaction transaction(m_store);
            CountChanges changes;
            deleted += removeRows(keys, done, end, changes);
            applyCounts(changes);
            transaction.commit();
            for (auto it = changes.cbegin(); it != changes.cend(); ++it)
                changed.insert(it.key(), {});
            // The next batch is sized to take about BatchMilliseconds, and
            // grows at most fourfold: rows that came cheap (already in
            // memory) say little of the rows after them.
            const double perRow = double(std::max<qint64>(timer.nsecsElapsed(), 1)) / (end - done);
            rows = int(std::clamp(
                BatchMilliseconds * 1e6 / perRow, 64.0, std::min(20000.0, 4.0 * (end - done))));
            done = end;
        }
    } catch (...) {
        // The batch's own error is the one to report, not a second one
        // from reading the counts back.
        try {
            tellList(changed);
        } catch (const StoreError &) { }
        throw;
    }
    tellList(changed);
    return deleted;
}

int StoreOperations::deleteSelection(const Selection &selection, const RowProgress &progress)
{
    return deleteInBatches(selection, progress);
}

void StoreOperations::appendWrittenParts(
    const QString &qwkId, QList<MessageRecord> &parts, CountChanges &changes)
{
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
    // Searchable at once, in the same transaction, unless an import's rows
    // before it still wait for the indexer (it then takes these in turn).
    if (!parts.isEmpty())
        SearchIndex::indexAppended(m_store, parts.first().recordNumber, parts.last().recordNumber);
    changes[{qwkId, -2}].total += int(parts.size());
}

QList<MessageRecord> StoreOperations::storeWrittenMessage(
    const QString &qwkId, QList<MessageRecord> parts)
{
    Transaction transaction(m_store);
    CountChanges changes;
    appendWrittenParts(qwkId, parts, changes);
    applyCounts(changes);
    transaction.commit();
    tellList(changes);
    return parts;
}

QList<MessageRecord> StoreOperations::replaceWrittenMessage(
    const QString &qwkId, qint64 replaced, QList<MessageRecord> parts)
{
    Transaction transaction(m_store);
    CountChanges changes;
    Statement &s = m_store.prepared(
        QStringLiteral("DELETE FROM MESSAGES WHERE rowid = ? AND \"QwkID\" = ? AND "
                       "\"Conference Number\" = -2 RETURNING rowid"));
    {
        Rewind rewind(s);
        s.bind(1, replaced);
        s.bind(2, qwkId);
        while (s.step())
            changes[{qwkId, -2}].total -= 1;
    }
    appendWrittenParts(qwkId, parts, changes);
    applyCounts(changes);
    transaction.commit();
    tellList(changes);
    return parts;
}

void StoreOperations::deleteRowsOf(Table table, const QString &qwkId, const TableProgress &progress)
{
    const QList<qint64> keys
        = selectKeys(Selection {table, QStringLiteral("\"QwkID\" = ?"), {qwkId}});
    const int count = int(keys.size());
    Statement &s = m_store.prepared(
        QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(Schema::table(table).name));
    Transaction transaction(m_store);
    for (int done = 0; done < count; ++done) {
        if (progress)
            progress(table, done + 1, count);
        Rewind rewind(s);
        s.bind(1, keys.at(done));
        s.step();
    }
    transaction.commit();
}

void StoreOperations::deleteSystem(const QString &qwkId, const TableProgress &progress)
{
    // The system row goes last: a deletion cut short leaves the system in the
    // list, to be deleted again, instead of rows nobody can reach. Bulletins
    // and conferences are few; messages go in batches with their counts.
    // Its packing journal goes first: an entry would otherwise outlive the
    // replies it names, and a system of the same name added later could
    // lose messages with the same record numbers (which are never reused,
    // but the rule should not lean on that).
    PackingJournal(m_store).dropSystem(qwkId);
    deleteRowsOf(Table::Bulletins, qwkId, progress);
    deleteInBatches(Selection {Table::Messages, QStringLiteral("\"QwkID\" = ?"), {qwkId}},
        [&progress](int index, int count) {
            if (progress)
                progress(Table::Messages, index, count);
        });
    deleteRowsOf(Table::Conferences, qwkId, progress);
    deleteRowsOf(Table::Systems, qwkId, progress);
    if (m_list && m_list->qwkId() == qwkId)
        m_list->clear();
}

} // namespace marvik::store
