#pragma once

#include <QString>
#include <QVariant>

struct sqlite3_stmt;

namespace marvik::store {

class Database;

// One prepared statement. Values only ever reach SQL through bind(); bindings
// are 1-based as in SQLite. Kept prepared and reused with reset().
class Statement
{
public:
    Statement(const Database &db, const QString &sql);
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    void bind(int index, const QString &value); // a null QString binds ""
    void bind(int index, int value);
    void bind(int index, qint64 value);
    void bind(int index, bool value);
    void bindNull(int index);
    // Text, integers, booleans and null; anything else is bound as its text.
    void bindVariant(int index, const QVariant &value);

    // Runs one step: true when a row is ready, false when done. Throws on error.
    bool step();
    // Ready for another run: rewinds and clears the bindings.
    void reset();

    int columnCount() const;
    QString columnName(int column) const;
    bool isNull(int column) const;
    QString text(int column) const;
    qint64 int64(int column) const;
    int integer(int column) const { return int(int64(column)); }
    // Integer columns as qint64, text as QString, null as an invalid QVariant.
    QVariant value(int column) const;

private:
    const Database &m_db;
    sqlite3_stmt *m_stmt = nullptr;
};

} // namespace marvik::store
