// StoreOperations: each change moves rows and counts together, all or
// nothing, and the counts agree with the rows after any mix of changes,
// also when the process is killed in the middle of one.
#include "StoreTestUtil.h"
#include "store/ConferenceList.h"
#include "store/Database.h"
#include "store/LiveQuery.h"
#include "store/PackingJournal.h"
#include "store/Selections.h"
#include "store/StoreError.h"
#include "store/StoreOperations.h"
#include "store/Transaction.h"

#include <QRandomGenerator>
#include <QTest>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace marvik::store;
using namespace storetest;

class tst_StoreOperations : public QObject
{
    Q_OBJECT

private slots:
    void singleMessage_data();
    void singleMessage();
    void writtenMessageAllOrNothing();
    void reEditReplacesInOneStep_data();
    void reEditReplacesInOneStep();
    void selectionDeleteInBatches();
    void failedBatchLeavesCountsAgreeing();
    void systemDeletionLeavesOthers();
    void finishPackingRemovesTheJournalsReplies_data();
    void finishPackingRemovesTheJournalsReplies();
    void invariantAfterRandomOperations();
    void invariantAfterKill_data();
    void invariantAfterKill();
};

// An import of `messages` into conferences 0..2 of system A, counted the way
// the importer counts them.
static void importMessages(
    MessageStore &store, const QString &qwkId, int messages, quint32 randomStart)
{
    QRandomGenerator random(randomStart);
    Transaction t(store);
    if (!store.findSystem(qwkId))
        addSystem(store, qwkId, 3);
    int personal = 0;
    for (int i = 0; i < messages; ++i) {
        const int c = int(random.bounded(3));
        const bool isPersonal = random.bounded(4) == 0;
        store.appendMessage(message(qwkId, c, i + 1, false, isPersonal));
        store.addToConferenceCounts(c, qwkId, 1, 1);
        personal += isPersonal ? 1 : 0;
    }
    store.addToConferenceCounts(-1, qwkId, personal, personal);
    t.commit();
}

// Each conference's stored counts against what its rows say.
static QString countMismatch(MessageStore &store, const QString &qwkId)
{
    for (const ConferenceRecord &c : store.conferences(qwkId)) {
        LiveQuery q(store);
        q.open(Selections::conferenceMessages(qwkId, c.number));
        int total = 0, unread = 0;
        for (int row = 1; row <= q.count(); ++row) {
            q.moveToRow(row);
            if (c.number == -1 && q.message().conferenceNumber == -2)
                continue;
            ++total;
            unread += q.isRowRead(row) ? 0 : 1;
        }
        if (c.totalMsgs != total || c.unreadMsgs != unread || (c.number == -2 && unread != 0))
            return QStringLiteral("conference %1 stores %2 - %3, rows say %4 - %5")
                .arg(c.number)
                .arg(c.totalMsgs)
                .arg(c.unreadMsgs)
                .arg(total)
                .arg(unread);
    }
    return QString();
}

static void listShowsRows(MessageStore &store, const ConferenceList &list)
{
    for (const ConferenceEntry &e : list.entries()) {
        const auto row = store.findConference(e.number, list.qwkId());
        QVERIFY(row);
        QCOMPARE(e.total, row->totalMsgs);
        QCOMPARE(e.unread, row->unreadMsgs);
    }
}

static QString counts(MessageStore &store, int conference)
{
    const auto row = store.findConference(conference, "A");
    return ConferenceList::countsText(row->totalMsgs, row->unreadMsgs);
}

void tst_StoreOperations::singleMessage_data()
{
    QTest::addColumn<QString>("operation"); // "read" or "delete"
    QTest::addColumn<int>("conference");
    QTest::addColumn<bool>("read");
    QTest::addColumn<bool>("personal");
    QTest::addColumn<QString>("own"); // its conference's counts afterwards
    QTest::addColumn<QString>("personalCounts"); // conference -1 afterwards

    // Before: conference 1 holds it (2 - 2 when unread, 2 - 1 when read);
    // Personal 1 - 1 (or 1 - 0) when it is personal, else 0 - 0.
    QTest::newRow("read unread") << "read" << 1 << false << false << "2 - 1"
                                 << "0 - 0";
    QTest::newRow("read unread personal") << "read" << 1 << false << true << "2 - 1"
                                          << "1 - 0";
    QTest::newRow("read already read") << "read" << 1 << true << true << "2 - 1"
                                       << "1 - 0";
    QTest::newRow("read a reply") << "read" << -2 << true << false << "1 - 0"
                                  << "0 - 0";
    QTest::newRow("delete unread personal") << "delete" << 1 << false << true << "1 - 1"
                                            << "0 - 0";
    QTest::newRow("delete read personal") << "delete" << 1 << true << true << "1 - 1"
                                          << "0 - 0";
    QTest::newRow("delete unread") << "delete" << 1 << false << false << "1 - 1"
                                   << "0 - 0";
    QTest::newRow("delete a reply") << "delete" << -2 << true << false << "0 - 0"
                                    << "0 - 0";
}

