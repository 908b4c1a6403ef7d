// LiveQuery: navigation, forgotten rows and read flags of an open selection.
#include "StoreTestUtil.h"
#include "store/FieldReaders.h"
#include "store/LiveQuery.h"
#include "store/Selections.h"
#include "store/StoreOperations.h"

#include <QTest>

using namespace marvik::store;
using namespace storetest;

class tst_LiveQuery : public QObject
{
    Q_OBJECT

private slots:
    void navigation_data();
    void navigation();
    void removal_data();
    void removal();
    void forgetLoopEmptiesSelection();
    void emptySelection();
    void readFlagsWithoutTexts();
    void typedRecords();
    void reopenReplacesSelection();
    void keysInTheOrderGiven();
};

// Five messages, numbers 1..5, in conference 1 of system A; one elsewhere.
static void fillWithMessages(MessageStore &store)
{
    addSystem(store, "A", 2);
    for (int n = 1; n <= 5; ++n) {
        store.appendMessage(message("A", 1, n));
        if (n == 3)
            store.appendMessage(message("A", 0, 99));
    }
}

// Runs a script of moves: f first, l last, n next, p prior, +k / -k moveBy.
static void run(LiveQuery &q, const QString &script)
{
    for (const QString &op : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (op == "f")
            q.first();
        else if (op == "l")
            q.last();
        else if (op == "n")
            q.next();
        else if (op == "p")
            q.prior();
        else
            q.moveBy(op.toInt());
    }
}

void tst_LiveQuery::navigation_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("number"); // Message Number of the current row
    QTest::addColumn<bool>("eof");
    QTest::addColumn<bool>("bof");

    QTest::newRow("opened") << "" << 1 << false << true;
    QTest::newRow("next") << "n" << 2 << false << false;
    QTest::newRow("prior at start") << "p" << 1 << false << true;
    QTest::newRow("next to last") << "n n n n" << 5 << false << false;
    QTest::newRow("next past last") << "n n n n n" << 5 << true << false;
    QTest::newRow("last") << "l" << 5 << true << false;
    QTest::newRow("last then prior") << "l p" << 4 << false << false;
    QTest::newRow("moveBy forward") << "+3" << 4 << false << false;
    QTest::newRow("moveBy past end clamps") << "+10" << 5 << true << false;
    QTest::newRow("moveBy back") << "l -2" << 3 << false << false;
    QTest::newRow("moveBy before start clamps") << "n -7" << 1 << false << true;
    QTest::newRow("first after end") << "l n f" << 1 << false << true;
}

void tst_LiveQuery::navigation()
{
    QFETCH(QString, script);
    QFETCH(int, number);
    QFETCH(bool, eof);
    QFETCH(bool, bof);
    TempStore store;
    fillWithMessages(*store);
    LiveQuery q(*store);
    q.open(Selections::conferenceMessages("A", 1));
    QCOMPARE(q.count(), 5);
    run(q, script);
    QCOMPARE(FieldInteger(q, "Message Number"), number);
    QCOMPARE(q.rowNumber(), number);
    LiveQuery direct(*store);
    direct.open(Selections::conferenceMessages("A", 1));
    direct.moveToRow(number);
    QCOMPARE(direct.message().recordNumber, q.message().recordNumber);
    QCOMPARE(q.eof(), eof);
    QCOMPARE(q.bof(), bof);
}

void tst_LiveQuery::removal_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("current"); // Message Number after the delete, 0 for none
    QTest::addColumn<bool>("eof");
    QTest::addColumn<int>("remaining");

    QTest::newRow("first row") << "" << 2 << false << 4;
    QTest::newRow("middle row") << "n n" << 4 << false << 4;
    QTest::newRow("last row") << "l" << 4 << true << 4;
}

void tst_LiveQuery::removal()
{
    QFETCH(QString, script);
    QFETCH(int, current);
    QFETCH(bool, eof);
    QFETCH(int, remaining);
    TempStore store;
    fillWithMessages(*store);
    LiveQuery q(*store);
    q.open(Selections::conferenceMessages("A", 1));
    run(q, script);
    const qint64 gone = q.message().recordNumber;
    StoreOperations(*store).deleteMessage(q.message());
    q.forgetCurrent();
    QCOMPARE(FieldInteger(q, "Message Number"), current);
    QCOMPARE(q.eof(), eof);
    QCOMPARE(q.count(), remaining);
    QVERIFY(!store->findMessage(gone));
    // A query opened afterwards agrees.
    LiveQuery again(*store);
    again.open(Selections::conferenceMessages("A", 1));
    QCOMPARE(again.count(), remaining);
}

