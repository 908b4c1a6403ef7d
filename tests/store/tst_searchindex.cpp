// The search index: the upgrade that adds it to a store of the first
// program, and the index kept exactly in step with MESSAGES by every store
// operation, whether or not the indexer has caught up.

#include "StoreTestUtil.h"

#include "store/Database.h"
#include "store/MessageSearch.h"
#include "store/Rewind.h"
#include "store/Schema.h"
#include "store/SchemaSteps.h"
#include "store/SearchIndex.h"
#include "store/SearchIndexer.h"
#include "store/Selections.h"
#include "store/Statement.h"
#include "store/StoreError.h"
#include "store/StoreOperations.h"
#include "support/FakeProgress.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include <algorithm>
#include <stdexcept>

using namespace marvik;
using namespace marvik::store;
using namespace storetest;

namespace {

QString fixture()
{
    return QDir(qEnvironmentVariable("MARVIK_TEST_DATA"))
        .filePath(QStringLiteral("store/MARVIK-v1.db"));
}

int userVersion(const MessageStore &store)
{
    Statement s(store.database(), QStringLiteral("PRAGMA user_version"));
    return s.step() ? s.integer(0) : -1;
}

QList<qint64> found(const MessageStore &store, const QString &match, const SearchScope &scope = {})
{
    QList<qint64> keys;
    for (const SearchHit &hit :
        MessageSearch(store).find(match, scope, SearchOrder::Newest, 100000))
        keys.append(hit.recordNumber);
    std::sort(keys.begin(), keys.end());
    return keys;
}

QString withoutAccents(const QString &text)
{
    QString out;
    for (const QChar c : text.normalized(QString::NormalizationForm_D)) {
        if (!c.isMark())
            out += c;
    }
    return out;
}

// The rows the index should give for one word: those at or below the
// watermark whose fields hold it as a whole word, any case or accent.
QList<qint64> expected(const MessageStore &store, const QString &word)
{
    const QRegularExpression whole(
        QStringLiteral("(^|\\W)%1(\\W|$)").arg(word), QRegularExpression::CaseInsensitiveOption);
    Statement s(store.database(),
        QStringLiteral("SELECT rowid, \"From\" || ' ' || \"To\" || ' ' || \"Subject\" || ' ' || "
                       "\"Message\" FROM MESSAGES WHERE rowid <= ? ORDER BY rowid"));
    s.bind(1, SearchIndex::watermark(store));
    QList<qint64> keys;
    while (s.step()) {
        if (whole.match(withoutAccents(s.text(1))).hasMatch())
            keys.append(s.int64(0));
    }
    return keys;
}

// FTS5's own check of the index: against the messages it was made from
// when it covers them all, else of the index alone.
void checkIntegrity(MessageStore &store)
{
    store.database().exec(QStringLiteral(
        "INSERT INTO MESSAGES_FTS (MESSAGES_FTS, rank) VALUES ('integrity-check', %1)")
                              .arg(SearchIndex::isComplete(store) ? 1 : 0));
}

MessageRecord textMessage(const QString &qwkId, int conference, int number, const QString &text)
{
    MessageRecord m = message(qwkId, conference, number);
    m.from = QStringLiteral("SAM SYSOP");
    m.to = QStringLiteral("ALL");
    m.text = text;
    return m;
}

// A store as the first program left it: no index, no later columns,
// version 1.
void makeFirstVersion(MessageStore &store)
{
    Database &db = store.database();
    for (const char *column : {"Marked", "Message-ID", "In-Reply-To"})
        db.exec(
            QStringLiteral("ALTER TABLE MESSAGES DROP COLUMN \"%1\"").arg(QLatin1String(column)));
    for (const char *column : {"Headers File", "QWKE"})
        db.exec(QStringLiteral("ALTER TABLE QWKIDS DROP COLUMN \"%1\"").arg(QLatin1String(column)));
    db.exec(QStringLiteral("DROP TABLE PACKING"));
    db.exec(QStringLiteral("DROP TRIGGER MessagesSearchDelete"));
    db.exec(QStringLiteral("DROP TRIGGER MessagesSearchUpdate"));
    db.exec(QStringLiteral("DROP TABLE MESSAGES_FTS"));
    db.exec(QStringLiteral("DROP TABLE SEARCH_STATE"));
    db.exec(QStringLiteral("PRAGMA user_version = 1"));
}

// Kills the upgrade at the first report that some messages are indexed.
class StopOnceIndexing : public testing::FakeProgress
{
public:
    void processEvents() override
    {
        FakeProgress::processEvents();
        if (!texts.isEmpty() && !texts.last().startsWith(QLatin1String("Indexing 0 ")))
            throw std::runtime_error("killed");
    }
};

} // namespace

