#pragma once

#include <QString>

namespace marvik::store {

class ConferenceList;
class MessageStore;

// The step-by-step upkeep of "Total Msgs" and "Unread Msgs" of the current
// system's conferences, refreshing the matching conference list entries.
// A conference row that does not exist is skipped silently.
class CountRoutines
{
public:
    explicit CountRoutines(MessageStore &store, ConferenceList *list = nullptr);

    void setCurrentQwkId(const QString &qwkId) { m_qwkId = qwkId; }
    QString currentQwkId() const { return m_qwkId; }
    void setConferenceList(ConferenceList *list) { m_list = list; }

    // A message of conference `conference` was added (delta +1) or deleted
    // (delta -1): the total moves by delta, the unread count too unless the
    // message is read; the personal conference likewise for a personal
    // message outside the replies conference.
    void AdjustConferenceCounts(int conference, int delta, bool personal, bool read);

    // A message's read state changed: unread moves by delta in its conference
    // and, if personal, in the personal conference. Nothing happens for a
    // message already read or one in the replies conference.
    void AdjustUnreadCount(int conference, int delta, bool personal, bool alreadyRead);

private:
    void adjust(int conference, int totalDelta, int unreadDelta);

    MessageStore &m_store;
    ConferenceList *m_list = nullptr;
    QString m_qwkId;
};

} // namespace marvik::store
