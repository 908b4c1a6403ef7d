#pragma once

#include "store/Records.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <optional>
#include <utility>

class QLockFile;

namespace marvik::ui {
class Progress;
}

namespace marvik::store {

class Database;
class Statement;
class WalCheckpointer;

// The message store MARVIK.db: owns the connection and the lock that keeps a
// second running Marvik out, creates the tables, and gives the keyed reads and
// writes the import and the windows use. Selections, live queries and the
// count routines build on it.
class MessageStore
{
public:
    // How long a statement waits for the write lock. Small: only this
    // process uses the file (the lock file keeps others out), and the search
    // indexer's connection waits on its own terms while it runs.
    static constexpr int BusyMilliseconds = 200;
    // The size (64 MB) a connection cuts the log back to when it starts it
    // afresh, so a large import's log does not stay on disk all session.
    static constexpr int LogSizeLimit = 64 * 1024 * 1024;

    // Opens or creates MARVIK.db at `path`, creates missing tables and indexes,
    // WAL journal. Throws StoreError with a clear message when the file is
    // locked by another running Marvik, is not a database or is corrupt, or has
    // a newer schema than the program; the file is then left untouched.
    // A store of an earlier program is upgraded step by step; a long step
    // reports to `upgradeProgress` when one is given.
    explicit MessageStore(const QString &path, ui::Progress *upgradeProgress = nullptr);
    ~MessageStore();
    MessageStore(const MessageStore &) = delete;
    MessageStore &operator=(const MessageStore &) = delete;

    QString path() const { return m_path; }

    // Systems (QWKIDS, key QwkID)
    std::optional<SystemRecord> findSystem(const QString &qwkId) const;
    void saveSystem(const SystemRecord &system); // insert or update every field
    void saveScreens(const QString &qwkId, const QString &welcome, const QString &newsletter,
        const QString &goodbye, const QString &newFiles);
    QStringList systemIds() const; // key order
    void setLastReply(const QString &qwkId, int lastReply);

    // Conferences (CONFS, key (Conference Number, QwkID))
    std::optional<ConferenceRecord> findConference(int number, const QString &qwkId) const;
    // New row: counts 0. Existing row: only the name changes, counts kept.
    void saveConferenceName(int number, const QString &qwkId, const QString &name);
    // Every conference of a system by ascending number (-2 and -1 first).
    QList<ConferenceRecord> conferences(const QString &qwkId) const;
    // "Total Msgs" += totalDelta, "Unread Msgs" += unreadDelta; a missing row is skipped.
    void addToConferenceCounts(int number, const QString &qwkId, int totalDelta, int unreadDelta);

    // Messages (MESSAGES, key Record Number); returns the assigned Record Number.
    qint64 appendMessage(const MessageRecord &message);
    std::optional<MessageRecord> findMessage(qint64 recordNumber) const;
    // Whether the system already holds this message: same conference, number,
    // date, time, From, To and Subject. Opening a packet twice adds nothing.
    bool holdsMessage(const MessageRecord &message) const;

    // Bulletins, looked up through BulletinIdx (QwkID, Conference Number,
    // Bulletin Number); saveBulletin edits the found row or appends one.
    std::optional<BulletinRecord> findBulletin(
        const QString &qwkId, int conference, int bulletin) const;
    void saveBulletin(const BulletinRecord &bulletin);
    // (Conference Number, Bulletin Number) of a system's bulletins, in the
    // order they were stored; the texts are not read.
    QList<std::pair<int, int>> bulletinNumbers(const QString &qwkId) const;

    // One transaction over several writes. Nested use is an error.
    void beginTransaction();
    void commit();
    void rollback();
    bool inTransaction() const;

    // Waits until the background checkpoint has copied every commit so far
    // into MARVIK.db, so the file on disk stops changing.
    void waitForCheckpoint();

    // For the store's own query classes: the connection, and a prepared
    // statement kept for reuse (rewound, bindings cleared). The statement
    // stays valid as long as the store.
    Database &database() const { return *m_db; }
    Statement &prepared(const QString &sql) const;

private:
    void checkExisting();
    void createSchema();
    int storedVersion() const;

    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<Database> m_db;
    std::unique_ptr<WalCheckpointer> m_checkpointer;
    mutable std::map<QString, std::unique_ptr<Statement>> m_statements;
};

} // namespace marvik::store
