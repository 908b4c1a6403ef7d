#include "system/BrowseFixture.h"

#include "store/Selections.h"
#include "system/SystemBrowser.h"

#include <QFile>

using namespace browsetest;
using marvik::system::SystemBrowser;

class TestSystemBrowser : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void missingSystemShowsNothing();
    void emptyConferenceLosesItsUnreadCount();
    void opensByNumber_data();
    void opensByNumber();
    void emptyConferenceOpensNothing();
    void nextConferenceWithMessages_data();
    void nextConferenceWithMessages();
    void composeRequest();
    void addConferenceRequest();
    void addConferenceRequestOnReservedRows();
    void bulletinTitle();
    void replyPacket();
};

void TestSystemBrowser::missingSystemShowsNothing()
{
    BrowseFixture f;
    f.addSystem(QStringLiteral("OTHER"), {{0, QStringLiteral("Main")}});
    f.state->loadSystemLists();
    f.state->setCurrentQwkId(QStringLiteral("GONE"));
    SystemBrowser browser(*f.state);
    QVERIFY(!browser.load());
}

void TestSystemBrowser::emptyConferenceLosesItsUnreadCount()
{
    BrowseFixture f;
    f.addSystem(QStringLiteral("BBS"), {{0, QStringLiteral("Main")}});
    f.store().addToConferenceCounts(0, QStringLiteral("BBS"), 0, 4);
    f.state->setCurrentQwkId(QStringLiteral("BBS"));
    SystemBrowser browser(*f.state);
    QVERIFY(browser.load());
    QCOMPARE(f.state->conferences().count(), 3);
    QCOMPARE(f.state->conferences().at(2).unread, 0);
    QCOMPARE(f.store().findConference(0, QStringLiteral("BBS"))->unreadMsgs, 0);
}

void TestSystemBrowser::opensByNumber_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<int>("expected");

    // Entries: Replies, Personal, 0 "Replies", 1 "Personal", 2 "Twin", 3 "Twin".
    QTest::newRow("replies conference") << 0 << 2;
    QTest::newRow("personal: every personal message") << 1 << 3;
    QTest::newRow("real conference named Replies") << 2 << 4;
    QTest::newRow("real conference named Personal") << 3 << 1;
    QTest::newRow("first of two with one name") << 4 << 5;
    QTest::newRow("second of two with one name") << 5 << 6;
    QTest::newRow("beyond the list") << 6 << 0;
    QTest::newRow("no row") << -1 << 0;
}

void TestSystemBrowser::opensByNumber()
{
    QFETCH(int, entry);
    QFETCH(int, expected);
    BrowseFixture f;
    const QString bbs = QStringLiteral("BBS");
    f.addSystem(bbs,
        {{0, QStringLiteral("Replies")}, {1, QStringLiteral("Personal")},
            {2, QStringLiteral("Twin")}, {3, QStringLiteral("Twin")}});
    f.addSystem(QStringLiteral("OTHER"), {{0, QStringLiteral("Replies")}});
    const int counts[] = {4, 1, 5, 6};
    for (int c = 0; c < 4; ++c) {
        for (int i = 0; i < counts[c]; ++i)
            f.addMessage(bbs, c, i % 2 == 0, (c == 0 && i < 2) || (c == 2 && i == 0));
    }
    f.addMessage(QStringLiteral("OTHER"), 0, false, true);
    store::MessageRecord reply;
    reply.subject = QStringLiteral("written");
    f.state->operations().storeWrittenMessage(bbs, {reply, reply});

    f.state->setCurrentQwkId(bbs);
    SystemBrowser browser(*f.state);
    QVERIFY(browser.load());
    QCOMPARE(browser.openConference(entry), expected);
    QCOMPARE(f.state->messageCount(), expected);
    if (expected == 0)
        return;
    QCOMPARE(f.state->messageIndex(), 1);
    const int number = f.state->conferences().at(entry).number;
    for (int row = 1; row <= expected; ++row) {
        f.state->messages().moveToRow(row);
        const store::MessageRecord m = f.state->messages().message();
        QCOMPARE(m.qwkId, bbs);
        if (number == -1)
            QVERIFY(m.personal);
        else
            QCOMPARE(m.conferenceNumber, number);
    }
    QCOMPARE(f.store().findConference(number, bbs)->totalMsgs, expected);
    QVERIFY(f.countsAgree(bbs));
}