class tst_SearchIndex : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void upgradesStoreOfFirstProgram();
    void longUpgradeShowsProgress();
    void upgradeCutShortGoesOn();
    void keptInStep_data();
    void keptInStep();
    void storedReplyIndexedAtOnceOnlyWhenCaughtUp();
    void replacedReplyReadsAnew();
    void indexerCatchesUpAndResumesAfterKill();
    void indexerWaitsForLargeCommits();
    void windowWritesWhileTheThreadIndexes();
    void scopes();
};

void tst_SearchIndex::upgradesStoreOfFirstProgram()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("MARVIK.db"));
    QVERIFY(QFile::copy(fixture(), path));
    QFile(path).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    {
        MessageStore store(path);
        QCOMPARE(userVersion(store), Schema::Version);
        QCOMPARE(SearchIndex::watermark(store), qint64(12));
        QVERIFY(SearchIndex::isComplete(store));
        QCOMPARE(found(store, QStringLiteral("\"drive\"")), (QList<qint64> {1, 2}));
        QCOMPARE(found(store, QStringLiteral("From : \"linda\"")), (QList<qint64> {4, 6}));
        QCOMPARE(found(store, QStringLiteral("\"memory map\"")), (QList<qint64> {7, 8}));
        checkIntegrity(store);
    }
    // Opened again, nothing more to do.
    MessageStore again(path);
    QCOMPARE(userVersion(again), Schema::Version);
    QCOMPARE(found(again, QStringLiteral("\"breakwater\"")), (QList<qint64> {4, 5}));
}

void tst_SearchIndex::longUpgradeShowsProgress()
{
    TempStore temp;
    addSystem(*temp, QStringLiteral("BIG"), 1);
    const int count = SchemaSteps::ProgressFromRows + 500;
    temp->beginTransaction();
    for (int i = 1; i <= count; ++i)
        temp->appendMessage(textMessage(QStringLiteral("BIG"), 0, i,
            i % 100 == 0 ? QStringLiteral("the scsi card") : QStringLiteral("nothing here")));
    temp->commit();
    makeFirstVersion(*temp);
    const QString path = temp.path();
    temp.store.reset();

    testing::FakeProgress progress;
    MessageStore store(path, &progress);
    QCOMPARE(progress.captions, QStringList {QStringLiteral("Indexing Messages")});
    QVERIFY(progress.eventRuns > 0);
    QCOMPARE(progress.texts.last(), QStringLiteral("Indexing %1 of %1 messages.").arg(count));
    QCOMPARE(progress.positions.last(), 100);
    QVERIFY(!progress.visible);
    QCOMPARE(found(store, QStringLiteral("\"scsi card\"")).size(), count / 100);
}

void tst_SearchIndex::upgradeCutShortGoesOn()
{
    TempStore temp;
    addSystem(*temp, QStringLiteral("BIG"), 1);
    // Enough that the indexing thread is still at it when the kill comes.
    const int count = SchemaSteps::ProgressFromRows * 10;
    temp->beginTransaction();
    for (int i = 1; i <= count; ++i)
        temp->appendMessage(textMessage(QStringLiteral("BIG"), 0, i, QStringLiteral("modem")));
    temp->commit();
    makeFirstVersion(*temp);
    const QString path = temp.path();
    temp.store.reset();

    StopOnceIndexing progress;
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, MessageStore(path, &progress));
    QVERIFY(!progress.visible);
    // The index is there, filled up to its watermark; the indexer takes the
    // rest at the next start.
    MessageStore store(path);
    QCOMPARE(userVersion(store), Schema::Version);
    const qint64 kept = SearchIndex::watermark(store);
    QVERIFY(kept > 0 && kept < count);
    QCOMPARE(found(store, QStringLiteral("\"modem\"")).size(), kept);
    SearchIndexer indexer(store);
    indexer.start();
    QTRY_VERIFY_WITH_TIMEOUT(indexer.isComplete(), 20000);
    QCOMPARE(found(store, QStringLiteral("\"modem\"")).size(), count);
    checkIntegrity(store);
}

