#include "store/Schema.h"

namespace marvik::store {

namespace {

ColumnDef text(const char *name, bool notNull = false)
{
    return {QString::fromLatin1(name), QStringLiteral("TEXT"), notNull};
}

ColumnDef integer(const char *name, bool notNull = false)
{
    return {QString::fromLatin1(name), QStringLiteral("INTEGER"), notNull};
}

ColumnDef boolean(const char *name)
{
    return {QString::fromLatin1(name), QStringLiteral("INTEGER"), false, true};
}

ColumnDef since(int version, ColumnDef column)
{
    column.since = version;
    return column;
}

QList<TableDef> buildTables()
{
    QList<TableDef> tables;
    // The key QwkID is not marked required, but a key that may be null would
    // let two nameless systems in; it is NOT NULL here.
    tables.append({Table::Systems, QStringLiteral("QWKIDS"),
        {text("QwkID", true), text("BBS Name"), text("BBS Location"), text("Sysop Name"),
            text("Your Name"), text("Mail Door"), text("Mail Door Version"), text("System"),
            text("Control Name"), text("ADD"), text("DROP"), text("REQUEST"), text("RECEIPT"),
            text("MIXEDCASE"), text("FIDOTAG"), text("RESET"), text("Welcome Screen"),
            text("Goodbye Screen"), text("Newsletter"), text("New Files"),
            integer("Last Reply", true),
            // What the door's last packet showed it reads in a reply packet:
            // a HEADERS.DAT, and the long fields at the top of a text.
            since(4, boolean("Headers File")), since(4, boolean("QWKE"))},
        {QStringLiteral("QwkID")}});
    tables.append({Table::Conferences, QStringLiteral("CONFS"),
        {integer("Conference Number", true), text("QwkID", true), text("Conference Name"),
            integer("Total Msgs"), integer("Unread Msgs")},
        {QStringLiteral("Conference Number"), QStringLiteral("QwkID")}});
    tables.append({Table::Messages, QStringLiteral("MESSAGES"),
        {integer("Record Number", true), integer("Conference Number", true), text("QwkID", true),
            integer("Message Number", true), text("Message Status"), text("Date"), text("Time"),
            text("To"), text("From"), text("Subject"), integer("Reference Number"),
            boolean("Read Flag"), text("Message"), boolean("Personal"),
            integer("Reply Conference Number"),
            // The user's own mark, and what lets a reader hang replies under
            // what they answer where the packet names messages (HEADERS.DAT).
            since(3, boolean("Marked")), since(3, text("Message-ID")),
            since(3, text("In-Reply-To"))},
        {QStringLiteral("Record Number")}});
    tables.append({Table::Bulletins, QStringLiteral("BULLETIN"),
        {integer("RecNo"), text("QwkID"), integer("Conference Number"), integer("Bulletin Number"),
            text("Bulletin")},
        {QStringLiteral("RecNo")}});
    return tables;
}

} // namespace

const QList<TableDef> &Schema::tables()
{
    static const QList<TableDef> all = buildTables();
    return all;
}

const TableDef &Schema::table(Table table)
{
    return tables().at(int(table));
}

QString Schema::quoted(const QString &identifier)
{
    QString out = identifier;
    out.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + out + QLatin1Char('"');
}

QString Schema::keyOrder(Table t)
{
    QStringList parts;
    for (const QString &column : table(t).key)
        parts << quoted(column);
    return parts.join(QLatin1String(", "));
}

QString Schema::columnList(Table t)
{
    QStringList parts;
    for (const ColumnDef &column : table(t).columns)
        parts << quoted(column.name);
    return parts.join(QLatin1String(", "));
}

QStringList Schema::addedColumnStatements(int version)
{
    QStringList statements;
    for (const TableDef &def : tables()) {
        for (const ColumnDef &column : def.columns) {
            // Added without a default other than NULL: SQLite then changes
            // no row, so the step is instant on a store of any size.
            if (column.since == version)
                statements << QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3")
                                  .arg(def.name, quoted(column.name), column.type);
        }
    }
    return statements;
}

const ColumnDef *Schema::column(Table t, const QString &name)
{
    for (const ColumnDef &column : table(t).columns) {
        if (column.name.compare(name, Qt::CaseInsensitive) == 0)
            return &column;
    }
    return nullptr;
}

QStringList Schema::journalStatements()
{
    // The replies as a JSON list of record numbers: finishing an entry hands
    // that text straight to the deletion, and it is written once.
    return {QStringLiteral("CREATE TABLE IF NOT EXISTS PACKING (\n"
                           "  \"Entry\" INTEGER PRIMARY KEY AUTOINCREMENT,\n"
                           "  \"QwkID\" TEXT NOT NULL,\n"
                           "  \"Packet\" TEXT NOT NULL,\n"
                           "  \"Size\" INTEGER NOT NULL,\n"
                           "  \"Hash\" TEXT NOT NULL,\n"
                           "  \"Replies\" TEXT NOT NULL\n"
                           ")")};
}

QStringList Schema::createStatements()
{
    QStringList statements;
    for (const TableDef &def : tables()) {
        QStringList lines;
        const bool autoKey = def.key.size() == 1
            && (def.table == Table::Messages || def.table == Table::Bulletins);
        for (const ColumnDef &column : def.columns) {
            if (column.since > 1)
                continue;
            QString line = quoted(column.name) + QLatin1Char(' ') + column.type;
            // AUTOINCREMENT so a deleted row's number is never handed out again.
            if (autoKey && column.name == def.key.first())
                line += QLatin1String(" PRIMARY KEY AUTOINCREMENT");
            if (column.notNull)
                line += QLatin1String(" NOT NULL");
            lines << line;
        }
        if (!autoKey)
            lines << QStringLiteral("PRIMARY KEY (%1)").arg(keyOrder(def.table));
        statements << QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (\n  %2\n)")
                          .arg(def.name, lines.join(QLatin1String(",\n  ")));
    }
    statements << QStringLiteral("CREATE INDEX IF NOT EXISTS \"BulletinIdx\" ON BULLETIN "
                                 "(\"QwkID\", \"Conference Number\", \"Bulletin Number\")");
    // The reader opens a conference, or the personal messages, of one system:
    // the keys and read flags come from the index alone, so opening a large
    // conference reads no message texts. (Earlier versions indexed without
    // the read flag, under other names.)
    statements << QStringLiteral("DROP INDEX IF EXISTS \"MessagesByConference\"");
    statements << QStringLiteral("DROP INDEX IF EXISTS \"MessagesByPersonal\"");
    statements << QStringLiteral("CREATE INDEX IF NOT EXISTS \"MessagesByConferenceRead\" ON "
                                 "MESSAGES (\"QwkID\", \"Conference Number\", \"Read Flag\")");
    statements << QStringLiteral("CREATE INDEX IF NOT EXISTS \"MessagesByPersonalRead\" ON "
                                 "MESSAGES (\"QwkID\", \"Personal\", \"Read Flag\")");
    // A packet opened again is recognised message by message.
    statements << QStringLiteral("CREATE INDEX IF NOT EXISTS \"MessagesByNumber\" ON MESSAGES "
                                 "(\"QwkID\", \"Conference Number\", \"Message Number\")");
    return statements;
}

} // namespace marvik::store
