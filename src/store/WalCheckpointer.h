#pragma once

#include <QString>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

struct sqlite3;

namespace marvik::store {

// Copies the write-ahead log back into MARVIK.db on a thread of its own, over
// a second connection. Done on the GUI thread after a commit, that copy and
// its sync to disk stall the window for up to a tenth of a second during a
// large import; here it runs beside the writer, which SQLite allows for a
// passive checkpoint.
class WalCheckpointer
{
public:
    // Opens its own connection to the database at `path`. When that fails the
    // checkpointer stays idle and SQLite's own automatic checkpoints remain.
    explicit WalCheckpointer(const QString &path);
    ~WalCheckpointer();
    WalCheckpointer(const WalCheckpointer &) = delete;
    WalCheckpointer &operator=(const WalCheckpointer &) = delete;

    bool isRunning() const { return m_db != nullptr; }

    // Replaces SQLite's automatic checkpoint on `writer`, the GUI thread's
    // connection: each of its commits asks for a checkpoint here instead.
    void attachTo(sqlite3 *writer);

    // Asks for one checkpoint soon; requests made while one runs are merged.
    void request();

    // Pages in the log at the last commit of the attached connection.
    int logPages() const { return m_logPages.load(); }

    // Waits until no request is pending and none is running (tests, close),
    // or until `milliseconds` passed (-1: no limit). Returns whether it is idle.
    bool waitIdle(int milliseconds = -1);

private:
    void run();

    sqlite3 *m_db = nullptr;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    bool m_pending = false;
    bool m_busy = false;
    bool m_stop = false;
    std::atomic<int> m_logPages {0};
    std::thread m_thread;
};

} // namespace marvik::store
