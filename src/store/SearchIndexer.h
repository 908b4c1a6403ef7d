#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

namespace marvik::store {

class MessageStore;

// Brings the search index up to the messages after an import, in the
// background on the GUI thread: short slices, each its own transaction, with
// events between them, while the user reads, marks, replies and deletes.
//
// It keeps out of the way of long work: a commit of many rows by someone else
// (an import batch, a large deletion) holds it off for QuietMilliseconds, so
// an import runs as fast as without it; it never starts a slice while another
// transaction is open. Small commits (a message marked read) do not hold it.
// A kill loses at most one slice: the watermark moves in the slice's own
// transaction, and the next start goes on from there.
class SearchIndexer : public QObject
{
    Q_OBJECT

public:
    static constexpr int SliceMilliseconds = 12;
    static constexpr int QuietMilliseconds = 1000;
    // A foreign commit that changed more rows than this is long work.
    static constexpr int LargeCommitRows = 64;

    explicit SearchIndexer(MessageStore &store, QObject *parent = nullptr);
    ~SearchIndexer() override;

    // Looks for work now and whenever a large commit has settled.
    void start();
    void stop();
    bool isRunning() const { return m_running; }

    // One slice of about SliceMilliseconds; returns how many messages it
    // indexed (0 when none wait or the store is in a transaction).
    int runSlice();

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
    void onCommit();
    void onTimer();
    void refreshTotal();

    MessageStore &m_store;
    QTimer m_timer;
    QElapsedTimer m_sinceLarge;
    bool m_running = false;
    bool m_ownCommit = false;
    qint64 m_changesAtCommit = 0;
    int m_rows = 64;
    qint64 m_done = 0;
    qint64 m_total = 0;
};

} // namespace marvik::store
