#pragma once

#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace marvik::store {

class Database;
class WalCheckpointer;

// Fills the search index from the watermark up, on a thread of its own over
// a second connection to the store, so no merge of FTS5's (which can take a
// third of a second where long word lists meet) ever holds the window.
//
// Its slices are transactions of about SliceMilliseconds. The window's
// connection never waits long for one: when it needs the write lock it calls
// yieldToWriter(), and the slice running is abandoned (rolled back, nothing
// lost but its time) and tried again once the window's write is done. A
// slice given up MaxYields times in a row runs to its end, so steady writing
// cannot starve the index.
class IndexingThread
{
public:
    static constexpr int SliceMilliseconds = 10;
    static constexpr int MaxYields = 4;
    // How often, in SQLite's virtual machine steps, a slice looks whether to
    // give way. One step may index a whole message (a tenth of a
    // millisecond), so a thousand would keep the window waiting for tens.
    static constexpr int YieldCheckOps = 50;
    // The log may hold this many pages (64 MB) before a slice waits for it
    // to be copied back. Written faster than it is copied, it would grow by
    // the whole index, and the first commit that starts it afresh, the
    // window's perhaps, would spend most of a second cutting it down.
    static constexpr int MaxLogPages = 16384;

    // Called on this thread after each slice with the messages it indexed,
    // and with 0 once nothing waits.
    using Report = std::function<void(int indexed)>;

    // Opens its connection to the store at `path`; throws StoreError when it
    // cannot. Starts idle: wake() sets it going.
    IndexingThread(const QString &path, Report report);
    ~IndexingThread();
    IndexingThread(const IndexingThread &) = delete;
    IndexingThread &operator=(const IndexingThread &) = delete;

    // Indexes until nothing waits.
    void wake();
    // No slice starts in the next `milliseconds` (long work of the window's
    // is under way); a slice running goes on.
    void holdOff(int milliseconds);
    // The window waits for the write lock: give it up. Safe from any thread.
    void yieldToWriter();
    // Blocks until nothing waits, or until `milliseconds` passed (-1: no
    // limit). Returns whether it is idle.
    bool waitIdle(int milliseconds = -1);
    // Blocks until what it wrote to the log is copied back into the store
    // (seconds after a large index is built), or until `milliseconds`
    // passed. Returns whether the copy is done.
    bool waitLogCopied(int milliseconds = -1);
    // Messages indexed since the thread began.
    qint64 indexed() const { return m_indexed.load(); }
    // The error that stopped it (it stops at the first one that is not a
    // wait for the lock), or empty.
    QString error() const;

private:
    void run();
    // One slice; returns the messages indexed, -1 when it gave way.
    int runSlice();
    static int progressHandler(void *self);

    using Clock = std::chrono::steady_clock;

    std::unique_ptr<Database> m_db;
    std::unique_ptr<WalCheckpointer> m_checkpointer;
    Report m_report;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    bool m_wanted = false;
    bool m_busy = false;
    bool m_stop = false;
    Clock::time_point m_holdUntil;
    QString m_error;
    int m_rows = 64;
    int m_yieldsInARow = 0;
    std::atomic<bool> m_yield {false};
    std::atomic<bool> m_abort {false};
    std::atomic<bool> m_inSlice {false};
    std::atomic<qint64> m_indexed {0};
    std::thread m_thread;
};

} // namespace marvik::store
