#include "store/SearchIndexer.h"

#include "store/Database.h"
#include "store/IndexingThread.h"
#include "store/MessageStore.h"
#include "store/SearchIndex.h"
#include "store/StoreError.h"
#include "store/Transaction.h"

#include <QDebug>

#include <algorithm>
#include <sqlite3.h>
#include <thread>

namespace marvik::store {

SearchIndexer::SearchIndexer(MessageStore &store, QObject *parent)
    : QObject(parent)
    , m_store(store)
{
    try {
        m_thread = std::make_unique<IndexingThread>(m_store.path(), [this](int indexed) {
            QMetaObject::invokeMethod(
                this, [this, indexed] { onSliceDone(indexed); }, Qt::QueuedConnection);
        });
    } catch (const StoreError &e) {
        // The store just opened on this path, so this is next to impossible;
        // searching still finds what catchUp() and stored replies index.
        qWarning("Marvik: the search index cannot catch up in the background: %s",
            qPrintable(e.message()));
    }
    sqlite3 *db = m_store.database().handle();
    m_changesAtCommit = sqlite3_total_changes64(db);
    sqlite3_commit_hook(db, &SearchIndexer::commitHook, this);
    if (m_thread)
        sqlite3_busy_handler(db, &SearchIndexer::busyHandler, this);
}

SearchIndexer::~SearchIndexer()
{
    sqlite3 *db = m_store.database().handle();
    sqlite3_commit_hook(db, nullptr, nullptr);
    sqlite3_busy_handler(db, nullptr, nullptr);
    sqlite3_busy_timeout(db, MessageStore::BusyMilliseconds);
    m_thread.reset();
}

void SearchIndexer::start()
{
    m_running = true;
    refreshTotal();
    if (m_thread)
        m_thread->wake();
}

int SearchIndexer::commitHook(void *self)
{
    static_cast<SearchIndexer *>(self)->onCommit();
    return 0; // never turns the commit into a rollback
}

int SearchIndexer::busyHandler(void *self, int attempt)
{
    auto *indexer = static_cast<SearchIndexer *>(self);
    if (attempt == 0)
        indexer->m_writerWait.start();
    indexer->m_thread->yieldToWriter();
    if (indexer->m_writerWait.elapsed() >= WriterWaitMilliseconds)
        return 0;
    std::this_thread::sleep_for(std::chrono::microseconds(100));
    return 1;
}

void SearchIndexer::onCommit()
{
    const qint64 changes = sqlite3_total_changes64(m_store.database().handle());
    const qint64 rows = changes - m_changesAtCommit;
    m_changesAtCommit = changes;
    if (m_ownCommit || !m_running || !m_thread)
        return;
    // Someone stored something: there may be new rows to index, once the
    // work that stored them has settled.
    if (rows > LargeCommitRows)
        m_thread->holdOff(QuietMilliseconds);
    m_thread->wake();
}

void SearchIndexer::onSliceDone(int indexed)
{
    m_done += indexed;
    refreshTotal();
    if (m_total > 0)
        Q_EMIT progressChanged(m_done, m_total);
}

void SearchIndexer::refreshTotal()
{
    const qint64 waiting
        = std::max<qint64>(0, SearchIndex::lastKey(m_store) - SearchIndex::watermark(m_store));
    if (waiting == 0) {
        const bool wasBehind = m_total != m_done || m_total != 0;
        m_done = m_total = 0;
        if (wasBehind)
            Q_EMIT progressChanged(0, 0);
        return;
    }
    // Keys above the watermark are nearly all there (an import appends
    // them in a row), so they count what is left without a scan.
    m_total = m_done + waiting;
}

bool SearchIndexer::catchUp(int rows)
{
    refreshTotal();
    if (isComplete() || m_total - m_done > rows || m_store.inTransaction())
        return isComplete();
    while (!isComplete() && runSlice(rows) > 0) { }
    return isComplete();
}

int SearchIndexer::runSlice(int rows)
{
    if (m_store.inTransaction())
        return 0;
    int indexed = 0;
    {
        Transaction transaction(m_store);
        indexed = SearchIndex::indexNext(m_store, rows);
        m_ownCommit = true;
        try {
            transaction.commit();
        } catch (...) {
            m_ownCommit = false;
            throw;
        }
        m_ownCommit = false;
    }
    onSliceDone(indexed);
    return indexed;
}

} // namespace marvik::store
