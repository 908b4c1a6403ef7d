#include "store/PackingJournal.h"

#include "store/Database.h"
#include "store/MessageStore.h"
#include "store/Rewind.h"
#include "store/Statement.h"
#include "store/Transaction.h"

namespace marvik::store {

PackingJournal::PackingJournal(MessageStore &store)
    : m_store(store)
{ }

QString PackingJournal::keyList(const QList<qint64> &keys)
{
    QByteArray list = "[";
    list.reserve(keys.size() * 8 + 2);
    for (qsizetype i = 0; i < keys.size(); ++i) {
        if (i > 0)
            list += ',';
        list += QByteArray::number(keys.at(i));
    }
    list += ']';
    return QString::fromLatin1(list);
}

qint64 PackingJournal::record(const QString &qwkId, const QString &packetPath, qint64 size,
    const QString &hash, const QList<qint64> &replies)
{
    // The one commit of a packing that waits for the disk: the packet is
    // renamed into place right after it, and an entry lost to a power cut
    // then would send every reply in it a second time.
    m_store.database().exec(QStringLiteral("PRAGMA synchronous = FULL"));
    struct Normal
    {
        MessageStore &store;
        ~Normal()
        {
            try {
                store.database().exec(QStringLiteral("PRAGMA synchronous = NORMAL"));
            } catch (...) { }
        }
    } normal {m_store};
    Transaction transaction(m_store);
    Statement &s = m_store.prepared(
        QStringLiteral("INSERT INTO PACKING (\"QwkID\", \"Packet\", \"Size\", \"Hash\", "
                       "\"Replies\") VALUES (?, ?, ?, ?, ?)"));
    {
        Rewind rewind(s);
        s.bind(1, qwkId);
        s.bind(2, packetPath);
        s.bind(3, size);
        s.bind(4, hash);
        s.bind(5, keyList(replies));
        s.step();
    }
    const qint64 entry = m_store.database().lastInsertRowId();
    transaction.commit();
    return entry;
}

QList<PackingEntry> PackingJournal::entries() const
{
    Statement &s = m_store.prepared(
        QStringLiteral("SELECT \"Entry\", \"QwkID\", \"Packet\", \"Size\", \"Hash\", "
                       "json_array_length(\"Replies\") FROM PACKING ORDER BY \"Entry\""));
    Rewind rewind(s);
    QList<PackingEntry> all;
    while (s.step())
        all.append({s.int64(0), s.text(1), s.text(2), s.int64(3), s.text(4), s.integer(5)});
    return all;
}

QList<qint64> PackingJournal::replies(qint64 entry) const
{
    Statement &s = m_store.prepared(QStringLiteral(
        "SELECT value FROM json_each((SELECT \"Replies\" FROM PACKING WHERE \"Entry\" = ?))"));
    Rewind rewind(s);
    s.bind(1, entry);
    QList<qint64> keys;
    while (s.step())
        keys.append(s.int64(0));
    return keys;
}

void PackingJournal::drop(qint64 entry)
{
    Statement &s = m_store.prepared(QStringLiteral("DELETE FROM PACKING WHERE \"Entry\" = ?"));
    Rewind rewind(s);
    s.bind(1, entry);
    s.step();
}

void PackingJournal::dropSystem(const QString &qwkId)
{
    Statement &s = m_store.prepared(QStringLiteral("DELETE FROM PACKING WHERE \"QwkID\" = ?"));
    Rewind rewind(s);
    s.bind(1, qwkId);
    s.step();
}

} // namespace marvik::store