void tst_StoreOperations::singleMessage()
{
    QFETCH(QString, operation);
    QFETCH(int, conference);
    QFETCH(bool, read);
    QFETCH(bool, personal);
    QFETCH(QString, own);
    QFETCH(QString, personalCounts);
    TempStore store;
    addSystem(*store, "A", 2);
    StoreOperations operations(*store);
    ConferenceList list;
    operations.setConferenceList(&list);
    if (conference == -2) {
        operations.storeWrittenMessage("A", {message("A", 0, 0)});
    } else {
        store->appendMessage(message("A", 1, 1)); // another unread one
        store->addToConferenceCounts(1, "A", 1, 1);
        store->appendMessage(message("A", 1, 2, read, personal));
        store->addToConferenceCounts(1, "A", 1, read ? 0 : 1);
        if (personal)
            store->addToConferenceCounts(-1, "A", 1, read ? 0 : 1);
    }
    list.setConferences("A", operations.conferencesForList("A"));
    const qint64 key = conference == -2 ? 1 : 2;
    const MessageRecord m = *store->findMessage(key);
    if (operation == "read") {
        QCOMPARE(operations.markRead(m), !read);
        QVERIFY(!operations.markRead(m)); // twice lowers the counts once
        QVERIFY(store->findMessage(key)->read);
    } else {
        QVERIFY(operations.deleteMessage(m));
        QVERIFY(!operations.deleteMessage(m)); // already gone: nothing moves
        QVERIFY(!store->findMessage(key));
    }
    QCOMPARE(counts(*store, conference), own);
    QCOMPARE(counts(*store, -1), personalCounts);
    QCOMPARE(countMismatch(*store, "A"), QString());
    listShowsRows(*store, list);
}

void tst_StoreOperations::writtenMessageAllOrNothing()
{
    TempStore store;
    addSystem(*store, "A", 1);
    SystemRecord system = *store->findSystem("A");
    system.lastReply = 6;
    store->saveSystem(system);
    StoreOperations operations(*store);

    QList<MessageRecord> parts;
    for (int i = 0; i < 3; ++i) {
        MessageRecord part = message("A", 99, 0, false, true);
        part.replyConferenceNumber = 0;
        parts << part;
    }
    const QList<MessageRecord> stored = operations.storeWrittenMessage("A", parts);
    QCOMPARE(stored.size(), 3);
    for (int i = 0; i < 3; ++i) {
        const MessageRecord m = *store->findMessage(stored.at(i).recordNumber);
        QCOMPARE(m.messageNumber, 7 + i);
        QCOMPARE(m.conferenceNumber, -2);
        QVERIFY(m.read);
        QVERIFY(!m.personal);
        QCOMPARE(m.replyConferenceNumber, 0);
    }
    QCOMPARE(store->findSystem("A")->lastReply, 9);
    QCOMPARE(counts(*store, -2), QStringLiteral("3 - 0"));

    // The third part of the next message fails: none of its parts stay,
    // nor does its number or count.
    store->database().exec(
        "CREATE TRIGGER failing BEFORE INSERT ON MESSAGES "
        "WHEN NEW.\"Message Number\" = 12 BEGIN SELECT RAISE(ABORT, 'disk full'); END");
    QVERIFY_THROWS_EXCEPTION(StoreError, operations.storeWrittenMessage("A", parts));
    QCOMPARE(store->findSystem("A")->lastReply, 9);
    QCOMPARE(counts(*store, -2), QStringLiteral("3 - 0"));
    QCOMPARE(CountSelection(*store, Selections::replyMessages("A")), 3);
    QVERIFY_THROWS_EXCEPTION(StoreError, operations.storeWrittenMessage("NOSUCH", parts));
}

