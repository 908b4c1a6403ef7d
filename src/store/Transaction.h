#pragma once

namespace marvik::store {

class MessageStore;

// Begins a transaction on construction and rolls it back on destruction
// unless commit() was called, so an exception half-way leaves nothing behind.
class Transaction
{
public:
    explicit Transaction(MessageStore &store);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    void commit();

private:
    MessageStore &m_store;
    bool m_done = false;
};

} // namespace marvik::store
