#pragma once

#include <QList>
#include <QString>

namespace marvik::store {

class MessageStore;

// One reply packet written aside, before it replaces the one in place: the
// file it becomes, its size and hash, and the replies it holds.
struct PackingEntry
{
    qint64 entry = 0;
    QString qwkId;
    QString packetPath;
    qint64 size = 0;
    QString hash;
    int replies = 0;
};

// The journal of reply packing (table PACKING). Packing cannot be undone
// once the new packet is in place, and the replies it holds must then leave
// the store: recorded before the rename, an entry lets the next run tell
// which of the two steps happened. StoreOperations::finishPacking removes
// the replies and the entry together.
class PackingJournal
{
public:
    explicit PackingJournal(MessageStore &store);

    // Records the entry in one transaction, before the rename it must
    // outlive. Returns the entry's number.
    qint64 record(const QString &qwkId, const QString &packetPath, qint64 size, const QString &hash,
        const QList<qint64> &replies);

    // Every entry, oldest first (the replies as a count).
    QList<PackingEntry> entries() const;
    // The record numbers of the replies an entry holds.
    QList<qint64> replies(qint64 entry) const;

    // The replies stay; only the entry goes.
    void drop(qint64 entry);
    // A system's entries: its packet was erased or the system deleted.
    void dropSystem(const QString &qwkId);

    // The record numbers as the JSON list the table keeps.
    static QString keyList(const QList<qint64> &keys);

private:
    MessageStore &m_store;
};

} // namespace marvik::store
