#include "system/ReadMessageCleanup.h"

#include "ReplyFixture.h"

#include <QTest>

using namespace replytest;
using marvik::system::ReadMessageCleanup;

class TestReadMessageCleanup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleansUp_data();
    void cleansUp();
    void countsFollowTheRows();
};

void TestReadMessageCleanup::cleansUp_data()
{
    QTest::addColumn<int>("readMessages");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<int>("deleted");

    QTest::newRow("nothing read asks nothing") << 0 << true << false << 0;
    QTest::newRow("answer No") << 3 << false << true << 0;
    QTest::newRow("answer Yes") << 3 << true << true << 3;
}

void TestReadMessageCleanup::cleansUp()
{
    QFETCH(int, readMessages);
    QFETCH(bool, answer);
    QFETCH(bool, asked);
    QFETCH(int, deleted);

    ReplyFixture f;
    for (int i = 0; i < readMessages; ++i)
        f.addReceived(5, i + 1, true);
    f.addReceived(5, 100, false);
    // A written reply is read too, and must never go here.
    f.storeReply(u"waiting to be packed"_qs);
    f.prompts.answers = {answer};

    QCOMPARE(ReadMessageCleanup::CleanUpReadMessages(*f.state), deleted);
    QCOMPARE(f.prompts.questions,
        asked ? QStringList {u"Delete messages that have been read?"_qs} : QStringList());
    QVERIFY(!f.prompts.yesDefaults.contains(true)); // deleting defaults to No
    QCOMPARE(f.replies(), 1);
    QCOMPARE(f.total(5), readMessages + 1 - deleted);
    if (deleted > 0) {
        QCOMPARE(f.progress.captions, QStringList {u"Deleting Messages"_qs});
        QCOMPARE(f.progress.texts.last(), u"Deleting 3 of 3 messages."_qs);
        QCOMPARE(f.progress.positions.last(), 100);
    }
    QVERIFY(!f.progress.visible);
    QVERIFY(f.prompts.errors.isEmpty());
}

void TestReadMessageCleanup::countsFollowTheRows()
{
    ReplyFixture f;
    f.addReceived(5, 1, true, true); // read personal message
    f.addReceived(5, 2, false, true);
    f.addReceived(0, 3, true);
    QCOMPARE(ReadMessageCleanup::CleanUpReadMessages(*f.state), 2);
    QCOMPARE(f.total(5), 1);
    QCOMPARE(f.unread(5), 1);
    QCOMPARE(f.total(-1), 1);
    QCOMPARE(f.unread(-1), 1);
    QCOMPARE(f.total(0), 0);
}

QTEST_GUILESS_MAIN(TestReadMessageCleanup)
#include "tst_readmessagecleanup.moc"
