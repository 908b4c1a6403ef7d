#pragma once

#include <QString>

struct sqlite3;

namespace marvik::store {

// Owns one sqlite3 connection. Errors become StoreError with SQLite's text.
class Database
{
public:
    // Opens (creating when missing) the file at `path`. Nothing is written to
    // the file until a statement writes.
    explicit Database(const QString &path);
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    sqlite3 *handle() const { return m_db; }

    // Runs SQL without results or parameters (schema, pragmas, transactions).
    void exec(const QString &sql);

    qint64 lastInsertRowId() const;
    int changes() const;
    QString errorMessage() const;

    // Throws StoreError: "<context>: <SQLite's message>", or, where SQLite's
    // message alone tells the user nothing to do, what it means.
    [[noreturn]] void fail(const QString &context) const;
    // The same for the result code `rc` of a call that has its own message.
    [[noreturn]] void fail(int rc, const QString &message) const;

private:
    sqlite3 *m_db = nullptr;
    QString m_fileName; // as the user sees it, for the messages
};

} // namespace marvik::store
