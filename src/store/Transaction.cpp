#include "store/Transaction.h"

#include "store/MessageStore.h"
#include "store/StoreError.h"

namespace marvik::store {

Transaction::Transaction(MessageStore &store)
    : m_store(store)
{
    m_store.beginTransaction();
}

Transaction::~Transaction()
{
    if (m_done || !m_store.inTransaction())
        return;
    try {
        m_store.rollback();
    } catch (const StoreError &) {
        // Nothing more can be done from a destructor; SQLite drops the
        // transaction itself when the connection closes.
    }
}

void Transaction::commit()
{
    m_store.commit();
    m_done = true;
}

} // namespace marvik::store
