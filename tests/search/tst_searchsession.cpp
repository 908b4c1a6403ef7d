// The search window's logic: scopes, order, pages of hits as the list
// scrolls, what the user is told, and the index catching up meanwhile.

#include "search/SearchSession.h"
#include "store/MessageStore.h"
#include "store/Records.h"
#include "store/SearchIndex.h"
#include "store/SearchIndexer.h"
#include "store/StoreOperations.h"
#include "store/Transaction.h"

#include <QAbstractItemModelTester>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace marvik;
using marvik::search::SearchResultModel;
using marvik::search::SearchSession;
using Scope = SearchSession::Scope;

namespace {

store::MessageRecord message(const QString &qwkId, int conference, const QString &text)
{
    static int number = 0;
    store::MessageRecord m;
    m.qwkId = qwkId;
    m.conferenceNumber = conference;
    m.messageNumber = ++number;
    m.from = QStringLiteral("SAM");
    m.subject = QStringLiteral("Subject");
    m.text = text;
    m.personal = conference == 1;
    return m;
}

} // namespace

class tst_SearchSession : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void scopes_data();
    void scopes();
    void missingScopeWidens();
    void pagesNewestFirst();
    void pagesByRelevance();
    void tellsWhatIsWrongOrFound();
    void runsOnceTheUserPauses();
    void indexStatusWhileCatchingUp();
    void smallBacklogIndexedBeforeSearching();
    void snippetHtml_data();
    void snippetHtml();

private:
    void append(const QString &qwkId, int conference, const QString &text, int times = 1);
    void indexAll();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<store::MessageStore> m_store;
};

void tst_SearchSession::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_store = std::make_unique<store::MessageStore>(m_dir->filePath(QStringLiteral("MARVIK.db")));
    for (const QString &id : {QStringLiteral("ONE"), QStringLiteral("TWO")}) {
        store::SystemRecord system;
        system.qwkId = id;
        m_store->saveSystem(system);
        m_store->saveConferenceName(0, id, QStringLiteral("Main"));
        m_store->saveConferenceName(1, id, QStringLiteral("Chat"));
    }
}

void tst_SearchSession::cleanup()
{
    m_store.reset();
    m_dir.reset();
}

void tst_SearchSession::append(const QString &qwkId, int conference, const QString &text, int times)
{
    store::Transaction transaction(*m_store);
    for (int i = 0; i < times; ++i)
        m_store->appendMessage(message(qwkId, conference, text));
    transaction.commit();
}

void tst_SearchSession::indexAll()
{
    store::Transaction transaction(*m_store);
    store::SearchIndex::indexNext(*m_store, 1 << 20);
    transaction.commit();
}

void tst_SearchSession::scopes_data()
{
    QTest::addColumn<int>("scope");
    QTest::addColumn<int>("conference");
    QTest::addColumn<int>("hits");
    QTest::newRow("this conference") << int(Scope::Conference) << 0 << 2;
    QTest::newRow("personal") << int(Scope::Conference) << -1 << 1;
    QTest::newRow("this system") << int(Scope::System) << 0 << 3;
    QTest::newRow("all systems") << int(Scope::AllSystems) << 0 << 4;
}

void tst_SearchSession::scopes()
{
    QFETCH(int, scope);
    QFETCH(int, conference);
    QFETCH(int, hits);
    append(QStringLiteral("ONE"), 0, QStringLiteral("modem"), 2);
    append(QStringLiteral("ONE"), 1, QStringLiteral("modem"));
    append(QStringLiteral("TWO"), 0, QStringLiteral("modem"));
    append(QStringLiteral("ONE"), 0, QStringLiteral("scsi"));
    indexAll();
    SearchSession session(*m_store, nullptr);
    QAbstractItemModelTester tester(&session.model());
    session.setContext(QStringLiteral("ONE"), conference);
    session.setScope(Scope(scope));
    session.setQuery(QStringLiteral("modem"));
    session.run();
    QCOMPARE(session.model().rowCount(), hits);
    for (const store::SearchHit &hit : session.model().hits())
        QVERIFY(hit.snippet.contains(QStringLiteral("modem")));
}

void tst_SearchSession::missingScopeWidens()
{
    SearchSession session(*m_store, nullptr);
    session.setContext(QString(), 3);
    session.setScope(Scope::Conference);
    QCOMPARE(session.scope(), Scope::AllSystems);
    QVERIFY(!session.hasScope(Scope::System));
    session.setContext(QStringLiteral("ONE"), std::nullopt);
    session.setScope(Scope::Conference);
    QCOMPARE(session.scope(), Scope::System);
}

void tst_SearchSession::pagesNewestFirst()
{
    const int count = SearchSession::PageSize * 2 + 17;
    append(QStringLiteral("ONE"), 0, QStringLiteral("modem"), count);
    indexAll();
    SearchSession session(*m_store, nullptr);
    session.setQuery(QStringLiteral("modem"));
    session.run();
    SearchResultModel &model = session.model();
    QCOMPARE(model.rowCount(), SearchSession::PageSize);
    QVERIFY(model.canFetchMore(QModelIndex()));
    model.fetchMore(QModelIndex());
    QCOMPARE(model.rowCount(), SearchSession::PageSize * 2);
    model.fetchAll();
    QCOMPARE(model.rowCount(), count);
    QVERIFY(!model.canFetchMore(QModelIndex()));
    const QList<qint64> keys = model.recordNumbers();
    for (qsizetype i = 1; i < keys.size(); ++i)
        QVERIFY(keys.at(i) < keys.at(i - 1));
}

