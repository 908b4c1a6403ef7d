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

    void reEditKeepsTheReplyAsItWas()
    {
        DisplayedMessage m = sample();
        m.privateText = "No";
        m.lines.append(QString(100, 'x'));
        const auto r = EditorRequests::reEdit(m);
        QCOMPARE(QStringList({r.from, r.to, r.refersTo}), QStringList({"ALICE", "BOB", "314"}));
        QVERIFY(!r.isPrivate);
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
