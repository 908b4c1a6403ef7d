// Keyed reads and writes of MessageStore, and its transactions.
#include "StoreTestUtil.h"
#include "store/Database.h"
#include "store/StoreError.h"
#include "store/Transaction.h"

#include <QTest>

using namespace marvik::store;
using namespace storetest;

class tst_MessageStore : public QObject
{
    Q_OBJECT

private slots:
    void messageRoundTrip_data();
    void messageRoundTrip();
    void systemSavedTwiceIsUpdated();
    void screensSaved();
    void systemIdsInKeyOrder();
    void conferenceNameKeepsCounts();
    void countsOnMissingConferenceSkipped();
    void bulletinEditedWhenFound();
    void transactionRollsBack();
    void nestedTransactionRefused();
    void transactionObjectRollsBackOnThrow();
};

void tst_MessageStore::messageRoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("subject");
    QTest::newRow("plain") << "Hello\r\nWorld\r\n"
                           << "Hi";
    // Screens and messages keep escape sequences and CP437 characters as they came.
    QTest::newRow("escape and box drawing")
        << QString::fromUtf8("\x1b[1;33m\xe2\x95\x94\xe2\x95\x90\x1b[0m\r\n") << "ANSI";
    QTest::newRow("quotes") << "He said \"no\"; DROP TABLE MESSAGES; --"
                            << "\"'";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("large") << QString(200000, QLatin1Char('x')) << "big";
}

void tst_MessageStore::messageRoundTrip()
{
    QFETCH(QString, text);
    QFETCH(QString, subject);
    TempStore store;
    MessageRecord m = message("SYS", 3, 42, true, true);
    m.status = "*";
    m.date = "12-24-96";
    m.time = "18:05";
    m.to = "JOHN DOE";
    m.from = "JANE";
    m.subject = subject;
    m.referenceNumber = 41;
    m.text = text;
    m.replyConferenceNumber = 7;
    const qint64 key = store->appendMessage(m);
    QVERIFY(key > 0);
    const auto back = store->findMessage(key);
    QVERIFY(back);
    QCOMPARE(back->recordNumber, key);
    QCOMPARE(back->conferenceNumber, 3);
    QCOMPARE(back->qwkId, QStringLiteral("SYS"));
    QCOMPARE(back->messageNumber, 42);
    QCOMPARE(back->status, QStringLiteral("*"));
    QCOMPARE(back->date, QStringLiteral("12-24-96"));
    QCOMPARE(back->time, QStringLiteral("18:05"));
    QCOMPARE(back->to, QStringLiteral("JOHN DOE"));
    QCOMPARE(back->from, QStringLiteral("JANE"));
    QCOMPARE(back->subject, subject);
    QCOMPARE(back->referenceNumber, 41);
    QCOMPARE(back->read, true);
    QCOMPARE(back->text, text);
    QCOMPARE(back->personal, true);
    QCOMPARE(back->replyConferenceNumber, 7);
}

void tst_MessageStore::systemSavedTwiceIsUpdated()
{
    TempStore store;
    SystemRecord s;
    s.qwkId = "MYBBS";
    s.bbsName = "First";
    s.lastReply = 4;
    store->saveSystem(s);
    s.bbsName = "Second \"quoted\"";
    s.controlName = "QMAIL";
    store->saveSystem(s);
    const auto back = store->findSystem("MYBBS");
    QVERIFY(back);
    QCOMPARE(back->bbsName, s.bbsName);
    QCOMPARE(back->controlName, QStringLiteral("QMAIL"));
    QCOMPARE(back->lastReply, 4);
    QCOMPARE(store->systemIds(), QStringList {"MYBBS"});
    QVERIFY(!store->findSystem("mybbs"));
}

void tst_MessageStore::screensSaved()
{
    TempStore store;
    addSystem(*store, "A", 0);
    store->saveScreens("A", "welcome\r\n", "news\r\n", "bye\r\n", "files\r\n");
    const auto s = store->findSystem("A");
    QCOMPARE(s->welcomeScreen, QStringLiteral("welcome\r\n"));
    QCOMPARE(s->newsletter, QStringLiteral("news\r\n"));
    QCOMPARE(s->goodbyeScreen, QStringLiteral("bye\r\n"));
    QCOMPARE(s->newFiles, QStringLiteral("files\r\n"));
    QCOMPARE(s->yourName, QStringLiteral("JOHN DOE"));
}

