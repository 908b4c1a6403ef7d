#include "store/SearchIndexer.h"

#include "store/Database.h"
#include "store/MessageStore.h"
#include "store/SearchIndex.h"
#include "store/StoreError.h"
#include "store/Transaction.h"

#include <algorithm>
#include <sqlite3.h>

namespace marvik::store {

SearchIndexer::SearchIndexer(MessageStore &store, QObject *parent)
    : QObject(parent)
    , m_store(store)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &SearchIndexer::onTimer);
    sqlite3 *db = m_store.database().handle();
    m_changesAtCommit = sqlite3_total_changes64(db);
    sqlite3_commit_hook(db, &SearchIndexer::commitHook, this);
}

SearchIndexer::~SearchIndexer()
{
    sqlite3_commit_hook(m_store.database().handle(), nullptr, nullptr);
}

void SearchIndexer::start()
{
    m_running = true;
    refreshTotal();
    m_timer.start(0);
}

void SearchIndexer::stop()
{
    m_running = false;
    m_timer.stop();
}

int SearchIndexer::commitHook(void *self)
{
    static_cast<SearchIndexer *>(self)->onCommit();
    return 0; // never turns the commit into a rollback
}

void SearchIndexer::onCommit()
{
    const qint64 changes = sqlite3_total_changes64(m_store.database().handle());
    const qint64 rows = changes - m_changesAtCommit;
    m_changesAtCommit = changes;
    if (m_ownCommit)
        return;
    if (rows > LargeCommitRows)
        m_sinceLarge.start();
    // Someone stored something: there may be new rows to index, once the
    // work that stored them has settled.
    if (m_running && !m_timer.isActive())
        m_timer.start(rows > LargeCommitRows ? QuietMilliseconds : 0);
}

void SearchIndexer::onTimer()
{
    if (!m_running)
        return;
    if (m_sinceLarge.isValid() && m_sinceLarge.elapsed() < QuietMilliseconds) {
        m_timer.start(int(QuietMilliseconds - m_sinceLarge.elapsed()));
        return;
    }
    if (m_store.inTransaction()) {
        m_timer.start(50);
        return;
    }
    try {
        if (runSlice() > 0 && !isComplete())
            m_timer.start(0);
    } catch (const StoreError &) {
        // A slice that failed changed nothing; the next commit or start
        // tries again.
    }
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
    while (!isComplete() && runSlice() > 0) { }
    return isComplete();
}

int SearchIndexer::runSlice()
{
    if (m_store.inTransaction())
        return 0;
    QElapsedTimer timer;
    timer.start();
    int indexed = 0;
    {
        Transaction transaction(m_store);
        indexed = SearchIndex::indexNext(m_store, m_rows);
        m_ownCommit = true;
        try {
            transaction.commit();
        } catch (...) {
            m_ownCommit = false;
            throw;
        }
        m_ownCommit = false;
    }
    if (indexed > 0) {
        m_done += indexed;
        // Sized to take about SliceMilliseconds next time, growing at most
        // fourfold at a time.
        const double perRow = double(std::max<qint64>(timer.nsecsElapsed(), 1)) / indexed;
        m_rows = int(
            std::clamp(SliceMilliseconds * 1e6 / perRow, 16.0, std::min(20000.0, 4.0 * indexed)));
    }
    refreshTotal();
    if (m_total > 0)
        Q_EMIT progressChanged(m_done, m_total);
    return indexed;
}

} // namespace marvik::store
