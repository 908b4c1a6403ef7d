#pragma once

#include <QString>
#include <stdexcept>

namespace marvik::store {

// Every failure of the store: carries SQLite's own message, or ours where we
// refuse something (a locked or newer database), so the caller can show it.
// Where SQLite's words alone leave the user with nothing to do (a damaged
// file, a full disk), the message says what it means and what to do first.
class StoreError : public std::runtime_error
{
public:
    // `code` is SQLite's primary result code, 0 when the error is our own.
    explicit StoreError(const QString &message, int code = 0);
    QString message() const;
    int code() const { return m_code; }
    // The store file is damaged: going on with other rows is no use.
    bool isDamage() const;
    // SQLite's text as it came, without our explanation.
    QString reason() const { return m_reason; }

    // The error SQLite reported as `code` with `reason` on the store file
    // `fileName`, explained where the reason alone is not enough.
    static StoreError fromSqlite(int code, const QString &reason, const QString &fileName);
    // What a damaged store means for the user: `reason` is what found it.
    static QString damagedText(const QString &fileName, const QString &reason);

private:
    QString m_message;
    QString m_reason;
    int m_code = 0;
};

} // namespace marvik::store
