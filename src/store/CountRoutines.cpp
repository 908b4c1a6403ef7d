#include "store/CountRoutines.h"

#include "store/ConferenceList.h"
#include "store/MessageStore.h"
#include "store/Transaction.h"

#include <optional>

namespace marvik::store {

CountRoutines::CountRoutines(MessageStore &store, ConferenceList *list)
    : m_store(store)
    , m_list(list)
{ }

void CountRoutines::adjust(int conference, int totalDelta, int unreadDelta)
{
    if (!m_store.findConference(conference, m_qwkId))
        return;
    m_store.addToConferenceCounts(conference, m_qwkId, totalDelta, unreadDelta);
    if (m_list) {
        const auto row = m_store.findConference(conference, m_qwkId);
        m_list->setCounts(conference, row->totalMsgs, row->unreadMsgs);
    }
}

void CountRoutines::AdjustConferenceCounts(int conference, int delta, bool personal, bool read)
{
    // Both rows change together, or neither, when no caller's transaction
    // already holds them.
    std::optional<Transaction> transaction;
    if (!m_store.inTransaction())
        transaction.emplace(m_store);
    const int unreadDelta = read ? 0 : delta;
    adjust(conference, delta, unreadDelta);
    if (personal && conference != -2)
        adjust(-1, delta, unreadDelta);
    if (transaction)
        transaction->commit();
}

void CountRoutines::AdjustUnreadCount(int conference, int delta, bool personal, bool alreadyRead)
{
    if (alreadyRead || conference == -2)
        return;
    std::optional<Transaction> transaction;
    if (!m_store.inTransaction())
        transaction.emplace(m_store);
    adjust(conference, 0, delta);
    if (personal)
        adjust(-1, 0, delta);
    if (transaction)
        transaction->commit();
}

} // namespace marvik::store
