#include "store/WalCheckpointer.h"

#include "store/WaitFor.h"

#include <sqlite3.h>

namespace marvik::store {

WalCheckpointer::WalCheckpointer(const QString &path)
{
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(
        path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close(db);
        return;
    }
    // A connection checkpoints only once it has read the file and so knows
    // it is in WAL mode.
    if (sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr)
        != SQLITE_OK) {
        sqlite3_close(db);
        return;
    }
    m_db = db;
    m_thread = std::thread([this] { run(); });
}

WalCheckpointer::~WalCheckpointer()
{
    if (!m_db)
        return;
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
    sqlite3_close(m_db);
}

void WalCheckpointer::attachTo(sqlite3 *writer)
{
    sqlite3_wal_hook(
        writer,
        [](void *self, sqlite3 *, const char *, int pages) {
            auto *checkpointer = static_cast<WalCheckpointer *>(self);
            checkpointer->m_logPages = pages;
            checkpointer->request();
            return SQLITE_OK;
        },
        this);
}

void WalCheckpointer::request()
{
    if (!m_db)
        return;
    {
        std::lock_guard lock(m_mutex);
        m_pending = true;
    }
    m_wake.notify_one();
}

bool WalCheckpointer::waitIdle(int milliseconds)
{
    if (!m_db)
        return true;
    std::unique_lock lock(m_mutex);
    return waitFor(m_idle, lock, milliseconds, [this] { return !m_pending && !m_busy; });
}

void WalCheckpointer::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_pending || m_stop; });
        if (m_stop)
            break;
        m_pending = false;
        m_busy = true;
        lock.unlock();
        // Passive: never waits for the writer and never blocks it. Whatever
        // it could not copy now is copied by the next request.
        sqlite3_wal_checkpoint_v2(m_db, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
        lock.lock();
        m_busy = false;
        if (!m_pending)
            m_idle.notify_all();
    }
    m_busy = false;
    m_pending = false;
    m_idle.notify_all();
}

} // namespace marvik::store
