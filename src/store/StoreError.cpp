#include "store/StoreError.h"

#include <sqlite3.h>

namespace marvik::store {

StoreError::StoreError(const QString &message, int code)
    : std::runtime_error(message.toStdString())
    , m_message(message)
    , m_reason(message)
    , m_code(code)
{ }

QString StoreError::message() const
{
    return m_message;
}

bool StoreError::isDamage() const
{
    return m_code == SQLITE_CORRUPT || m_code == SQLITE_NOTADB;
}

QString StoreError::damagedText(const QString &fileName, const QString &reason)
{
    return QStringLiteral("The message store %1 is damaged (%2). Marvik cannot read or change "
                          "it safely. Close Marvik and put back %1 from a backup; or move %1 "
                          "aside, and Marvik starts with an empty store into which the packets "
                          "can be opened again.")
        .arg(fileName, reason);
}

StoreError StoreError::fromSqlite(int code, const QString &reason, const QString &fileName)
{
    const int primary = code & 0xff;
    QString message = reason;
    if (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB) {
        message = damagedText(fileName, reason);
    } else if (primary == SQLITE_FULL) {
        message = QStringLiteral("There is no room left on the disk for the message store %1 "
                                 "(%2). What was being stored just now was not stored. Free "
                                 "some space on the disk and try again.")
                      .arg(fileName, reason);
    }
    StoreError error(message, primary);
    error.m_reason = reason;
    return error;
}

} // namespace marvik::store
