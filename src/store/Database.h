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

    // Throws StoreError: "<context>: <SQLite's message>".
    [[noreturn]] void fail(const QString &context) const;

private:
    sqlite3 *m_db = nullptr;
};

} // namespace marvik::store
