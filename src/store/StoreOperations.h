#pragma once

#include "store/Records.h"
#include "store/Selection.h"

#include <QList>
#include <QMap>
#include <QString>

#include <functional>

namespace marvik::store {

class ConferenceList;
class MessageStore;

// Every change a window makes to messages, each as one call that moves the
// rows and the conference counts together in one transaction (or, for long
// deletions, in batches that each carry their own count changes). A failure
// or a kill therefore never leaves counts that disagree with the rows.
//
// The counts follow these rules: a received message counts in its
// conference, unread ones in "Unread Msgs" too; a personal message outside
// the replies conference counts in the personal conference (-1) as well;
// written messages (-2) are stored read, so reading never moves the replies
// conference. A conference list given with setConferenceList() is told every
// new count of its system.
class StoreOperations
{
public:
    // Called for every row of a long deletion with its 1-based index and the
    // number of rows; a window sets its progress text and lets events run.
    using RowProgress = std::function<void(int index, int count)>;

    // A long deletion commits in batches of about this long, each carrying
    // its own count changes, so events run between them and a kill loses at
    // most one batch. The first batch is FirstBatchRows long; later ones are
    // sized from the time the rows before them took. Events run at the first
    // batch boundary after the progress window's interval, so the longest
    // wait for them is that interval and one batch.
    static constexpr int BatchMilliseconds = 15;
    static constexpr int FirstBatchRows = 256;

    explicit StoreOperations(MessageStore &store);

    MessageStore &store() const { return m_store; }
    void setConferenceList(ConferenceList *list) { m_list = list; }
    // Lets window events run while a long step reads before its first row
    // (the keys of a large selection); called often, it decides itself
    // when to run them.
    void setEventPump(std::function<void()> pump) { m_pump = std::move(pump); }

    // The conferences of a system for the conference list. A conference
    // whose total is 0 gets its stored unread count set to 0 first.
    QList<ConferenceRecord> conferencesForList(const QString &qwkId);

    // A conference was opened and its selection counted: a count that is not
    // 0 becomes the conference's stored total.
    void setConferenceTotal(const QString &qwkId, int conference, int total);

    // Sets the message's read flag. When it was unread (as stored, whatever
    // the record says) and not a reply, the unread counts of its conference
    // and, for a personal message, of the personal conference drop by one.
    // Returns whether the message was unread.
    bool markRead(const MessageRecord &message);

    // Deletes the messages by their record numbers in one transaction, the
    // counts lowered as the stored rows say. Returns how many were deleted.
    int deleteMessages(const QList<MessageRecord> &messages);
    int deleteMessages(const QList<qint64> &recordNumbers);
    bool deleteMessage(const MessageRecord &message) { return deleteMessages({message}) == 1; }

    // Finishes a packing: in one transaction the replies the journal entry
    // names leave the store, with their counts, and the entry goes. Returns
    // how many were deleted; 0 for an entry no longer there.
    int finishPacking(qint64 entry);

    // Deletes every message of the selection in batches; `progress` is told
    // of each row, in order, just before the batch holding it goes. A store
    // error ends the deletion with the batches before it committed, and is
    // thrown on. Returns how many were deleted.
    int deleteSelection(const Selection &selection, const RowProgress &progress = {});

    // Stores a written message, all its parts or none: each part goes to the
    // replies conference, read and not personal, numbered from the system's
    // "Last Reply" + 1 on; "Last Reply" and the replies total grow by the
    // number of parts. The parts' other fields are stored as given. Returns
    // the stored parts with their record and message numbers.
    QList<MessageRecord> storeWrittenMessage(const QString &qwkId, QList<MessageRecord> parts);

    // A stored reply edited again: in one transaction the reply's row
    // `replaced` goes and the new parts are stored as storeWrittenMessage()
    // stores them, the replies total moving by the difference. So the old
    // text stays until the new one is stored, and a failure keeps it. A
    // reply no longer there (deleted meanwhile) leaves just the new parts;
    // a row that is not a reply of system `qwkId` is never touched.
    QList<MessageRecord> replaceWrittenMessage(
        const QString &qwkId, qint64 replaced, QList<MessageRecord> parts);

    // Deletes a system from all four tables and its packing journal: its
    // row, then its bulletins, messages and conferences, each with progress
    // (the table being emptied, 1-based index, count). Messages go in batches like
    // deleteSelection().
    using TableProgress = std::function<void(Table table, int index, int count)>;
    void deleteSystem(const QString &qwkId, const TableProgress &progress = {});

private:
    struct Counts
    {
        int total = 0;
        int unread = 0;
    };
    using CountChanges = QMap<std::pair<QString, int>, Counts>;

    static void countRemoved(CountChanges &changes, const QString &qwkId, int conference,
        bool personal, bool read, int rows);
    // Deletes the rows keys[from, to) inside the open transaction, adding
    // their count changes; returns how many were still there.
    int removeRows(const QList<qint64> &keys, qsizetype from, qsizetype to, CountChanges &changes);
    // The same for the rows a JSON list of keys names.
    int removeListed(const QString &keyList, CountChanges &changes);
    // Numbers and appends the parts of a written message inside the open
    // transaction, adding their count changes.
    void appendWrittenParts(
        const QString &qwkId, QList<MessageRecord> &parts, CountChanges &changes);
    void applyCounts(const CountChanges &changes);
    void tellList(const CountChanges &changes);
    QList<qint64> selectKeys(const Selection &selection);
    int deleteInBatches(const Selection &selection, const RowProgress &progress);
    void deleteRowsOf(Table table, const QString &qwkId, const TableProgress &progress);

    MessageStore &m_store;
    ConferenceList *m_list = nullptr;
    std::function<void()> m_pump;
};

} // namespace marvik::store