void tst_StoreOperations::reEditReplacesInOneStep_data()
{
    QTest::addColumn<QString>("replaced"); // which row the key names
    QTest::addColumn<bool>("failing"); // the store refuses the new parts
    QTest::addColumn<int>("replies"); // stored afterwards
    QTest::addColumn<bool>("keyStays"); // the named row is still there

    QTest::newRow("stored reply") << "reply" << false << 3 << false;
    QTest::newRow("failed save keeps the reply") << "reply" << true << 2 << true;
    QTest::newRow("reply deleted meanwhile") << "gone" << false << 3 << false;
    QTest::newRow("a received message is never touched") << "received" << false << 4 << true;
    QTest::newRow("another system's reply is never touched") << "other" << false << 4 << true;
}

void tst_StoreOperations::reEditReplacesInOneStep()
{
    QFETCH(QString, replaced);
    QFETCH(bool, failing);
    QFETCH(int, replies);
    QFETCH(bool, keyStays);
    TempStore store;
    addSystem(*store, "A", 1);
    addSystem(*store, "B", 1);
    StoreOperations operations(*store);
    ConferenceList list;
    list.setConferences("A", store->conferences("A"));
    operations.setConferenceList(&list);

    MessageRecord part = message("A", 0, 0);
    part.replyConferenceNumber = 0;
    const QList<MessageRecord> old = operations.storeWrittenMessage("A", {part, part});
    qint64 key = old.first().recordNumber;
    if (replaced == "gone") {
        QVERIFY(operations.deleteMessage(old.first()));
    } else if (replaced == "received") {
        key = store->appendMessage(message("A", 0, 5, true));
        store->addToConferenceCounts(0, "A", 1, 0);
        list.setConferences("A", store->conferences("A")); // as an import ends
    } else if (replaced == "other") {
        key = operations.storeWrittenMessage("B", {message("B", 0, 0)}).first().recordNumber;
    }
    if (failing)
        store->database().exec("CREATE TRIGGER failing BEFORE INSERT ON MESSAGES "
                               "WHEN NEW.\"Message Number\" = 4 BEGIN SELECT RAISE(ABORT, "
                               "'disk full'); END");

    MessageRecord edited = part;
    edited.text = "Edited\r\n";
    const QList<MessageRecord> parts {edited, edited};
    if (failing) {
        QVERIFY_THROWS_EXCEPTION(StoreError, operations.replaceWrittenMessage("A", key, parts));
    } else {
        const QList<MessageRecord> stored = operations.replaceWrittenMessage("A", key, parts);
        QCOMPARE(stored.size(), 2);
        QCOMPARE(store->findMessage(stored.at(1).recordNumber)->messageNumber, 4);
        QCOMPARE(store->findMessage(stored.at(1).recordNumber)->text, edited.text);
    }
    QCOMPARE(CountSelection(*store, Selections::replyMessages("A")), replies);
    QCOMPARE(bool(store->findMessage(key)), keyStays);
    QCOMPARE(store->findSystem("A")->lastReply, failing ? 2 : 4);
    QCOMPARE(countMismatch(*store, "A"), QString());
    QCOMPARE(countMismatch(*store, "B"), QString());
    listShowsRows(*store, list);
}

void tst_StoreOperations::selectionDeleteInBatches()
{
    TempStore store;
    const int messages = 5000;
    importMessages(*store, "A", messages, 7);
    importMessages(*store, "B", 50, 8);
    StoreOperations operations(*store);
    ConferenceList list;
    operations.setConferenceList(&list);
    list.setConferences("A", operations.conferencesForList("A"));
    // Half of A read, through the store.
    LiveQuery q(*store);
    q.open(Selections::conferenceMessages("A", 0));
    for (int row = 1; row <= q.count(); row += 2) {
        q.moveToRow(row);
        operations.markRead(q.message());
    }
    const int toDelete = CountSelection(*store, Selections::bulkDelete("A", true, std::nullopt));
    QVERIFY(toDelete > 0);
    QList<int> seen;
    const int deleted = operations.deleteSelection(
        Selections::bulkDelete("A", true, std::nullopt), [&](int index, int count) {
            QCOMPARE(count, toDelete);
            seen << index;
        });
    QCOMPARE(deleted, toDelete);
    QCOMPARE(seen.size(), toDelete);
    QCOMPARE(seen.first(), 1);
    QCOMPARE(seen.last(), toDelete);
    QCOMPARE(CountSelection(*store, Selections::bulkDelete("A", true, std::nullopt)), 0);
    QCOMPARE(countMismatch(*store, "A"), QString());
    QCOMPARE(countMismatch(*store, "B"), QString());
    listShowsRows(*store, list);
}

