// ConferenceList: filled from the store's conferences, entries found by
// number, count changes signalled to a grid.
#include "StoreTestUtil.h"
#include "store/ConferenceList.h"
#include "store/StoreOperations.h"

#include <QSignalSpy>
#include <QTest>

using namespace marvik::store;
using namespace storetest;

class tst_ConferenceList : public QObject
{
    Q_OBJECT

private slots:
    void fill();
    void indexOfConference_data();
    void indexOfConference();
    void setCountsNotifies();
};

static QList<ConferenceRecord> rows(const QList<int> &numbers)
{
    QList<ConferenceRecord> out;
    for (int n : numbers)
        out.append({n, "A", QStringLiteral("name %1").arg(n), 0, 0});
    return out;
}

void tst_ConferenceList::fill()
{
    TempStore store;
    // Conferences written out of order; the list comes in number order.
    store->saveConferenceName(10, "A", "Ten");
    addSystem(*store, "A", 2);
    store->addToConferenceCounts(10, "A", 12, 3);
    // A stale unread count on an empty conference is put right when listed.
    store->addToConferenceCounts(0, "A", 0, 4);
    addSystem(*store, "B", 3);

    ConferenceList list;
    QStringList events;
    connect(&list, &ConferenceList::aboutToReset,
        [&] { events << "about:" + QString::number(list.count()); });
    connect(
        &list, &ConferenceList::reset, [&] { events << "reset:" + QString::number(list.count()); });
    connect(&list, &ConferenceList::entryChanged, [&](int i) { events << QString::number(i); });
    list.setConferences("A", StoreOperations(*store).conferencesForList("A"));

    QStringList shown;
    for (const ConferenceEntry &e : list.entries())
        shown << ConferenceList::numberText(e) + "|" + e.name + "|"
                + ConferenceList::countsText(e.total, e.unread);
    QCOMPARE(shown,
        (QStringList {"|Replies|0 - 0", "|Personal|0 - 0", "0|Conference 0|0 - 0",
            "1|Conference 1|0 - 0", "10|Ten|12 - 3"}));
    QCOMPARE(store->findConference(0, "A")->unreadMsgs, 0);
    // The reset is announced while the old entries are still there.
    QCOMPARE(events, (QStringList {"about:0", "reset:5"}));
}

void tst_ConferenceList::indexOfConference_data()
{
    QTest::addColumn<QList<int>>("numbers");
    QTest::addColumn<int>("conference");
    QTest::addColumn<int>("index");

    const QList<int> usual {-2, -1, 0, 1, 10, 100};
    QTest::newRow("replies") << usual << -2 << 0;
    QTest::newRow("personal") << usual << -1 << 1;
    QTest::newRow("zero") << usual << 0 << 2;
    QTest::newRow("one, not ten") << usual << 1 << 3;
    QTest::newRow("hundred") << usual << 100 << 5;
    QTest::newRow("not listed") << usual << 7 << -1;
    QTest::newRow("beyond the last") << usual << 1000 << -1;
    QTest::newRow("empty list, replies") << QList<int> {} << -2 << -1;
    QTest::newRow("one entry, personal") << QList<int> {-2} << -1 << -1;
}

void tst_ConferenceList::indexOfConference()
{
    QFETCH(QList<int>, numbers);
    QFETCH(int, conference);
    QFETCH(int, index);
    ConferenceList list;
    list.setConferences("A", rows(numbers));
    QCOMPARE(list.indexOfConference(conference), index);
}

void tst_ConferenceList::setCountsNotifies()
{
    ConferenceList list;
    list.setConferences("A", rows({-2, -1, 0, 5}));
    QSignalSpy changed(&list, &ConferenceList::entryChanged);
    list.setCounts("A", 5, 12, 3);
    list.setCounts("A", -1, 2, 1);
    list.setCounts("A", 9, 1, 1); // not listed: nothing
    list.setCounts("B", 0, 1, 1); // another system: nothing
    list.setCounts("A", 5, 12, 3); // unchanged: no signal
    QCOMPARE(list.at(3).total, 12);
    QCOMPARE(list.at(3).unread, 3);
    QCOMPARE(list.at(1).total, 2);
    QCOMPARE(changed.count(), 2);
    QCOMPARE(changed.at(0).at(0).toInt(), 3);
    QCOMPARE(changed.at(1).at(0).toInt(), 1);
}

QTEST_GUILESS_MAIN(tst_ConferenceList)
#include "tst_conferencelist.moc"