void tst_SearchIndex::keptInStep_data()
{
    QTest::addColumn<int>("indexedBefore"); // rows the indexer took before the operation
    QTest::addColumn<QString>("operation");
    const char *operations[] = {"delete", "deleteSelection", "update", "deleteSystem", "cleanup"};
    for (const char *operation : operations) {
        for (int indexed : {0, 3, 6}) {
            QTest::addRow("%s, %d indexed", operation, indexed)
                << indexed << QString::fromLatin1(operation);
        }
    }
}

void tst_SearchIndex::keptInStep()
{
    QFETCH(int, indexedBefore);
    QFETCH(QString, operation);
    TempStore temp;
    MessageStore &store = *temp;
    addSystem(store, QStringLiteral("ONE"), 2);
    addSystem(store, QStringLiteral("TWO"), 1);
    SearchIndex::indexNext(store, 1000); // nothing yet: the watermark stays 0
    const QStringList texts {QStringLiteral("scsi card for sale"), QStringLiteral("Café au lait"),
        QStringLiteral("the modem is gone"), QStringLiteral("SCSI cable wanted"),
        QStringLiteral("cafe racer"), QStringLiteral("pizza night")};
    store.beginTransaction();
    QList<qint64> keys;
    for (int i = 0; i < texts.size(); ++i) {
        MessageRecord m = textMessage(
            i < 4 ? QStringLiteral("ONE") : QStringLiteral("TWO"), i % 2, i + 1, texts.at(i));
        m.read = i % 3 == 0;
        keys.append(store.appendMessage(m));
        store.addToConferenceCounts(m.conferenceNumber, m.qwkId, 1, m.read ? 0 : 1);
    }
    store.commit();
    store.beginTransaction();
    SearchIndex::indexNext(store, indexedBefore);
    store.commit();

    StoreOperations operations(store);
    if (operation == QLatin1String("delete")) {
        operations.deleteMessages(QList<qint64> {keys.at(0), keys.at(4)});
    } else if (operation == QLatin1String("deleteSelection")) {
        operations.deleteSelection(Selections::conferenceMessages(QStringLiteral("ONE"), 1));
    } else if (operation == QLatin1String("update")) {
        // A text changed in place (a reply written again) reads anew.
        Statement s(store.database(),
            QStringLiteral(
                "UPDATE MESSAGES SET \"Message\" = 'a modem and a cafe' WHERE rowid = ?"));
        s.bind(1, keys.at(0));
        s.step();
    } else if (operation == QLatin1String("deleteSystem")) {
        operations.deleteSystem(QStringLiteral("ONE"));
    } else {
        operations.markRead(store.findMessage(keys.at(2)).value());
        operations.deleteSelection(Selections::readMessages(QStringLiteral("ONE")));
    }
    checkIntegrity(store);
    for (const QString &word : {QStringLiteral("scsi"), QStringLiteral("cafe"),
             QStringLiteral("modem"), QStringLiteral("pizza"), QStringLiteral("card")}) {
        QCOMPARE(found(store, QLatin1Char('"') + word + QLatin1Char('"')), expected(store, word));
    }
    // The indexer then takes the rest, with the changes made meanwhile.
    store.beginTransaction();
    SearchIndex::indexNext(store, 1000);
    store.commit();
    QVERIFY(SearchIndex::isComplete(store));
    checkIntegrity(store);
    for (const QString &word : {QStringLiteral("scsi"), QStringLiteral("cafe"),
             QStringLiteral("modem"), QStringLiteral("pizza")}) {
        QCOMPARE(found(store, QLatin1Char('"') + word + QLatin1Char('"')), expected(store, word));
    }
}