void tst_StoreOperations::failedBatchLeavesCountsAgreeing()
{
    TempStore store;
    const int messages = 4000;
    importMessages(*store, "A", messages, 9);
    // Deleting the row of record number 3000 fails, in the second batch.
    store->database().exec(
        "CREATE TRIGGER failing BEFORE DELETE ON MESSAGES "
        "WHEN OLD.\"Record Number\" = 3000 BEGIN SELECT RAISE(ABORT, 'I/O error'); END");
    StoreOperations operations(*store);
    ConferenceList list;
    operations.setConferenceList(&list);
    list.setConferences("A", operations.conferencesForList("A"));
    QVERIFY_THROWS_EXCEPTION(
        StoreError, operations.deleteSelection(Selections::bulkDelete("A", false, std::nullopt)));
    const int left = CountSelection(*store, Selections::systemMessages("A"));
    QVERIFY(left < messages);
    QVERIFY(left > 1);
    QCOMPARE(countMismatch(*store, "A"), QString());
    // The batches that went are shown too.
    listShowsRows(*store, list);
}

void tst_StoreOperations::systemDeletionLeavesOthers()
{
    TempStore store;
    importMessages(*store, "A", 300, 1);
    importMessages(*store, "B", 30, 2);
    store->saveBulletin({0, "A", 1, 1, "a"});
    store->saveBulletin({0, "B", 1, 1, "b"});
    StoreOperations operations(*store);
    operations.storeWrittenMessage("A", {message("A", 0, 0)});
    QMap<Table, int> last;
    operations.deleteSystem("A", [&](Table table, int index, int count) {
        QVERIFY(index >= 1 && index <= count);
        last[table] = index;
    });
    QCOMPARE(last.value(Table::Bulletins), 1);
    QCOMPARE(last.value(Table::Messages), 301);
    QCOMPARE(last.value(Table::Conferences), 5);
    QVERIFY(!store->findSystem("A"));
    QCOMPARE(store->conferences("A").size(), 0);
    QCOMPARE(CountSelection(*store, Selections::systemMessages("A")), 0);
    QCOMPARE(CountSelection(*store, Selections::systemBulletins("A")), 0);
    QCOMPARE(store->systemIds(), QStringList {"B"});
    QCOMPARE(CountSelection(*store, Selections::systemMessages("B")), 30);
    QVERIFY(store->findBulletin("B", 1, 1));
    QCOMPARE(countMismatch(*store, "B"), QString());
}

void tst_StoreOperations::finishPackingRemovesTheJournalsReplies_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("removed");
    QTest::newRow("all replies there") << "" << 3;
    QTest::newRow("one deleted meanwhile") << "delete one" << 2;
    QTest::newRow("finished already") << "finish" << 0;
    QTest::newRow("entry dropped") << "drop" << 0;
    QTest::newRow("system deleted") << "delete system" << 0;
}

// The replies an entry names leave with their counts and the entry, in one
// step; other systems' entries and rows stay.
void tst_StoreOperations::finishPackingRemovesTheJournalsReplies()
{
    QFETCH(QString, before);
    QFETCH(int, removed);
    TempStore store;
    importMessages(*store, "A", 20, 3);
    importMessages(*store, "B", 5, 4);
    StoreOperations operations(*store);
    QList<qint64> keys;
    for (int i = 0; i < 4; ++i)
        keys.append(operations.storeWrittenMessage("A", {message("A", 0, 0)}).first().recordNumber);
    const qint64 otherReply
        = operations.storeWrittenMessage("B", {message("B", 0, 0)}).first().recordNumber;
    PackingJournal journal(*store);
    const QList<qint64> packed = keys.first(3);
    const qint64 entry = journal.record("A", "/w/A.REP", 100, "crc32:00000001", packed);
    journal.record("B", "/w/B.REP", 50, "crc32:00000002", {otherReply});
    QCOMPARE(journal.replies(entry), packed);
    QCOMPARE(journal.entries().first().replies, 3);

    if (before == "delete one")
        operations.deleteMessages(QList<qint64> {keys.at(1)});
    else if (before == "finish")
        operations.finishPacking(entry);
    else if (before == "drop")
        journal.drop(entry);
    else if (before == "delete system")
        operations.deleteSystem("A");
    const int repliesBefore = CountSelection(*store, Selections::replyMessages("A"));

    QCOMPARE(operations.finishPacking(entry), removed);
    QCOMPARE(CountSelection(*store, Selections::replyMessages("A")), repliesBefore - removed);
    QCOMPARE(countMismatch(*store, "A"), QString());
    QCOMPARE(countMismatch(*store, "B"), QString());
    // Entry gone; B's entry and reply untouched.
    const QList<PackingEntry> left = journal.entries();
    QCOMPARE(left.size(), 1);
    QCOMPARE(left.first().qwkId, QStringLiteral("B"));
    QVERIFY(store->findMessage(otherReply));
    if (before != "delete system")
        QVERIFY(store->findMessage(keys.at(3)));
}

