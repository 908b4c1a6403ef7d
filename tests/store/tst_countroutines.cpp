// AdjustConferenceCounts / AdjustUnreadCount against the stored rows and the
// conference list, and the count invariant after a run of operations.
#include "StoreTestUtil.h"
#include "store/ConferenceList.h"
#include "store/CountRoutines.h"
#include "store/FieldReaders.h"
#include "store/LiveQuery.h"
#include "store/Selections.h"
#include "store/Transaction.h"

#include <QRandomGenerator>
#include <QTest>

using namespace marvik::store;
using namespace storetest;

class tst_CountRoutines : public QObject
{
    Q_OBJECT

private slots:
    void adjustments_data();
    void adjustments();
    void secondImportAddsOnTop();
    void storingReplyRaisesLastReply();
    void invariantAfterOperations();
};

// What an import does with one packet: system row (keeping Last Reply),
// reserved rows first, conference names, each message counted, then the
// personal conference.
struct Incoming
{
    int conference, number;
    bool personal;
};
static void importPacket(MessageStore &store, const QString &qwkId, const QList<Incoming> &msgs)
{
    Transaction t(store);
    SystemRecord system = store.findSystem(qwkId).value_or(SystemRecord {});
    system.qwkId = qwkId;
    system.yourName = "JOHN DOE";
    store.saveSystem(system);
    store.saveConferenceName(-2, qwkId, "Replies");
    store.saveConferenceName(-1, qwkId, "Personal");
    for (int c = 0; c < 3; ++c)
        store.saveConferenceName(c, qwkId, QStringLiteral("Conference %1").arg(c));
    int personal = 0;
    for (const Incoming &m : msgs) {
        store.appendMessage(message(qwkId, m.conference, m.number, false, m.personal));
        store.addToConferenceCounts(m.conference, qwkId, 1, 1);
        personal += m.personal ? 1 : 0;
    }
    store.addToConferenceCounts(-1, qwkId, personal, personal);
    t.commit();
}

// "total-unread" of conference c.
static QString counts(MessageStore &store, int c)
{
    const auto row = store.findConference(c, "A");
    return row ? ConferenceList::countsText(row->totalMsgs, row->unreadMsgs) : QString("none");
}

// Every entry of the list shows what its row holds.
static void verifyListMatchesRows(MessageStore &store, const ConferenceList &list)
{
    const QList<int> numbers {-2, -1, 0, 1, 2};
    for (int i = 0; i < numbers.size(); ++i)
        QCOMPARE(list.at(i).messages, counts(store, numbers.at(i)));
}

void tst_CountRoutines::adjustments_data()
{
    QTest::addColumn<QString>("routine"); // "conference" or "unread"
    QTest::addColumn<int>("conference");
    QTest::addColumn<int>("delta");
    QTest::addColumn<bool>("personal");
    QTest::addColumn<bool>("read"); // read / already read
    // Counts afterwards of conference 1, personal (-1) and replies (-2).
    // Start: conference 1 "3 - 3", personal "2 - 2", replies "1 - 0".
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("delete unread personal")
        << "conference" << 1 << -1 << true << false << QStringList {"2 - 2", "1 - 1", "1 - 0"};
    QTest::newRow("delete read personal: totals only")
        << "conference" << 1 << -1 << true << true << QStringList {"2 - 3", "1 - 2", "1 - 0"};
    QTest::newRow("delete unread, not personal")
        << "conference" << 1 << -1 << false << false << QStringList {"2 - 2", "2 - 2", "1 - 0"};
    QTest::newRow("store a reply: total only")
        << "conference" << -2 << 1 << false << true << QStringList {"3 - 3", "2 - 2", "2 - 0"};
    QTest::newRow("replies never touch personal")
        << "conference" << -2 << -1 << true << true << QStringList {"3 - 3", "2 - 2", "0 - 0"};
    QTest::newRow("missing conference, personal still counted")
        << "conference" << 9 << -1 << true << false << QStringList {"3 - 3", "1 - 1", "1 - 0"};
    QTest::newRow("show unread personal")
        << "unread" << 1 << -1 << true << false << QStringList {"3 - 2", "2 - 1", "1 - 0"};
    QTest::newRow("show unread, not personal")
        << "unread" << 1 << -1 << false << false << QStringList {"3 - 2", "2 - 2", "1 - 0"};
    QTest::newRow("show already read: nothing")
        << "unread" << 1 << -1 << true << true << QStringList {"3 - 3", "2 - 2", "1 - 0"};
    QTest::newRow("show in replies: nothing")
        << "unread" << -2 << -1 << false << false << QStringList {"3 - 3", "2 - 2", "1 - 0"};
}

void tst_CountRoutines::adjustments()
{
    QFETCH(QString, routine);
    QFETCH(int, conference);
    QFETCH(int, delta);
    QFETCH(bool, personal);
    QFETCH(bool, read);
    QFETCH(QStringList, expected);

    TempStore store;
    importPacket(*store, "A", {{1, 1, true}, {1, 2, false}, {1, 3, true}});
    importPacket(*store, "B", {{1, 1, true}});
    store->addToConferenceCounts(-2, "A", 1, 0);
    ConferenceList list;
    list.fill(*store, "A");
    CountRoutines routines(*store, &list);
    routines.setCurrentQwkId("A");

    if (routine == "conference")
        routines.AdjustConferenceCounts(conference, delta, personal, read);
    else
        routines.AdjustUnreadCount(conference, delta, personal, read);

    QCOMPARE((QStringList {counts(*store, 1), counts(*store, -1), counts(*store, -2)}), expected);
    verifyListMatchesRows(*store, list);
    // The other system is never touched.
    QCOMPARE(store->findConference(1, "B")->totalMsgs, 1);
    QCOMPARE(store->findConference(-1, "B")->unreadMsgs, 1);
    QVERIFY(!store->inTransaction());
}