void TestSystemBrowser::emptyConferenceOpensNothing()
{
    BrowseFixture f;
    f.addSystem(QStringLiteral("BBS"), {{0, QStringLiteral("Main")}});
    // A stored total that no row backs stays as it is: nothing is opened.
    f.store().addToConferenceCounts(0, QStringLiteral("BBS"), 3, 0);
    f.state->setCurrentQwkId(QStringLiteral("BBS"));
    SystemBrowser browser(*f.state);
    QVERIFY(browser.load());
    QCOMPARE(browser.openConference(2), 0);
    QCOMPARE(f.store().findConference(0, QStringLiteral("BBS"))->totalMsgs, 3);
}

void TestSystemBrowser::nextConferenceWithMessages_data()
{
    QTest::addColumn<QList<int>>("totals");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("expected");

    QTest::newRow("next one") << QList<int> {0, 0, 0, 5, 2} << 2 << 3;
    QTest::newRow("skips empty ones") << QList<int> {0, 0, 0, 0, 2} << 2 << 4;
    QTest::newRow("wraps to the start") << QList<int> {0, 1, 0, 0, 2} << 4 << 1;
    QTest::newRow("replies take part") << QList<int> {3, 0, 0, 0, 0} << 2 << 0;
    QTest::newRow("none: stays") << QList<int> {0, 0, 0, 0, 0} << 3 << 3;
    QTest::newRow("only itself: stays") << QList<int> {0, 0, 7, 0, 0} << 2 << 2;
}

void TestSystemBrowser::nextConferenceWithMessages()
{
    QFETCH(QList<int>, totals);
    QFETCH(int, from);
    BrowseFixture f;
    const QString bbs = QStringLiteral("BBS");
    f.addSystem(bbs, {{0, "A"}, {1, "B"}, {2, "C"}});
    const int numbers[] = {-2, -1, 0, 1, 2};
    for (int i = 0; i < totals.size(); ++i)
        f.store().addToConferenceCounts(numbers[i], bbs, totals.at(i), 0);
    f.state->setCurrentQwkId(bbs);
    SystemBrowser browser(*f.state);
    QVERIFY(browser.load());
    QFETCH(int, expected);
    QCOMPARE(browser.nextConferenceWithMessages(from), expected);
}

void TestSystemBrowser::composeRequest()
{
    BrowseFixture f;
    f.addSystem(QStringLiteral("BBS"), {{4, QStringLiteral("Programming")}});
    f.state->setCurrentQwkId(QStringLiteral("BBS"));
    SystemBrowser browser(*f.state);
    QVERIFY(browser.load());
    QVERIFY(!browser.composeRequest(0));
    QVERIFY(!browser.composeRequest(1));
    QVERIFY(!browser.composeRequest(3));
    const auto request = browser.composeRequest(2);
    QVERIFY(request);
    QCOMPARE(request->conferenceName, QStringLiteral("Programming"));
    QCOMPARE(request->from, QStringLiteral("JOHN SMITH"));
    QCOMPARE(request->refersTo, QStringLiteral("0"));
    QVERIFY(request->to.isEmpty() && request->subject.isEmpty() && request->body.isEmpty());
    QVERIFY(!request->isPrivate);
}