// A long random mix of what the windows do, on a few thousand messages.
void tst_StoreOperations::invariantAfterRandomOperations()
{
    TempStore store;
    importMessages(*store, "A", 3000, 11);
    StoreOperations operations(*store);
    ConferenceList list;
    operations.setConferenceList(&list);
    list.setConferences("A", operations.conferencesForList("A"));
    QRandomGenerator random(2024);
    LiveQuery q(*store);
    for (int step = 0; step < 400; ++step) {
        const int c = int(random.bounded(5)) - 2;
        switch (random.bounded(7)) {
        case 0:
            importMessages(*store, "A", int(random.bounded(20)), random.generate());
            list.setConferences("A", operations.conferencesForList("A"));
            break;
        case 1:
        case 2: // the reader shows a message
            q.open(Selections::conferenceMessages("A", c));
            if (q.count() > 0) {
                q.moveToRow(1 + int(random.bounded(q.count())));
                operations.markRead(q.message());
            }
            break;
        case 3: // the reader deletes one
            q.open(Selections::conferenceMessages("A", c));
            if (q.count() > 0) {
                q.moveToRow(1 + int(random.bounded(q.count())));
                operations.deleteMessage(q.message());
            }
            break;
        case 4: // a reply of one to three parts
            operations.storeWrittenMessage(
                "A", QList<MessageRecord>(1 + int(random.bounded(3)), message("A", 0, 0)));
            break;
        case 5: // bulk delete of one conference
            if (c >= 0)
                operations.deleteSelection(Selections::bulkDelete("A", random.bounded(2) == 0, c));
            break;
        default: // a conference opened and counted
            operations.setConferenceTotal(
                "A", c, CountSelection(*store, Selections::conferenceMessages("A", c)));
            break;
        }
    }
    operations.deleteSelection(Selections::readMessages("A"));
    QCOMPARE(countMismatch(*store, "A"), QString());
    listShowsRows(*store, list);
}

void tst_StoreOperations::invariantAfterKill_data()
{
    QTest::addColumn<QString>("operation");
    QTest::newRow("selection delete") << "delete";
    QTest::newRow("multi-part saves") << "save";
    QTest::newRow("re-edits") << "re-edit";
}

// A child process is killed with SIGKILL in the middle of the operation;
// what it committed must agree with itself.
void tst_StoreOperations::invariantAfterKill()
{
    QFETCH(QString, operation);
    constexpr int parts = 40;
    QTemporaryDir dir;
    const QString path = dir.filePath("MARVIK.db");
    {
        MessageStore store(path);
        importMessages(store, "A", 6000, 5);
    }
    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        MessageStore store(path);
        StoreOperations operations(store);
        if (operation == "delete") {
            operations.deleteSelection(Selections::systemMessages("A"), [](int index, int) {
                if (index == 2700)
                    raise(SIGKILL);
            });
        } else if (operation == "save") {
            for (;;)
                operations.storeWrittenMessage(
                    "A", QList<MessageRecord>(parts, message("A", 0, 0)));
        } else {
            // The same reply edited again and again: one version of it is
            // stored at any time.
            QList<MessageRecord> stored = operations.storeWrittenMessage("A", {message("A", 0, 0)});
            for (;;)
                stored = operations.replaceWrittenMessage(
                    "A", stored.first().recordNumber, {message("A", 0, 0)});
        }
        _exit(0);
    }
    if (operation != "delete") {
        QTest::qSleep(400);
        kill(child, SIGKILL);
    }
    int status = 0;
    waitpid(child, &status, 0);
    QVERIFY(WIFSIGNALED(status));

    MessageStore store(path);
    QCOMPARE(countMismatch(store, "A"), QString());
    const int replies = CountSelection(store, Selections::replyMessages("A"));
    if (operation == "delete") {
        const int left = CountSelection(store, Selections::systemMessages("A"));
        QVERIFY(left > 0 && left < 6000);
    } else if (operation == "save") {
        QVERIFY(replies > 0);
        QCOMPARE(replies % parts, 0);
        QCOMPARE(store.findSystem("A")->lastReply, replies);
    } else {
        QVERIFY(store.findSystem("A")->lastReply > 1);
        QCOMPARE(replies, 1);
    }
}

QTEST_GUILESS_MAIN(tst_StoreOperations)
#include "tst_storeoperations.moc"
