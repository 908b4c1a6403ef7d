#pragma once

#include <QString>
#include <stdexcept>

namespace marvik::store {

// Every failure of the store: carries SQLite's own message, or ours where we
// refuse something (a locked or newer database), so the caller can show it.
class StoreError : public std::runtime_error
{
public:
    explicit StoreError(const QString &message);
    QString message() const;

private:
    QString m_message;
};

} // namespace marvik::store
