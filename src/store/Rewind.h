#pragma once

#include "store/Statement.h"

namespace marvik::store {

// Rewinds a cached statement however the caller leaves, so no read cursor
// stays open behind a later COMMIT.
class Rewind
{
public:
    explicit Rewind(Statement &statement)
        : m_statement(statement)
    { }
    ~Rewind() { m_statement.reset(); }
    Rewind(const Rewind &) = delete;
    Rewind &operator=(const Rewind &) = delete;

private:
    Statement &m_statement;
};

} // namespace marvik::store
