#pragma once

#include <QElapsedTimer>
#include <QObject>

#include <memory>

namespace marvik::store {

class IndexingThread;
class MessageStore;

// Brings the search index up to the messages after an import, in the
// background while the user reads, marks, replies and deletes: the slices
// run on an IndexingThread with its own connection, and this object tells
// the windows how far it has come.
//
// It keeps out of the way of long work: a commit of many rows by the window
// (an import batch, a large deletion) holds it off for QuietMilliseconds, so
// an import runs as fast as without it, and whenever the window waits for
// the write lock the thread gives it up. A kill loses at most one slice: the
// watermark moves in the slice's own transaction, and the next start goes on
// from there.
class SearchIndexer : public QObject
{
    Q_OBJECT

public:
    static constexpr int QuietMilliseconds = 1000;
    // A foreign commit that changed more rows than this is long work.
    static constexpr int LargeCommitRows = 64;
    // How long the window's connection waits for the lock before it reports
    // the store busy: longer than any slice that must run to its end.
    static constexpr int WriterWaitMilliseconds = 5000;

    explicit SearchIndexer(MessageStore &store, QObject *parent = nullptr);
    ~SearchIndexer() override;

    // Looks for work now and after every commit of the window's.
    void start();

    // One slice on the window's own connection, now; returns how many
    // messages it indexed (0 when none wait or the store is in a
    // transaction).
    int runSlice(int rows = 256);

    // Indexes what waits now, when that is at most `rows` messages (a small
    // packet just opened): a search then finds all of it at once. Returns
    // whether the index is complete.
    bool catchUp(int rows);

    // How far the catch-up has come: messages indexed since it began, and
    // those plus the ones still waiting. Both 0 when nothing waits.
    qint64 done() const { return m_done; }
    qint64 total() const { return m_total; }
    bool isComplete() const { return m_total == m_done; }

Q_SIGNALS:
    // After each slice, and once when the index is complete (done == total).
    void progressChanged(qint64 done, qint64 total);

private:
    static int commitHook(void *self);
    static int busyHandler(void *self, int attempt);
    void onCommit();
    void onSliceDone(int indexed);
    void refreshTotal();

    MessageStore &m_store;
    std::unique_ptr<IndexingThread> m_thread;
    QElapsedTimer m_writerWait;
    bool m_running = false;
    bool m_ownCommit = false;
    qint64 m_changesAtCommit = 0;
    qint64 m_done = 0;
    qint64 m_total = 0;
};

} // namespace marvik::store