void tst_SearchSession::pagesByRelevance()
{
    // More hits of the word rank higher; every hit comes once.
    append(QStringLiteral("ONE"), 0, QStringLiteral("modem"), SearchSession::PageSize + 5);
    append(QStringLiteral("ONE"), 0, QStringLiteral("modem modem modem modem"));
    indexAll();
    SearchSession session(*m_store, nullptr);
    session.setOrder(store::SearchOrder::Relevance);
    session.setQuery(QStringLiteral("modem"));
    session.run();
    SearchResultModel &model = session.model();
    QCOMPARE(model.hits().first().recordNumber, store::SearchIndex::lastKey(*m_store));
    model.fetchAll();
    const QList<qint64> keys = model.recordNumbers();
    QCOMPARE(keys.size(), SearchSession::PageSize + 6);
    QCOMPARE(QSet<qint64>(keys.cbegin(), keys.cend()).size(), keys.size());
}

void tst_SearchSession::tellsWhatIsWrongOrFound()
{
    append(QStringLiteral("ONE"), 0, QStringLiteral("modem"));
    indexAll();
    SearchSession session(*m_store, nullptr);
    QSignalSpy messages(&session, &SearchSession::messageChanged);
    session.setQuery(QStringLiteral("modem"));
    session.run();
    QCOMPARE(session.message(), QStringLiteral("1 message found."));
    session.setQuery(QStringLiteral("\"modem\" OR"));
    session.run();
    QCOMPARE(session.model().rowCount(), 0);
    QCOMPARE(session.message(), QStringLiteral("\"OR\" needs a word on each side."));
    session.setQuery(QStringLiteral("zebra"));
    session.run();
    QCOMPARE(session.message(), QStringLiteral("No message found."));
    QCOMPARE(messages.count(), 3);
}

void tst_SearchSession::runsOnceTheUserPauses()
{
    append(QStringLiteral("ONE"), 0, QStringLiteral("modem"));
    indexAll();
    SearchSession session(*m_store, nullptr);
    QSignalSpy resets(&session.model(), &QAbstractItemModel::modelReset);
    for (const char *typed : {"m", "mo", "mod", "mode", "modem"})
        session.setQuery(QString::fromLatin1(typed));
    QCOMPARE(resets.count(), 0);
    QTRY_COMPARE(session.model().rowCount(), 1);
    QCOMPARE(resets.count(), 1);
}

void tst_SearchSession::indexStatusWhileCatchingUp()
{
    append(QStringLiteral("ONE"), 0, QStringLiteral("modem"), 3000);
    store::SearchIndexer indexer(*m_store);
    SearchSession session(*m_store, &indexer);
    QSignalSpy status(&session, &SearchSession::indexStatusChanged);
    QVERIFY(indexer.runSlice() > 0);
    QVERIFY(!session.indexStatus().isEmpty());
    QVERIFY(status.count() > 0);
    // What is indexed so far is found.
    session.setQuery(QStringLiteral("modem"));
    session.run();
    session.model().fetchAll();
    QCOMPARE(session.model().rowCount(), int(indexer.done()));
    indexer.start();
    QTRY_VERIFY_WITH_TIMEOUT(indexer.isComplete(), 20000);
    QCOMPARE(session.indexStatus(), QString());
    QCOMPARE(status.last().first().toString(), QString());
}

void tst_SearchSession::smallBacklogIndexedBeforeSearching()
{
    append(QStringLiteral("ONE"), 0, QStringLiteral("modem"), SearchSession::CatchUpRows);
    store::SearchIndexer indexer(*m_store);
    SearchSession session(*m_store, &indexer);
    session.setQuery(QStringLiteral("modem"));
    session.run();
    session.model().fetchAll();
    QCOMPARE(session.model().rowCount(), SearchSession::CatchUpRows);
    QVERIFY(indexer.isComplete());
}

void tst_SearchSession::snippetHtml_data()
{
    QTest::addColumn<QString>("snippet");
    QTest::addColumn<QString>("html");
    const QString s(store::MessageSearch::HitStart);
    const QString e(store::MessageSearch::HitEnd);
    QTest::newRow("hit") << "a " + s + "modem" + e + " b"
                         << "a <b>modem</b> b";
    QTest::newRow("markup stays text") << s + "<i>" + e + " & \"x\""
                                       << "<b>&lt;i&gt;</b> &amp; &quot;x&quot;";
    QTest::newRow("unclosed") << s + "modem"
                              << "<b>modem</b>";
    QTest::newRow("stray end") << "a" + e + "b"
                               << "ab";
}

void tst_SearchSession::snippetHtml()
{
    QFETCH(QString, snippet);
    QFETCH(QString, html);
    QCOMPARE(SearchResultModel::snippetHtml(snippet), html);
}

QTEST_GUILESS_MAIN(tst_SearchSession)
#include "tst_searchsession.moc"
