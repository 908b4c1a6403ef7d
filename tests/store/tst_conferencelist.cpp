// ConferenceList: filling from the store, finding entries, count texts.
#include "StoreTestUtil.h"
#include "store/ConferenceList.h"

#include <QTest>

using namespace marvik::store;
using namespace storetest;

class tst_ConferenceList : public QObject
{
    Q_OBJECT

private slots:
    void fill();
    void fillEmptySystem();
    void indexOfConference_data();
    void indexOfConference();
    void setCountsNotifies();
};

void tst_ConferenceList::fill()
{
    TempStore store;
    // Conferences written out of order; the list comes in number order.
    store->saveConferenceName(10, "A", "Ten");
    addSystem(*store, "A", 2);
    store->saveConferenceName(1, "A", QString(100, QLatin1Char('n')));
    store->addToConferenceCounts(10, "A", 12, 3);
    // A stale unread count on an empty conference is put right by filling.
    store->addToConferenceCounts(0, "A", 0, 4);
    addSystem(*store, "B", 3);

    ConferenceList list;
    QList<int> changes;
    list.setChangedCallback([&](int index) { changes << index; });
    list.fill(*store, "A");

    QStringList rows;
    for (const ConferenceEntry &e : list.entries())
        rows << e.number + "|" + e.name.left(12) + "|" + e.messages;
    QCOMPARE(rows,
        (QStringList {"|Replies|0 - 0", "|Personal|0 - 0", "0|Conference 0|0 - 0",
            "1|nnnnnnnnnnnn|0 - 0", "10|Ten|12 - 3"}));
    QCOMPARE(list.at(3).name.size(), ConferenceList::MaxText);
    QCOMPARE(store->findConference(0, "A")->unreadMsgs, 0);
    QCOMPARE(changes, QList<int> {-1}); // one reset, not one signal per row
}

void tst_ConferenceList::fillEmptySystem()
{
    TempStore store;
    ConferenceList list;
    list.append({"5", "old", "1 - 1"});
    int rows = 0;
    list.fill(*store, "NONE", [&] { ++rows; });
    QVERIFY(list.isEmpty());
    QCOMPARE(rows, 0);
}

void tst_ConferenceList::indexOfConference_data()
{
    QTest::addColumn<QStringList>("numbers"); // Number texts of the entries
    QTest::addColumn<int>("conference");
    QTest::addColumn<int>("index");

    const QStringList usual {"", "", "0", "1", "10", "100"};
    QTest::newRow("replies") << usual << -2 << 0;
    QTest::newRow("personal") << usual << -1 << 1;
    QTest::newRow("zero") << usual << 0 << 2;
    QTest::newRow("one, not ten") << usual << 1 << 3;
    QTest::newRow("hundred") << usual << 100 << 5;
    QTest::newRow("not listed") << usual << 7 << -1;
    QTest::newRow("first two never match by number") << QStringList {"3", "3", "3"} << 3 << 2;
    QTest::newRow("empty list, replies") << QStringList {} << -2 << -1;
    QTest::newRow("one entry, personal") << QStringList {""} << -1 << -1;
    QTest::newRow("first of duplicates") << QStringList {"", "", "4", "4"} << 4 << 2;
}

void tst_ConferenceList::indexOfConference()
{
    QFETCH(QStringList, numbers);
    QFETCH(int, conference);
    QFETCH(int, index);
    ConferenceList list;
    for (const QString &n : numbers)
        list.append({n, "name", "0 - 0"});
    QCOMPARE(list.indexOfConference(conference), index);
}

void tst_ConferenceList::setCountsNotifies()
{
    ConferenceList list;
    for (const char *n : {"", "", "0", "5"})
        list.append({n, "name", "0 - 0"});
    QList<int> changes;
    list.setChangedCallback([&](int index) { changes << index; });
    list.setCounts(5, 12, 3);
    list.setCounts(-1, 2, 1);
    list.setCounts(9, 1, 1); // not listed: nothing
    QCOMPARE(list.at(3).messages, QStringLiteral("12 - 3"));
    QCOMPARE(list.at(1).messages, QStringLiteral("2 - 1"));
    QCOMPARE(changes, (QList<int> {3, 1}));
}

QTEST_GUILESS_MAIN(tst_ConferenceList)
#include "tst_conferencelist.moc"
