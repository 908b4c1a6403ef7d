#include "system/BrowseFixture.h"

#include "store/Selections.h"
#include "system/SystemBrowser.h"

using namespace browsetest;
using marvik::system::SystemBrowser;

class TestSystemBrowser : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void opensByNumber_data();
    void opensByNumber();
    void nextConferenceWithMessages_data();
    void nextConferenceWithMessages();
    void addConferenceRequest();
    void addRequestTexts_data();
    void addRequestTexts();
};

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

void TestSystemBrowser::addConferenceRequest()
{
    BrowseFixture f;
    const QString bbs = QStringLiteral("BBS");
    f.addSystem(bbs, {{0, QStringLiteral("Main")}, {17, QStringLiteral("Replies")}});
    f.store().setLastReply(bbs, 41);
    f.state->setCurrentQwkId(bbs);
    SystemBrowser browser(*f.state);
    QVERIFY(browser.load());
    const QDateTime when(QDate(2026, 12, 8), QTime(21, 5, 30));
    // Reserved rows and rows beyond the list store nothing.
    for (int entry : {0, 1, 4, -1})
        QVERIFY(!browser.addConferenceRequest(entry, when));
    QLocale::setDefault(QLocale(QStringLiteral("sv_SE")));
    QVERIFY(browser.addConferenceRequest(3, when));
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

void TestSystemBrowser::addRequestTexts_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<QString>("add"); // the door's ADD command
    QTest::addColumn<QString>("kind"); // none, refused, ask, already received
    QTest::addColumn<bool>("stored");

    // Entries: Replies, Personal, 0 "Main" (2 messages), 7 "Quiet" (none).
    QTest::newRow("replies row") << 0 << "ADD"
                                 << "none" << false;
    QTest::newRow("personal row") << 1 << "ADD"
                                  << "none" << false;
    QTest::newRow("beyond the list") << 4 << "ADD"
                                     << "none" << false;
    QTest::newRow("not received yet") << 3 << "ADD"
                                      << "ask" << true;
    QTest::newRow("received already") << 2 << "ADD"
                                      << "already received" << true;
    QTest::newRow("door names no ADD") << 3 << ""
                                       << "refused" << false;
    QTest::newRow("door's ADD only blanks") << 2 << "  "
                                            << "refused" << false;
}

void TestSystemBrowser::addRequestTexts()
{
    QFETCH(int, entry);
    QFETCH(QString, add);
    QFETCH(QString, kind);
    QFETCH(bool, stored);
    BrowseFixture f;
    const QString bbs = QStringLiteral("BBS");
    f.addSystem(bbs, {{0, QStringLiteral("Main")}, {7, QStringLiteral("Quiet")}});
    f.addMessage(bbs, 0, false);
    f.addMessage(bbs, 0, true);
    auto system = *f.store().findSystem(bbs);
    system.add = add;
    f.store().saveSystem(system);
    f.state->setCurrentQwkId(bbs);
    SystemBrowser browser(*f.state);
    QVERIFY(browser.load());

    const auto texts = browser.addRequestTexts(entry);
    QCOMPARE(texts.has_value(), kind != QLatin1String("none"));
    if (texts) {
        const QString conference = entry == 2 ? QStringLiteral("conference 0 \"Main\"")
                                              : QStringLiteral("conference 7 \"Quiet\"");
        QCOMPARE(texts->refusal.isEmpty(), kind != QLatin1String("refused"));
        QCOMPARE(texts->question.isEmpty(), kind == QLatin1String("refused"));
        const QString shown = texts->refusal + texts->question;
        QVERIFY2(shown.contains(conference), qPrintable(shown));
        QCOMPARE(texts->question.contains(QLatin1String("already receive")),
            kind == QLatin1String("already received"));
        if (!texts->queued.isEmpty())
            QVERIFY(texts->queued.contains(conference));
    }
    QCOMPARE(browser.addConferenceRequest(entry, QDateTime::currentDateTime()), stored);
    QCOMPARE(f.state->conferences().at(0).total, stored ? 1 : 0);
    QVERIFY(f.countsAgree(bbs));
}

QTEST_GUILESS_MAIN(TestSystemBrowser)
#include "tst_systembrowser.moc"
