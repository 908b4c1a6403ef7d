#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace marvik::store {

enum class Table
{
    Systems,
    Conferences,
    Messages,
    Bulletins
};

struct ColumnDef
{
    QString name;
    QString type; // "TEXT" or "INTEGER" as SQLite reports it
    bool notNull = false;
    bool boolean = false; // stored as INTEGER 0/1, read back as bool
    // The schema version that added the column: a table is created as the
    // first program made it, and each later column comes with its step.
    int since = 1;
};

struct TableDef
{
    Table table;
    QString name; // SQL table name
    QList<ColumnDef> columns; // in table order
    QStringList key; // primary key columns, in key order
};

// The four tables, their columns, keys and indexes: the single place the
// schema is written down. Column names keep their spaces and are always
// double-quoted in SQL.
class Schema
{
public:
    // Stored in PRAGMA user_version; a file with a higher number came from a
    // newer program and is refused, a lower one is upgraded (SchemaSteps).
    static constexpr int Version = 4;

    static const TableDef &table(Table table);
    static const QList<TableDef> &tables();

    // CREATE TABLE / CREATE INDEX statements, each IF NOT EXISTS, for the
    // tables as the first program made them (columns of `since` 1).
    static QStringList createStatements();

    // "name" with any inner double quote doubled.
    static QString quoted(const QString &identifier);
    // The ORDER BY list of the table's key, e.g. "Conference Number", "QwkID".
    static QString keyOrder(Table table);
    // All columns, quoted and comma-separated, in table order.
    static QString columnList(Table table);
    // ALTER TABLE statements adding the columns of schema version `version`.
    static QStringList addedColumnStatements(int version);
    // The packing journal (PackingJournal): the replies a reply packet
    // written aside holds, until they have left the store.
    static QStringList journalStatements();
    // The column matching `name` ignoring case, or null.
    static const ColumnDef *column(Table table, const QString &name);
};

} // namespace marvik::store
