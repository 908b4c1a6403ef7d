#pragma once

#include "store/Records.h"

#include <QList>
#include <QObject>
#include <QString>

namespace marvik::store {

struct ConferenceEntry
{
    int number = 0;
    QString name;
    int total = 0;
    int unread = 0;
};

// The conferences of the open system, behind the system window's conference
// grid: index 0 is the replies conference (-2), index 1 the personal
// conference (-1), then the packet's conferences by ascending number. The
// store's count operations keep the counts in step and say which entry
// changed; a table model relays the signals to its view.
class ConferenceList : public QObject
{
    Q_OBJECT

public:
    // What a grid cell shows: the number, empty for the reserved
    // conferences, and "<total> - <unread>".
    static QString numberText(const ConferenceEntry &entry);
    static QString countsText(int total, int unread);

    QString qwkId() const { return m_qwkId; }
    int count() const { return int(m_entries.size()); }
    bool isEmpty() const { return m_entries.isEmpty(); }
    const ConferenceEntry &at(int index) const { return m_entries.at(index); }
    const QList<ConferenceEntry> &entries() const { return m_entries; }

    // Replaces the whole list: aboutToReset() is sent before anything
    // changes, reset() once the new entries are in place.
    void setConferences(const QString &qwkId, const QList<ConferenceRecord> &rows);
    void clear();

    // Index of conference `number`; -1 if the list has none.
    int indexOfConference(int number) const;
    // New counts of one conference of system `qwkId`; entryChanged() follows
    // when the list shows that conference.
    void setCounts(const QString &qwkId, int number, int total, int unread);

Q_SIGNALS:
    void aboutToReset();
    void reset();
    void entryChanged(int index);

private:
    QString m_qwkId;
    QList<ConferenceEntry> m_entries;
};

} // namespace marvik::store
