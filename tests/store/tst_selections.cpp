// The named selections: which rows, in which order, and how they count.
#include "StoreTestUtil.h"
#include "store/FieldReaders.h"
#include "store/LiveQuery.h"
#include "store/Selections.h"

#include <QTest>

using namespace marvik::store;
using namespace storetest;

Q_DECLARE_METATYPE(marvik::store::Selection)

class tst_Selections : public QObject
{
    Q_OBJECT

private slots:
    void rows_data();
    void rows();
    void countOfBrokenSelectionIsZero();
};

// System A: conferences -2, -1, 0..3 (conference 2 named with quotes);
// messages (conference, number, read, personal) appended in this order:
//   (1,10,u,-) (-2,1,r,-) (2,20,r,P) (1,11,r,-) (3,30,u,P) (-2,2,r,-) (1,12,u,P)
// System B has conference 1 with one message, and its own bulletins, so
// nothing leaks across systems.
static void fillWithMessages(MessageStore &store)
{
    addSystem(store, "B", 2);
    addSystem(store, "A", 4);
    store.saveConferenceName(2, "A", "Say \"hi\"");
    struct Row
    {
        int conference, number;
        bool read, personal;
    };
    for (const Row &r : {Row {1, 10, false, false}, Row {-2, 1, true, false},
             Row {2, 20, true, true}, Row {1, 11, true, false}, Row {3, 30, false, true},
             Row {-2, 2, true, false}, Row {1, 12, false, true}}) {
        store.appendMessage(message("A", r.conference, r.number, r.read, r.personal));
    }
    store.appendMessage(message("B", 1, 77, true, true));
    store.saveBulletin({0, "A", 5, 2, "a52"});
    store.saveBulletin({0, "B", 1, 1, "b11"});
    store.saveBulletin({0, "A", 1, 1, "a11"});
}

// What identifies a row in the expectations: the Message Number of a
// message, the number of a conference, "conf/bulletin" of a bulletin.
static QString rowId(const LiveQuery &q)
{
    switch (q.selection().table) {
    case Table::Messages:
        return FieldText(q, "Message Number");
    case Table::Conferences:
        return FieldText(q, "Conference Number");
    case Table::Bulletins:
        return FieldText(q, "Conference Number") + "/" + FieldText(q, "Bulletin Number");
    default:
        return FieldText(q, "QwkID");
    }
}

void tst_Selections::rows_data()
{
    QTest::addColumn<Selection>("selection");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("conference list, reserved first")
        << Selections::conferences("A") << QStringList {"-2", "-1", "0", "1", "2", "3"};
    QTest::newRow("conference by name with quotes")
        << Selections::conferenceByName("A", "Say \"hi\"") << QStringList {"2"};
    QTest::newRow("conference by name, other system")
        << Selections::conferenceByName("B", "Say \"hi\"") << QStringList {};
    QTest::newRow("conference name is not a pattern")
        << Selections::conferenceByName("A", "Conference %") << QStringList {};
    QTest::newRow("replies conference") << Selections::repliesConference("A") << QStringList {"-2"};
    QTest::newRow("bulletin list in append order")
        << Selections::bulletins("A") << QStringList {"5/2", "1/1"};
    QTest::newRow("one bulletin") << Selections::bulletin("A", 1, 1) << QStringList {"1/1"};
    QTest::newRow("missing bulletin") << Selections::bulletin("A", 1, 2) << QStringList {};
    QTest::newRow("conference messages")
        << Selections::conferenceMessages("A", 1) << QStringList {"10", "11", "12"};
    QTest::newRow("personal messages across conferences")
        << Selections::conferenceMessages("A", -1) << QStringList {"20", "30", "12"};
    QTest::newRow("empty conference") << Selections::conferenceMessages("A", 0) << QStringList {};
    QTest::newRow("reply messages") << Selections::replyMessages("A") << QStringList {"1", "2"};
    QTest::newRow("read messages for clean-up")
        << Selections::readMessages("A") << QStringList {"20", "11"};
    QTest::newRow("bulk delete all, every conference") << Selections::bulkDelete(
        "A", false, std::nullopt) << QStringList {"10", "20", "11", "30", "12"};
    QTest::newRow("bulk delete read, every conference")
        << Selections::bulkDelete("A", true, std::nullopt) << QStringList {"20", "11"};
    QTest::newRow("bulk delete all, one conference")
        << Selections::bulkDelete("A", false, 1) << QStringList {"10", "11", "12"};
    QTest::newRow("bulk delete read, one conference")
        << Selections::bulkDelete("A", true, 1) << QStringList {"11"};
    QTest::newRow("bulk delete read replies")
        << Selections::bulkDelete("A", true, -2) << QStringList {"1", "2"};
    QTest::newRow("system bulletins") << Selections::systemBulletins("B") << QStringList {"1/1"};
    QTest::newRow("system messages") << Selections::systemMessages("B") << QStringList {"77"};
    QTest::newRow("system conferences")
        << Selections::systemConferences("B") << QStringList {"-2", "-1", "0", "1"};
    QTest::newRow("unknown system") << Selections::systemMessages("C") << QStringList {};
}

void tst_Selections::rows()
{
    QFETCH(Selection, selection);
    QFETCH(QStringList, expected);
    TempStore store;
    fillWithMessages(*store);
    LiveQuery q(*store);
    q.open(selection);
    QStringList found;
    for (; !q.eof(); q.next())
        found << rowId(q);
    QCOMPARE(found, expected);
    QCOMPARE(CountSelection(*store, selection), int(expected.size()));
}

void tst_Selections::countOfBrokenSelectionIsZero()
{
    TempStore store;
    fillWithMessages(*store);
    const Selection broken {Table::Messages, "\"No Such Column\" = ?", {1}};
    QCOMPARE(CountSelection(*store, broken), 0);
    const Selection tooFewValues {Table::Messages, "\"QwkID\" = ? AND \"Personal\" = ?", {"A"}};
    QCOMPARE(CountSelection(*store, tooFewValues), 0);
    // The store is still usable afterwards.
    QCOMPARE(CountSelection(*store, Selections::systemMessages("A")), 7);
}

QTEST_GUILESS_MAIN(tst_Selections)
#include "tst_selections.moc"