void tst_CountRoutines::secondImportAddsOnTop()
{
    TempStore store;
    importPacket(*store, "A", {{0, 1, false}, {1, 2, true}});
    SystemRecord system = *store->findSystem("A");
    system.lastReply = 6;
    store->saveSystem(system);
    CountRoutines routines(*store);
    routines.setCurrentQwkId("A");
    routines.AdjustUnreadCount(1, -1, true, false);

    importPacket(*store, "A", {{1, 3, true}, {2, 4, false}});
    QCOMPARE(store->findSystem("A")->lastReply, 6);
    QCOMPARE(counts(*store, 0), QStringLiteral("1 - 1"));
    QCOMPARE(counts(*store, 1), QStringLiteral("2 - 1"));
    QCOMPARE(counts(*store, 2), QStringLiteral("1 - 1"));
    QCOMPARE(counts(*store, -1), QStringLiteral("2 - 1"));
}

void tst_CountRoutines::storingReplyRaisesLastReply()
{
    TempStore store;
    importPacket(*store, "A", {{0, 1, false}});
    ConferenceList list;
    list.fill(*store, "A");
    CountRoutines routines(*store, &list);
    routines.setCurrentQwkId("A");
    for (int expected = 1; expected <= 3; ++expected) {
        // What the editor does when it saves a written message.
        Transaction t(*store);
        SystemRecord system = *store->findSystem("A");
        MessageRecord reply = message("A", -2, system.lastReply + 1, true, false);
        reply.replyConferenceNumber = 0;
        store->appendMessage(reply);
        routines.AdjustConferenceCounts(-2, 1, false, true);
        system.lastReply += 1;
        store->saveSystem(system);
        t.commit();
        QCOMPARE(store->findSystem("A")->lastReply, expected);
        QCOMPARE(counts(*store, -2), QStringLiteral("%1 - 0").arg(expected));
    }
    QCOMPARE(list.at(0).messages, QStringLiteral("3 - 0"));
    QCOMPARE(counts(*store, 0), QStringLiteral("1 - 1"));
}

// After any mix of import, reading, replying and deleting, each conference's
// counts equal what its rows say.
void tst_CountRoutines::invariantAfterOperations()
{
    TempStore store;
    ConferenceList list;
    CountRoutines routines(*store, &list);
    routines.setCurrentQwkId("A");
    QRandomGenerator random(2024);
    int nextNumber = 1;
    for (int step = 0; step < 300; ++step) {
        switch (random.bounded(5)) {
        case 0: { // a packet arrives
            QList<Incoming> msgs;
            for (int i = random.bounded(6); i > 0; --i)
                msgs.append({int(random.bounded(3)), nextNumber++, random.bounded(3) == 0});
            importPacket(*store, "A", msgs);
            list.fill(*store, "A");
            break;
        }
        case 1: { // the reader shows a message of a conference (or Personal)
            const int c = int(random.bounded(4)) - 1;
            LiveQuery q(*store);
            q.open(Selections::conferenceMessages("A", c));
            if (q.count() == 0)
                break;
            q.moveBy(random.bounded(q.count()));
            const MessageRecord m = q.message();
            if (!m.read) {
                q.setValue("Read Flag", true);
                q.post();
            }
            routines.AdjustUnreadCount(m.conferenceNumber, -1, m.personal, m.read);
            break;
        }
        case 2: { // a reply is stored
            if (!store->findSystem("A"))
                break;
            store->appendMessage(message("A", -2, nextNumber++, true, false));
            routines.AdjustConferenceCounts(-2, 1, false, true);
            break;
        }
        case 3: { // one message deleted in the reader
            const int c = int(random.bounded(5)) - 2;
            LiveQuery q(*store);
            q.open(Selections::conferenceMessages("A", c));
            if (q.count() == 0)
                break;
            q.moveBy(random.bounded(q.count()));
            const MessageRecord m = q.message();
            Transaction t(*store);
            q.remove();
            routines.AdjustConferenceCounts(m.conferenceNumber, -1, m.personal, m.read);
            t.commit();
            break;
        }
        default: { // bulk delete of read messages
            LiveQuery q(*store);
            q.open(Selections::bulkDelete("A", true, std::nullopt));
            while (!q.eof()) {
                const MessageRecord m = q.message();
                q.remove();
                routines.AdjustConferenceCounts(m.conferenceNumber, -1, m.personal, m.read);
            }
            break;
        }
        }
    }
    QVERIFY(nextNumber > 50);

    for (int c = -2; c < 3; ++c) {
        LiveQuery q(*store);
        q.open(c == -1 ? Selections::conferenceMessages("A", -1)
                       : Selections::conferenceMessages("A", c));
        int total = 0, unread = 0;
        for (; !q.eof(); q.next()) {
            if (c == -1 && q.message().conferenceNumber == -2)
                continue;
            ++total;
            unread += q.message().read ? 0 : 1;
        }
        QCOMPARE(counts(*store, c), ConferenceList::countsText(total, unread));
    }
    QCOMPARE(store->findConference(-2, "A")->unreadMsgs, 0);
    verifyListMatchesRows(*store, list);
}

QTEST_GUILESS_MAIN(tst_CountRoutines)
#include "tst_countroutines.moc"