void tst_MessageStore::systemIdsInKeyOrder()
{
    TempStore store;
    for (const char *id : {"ZETA", "ALPHA", "MIKE"})
        addSystem(*store, id, 0);
    QCOMPARE(store->systemIds(), (QStringList {"ALPHA", "MIKE", "ZETA"}));
}

void tst_MessageStore::conferenceNameKeepsCounts()
{
    // A second import of the same system renames conferences but keeps what
    // was counted so far.
    TempStore store;
    addSystem(*store, "A", 2);
    store->addToConferenceCounts(1, "A", 5, 3);
    store->saveConferenceName(1, "A", "Renamed \"one\"");
    const auto c = store->findConference(1, "A");
    QVERIFY(c);
    QCOMPARE(c->name, QStringLiteral("Renamed \"one\""));
    QCOMPARE(c->totalMsgs, 5);
    QCOMPARE(c->unreadMsgs, 3);
    store->saveConferenceName(9, "A", "New");
    QCOMPARE(store->findConference(9, "A")->totalMsgs, 0);
    QCOMPARE(store->findConference(9, "A")->unreadMsgs, 0);
}

void tst_MessageStore::countsOnMissingConferenceSkipped()
{
    TempStore store;
    addSystem(*store, "A", 1);
    store->addToConferenceCounts(5, "A", 1, 1);
    store->addToConferenceCounts(0, "B", 1, 1);
    QVERIFY(!store->findConference(5, "A"));
    QVERIFY(!store->findConference(0, "B"));
    QCOMPARE(store->findConference(0, "A")->totalMsgs, 0);
}

void tst_MessageStore::bulletinEditedWhenFound()
{
    TempStore store;
    store->saveBulletin({0, "A", 1, 2, "old"});
    store->saveBulletin({0, "A", 1, 3, "other"});
    store->saveBulletin({0, "B", 1, 2, "other system"});
    store->saveBulletin({0, "A", 1, 2, "new"});
    const auto b = store->findBulletin("A", 1, 2);
    QVERIFY(b);
    QCOMPARE(b->text, QStringLiteral("new"));
    QCOMPARE(b->recNo, 1);
    QCOMPARE(store->findBulletin("B", 1, 2)->text, QStringLiteral("other system"));
    QVERIFY(!store->findBulletin("A", 2, 2));
}

void tst_MessageStore::transactionRollsBack()
{
    TempStore store;
    store->beginTransaction();
    QVERIFY(store->inTransaction());
    const qint64 key = store->appendMessage(message("A", 1, 1));
    store->rollback();
    QVERIFY(!store->inTransaction());
    QVERIFY(!store->findMessage(key));
    store->beginTransaction();
    const qint64 kept = store->appendMessage(message("A", 1, 2));
    store->commit();
    const auto found = store->findMessage(kept);
    QVERIFY(found);
    QCOMPARE(found->messageNumber, 2);
}

void tst_MessageStore::nestedTransactionRefused()
{
    TempStore store;
    Transaction outer(*store);
    QVERIFY_THROWS_EXCEPTION(StoreError, store->beginTransaction());
    QVERIFY_THROWS_EXCEPTION(StoreError, Transaction inner(*store));
    outer.commit();
    QVERIFY_THROWS_EXCEPTION(StoreError, store->commit());
}

void tst_MessageStore::transactionObjectRollsBackOnThrow()
{
    TempStore store;
    addSystem(*store, "A", 1);
    try {
        Transaction t(*store);
        store->appendMessage(message("A", 0, 1));
        store->addToConferenceCounts(0, "A", 1, 1);
        store->database().exec("INSERT INTO MESSAGES (\"QwkID\") VALUES ('A')");
        t.commit();
        QFAIL("a message without conference was stored");
    } catch (const StoreError &) { }
    QVERIFY(!store->inTransaction());
    QVERIFY(!store->findMessage(1));
    QCOMPARE(store->findConference(0, "A")->totalMsgs, 0);
}

QTEST_GUILESS_MAIN(tst_MessageStore)
#include "tst_messagestore.moc"