void tst_LiveQuery::forgetLoopEmptiesSelection()
{
    TempStore store;
    fillWithMessages(*store);
    StoreOperations operations(*store);
    LiveQuery q(*store);
    q.open(Selections::conferenceMessages("A", 1));
    int deleted = 0;
    while (!q.eof()) {
        operations.deleteMessage(q.message());
        q.forgetCurrent();
        ++deleted;
        QVERIFY(deleted <= 5);
    }
    QCOMPARE(deleted, 5);
    QCOMPARE(q.count(), 0);
    QVERIFY(!q.hasRow());
    QVERIFY(q.bof());
    QCOMPARE(q.rowNumber(), 0);
    // The other conference's message is still there.
    LiveQuery other(*store);
    other.open(Selections::conferenceMessages("A", 0));
    QCOMPARE(other.count(), 1);
}

void tst_LiveQuery::emptySelection()
{
    TempStore store;
    fillWithMessages(*store);
    LiveQuery q(*store);
    q.open(Selections::conferenceMessages("A", 7));
    QCOMPARE(q.count(), 0);
    QVERIFY(q.eof());
    QVERIFY(q.bof());
    QCOMPARE(q.rowNumber(), 0);
    q.next();
    q.moveBy(-3);
    q.last();
    q.moveToRow(3);
    QVERIFY(q.eof());
    QCOMPARE(FieldText(q, "Subject"), QString());
    QCOMPARE(q.nextUnreadAfter(0), 0);
}

void tst_LiveQuery::readFlagsWithoutTexts()
{
    TempStore store;
    addSystem(*store, "A", 1);
    for (int n = 1; n <= 6; ++n)
        store->appendMessage(message("A", 0, n, /*read=*/n % 3 != 0));
    LiveQuery q(*store);
    q.open(Selections::conferenceMessages("A", 0));
    QCOMPARE(q.nextUnreadAfter(0), 3);
    QCOMPARE(q.nextUnreadAfter(3), 6);
    QCOMPARE(q.nextUnreadAfter(6), 0);
    QVERIFY(!q.isRowRead(3));
    QVERIFY(!q.isRowRead(99));
    // Marked read through the store: the cursor sees it once it reads the row.
    q.moveToRow(3);
    StoreOperations(*store).markRead(q.message());
    q.refresh();
    QVERIFY(q.isRowRead(3));
    QCOMPARE(q.nextUnreadAfter(0), 6);
    // Moving never writes: the row as stored is unchanged by navigation.
    q.moveToRow(6);
    q.first();
    QVERIFY(!store->findMessage(q.message().recordNumber + 5)->read);
}

void tst_LiveQuery::typedRecords()
{
    TempStore store;
    fillWithMessages(*store);
    store->saveBulletin({0, "A", 1, 2, "bulletin\r\n"});
    LiveQuery q(*store);

    q.open(Selections::conferenceMessages("A", 1));
    q.last();
    const MessageRecord m = q.message();
    QCOMPARE(m.messageNumber, 5);
    QCOMPARE(m.conferenceNumber, 1);
    QCOMPARE(m.subject, QStringLiteral("Subject 5"));
    QCOMPARE(m.recordNumber, 6);

    q.open(Selections::conferences("A"));
    q.moveBy(2);
    const ConferenceRecord c = q.conference();
    QCOMPARE(c.number, 0);
    QCOMPARE(c.name, QStringLiteral("Conference 0"));

    q.open(Selections::bulletins("A"));
    const BulletinRecord b = q.bulletin();
    QCOMPARE(b.bulletinNumber, 2);
    QCOMPARE(b.text, QStringLiteral("bulletin\r\n"));
}

void tst_LiveQuery::reopenReplacesSelection()
{
    TempStore store;
    fillWithMessages(*store);
    LiveQuery q(*store);
    q.open(Selections::conferenceMessages("A", 1));
    q.last();
    q.open(Selections::conferenceMessages("A", 0));
    QCOMPARE(q.count(), 1);
    QCOMPARE(q.rowNumber(), 1);
    QCOMPARE(FieldInteger(q, "Message Number"), 99);
    q.close();
    QVERIFY(!q.isOpen());
    QVERIFY(!q.hasRow());
}

void tst_LiveQuery::keysInTheOrderGiven()
{
    // A search's hits: newest first, one of them deleted since.
    TempStore store;
    const qint64 a = store->appendMessage(message(QStringLiteral("ONE"), 0, 1, true));
    const qint64 b = store->appendMessage(message(QStringLiteral("TWO"), 3, 2));
    const qint64 c = store->appendMessage(message(QStringLiteral("ONE"), 1, 3));
    LiveQuery q(*store);
    q.openKeys({c, 999, a, b});
    QCOMPARE(q.count(), 3);
    QCOMPARE(q.message().recordNumber, c);
    QCOMPARE(q.nextUnreadAfter(1), 3);
    q.next();
    QCOMPARE(q.message().recordNumber, a);
    QVERIFY(q.isRowRead(2));
    q.last();
    QCOMPARE(q.message().qwkId, QStringLiteral("TWO"));
    q.openKeys({});
    QVERIFY(q.eof() && q.bof());
}

QTEST_GUILESS_MAIN(tst_LiveQuery)
#include "tst_livequery.moc"
