#include "store/Database.h"

#include "store/StoreError.h"

#include <QFileInfo>

#include <sqlite3.h>

namespace marvik::store {

Database::Database(const QString &path)
    : m_fileName(QFileInfo(path).fileName())
{
    const QByteArray name = path.toUtf8();
    const int rc = sqlite3_open_v2(
        name.constData(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db))
                                     : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close(m_db);
        m_db = nullptr;
        throw StoreError(QStringLiteral("Cannot open %1: %2").arg(path, message));
    }
    sqlite3_extended_result_codes(m_db, 1);
}

Database::~Database()
{
    // Statements are finalized by their owners first; close_v2 copes if one is late.
    sqlite3_close_v2(m_db);
}

void Database::exec(const QString &sql)
{
    const QByteArray text = sql.toUtf8();
    char *error = nullptr;
    if (sqlite3_exec(m_db, text.constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        const QString message = QString::fromUtf8(error ? error : sqlite3_errmsg(m_db));
        sqlite3_free(error);
        fail(sqlite3_errcode(m_db), message);
    }
}

qint64 Database::lastInsertRowId() const
{
    return sqlite3_last_insert_rowid(m_db);
}

int Database::changes() const
{
    return sqlite3_changes(m_db);
}

QString Database::errorMessage() const
{
    return QString::fromUtf8(sqlite3_errmsg(m_db));
}

void Database::fail(const QString &context) const
{
    fail(sqlite3_errcode(m_db),
        context.isEmpty() ? errorMessage() : QStringLiteral("%1: %2").arg(context, errorMessage()));
}

void Database::fail(int rc, const QString &message) const
{
    throw StoreError::fromSqlite(rc, message, m_fileName);
}

} // namespace marvik::store
