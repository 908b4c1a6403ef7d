#include "store/StoreError.h"

namespace marvik::store {

StoreError::StoreError(const QString &message)
    : std::runtime_error(message.toStdString())
    , m_message(message)
{ }

QString StoreError::message() const
{
    return m_message;
}

} // namespace marvik::store
