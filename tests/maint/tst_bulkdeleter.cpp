#include "system/BrowseFixture.h"

#include "maint/BulkDeleter.h"

using namespace browsetest;
using marvik::maint::BulkDeleter;

class TestBulkDeleter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void deletes_data();
    void deletes();
    void progressFromFirstToLast();
    void nothingToDelete();
    void storeErrorIsShownAndCountsAgree();
};

namespace {

const QString Bbs = QStringLiteral("BBS");
const QString Other = QStringLiteral("OTHER");

// BBS: conference 1 with 3 read (one personal) and 2 unread (one personal),
// conference 2 with 1 read and 1 unread, two replies; OTHER: 2 read in 1.
void fill(BrowseFixture &f)
{
    f.addSystem(Bbs, {{1, QStringLiteral("One")}, {2, QStringLiteral("Two")}});
    f.addSystem(Other, {{1, QStringLiteral("One")}});
    f.addMessage(Bbs, 1, true, true);
    f.addMessage(Bbs, 1, true);
    f.addMessage(Bbs, 1, true);
    f.addMessage(Bbs, 1, false, true);
    f.addMessage(Bbs, 1, false);
    f.addMessage(Bbs, 2, true);
    f.addMessage(Bbs, 2, false);
    f.addMessage(Other, 1, true);
    f.addMessage(Other, 1, true);
    store::MessageRecord reply;
    f.state->operations().storeWrittenMessage(Bbs, {reply, reply});
}

} // namespace

void TestBulkDeleter::deletes_data()
{
    QTest::addColumn<int>("scope");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("conference");
    QTest::addColumn<int>("deleted");
    QTest::addColumn<QList<int>>("totals"); // -2, -1, 1, 2 afterwards
    QTest::addColumn<QList<int>>("unread");

    const int thisOne = int(BulkDeleter::Scope::ThisConference);
    const int all = int(BulkDeleter::Scope::AllConferences);
    const int read = int(BulkDeleter::Kind::ReadMessages);
    const int every = int(BulkDeleter::Kind::AllMessages);
    QTest::newRow("this conference, read")
        << thisOne << read << 1 << 3 << QList<int> {2, 1, 2, 2} << QList<int> {0, 1, 2, 1};
    QTest::newRow("this conference, all")
        << thisOne << every << 1 << 5 << QList<int> {2, 0, 0, 2} << QList<int> {0, 0, 0, 1};
    QTest::newRow("all conferences, read")
        << all << read << 1 << 4 << QList<int> {2, 1, 2, 1} << QList<int> {0, 1, 2, 1};
    QTest::newRow("all conferences, all: replies stay")
        << all << every << 1 << 7 << QList<int> {2, 0, 0, 0} << QList<int> {0, 0, 0, 0};
    QTest::newRow("replies conference is never emptied")
        << thisOne << every << -2 << 0 << QList<int> {2, 2, 5, 2} << QList<int> {0, 1, 2, 1};
}

void TestBulkDeleter::deletes()
{
    QFETCH(int, scope);
    QFETCH(int, kind);
    QFETCH(int, conference);
    QFETCH(int, deleted);
    QFETCH(QList<int>, totals);
    QFETCH(QList<int>, unread);
    BrowseFixture f;
    fill(f);
    f.state->setCurrentQwkId(Bbs);
    f.state->loadSystemLists();
    BulkDeleter deleter(f.state->operations(), f.progress, f.prompts);
    QCOMPARE(
        deleter.deleteMessages(Bbs, conference, BulkDeleter::Scope(scope), BulkDeleter::Kind(kind)),
        deleted);
    const int numbers[] = {-2, -1, 1, 2};
    for (int i = 0; i < 4; ++i) {
        const auto row = f.store().findConference(numbers[i], Bbs);
        QCOMPARE(row->totalMsgs, totals.at(i));
        QCOMPARE(row->unreadMsgs, unread.at(i));
        // The grid's list follows the store.
        QCOMPARE(f.state->conferences().at(i).total, totals.at(i));
    }
    QVERIFY(f.countsAgree(Bbs));
    QCOMPARE(f.rows(QStringLiteral("\"QwkID\" = ?"), {Other}), 2);
    QVERIFY(!f.progress.visible);
    QVERIFY(f.prompts.errors.isEmpty());
}

void TestBulkDeleter::progressFromFirstToLast()
{
    BrowseFixture f;
    f.addSystem(Bbs, {{1, QStringLiteral("One")}});
    for (int i = 0; i < 7; ++i)
        f.addMessage(Bbs, 1, true);
    BulkDeleter deleter(f.state->operations(), f.progress, f.prompts);
    QCOMPARE(deleter.deleteMessages(
                 Bbs, 1, BulkDeleter::Scope::ThisConference, BulkDeleter::Kind::ReadMessages),
        7);
    QCOMPARE(f.progress.captions, QStringList {QStringLiteral("Deleting Messages")});
    QCOMPARE(f.progress.texts.first(), QString());
    QCOMPARE(f.progress.texts.at(1), QStringLiteral("Deleting 1 of 7 messages."));
    QCOMPARE(f.progress.texts.last(), QStringLiteral("Deleting 7 of 7 messages."));
    // The bar starts at 0, shows the first row's share, and ends full.
    QCOMPARE(f.progress.positions.mid(0, 2), (QList<int> {0, 14}));
    QCOMPARE(f.progress.positions.last(), 100);
    QVERIFY(f.progress.eventRuns >= 2);
    QVERIFY(!f.progress.visible);
}

void TestBulkDeleter::nothingToDelete()
{
    BrowseFixture f;
    f.addSystem(Bbs, {{1, QStringLiteral("One")}});
    f.addMessage(Bbs, 1, false);
    BulkDeleter deleter(f.state->operations(), f.progress, f.prompts);
    QCOMPARE(deleter.deleteMessages(
                 Bbs, 1, BulkDeleter::Scope::ThisConference, BulkDeleter::Kind::ReadMessages),
        0);
    QCOMPARE(f.progress.shows, 0);
    QVERIFY(f.prompts.errors.isEmpty() && f.prompts.informations.isEmpty());
}

void TestBulkDeleter::storeErrorIsShownAndCountsAgree()
{
    BrowseFixture f;
    fill(f);
    f.refuseDeleting(5); // the fifth message: unread, conference 1
    BulkDeleter deleter(f.state->operations(), f.progress, f.prompts);
    QCOMPARE(deleter.deleteMessages(
                 Bbs, 1, BulkDeleter::Scope::AllConferences, BulkDeleter::Kind::AllMessages),
        -1);
    QCOMPARE(f.prompts.errors.size(), 1);
    QVERIFY(f.prompts.errors.first().contains(QStringLiteral("disk refused")));
    QVERIFY(!f.progress.visible);
    QVERIFY(f.countsAgree(Bbs));
    QVERIFY(f.rows(QStringLiteral("\"QwkID\" = ? AND \"Message Number\" = 5"), {Bbs}) == 1);
}

QTEST_GUILESS_MAIN(TestBulkDeleter)
#include "tst_bulkdeleter.moc"