void tst_SearchIndex::storedReplyIndexedAtOnceOnlyWhenCaughtUp()
{
    TempStore temp;
    MessageStore &store = *temp;
    addSystem(store, QStringLiteral("ONE"), 1);
    StoreOperations operations(store);
    MessageRecord reply = textMessage(QStringLiteral("ONE"), -2, 0, QStringLiteral("zebra"));
    operations.storeWrittenMessage(QStringLiteral("ONE"), {reply});
    QCOMPARE(found(store, QStringLiteral("\"zebra\"")).size(), 1);

    // An import's rows wait: the next reply waits behind them.
    store.appendMessage(textMessage(QStringLiteral("ONE"), 0, 1, QStringLiteral("zebra")));
    operations.storeWrittenMessage(QStringLiteral("ONE"), {reply});
    QCOMPARE(found(store, QStringLiteral("\"zebra\"")).size(), 1);
    store.beginTransaction();
    QCOMPARE(SearchIndex::indexNext(store, 10), 2);
    store.commit();
    QCOMPARE(found(store, QStringLiteral("\"zebra\"")).size(), 3);
    checkIntegrity(store);
}

void tst_SearchIndex::replacedReplyReadsAnew()
{
    TempStore temp;
    MessageStore &store = *temp;
    addSystem(store, QStringLiteral("ONE"), 1);
    StoreOperations operations(store);
    const QList<MessageRecord> first = operations.storeWrittenMessage(QStringLiteral("ONE"),
        {textMessage(QStringLiteral("ONE"), -2, 0, QStringLiteral("zebra"))});
    operations.replaceWrittenMessage(QStringLiteral("ONE"), first.first().recordNumber,
        {textMessage(QStringLiteral("ONE"), -2, 0, QStringLiteral("yak"))});
    QCOMPARE(found(store, QStringLiteral("\"zebra\"")).size(), 0);
    QCOMPARE(found(store, QStringLiteral("\"yak\"")).size(), 1);
    checkIntegrity(store);

    // With an import's rows waiting, the old text leaves at once and the new
    // one comes with the indexer.
    store.appendMessage(textMessage(QStringLiteral("ONE"), 0, 1, QStringLiteral("other")));
    const qint64 yak = found(store, QStringLiteral("\"yak\"")).first();
    operations.replaceWrittenMessage(QStringLiteral("ONE"), yak,
        {textMessage(QStringLiteral("ONE"), -2, 0, QStringLiteral("gnu"))});
    QCOMPARE(found(store, QStringLiteral("\"yak\"")).size(), 0);
    QCOMPARE(found(store, QStringLiteral("\"gnu\"")).size(), 0);
    checkIntegrity(store);
    store.beginTransaction();
    SearchIndex::indexNext(store, 10);
    store.commit();
    QCOMPARE(found(store, QStringLiteral("\"gnu\"")).size(), 1);
    checkIntegrity(store);
}

void tst_SearchIndex::indexerCatchesUpAndResumesAfterKill()
{
    TempStore temp;
    addSystem(*temp, QStringLiteral("ONE"), 1);
    temp->beginTransaction();
    for (int i = 1; i <= 3000; ++i)
        temp->appendMessage(
            textMessage(QStringLiteral("ONE"), 0, i, QStringLiteral("word%1").arg(i)));
    temp->commit();
    {
        SearchIndexer indexer(*temp);
        QCOMPARE(indexer.runSlice(100), 100);
        QCOMPARE(indexer.total(), qint64(3000));
        QVERIFY(indexer.done() > 0);
        QVERIFY(!indexer.isComplete());
    }
    // A new run (as after a kill) goes on from the watermark.
    const qint64 kept = SearchIndex::watermark(*temp);
    QVERIFY(kept > 0 && kept < 3000);
    const QString path = temp.path();
    temp.store.reset();
    MessageStore store(path);
    QCOMPARE(SearchIndex::watermark(store), kept);
    SearchIndexer indexer(store);
    QList<std::pair<qint64, qint64>> reports;
    connect(&indexer, &SearchIndexer::progressChanged, this, [&reports](qint64 done, qint64 total) {
        reports.append({done, total});
    });
    indexer.start();
    QCOMPARE(indexer.total(), 3000 - kept);
    QTRY_VERIFY_WITH_TIMEOUT(indexer.isComplete(), 20000);
    QCOMPARE(reports.last(), (std::pair<qint64, qint64>(0, 0)));
    QCOMPARE(found(store, QStringLiteral("\"word1\"")), (QList<qint64> {1}));
    QCOMPARE(found(store, QStringLiteral("\"word3000\"")), (QList<qint64> {3000}));
    checkIntegrity(store);
}

