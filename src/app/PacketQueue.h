#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace marvik::app {

// Packets waiting to be imported, in the order they arrived. A file that is
// already waiting, or being imported, is not taken a second time, however
// often it is handed over meanwhile.
class PacketQueue
{
public:
    // Adds the files not already waiting or being imported; returns how many.
    int add(const QStringList &paths);
    bool hasWaiting() const { return !m_waiting.isEmpty(); }
    QStringList waiting() const;
    // The next file, now counted as being imported until finished().
    QString takeNext();
    void finished() { m_importing.clear(); }
    bool isImporting() const { return !m_importing.isEmpty(); }

private:
    // Two names of one file (a link, "./X.QWK") are one packet.
    static QString keyOf(const QString &path);

    struct Entry
    {
        QString path;
        QString key;
    };
    QList<Entry> m_waiting;
    QString m_importing; // the key of the file being imported
};

} // namespace marvik::app