void TestSystemBrowser::addConferenceRequest()
{
    BrowseFixture f;
    const QString bbs = QStringLiteral("BBS");
    f.addSystem(bbs, {{0, QStringLiteral("Main")}, {17, QStringLiteral("Replies")}});
    f.store().setLastReply(bbs, 41);
    f.state->setCurrentQwkId(bbs);
    SystemBrowser browser(*f.state);
    QVERIFY(browser.load());
    QLocale::setDefault(QLocale(QStringLiteral("sv_SE")));
    QVERIFY(browser.addConferenceRequest(3, QDateTime(QDate(2026, 12, 8), QTime(21, 5, 30))));
    QLocale::setDefault(QLocale::c());

    QCOMPARE(f.rows(QStringLiteral("\"QwkID\" = ?"), {bbs}), 1);
    f.state->messages().open(store::Selections::replyMessages(bbs));
    const store::MessageRecord m = f.state->messages().message();
    QCOMPARE(m.conferenceNumber, -2);
    QCOMPARE(m.messageNumber, 42);
    QCOMPARE(m.status, QStringLiteral(" "));
    QCOMPARE(m.date, QStringLiteral("12-08-26"));
    QCOMPARE(m.time, QStringLiteral("21:05"));
    QCOMPARE(m.to, QStringLiteral("QMAIL"));
    QCOMPARE(m.from, QStringLiteral("JOHN SMITH"));
    QCOMPARE(m.subject, QStringLiteral("ADD"));
    QCOMPARE(m.referenceNumber, 0);
    QCOMPARE(m.text, QStringLiteral(" \r\n"));
    QVERIFY(m.read);
    QVERIFY(!m.personal);
    // The real conference 17, whatever its name says.
    QCOMPARE(m.replyConferenceNumber, 17);
    QCOMPARE(f.store().findSystem(bbs)->lastReply, 42);
    QCOMPARE(f.state->conferences().at(0).total, 1);
    QCOMPARE(f.state->conferences().at(0).unread, 0);
    QVERIFY(f.countsAgree(bbs));
}

void TestSystemBrowser::addConferenceRequestOnReservedRows()
{
    BrowseFixture f;
    f.addSystem(QStringLiteral("BBS"), {{0, QStringLiteral("Main")}});
    f.state->setCurrentQwkId(QStringLiteral("BBS"));
    SystemBrowser browser(*f.state);
    QVERIFY(browser.load());
    const QDateTime now = QDateTime::currentDateTime();
    QVERIFY(!browser.addConferenceRequest(0, now));
    QVERIFY(!browser.addConferenceRequest(1, now));
    QVERIFY(!browser.addConferenceRequest(3, now));
    QVERIFY(!browser.addConferenceRequest(-1, now));
    QCOMPARE(f.rows(QString(), {}), 0);
    QCOMPARE(f.store().findSystem(QStringLiteral("BBS"))->lastReply, 0);
}

void TestSystemBrowser::bulletinTitle()
{
    BrowseFixture f;
    const QString bbs = QStringLiteral("BBS");
    f.addSystem(bbs, {});
    f.store().saveBulletin({0, bbs, 3, 12, QStringLiteral("\x1b[1mNews")});
    f.state->setCurrentQwkId(bbs);
    SystemBrowser browser(*f.state);
    QVERIFY(browser.load());
    QCOMPARE(f.state->bulletins().count(), 1);
    const auto bulletin = browser.bulletin(0);
    QVERIFY(bulletin);
    QCOMPARE(bulletin->title, QStringLiteral("Conference: 3  Bulletin Number: 12"));
    QCOMPARE(bulletin->text, QStringLiteral("\x1b[1mNews"));
    QVERIFY(!browser.bulletin(1));
    QVERIFY(!browser.bulletin(-1));
}

void TestSystemBrowser::replyPacket()
{
    BrowseFixture f;
    f.addSystem(QStringLiteral("BBS"), {});
    f.state->setCurrentQwkId(QStringLiteral("BBS"));
    SystemBrowser browser(*f.state);
    QVERIFY(!browser.replyPacketExists());
    QFile packet(browser.replyPacketPath());
    QVERIFY(packet.open(QIODevice::WriteOnly));
    packet.close();
    QVERIFY(browser.replyPacketExists());
    QVERIFY(browser.replyPacketPath().endsWith(QStringLiteral("WORK/BBS.REP")));
}

QTEST_GUILESS_MAIN(TestSystemBrowser)
#include "tst_systembrowser.moc"