void tst_SearchIndex::indexerWaitsForLargeCommits()
{
    TempStore temp;
    addSystem(*temp, QStringLiteral("ONE"), 1);
    SearchIndexer indexer(*temp);
    indexer.start();
    QTest::qWait(20);
    QElapsedTimer clock;
    clock.start();
    temp->beginTransaction();
    for (int i = 1; i <= SearchIndexer::LargeCommitRows + 10; ++i)
        temp->appendMessage(textMessage(QStringLiteral("ONE"), 0, i, QStringLiteral("late")));
    temp->commit();
    // A small commit (a message read) does not end the wait.
    StoreOperations(*temp).markRead(temp->findMessage(1).value());
    QTest::qWait(SearchIndexer::QuietMilliseconds / 2);
    QCOMPARE(SearchIndex::watermark(*temp), qint64(0));
    QTRY_VERIFY_WITH_TIMEOUT(SearchIndex::isComplete(*temp), 10000);
    QVERIFY(clock.elapsed() >= SearchIndexer::QuietMilliseconds);
}

void tst_SearchIndex::windowWritesWhileTheThreadIndexes()
{
    TempStore temp;
    addSystem(*temp, QStringLiteral("ONE"), 1);
    const int count = 20000;
    temp->beginTransaction();
    for (int i = 1; i <= count; ++i)
        temp->appendMessage(textMessage(QStringLiteral("ONE"), 0, i, QStringLiteral("modem")));
    temp->commit();
    SearchIndexer indexer(*temp);
    StoreOperations operations(*temp);
    indexer.start();
    // Each write takes the lock from the indexing thread; none may fail, and
    // a row deleted before or after its slice leaves nothing behind.
    QList<qint64> deleted;
    for (qint64 key = 7; key < count; key += 373) {
        QVERIFY_THROWS_NO_EXCEPTION(operations.markRead(temp->findMessage(key).value()));
        QVERIFY_THROWS_NO_EXCEPTION(operations.deleteMessages(QList<qint64> {key + 1}));
        deleted.append(key + 1);
        QTest::qWait(2);
    }
    QTRY_VERIFY_WITH_TIMEOUT(indexer.isComplete(), 30000);
    checkIntegrity(*temp);
    const QList<qint64> hits = found(*temp, QStringLiteral("\"modem\""));
    QCOMPARE(hits.size(), count - deleted.size());
    for (const qint64 key : deleted)
        QVERIFY(!hits.contains(key));
}

void tst_SearchIndex::scopes()
{
    TempStore temp;
    MessageStore &store = *temp;
    addSystem(store, QStringLiteral("ONE"), 2);
    addSystem(store, QStringLiteral("TWO"), 1);
    StoreOperations operations(store);
    MessageRecord a = textMessage(QStringLiteral("ONE"), 0, 1, QStringLiteral("modem"));
    MessageRecord b = textMessage(QStringLiteral("ONE"), 1, 2, QStringLiteral("modem"));
    b.personal = true;
    MessageRecord c = textMessage(QStringLiteral("TWO"), 0, 3, QStringLiteral("modem"));
    for (const MessageRecord &m : {a, b, c})
        store.appendMessage(m);
    store.beginTransaction();
    SearchIndex::indexNext(store, 100);
    store.commit();
    const QString modem = QStringLiteral("\"modem\"");
    QCOMPARE(found(store, modem), (QList<qint64> {1, 2, 3}));
    QCOMPARE(found(store, modem, {QStringLiteral("ONE"), {}}), (QList<qint64> {1, 2}));
    QCOMPARE(found(store, modem, {QStringLiteral("ONE"), 1}), (QList<qint64> {2}));
    QCOMPARE(found(store, modem, {QStringLiteral("ONE"), -1}), (QList<qint64> {2}));
    QCOMPARE(found(store, modem, {QStringLiteral("TWO"), 1}), (QList<qint64> {}));
    const QList<SearchHit> hits
        = MessageSearch(store).find(modem, {QStringLiteral("ONE"), 0}, SearchOrder::Newest, 10);
    QCOMPARE(hits.size(), 1);
    QCOMPARE(hits.first().conferenceName, QStringLiteral("Conference 0"));
    QCOMPARE(hits.first().snippet,
        QString(MessageSearch::HitStart) + QStringLiteral("modem") + MessageSearch::HitEnd);
}

QTEST_GUILESS_MAIN(tst_SearchIndex)
#include "tst_searchindex.moc"
