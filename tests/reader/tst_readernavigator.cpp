// ReaderNavigator: where reading starts, the moves and their limits, the
// unread search with its wrap, read marking against the stored counts, the
// header values, and deleting until the selection is empty.
#include "ReaderFixture.h"
#include "reader/ReaderNavigator.h"

#include <QTest>

using namespace readertest;
using marvik::reader::ReaderNavigator;

class tst_ReaderNavigator : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startsOnFirstUnread_data()
    {
        QTest::addColumn<QString>("reads");
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("nextUnread");

        QTest::newRow("first unread") << "uur" << 1 << true;
        QTest::newRow("third unread, the only one") << "rru" << 3 << false;
        QTest::newRow("second unread, one more") << "ruu" << 2 << true;
        QTest::newRow("all read: first, button off") << "rrr" << 1 << false;
        QTest::newRow("single message: button off") << "u" << 1 << false;
    }

    void startsOnFirstUnread()
    {
        QFETCH(QString, reads);
        QFETCH(int, index);
        QFETCH(bool, nextUnread);
        ReaderFixture f;
        f.addMessages(1, reads);
        f.open(1);
        ReaderNavigator nav(*f.state);
        QVERIFY(nav.start(1));
        QCOMPARE(nav.index(), index);
        QCOMPARE(nav.current().position, QStringLiteral("%1 of %2").arg(index).arg(reads.size()));
        QCOMPARE(nav.nextUnreadEnabled(), nextUnread);
        QVERIFY(f.prompts.informations.isEmpty());
    }

    void nextUnread_data()
    {
        QTest::addColumn<QString>("reads");
        QTest::addColumn<int>("from"); // moved to before searching
        QTest::addColumn<int>("found"); // 0: none
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("more"); // Next Unread still enabled after

        // Reading starts on the first unread message, which is read from then on.
        QTest::newRow("forward") << "uruu" << 1 << 3 << 3 << true;
        QTest::newRow("wraps from last") << "uurr" << 4 << 2 << 2 << false;
        QTest::newRow("wraps from the middle") << "uurrr" << 3 << 2 << 2 << false;
        QTest::newRow("wraps, one more before") << "uuurr" << 4 << 2 << 2 << true;
        QTest::newRow("none: stays") << "rrrr" << 3 << 0 << 3 << false;
        QTest::newRow("only the last") << "urrru" << 1 << 5 << 5 << false;
    }

    void nextUnread()
    {
        QFETCH(QString, reads);
        QFETCH(int, from);
        QFETCH(int, found);
        QFETCH(int, index);
        QFETCH(bool, more);
        ReaderFixture f;
        f.addMessages(1, reads);
        f.open(1);
        ReaderNavigator nav(*f.state);
        nav.start(1);
        f.state->messages().moveToRow(from);
        nav.displayCurrent();
        QCOMPARE(nav.findNextUnread(), found != 0);
        QCOMPARE(nav.index(), index);
        QCOMPARE(nav.current().position, QStringLiteral("%1 of %2").arg(index).arg(reads.size()));
        QCOMPARE(nav.nextUnreadEnabled(), more);
        if (found)
            QVERIFY(f.state->messages().message().read);
    }

    void nextUnreadOffOnceAllAreRead()
    {
        ReaderFixture f;
        f.addMessages(1, "uuru");
        f.open(1);
        ReaderNavigator nav(*f.state);
        nav.start(1);
        QList<bool> enabled;
        for (int i = 0; i < 3; ++i) {
            nav.next();
            enabled.append(nav.nextUnreadEnabled());
        }
        // On 2 and 3 message 4 is still unread; on 4 nothing is left.
        QCOMPARE(enabled, QList<bool>({true, true, false}));
        nav.first();
        QVERIFY(!nav.nextUnreadEnabled());
    }

    void readMarkingMovesCountsOnce()
    {
        ReaderFixture f;
        f.addMessages(1, "r");
        auto personal = storetest::message("A", 1, 2, false, true);
        f.add(personal);
        f.addMessages(2, "u");
        f.open(-1);
        ReaderNavigator nav(*f.state);
        QCOMPARE(f.counts(1), std::pair(2, 1));
        nav.start(-1);
        QCOMPARE(f.counts(1), std::pair(2, 0));
        QCOMPARE(f.counts(-1), std::pair(1, 0));
        // Shown again: nothing moves.
        nav.displayCurrent();
        nav.first();
        QCOMPARE(f.counts(1), std::pair(2, 0));
        QCOMPARE(f.counts(-1), std::pair(1, 0));
        QCOMPARE(f.counts(2), std::pair(1, 1));
        // The system window's list heard of it.
        const int entry = f.state->conferences().indexOfConference(1);
        QCOMPARE(f.state->conferences().at(entry).unread, 0);
    }

    void repliesNeverMoveUnreadCounts()
    {
        ReaderFixture f;
        auto reply = storetest::message("A", -2, 7);
        reply.read = false; // even a reply stored unread
        reply.replyConferenceNumber = 2;
        f.add(reply);
        reply.replyConferenceNumber = 77; // a conference the system does not have
        f.add(reply);
        f.addMessages(2, "u");
        f.open(-2);
        ReaderNavigator nav(*f.state);
        nav.start(-2);
        QCOMPARE(f.counts(-2), std::pair(2, 0));
        QCOMPARE(f.counts(2), std::pair(1, 1));
        // A reply shows the conference it is addressed to.
        QCOMPARE(nav.current().conference, QStringLiteral("Conference 2"));
        nav.next();
        QCOMPARE(nav.current().conference, QString());
    }

    void headerValues_data()
    {
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("reference");
        QTest::addColumn<QString>("privateText");
        QTest::addColumn<QString>("refersTo");

        QTest::newRow("star") << "*" << 0 << "Yes"
                              << "None";
        QTest::newRow("plus") << "+" << 12 << "Yes"
                              << "12";
        QTest::newRow("minus") << "-" << 3 << "No"
                               << "3";
        QTest::newRow("blank") << " " << 0 << "No"
                               << "None";
    }

    void headerValues()
    {
        QFETCH(QString, status);
        QFETCH(int, reference);
        QFETCH(QString, privateText);
        QFETCH(QString, refersTo);
        ReaderFixture f;
        auto m = storetest::message("A", 0, 42);
        m.status = status;
        m.referenceNumber = reference;
        m.date = "12-24-96";
        m.time = "18:05";
        m.text = "one\r\n\r\nthree\rfour\nfive\r\n";
        f.add(m);
        f.open(0);
        ReaderNavigator nav(*f.state);
        nav.start(0);
        QCOMPARE(nav.current().privateText, privateText);
        QCOMPARE(nav.current().refersTo, refersTo);
        QCOMPARE(nav.current().date, QStringLiteral("12-24-96 18:05"));
        QCOMPARE(nav.current().messageNumber, QStringLiteral("42"));
        QCOMPARE(nav.current().lines, QStringList({"one", "", "three", "four", "five"}));
    }

    void deleteKeepsPositionInRange()
    {
        ReaderFixture f;
        f.addMessages(1, "rrru");
        auto personal = storetest::message("A", 1, 5, false, true);
        f.add(personal);
        f.open(1);
        ReaderNavigator nav(*f.state);
        nav.start(1); // on 4, the first unread, now read
        nav.last(); // 5, personal, now read
        QVERIFY(nav.deleteCurrent());
        QCOMPARE(nav.current().position, QStringLiteral("4 of 4"));
        QCOMPARE(f.counts(1), std::pair(4, 0));
        QCOMPARE(f.counts(-1), std::pair(0, 0));
        nav.first();
        QVERIFY(nav.deleteCurrent());
        QCOMPARE(nav.current().position, QStringLiteral("1 of 3"));
        QCOMPARE(nav.current().messageNumber, QStringLiteral("2"));
        QVERIFY(nav.deleteCurrent());
        QVERIFY(nav.deleteCurrent());
        QVERIFY(!nav.deleteCurrent());
        QCOMPARE(nav.count(), 0);
        QCOMPARE(f.counts(1), std::pair(0, 0));
    }

    void emptySelectionShowsNothing()
    {
        ReaderFixture f;
        f.open(1);
        ReaderNavigator nav(*f.state);
        QVERIFY(!nav.start(1));
        QVERIFY(!nav.findNextUnread());
        QVERIFY(!nav.deleteCurrent());
    }

    // The reader walks the list in its order and view; what it shows, reads
    // and deletes is always the row in view, and what is stored only
    // changes by reading and deleting.
    void walksTheListInViewOrder_data()
    {
        QTest::addColumn<int>("sort");
        QTest::addColumn<bool>("descending");
        QTest::addColumn<int>("view");
        QTest::addColumn<bool>("threads");
        QTest::addColumn<QList<int>>("walk"); // message numbers, First to Last

        // Messages 1..5; 4 answers 1, 5 answers 4; 2 is read, 3 marked.
        const int all = int(store::ListView::All);
        QTest::newRow("store order")
            << int(store::ListSort::Store) << false << all << false << QList<int> {1, 2, 3, 4, 5};
        QTest::newRow("number, descending")
            << int(store::ListSort::Number) << true << all << false << QList<int> {5, 4, 3, 2, 1};
        QTest::newRow("unread only")
            << int(store::ListSort::Store) << false << int(store::ListView::Unread) << false
            << QList<int> {1, 3, 4, 5};
        QTest::newRow("marked only") << int(store::ListSort::Store) << false
                                     << int(store::ListView::Marked) << false << QList<int> {3};
        QTest::newRow("threads") << int(store::ListSort::Store) << false << all << true
                                 << QList<int> {1, 4, 5, 2, 3};
        QTest::newRow("threads, newest first")
            << int(store::ListSort::Number) << true << all << true << QList<int> {3, 2, 1, 4, 5};
    }

    void walksTheListInViewOrder()
    {
        QFETCH(int, sort);
        QFETCH(bool, descending);
        QFETCH(int, view);
        QFETCH(bool, threads);
        QFETCH(QList<int>, walk);
        ReaderFixture f;
        const int refs[] = {0, 0, 0, 1, 4};
        for (int i = 0; i < 5; ++i) {
            store::MessageRecord m = storetest::message(QStringLiteral("A"), 1, i + 1, i == 1);
            m.referenceNumber = refs[i];
            m.marked = i == 2;
            f.add(m);
        }
        f.open(1);
        ReaderNavigator nav(*f.state);
        const store::ListOrder order {store::ListSort(sort), descending, store::ListView(view), {}};
        QVERIFY(nav.prepareOrder(order, threads));
        QVERIFY(nav.start(1));
        nav.first();
        QList<int> seen;
        for (int i = 0; i < nav.count(); ++i) {
            seen.append(nav.current().messageNumber.toInt());
            nav.next();
        }
        QCOMPARE(seen, walk);
        QCOMPARE(nav.current().position, QStringLiteral("%1 of %1").arg(walk.size()));
        QCOMPARE(f.counts(1), std::pair(5, 5 - 1 - int(walk.size()) + int(walk.contains(2))));
    }

    void deletesTheRowInView()
    {
        ReaderFixture f;
        f.addMessages(1, QStringLiteral("uuruu"));
        f.open(1);
        ReaderNavigator nav(*f.state);
        // Newest first, unread only, filtered: 5, 4, 2, 1.
        nav.prepareOrder(
            {store::ListSort::Number, true, store::ListView::Unread, QStringLiteral("SUBJECT")},
            false);
        QVERIFY(nav.start(1));
        QCOMPARE(nav.current().messageNumber, QStringLiteral("5"));
        nav.next(); // 4
        QVERIFY(nav.deleteCurrent());
        // The next row in view: 2, not 3 or 5.
        QCOMPARE(nav.current().messageNumber, QStringLiteral("2"));
        QCOMPARE(nav.current().position, QStringLiteral("2 of 3"));
        QCOMPARE(f.counts(1), std::pair(4, 1));
        QVERIFY(!f.db().findMessage(4));
        for (const qint64 key : {1, 2, 3, 5})
            QVERIFY(f.db().findMessage(key));
    }

    void anEmptyViewChangesNothing()
    {
        ReaderFixture f;
        f.addMessages(1, QStringLiteral("uu"));
        f.open(1);
        ReaderNavigator nav(*f.state);
        QVERIFY(nav.start(1));
        nav.next();
        QVERIFY(!nav.arrange({store::ListSort::Store, false, store::ListView::Marked, {}}, false));
        QVERIFY(!nav.arrange(
            {store::ListSort::Store, false, store::ListView::All, QStringLiteral("nobody")}, true));
        QCOMPARE(nav.index(), 2);
        QCOMPARE(nav.count(), 2);
        // Marked, the message shown makes a view of its own.
        QVERIFY(nav.toggleMarked());
        QVERIFY(nav.arrange({store::ListSort::Store, false, store::ListView::Marked, {}}, false));
        QCOMPARE(nav.count(), 1);
        QCOMPARE(nav.current().messageNumber, QStringLiteral("2"));
        QVERIFY(!nav.toggleMarked());
        QVERIFY(!f.db().findMessage(2)->marked);
    }
};

QTEST_GUILESS_MAIN(tst_ReaderNavigator)
#include "tst_readernavigator.moc"
