#include "store/IndexingThread.h"

#include "store/Database.h"
#include "store/MessageStore.h"
#include "store/SearchIndex.h"
#include "store/StoreError.h"
#include "store/WaitFor.h"
#include "store/WalCheckpointer.h"

#include <QElapsedTimer>

#include <algorithm>
#include <sqlite3.h>

namespace marvik::store {

IndexingThread::IndexingThread(const QString &path, Report report)
    : m_db(std::make_unique<Database>(path))
    , m_report(std::move(report))
{
    sqlite3 *db = m_db->handle();
    // The window's connection holds the lock for a message marked read or a
    // batch of an import; a slice waits that long and tries again.
    sqlite3_busy_timeout(db, 50);
    // As the window's connection: a commit is safe against a crash of the
    // program, and a power cut loses at most the last slices (indexed again).
    m_db->exec(QStringLiteral("PRAGMA synchronous = NORMAL"));
    sqlite3_progress_handler(db, YieldCheckOps, &IndexingThread::progressHandler, this);
    // Its log is copied back beside it, as the window's is, not after each
    // of its commits; a log it starts afresh it cuts down itself, as the
    // window's connection does.
    m_checkpointer = std::make_unique<WalCheckpointer>(path);
    if (m_checkpointer->isRunning()) {
        m_checkpointer->attachTo(db);
        m_db->exec(
            QStringLiteral("PRAGMA journal_size_limit = %1").arg(MessageStore::LogSizeLimit));
    }
    m_thread = std::thread([this] { run(); });
}

IndexingThread::~IndexingThread()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_abort = true;
    m_wake.notify_all();
    m_thread.join();
    m_checkpointer.reset(); // before the connection it serves
}

void IndexingThread::wake()
{
    {
        std::lock_guard lock(m_mutex);
        m_wanted = true;
    }
    m_wake.notify_all();
}

void IndexingThread::holdOff(int milliseconds)
{
    {
        std::lock_guard lock(m_mutex);
        m_holdUntil = std::max(m_holdUntil, Clock::now() + std::chrono::milliseconds(milliseconds));
    }
    m_wake.notify_all();
}

void IndexingThread::yieldToWriter()
{
    if (m_inSlice.load())
        m_yield = true;
}

bool IndexingThread::waitIdle(int milliseconds)
{
    std::unique_lock lock(m_mutex);
    return waitFor(m_idle, lock, milliseconds, [this] { return (!m_wanted && !m_busy) || m_stop; });
}

bool IndexingThread::waitLogCopied(int milliseconds)
{
    return m_checkpointer->waitIdle(milliseconds);
}

QString IndexingThread::error() const
{
    std::lock_guard lock(m_mutex);
    return m_error;
}

int IndexingThread::progressHandler(void *self)
{
    auto *thread = static_cast<IndexingThread *>(self);
    if (!thread->m_inSlice.load())
        return 0;
    if (thread->m_abort.load())
        return 1;
    return thread->m_yield.load() && thread->m_yieldsInARow < MaxYields ? 1 : 0;
}

void IndexingThread::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_wanted || m_stop; });
        if (m_stop)
            break;
        if (Clock::now() < m_holdUntil) {
            m_wake.wait_until(lock, m_holdUntil);
            continue;
        }
        // A wake() while the slice runs asks for another look.
        m_wanted = false;
        m_busy = true;
        lock.unlock();
        int indexed = 0;
        try {
            indexed = runSlice();
        } catch (const StoreError &e) {
            lock.lock();
            m_error = e.message();
            lock.unlock();
            indexed = 0;
        }
        if (indexed < 0) {
            // Gave way to the window: let its write take the lock first.
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        } else {
            if (m_checkpointer->logPages() > MaxLogPages)
                m_checkpointer->waitIdle();
            m_report(indexed);
        }
        lock.lock();
        if (indexed > 0)
            m_error.clear();
        m_busy = false;
        if (indexed != 0 && m_error.isEmpty())
            m_wanted = true;
        if (!m_wanted)
            m_idle.notify_all();
    }
    m_busy = false;
    m_wanted = false;
    m_idle.notify_all();
}

int IndexingThread::runSlice()
{
    sqlite3 *db = m_db->handle();
    m_yield = false;
    if (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
        return -1; // the window holds the lock: another try soon
    {
        std::lock_guard lock(m_mutex);
        if (Clock::now() < m_holdUntil || m_stop) {
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            return -1;
        }
    }
    QElapsedTimer timer;
    timer.start();
    int indexed = 0;
    m_inSlice = true;
    try {
        indexed = SearchIndex::indexNext(*m_db, m_rows);
        m_db->exec(QStringLiteral("COMMIT"));
    } catch (const StoreError &e) {
        m_inSlice = false;
        if (!sqlite3_get_autocommit(db))
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        if (e.code() == SQLITE_INTERRUPT || e.code() == SQLITE_BUSY) {
            ++m_yieldsInARow;
            return -1;
        }
        throw;
    }
    m_inSlice = false;
    m_yieldsInARow = 0;
    if (indexed > 0) {
        m_indexed += indexed;
        // Sized to take about SliceMilliseconds next time, growing at most
        // fourfold: the first rows say little of the later ones.
        const double perRow = double(std::max<qint64>(timer.nsecsElapsed(), 1)) / indexed;
        m_rows = int(
            std::clamp(SliceMilliseconds * 1e6 / perRow, 16.0, std::min(20000.0, 4.0 * indexed)));
    }
    return indexed;
}

} // namespace marvik::store
