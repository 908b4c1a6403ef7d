// EditorRequests: the quoting of a reply, a stored reply opened again and a
// forwarded message, each as the editor receives it.
#include "reader/EditorRequests.h"

#include <QTest>

using marvik::reader::DisplayedMessage;
using marvik::reader::EditorRequests;

namespace {

DisplayedMessage sample()
{
    DisplayedMessage m;
    m.conference = "General";
    m.conferenceNumber = 12;
    m.recordNumber = 77;
    m.messageNumber = "314";
    m.from = "ALICE";
    m.to = "BOB";
    m.subject = "Re: modems";
    m.date = "12-24-96 18:05";
    m.privateText = "Yes";
    m.refersTo = "None";
    m.lines = {"Hello Bob,", "", "bye"};
    return m;
}

} // namespace

class tst_EditorRequests : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void quoteLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("quoted");

        QTest::newRow("empty") << ""
                               << ">";
        QTest::newRow("short") << "hi"
                               << ">hi";
        QTest::newRow("71 fits") << QString(71, 'a') << ">" + QString(71, 'a');
        QTest::newRow("100 cut to 71") << QString(100, 'b') << ">" + QString(71, 'b');
        QTest::newRow("already quoted") << "> old"
                                        << ">> old";
    }
    void quoteLine()
    {
        QFETCH(QString, line);
        QFETCH(QString, quoted);
        QCOMPARE(EditorRequests::quoteLine(line), quoted);
        QVERIFY(EditorRequests::quoteLine(line).size() <= EditorRequests::QuoteWidth);
    }

    void replyGoesToTheAuthor()
    {
        const auto r = EditorRequests::reply(sample(), "JOHN DOE");
        QCOMPARE(QStringList({r.conferenceName, r.from, r.to, r.subject, r.refersTo}),
            QStringList({"General", "JOHN DOE", "ALICE", "Re: modems", "314"}));
        QVERIFY(r.isPrivate);
        QCOMPARE(r.body,
            QStringLiteral("On 12-24-96, ALICE wrote:\r\n\r\n>Hello Bob,\r\n>\r\n>bye\r\n"));
    }

    void replyLeavesOutKludges_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("quoted");

        QTest::newRow("Ctrl+A line") << "\x01MSGID: 1:2/3 4567" << false;
        QTest::newRow("@MSGID") << "@MSGID: 1:2/3 89ab" << false;
        QTest::newRow("@REPLY") << "@REPLY: 1:2/3 89aa" << false;
        QTest::newRow("@TZ") << "@TZ: 0100" << false;
        QTest::newRow("@VIA") << "@VIA: somewhere" << false;
        QTest::newRow("SEEN-BY") << "SEEN-BY: 1/2 3/4" << false;
        QTest::newRow("PATH") << "PATH: 1/2" << false;
        QTest::newRow("text naming a kludge") << "I read the @MSGID: line" << true;
        QTest::newRow("indented") << " SEEN-BY: 1/2" << true;
        QTest::newRow("other case") << "Path: down the hill" << true;
    }
    void replyLeavesOutKludges()
    {
        QFETCH(QString, line);
        QFETCH(bool, quoted);
        DisplayedMessage m = sample();
        m.lines = {line, "text"};
        const QString quote = EditorRequests::reply(m, "JOHN DOE").body;
        QCOMPARE(quote.contains(">" + line.left(20)), quoted);
        QVERIFY(quote.endsWith(">text\r\n"));
        // A forward copies the text the same way.
        QCOMPARE(EditorRequests::forward(m, "JOHN DOE", QDateTime()).body.contains(line), quoted);
    }

    void repliesKeepTheConference()
    {
        // A name may stand for two conferences: the number goes along.
        const DisplayedMessage m = sample();
        QCOMPARE(EditorRequests::reply(m, "JOHN DOE").conferenceNumber, 12);
        QCOMPARE(EditorRequests::forward(m, "JOHN DOE", QDateTime()).conferenceNumber, 12);
        QCOMPARE(EditorRequests::reEdit(m).conferenceNumber, 12);
        QCOMPARE(EditorRequests::reply(m, "JOHN DOE").replacesRecord, 0);
    }

    void reEditKeepsTheReplyAsItWas_data()
    {
        QTest::addColumn<QString>("shownRefersTo");
        QTest::addColumn<QString>("refersTo");
        QTest::newRow("a reply to 106") << "106"
                                        << "106";
        QTest::newRow("a new message") << "None"
                                       << "0";
    }
    void reEditKeepsTheReplyAsItWas()
    {
        QFETCH(QString, shownRefersTo);
        QFETCH(QString, refersTo);
        DisplayedMessage m = sample();
        m.privateText = "No";
        m.refersTo = shownRefersTo;
        m.lines.append(QString(100, 'x'));
        const auto r = EditorRequests::reEdit(m);
        // The message it answers, never the reply's own number (314).
        QCOMPARE(QStringList({r.conferenceName, r.from, r.to, r.refersTo}),
            QStringList({"General", "ALICE", "BOB", refersTo}));
        QVERIFY(!r.isPrivate);
        QCOMPARE(r.replacesRecord, 77);
        QCOMPARE(r.body, "Hello Bob,\r\n\r\nbye\r\n" + QString(100, 'x') + "\r\n");
    }

    void forwardNamesTheOriginal()
    {
        const QDateTime when(QDate(2026, 3, 4), QTime(5, 6, 7));
        const auto r = EditorRequests::forward(sample(), "JOHN DOE", when);
        QCOMPARE(r.from, QStringLiteral("JOHN DOE"));
        QVERIFY(r.to.isEmpty());
        QCOMPARE(r.refersTo, QStringLiteral("0"));
        const QLocale locale = QLocale::system();
        const QString stamp = locale.toString(when.date(), QLocale::ShortFormat) + ' '
            + locale.toString(when.time(), QLocale::LongFormat);
        QCOMPARE(r.body,
            "Message forwarded on " + stamp
                + ".\r\nOriginally written by: ALICE\r\nOriginally addressed to: BOB\r\n\r\n"
                  "Hello Bob,\r\n\r\nbye\r\n");
    }
};

QTEST_GUILESS_MAIN(tst_EditorRequests)
#include "tst_editorrequests.moc"
