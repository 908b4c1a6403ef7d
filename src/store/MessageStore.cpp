#include "store/MessageStore.h"

#include "store/Database.h"
#include "store/MessageListQueries.h"
#include "store/Rewind.h"
#include "store/RowMapper.h"
#include "store/Schema.h"
#include "store/SchemaSteps.h"
#include "store/Statement.h"
#include "store/StoreError.h"
#include "store/WalCheckpointer.h"

#include <QFileInfo>
#include <QLockFile>
#include <QSet>
#include <QTemporaryFile>

#include <algorithm>

#include <sqlite3.h>

namespace marvik::store {

namespace {

// Checked in full only up to this size at start: a few tenths of a second.
constexpr qint64 kQuickCheckLimit = 64 * 1024 * 1024;

// QLockFile does not say why it could not write its file: a full disk, a
// folder of that name in the way, an I/O error. Writing a file of our own
// beside it finds out.
QString whyNoFileCanBeWritten(const QString &lockPath)
{
    const QFileInfo lock(lockPath);
    if (lock.isDir())
        return QStringLiteral("a folder named %1 is in the way").arg(lock.fileName());
    QTemporaryFile probe(lock.absolutePath() + QLatin1String("/.marvik-probe-XXXXXX"));
    if (!probe.open())
        return probe.errorString();
    if (probe.write("marvik\n") < 0 || !probe.flush())
        return probe.errorString();
    return QStringLiteral("the reason is unknown");
}

} // namespace

MessageStore::MessageStore(const QString &path, ui::Progress *upgradeProgress)
    : m_path(path)
{
    const QString name = QFileInfo(path).fileName();

    // A lock file held for the life of the store: a second Marvik on the same
    // file is refused at once instead of meeting "database is locked" later,
    // half-way through an import.
    m_lock = std::make_unique<QLockFile>(path + QLatin1String(".lock"));
    m_lock->setStaleLockTime(0); // only a lock whose owner has gone is stale
    if (!m_lock->tryLock(0)) {
        switch (m_lock->error()) {
        case QLockFile::LockFailedError:
            throw StoreError(QStringLiteral("%1 is in use by another running Marvik. Close it "
                                            "and try again.")
                                 .arg(name));
        case QLockFile::PermissionError:
            throw StoreError(QStringLiteral("Cannot create the lock file %1.lock: permission "
                                            "denied.")
                                 .arg(path));
        default:
            throw StoreError(QStringLiteral("Cannot lock %1: %2. Marvik needs to write a small "
                                            "file beside its message store.")
                                 .arg(path, whyNoFileCanBeWritten(path + QLatin1String(".lock"))));
        }
    }

    m_db = std::make_unique<Database>(path);
    MessageListQueries::registerFunctions(*m_db);
    // Reads only, so a damaged or foreign file is refused before any byte of
    // it is written.
    checkExisting();
    try {
        createSchema();
    } catch (const StoreError &e) {
        // Typically a read-only file or folder, or another program holding
        // the database without our lock file.
        throw StoreError(QStringLiteral("Cannot prepare %1 for use: %2").arg(name, e.message()));
    }
    m_checkpointer = std::make_unique<WalCheckpointer>(path);
    // Every commit, a batch of the import or one message marked read, asks
    // the checkpointer instead of SQLite's own checkpoint on this thread.
    // During a long import the log only grows, as the writer never pauses
    // for it to be folded back; once folded, the next write starts it afresh
    // and this keeps the file from staying that large.
    if (m_checkpointer->isRunning()) {
        m_checkpointer->attachTo(m_db->handle());
        m_db->exec(QStringLiteral("PRAGMA journal_size_limit = %1").arg(LogSizeLimit));
    }
    // After the checkpointer is attached: a long upgrade's commit then hands
    // the copy of its log to that thread instead of making the window wait.
    try {
        SchemaSteps::upgrade(*this, storedVersion(), upgradeProgress);
    } catch (const StoreError &e) {
        throw StoreError(QStringLiteral("Cannot upgrade %1: %2").arg(name, e.message()));
    }
}

MessageStore::~MessageStore()
{
    m_statements.clear(); // finalize before the connection closes
    // The checkpointer's connection closes first, so the last one to close is
    // ours and SQLite folds the log back into the file and removes it.
    if (m_db)
        sqlite3_wal_hook(m_db->handle(), nullptr, nullptr);
    m_checkpointer.reset();
    m_db.reset();
}

void MessageStore::waitForCheckpoint()
{
    if (m_checkpointer)
        m_checkpointer->waitIdle();
}

void MessageStore::checkExisting()
{
    const QString name = QFileInfo(m_path).fileName();
    int version = 0;
    QSet<QString> existing;
    try {
        Statement v(*m_db, QStringLiteral("PRAGMA user_version"));
        if (v.step())
            version = v.integer(0);
        Statement t(*m_db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"));
        while (t.step())
            existing.insert(t.text(0));
    } catch (const StoreError &e) {
        throw StoreError(
            QStringLiteral("%1 is not a Marvik database or is damaged (%2). The file was left "
                           "as it is.")
                .arg(name, e.reason()));
    }
    // Another program's database (tables, none of them ours) is not ours to
    // add tables to; nor is one that gave itself a schema version.
    bool ours = false;
    for (const TableDef &def : Schema::tables())
        ours = ours || existing.contains(def.name);
    QStringList others;
    for (const QString &table : std::as_const(existing)) {
        if (!table.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive))
            others << table;
    }
    if (!ours && (!others.isEmpty() || version != 0)) {
        others.sort();
        throw StoreError(
            QStringLiteral("%1 is not a Marvik database: it belongs to another "
                           "program (tables: %2). The file was left as it is; move "
                           "it aside or start Marvik in another folder.")
                .arg(name,
                    others.isEmpty() ? QStringLiteral("none") : others.join(QLatin1String(", "))));
    }
    if (version > Schema::Version) {
        throw StoreError(QStringLiteral("%1 was written by a newer version of Marvik (schema %2; "
                                        "this program knows %3). Use the newer program, or move "
                                        "the file aside.")
                             .arg(name)
                             .arg(version)
                             .arg(Schema::Version));
    }
    // A table of ours with columns missing means the file belongs to something
    // else; writing into it would fail later in confusing ways.
    for (const TableDef &def : Schema::tables()) {
        if (!existing.contains(def.name))
            continue;
        QSet<QString> columns;
        Statement info(*m_db, QStringLiteral("PRAGMA table_info(%1)").arg(def.name));
        while (info.step())
            columns.insert(info.text(1));
        for (const ColumnDef &column : def.columns) {
            // A later column comes with its upgrade step, run after this.
            if (column.since > std::max(version, 1))
                continue;
            if (!columns.contains(column.name)) {
                throw StoreError(QStringLiteral("%1 is not a Marvik database: table %2 has no "
                                                "field \"%3\". The file was left as it is.")
                                     .arg(name, def.name, column.name));
            }
        }
    }
    // Damage found now is refused before anything is written; found later,
    // in the middle of a command, it could only stop that command.
    if (ours && QFileInfo(m_path).size() <= kQuickCheckLimit) {
        QStringList problems;
        try {
            Statement check(*m_db, QStringLiteral("PRAGMA quick_check(3)"));
            while (check.step())
                problems << check.text(0);
        } catch (const StoreError &e) {
            problems = QStringList {e.reason()};
        }
        if (problems != QStringList {QStringLiteral("ok")})
            throw StoreError(StoreError::damagedText(name, problems.join(QLatin1String("; "))));
    }
}

void MessageStore::createSchema()
{
    sqlite3_busy_timeout(m_db->handle(), BusyMilliseconds);
    m_db->exec(QStringLiteral("PRAGMA journal_mode = WAL"));
    m_db->exec(QStringLiteral("PRAGMA synchronous = NORMAL"));
    m_db->exec(QStringLiteral("BEGIN IMMEDIATE"));
    try {
        for (const QString &sql : Schema::createStatements())
            m_db->exec(sql);
        if (storedVersion() < SchemaSteps::BaseVersion) {
            m_db->exec(QStringLiteral("PRAGMA user_version = %1").arg(SchemaSteps::BaseVersion));
        }
        m_db->exec(QStringLiteral("COMMIT"));
    } catch (...) {
        if (inTransaction()) {
            try {
                m_db->exec(QStringLiteral("ROLLBACK"));
            } catch (const StoreError &) {
                // The first error is the one worth reporting.
            }
        }
        throw;
    }
}

int MessageStore::storedVersion() const
{
    Statement v(*m_db, QStringLiteral("PRAGMA user_version"));
    return v.step() ? v.integer(0) : 0;
}

Statement &MessageStore::prepared(const QString &sql) const
{
    auto it = m_statements.find(sql);
    if (it == m_statements.end())
        it = m_statements.emplace(sql, std::make_unique<Statement>(*m_db, sql)).first;
    it->second->reset();
    return *it->second;
}

std::optional<SystemRecord> MessageStore::findSystem(const QString &qwkId) const
{
    Statement &s = prepared(QStringLiteral("SELECT * FROM QWKIDS WHERE \"QwkID\" = ?"));
    Rewind rewind(s);
    s.bind(1, qwkId);
    if (!s.step())
        return std::nullopt;
    return RowMapper::system(RowMapper::read(s, Table::Systems));
}

void MessageStore::saveSystem(const SystemRecord &r)
{
    const TableDef &def = Schema::table(Table::Systems);
    QStringList updates;
    for (qsizetype i = 1; i < def.columns.size(); ++i) {
        const QString column = Schema::quoted(def.columns.at(i).name);
        updates << QStringLiteral("%1 = excluded.%1").arg(column);
    }
    QStringList marks(def.columns.size(), QStringLiteral("?"));
    Statement &s
        = prepared(QStringLiteral("INSERT INTO QWKIDS (%1) VALUES (%2) ON CONFLICT "
                                  "(\"QwkID\") DO UPDATE SET %3")
                       .arg(Schema::columnList(Table::Systems), marks.join(QLatin1Char(',')),
                           updates.join(QLatin1String(", "))));
    Rewind rewind(s);
    int i = 1;
    for (const QString *field : {&r.qwkId, &r.bbsName, &r.bbsLocation, &r.sysopName, &r.yourName,
             &r.mailDoor, &r.mailDoorVersion, &r.system, &r.controlName, &r.add, &r.drop,
             &r.request, &r.receipt, &r.mixedCase, &r.fidoTag, &r.reset, &r.welcomeScreen,
             &r.goodbyeScreen, &r.newsletter, &r.newFiles}) {
        s.bind(i++, *field);
    }
    s.bind(i++, r.lastReply);
    s.bind(i++, r.headersFile);
    s.bind(i, r.qwke);
    s.step();
}

void MessageStore::saveScreens(const QString &qwkId, const QString &welcome,
    const QString &newsletter, const QString &goodbye, const QString &newFiles)
{
    Statement &s = prepared(QStringLiteral(
        "UPDATE QWKIDS SET \"Welcome Screen\" = ?, \"Newsletter\" = ?, \"Goodbye Screen\" = ?, "
        "\"New Files\" = ? WHERE \"QwkID\" = ?"));
    Rewind rewind(s);
    s.bind(1, welcome);
    s.bind(2, newsletter);
    s.bind(3, goodbye);
    s.bind(4, newFiles);
    s.bind(5, qwkId);
    s.step();
}

void MessageStore::setLastReply(const QString &qwkId, int lastReply)
{
    Statement &s
        = prepared(QStringLiteral("UPDATE QWKIDS SET \"Last Reply\" = ? WHERE \"QwkID\" = ?"));
    Rewind rewind(s);
    s.bind(1, lastReply);
    s.bind(2, qwkId);
    s.step();
}

QStringList MessageStore::systemIds() const
{
    Statement &s = prepared(QStringLiteral("SELECT \"QwkID\" FROM QWKIDS ORDER BY \"QwkID\""));
    Rewind rewind(s);
    QStringList ids;
    while (s.step())
        ids << s.text(0);
    return ids;
}

std::optional<ConferenceRecord> MessageStore::findConference(int number, const QString &qwkId) const
{
    Statement &s = prepared(
        QStringLiteral("SELECT * FROM CONFS WHERE \"Conference Number\" = ? AND \"QwkID\" = ?"));
    Rewind rewind(s);
    s.bind(1, number);
    s.bind(2, qwkId);
    if (!s.step())
        return std::nullopt;
    return RowMapper::conference(RowMapper::read(s, Table::Conferences));
}

void MessageStore::saveConferenceName(int number, const QString &qwkId, const QString &name)
{
    Statement &s = prepared(QStringLiteral(
        "INSERT INTO CONFS (\"Conference Number\", \"QwkID\", \"Conference Name\", \"Total Msgs\", "
        "\"Unread Msgs\") VALUES (?, ?, ?, 0, 0) ON CONFLICT (\"Conference Number\", \"QwkID\") "
        "DO UPDATE SET \"Conference Name\" = excluded.\"Conference Name\""));
    Rewind rewind(s);
    s.bind(1, number);
    s.bind(2, qwkId);
    s.bind(3, name);
    s.step();
}

QList<ConferenceRecord> MessageStore::conferences(const QString &qwkId) const
{
    Statement &s = prepared(
        QStringLiteral("SELECT * FROM CONFS WHERE \"QwkID\" = ? ORDER BY \"Conference Number\""));
    Rewind rewind(s);
    s.bind(1, qwkId);
    QList<ConferenceRecord> rows;
    while (s.step())
        rows.append(RowMapper::conference(RowMapper::read(s, Table::Conferences)));
    return rows;
}

QList<std::pair<int, int>> MessageStore::bulletinNumbers(const QString &qwkId) const
{
    Statement &s = prepared(QStringLiteral("SELECT \"Conference Number\", \"Bulletin Number\" "
                                           "FROM BULLETIN WHERE \"QwkID\" = ? ORDER BY \"RecNo\""));
    Rewind rewind(s);
    s.bind(1, qwkId);
    QList<std::pair<int, int>> numbers;
    while (s.step())
        numbers.append({s.integer(0), s.integer(1)});
    return numbers;
}

void MessageStore::addToConferenceCounts(
    int number, const QString &qwkId, int totalDelta, int unreadDelta)
{
    Statement &s = prepared(
        QStringLiteral("UPDATE CONFS SET \"Total Msgs\" = IFNULL(\"Total Msgs\", 0) + ?, "
                       "\"Unread Msgs\" = IFNULL(\"Unread Msgs\", 0) + ? "
                       "WHERE \"Conference Number\" = ? AND \"QwkID\" = ?"));
    Rewind rewind(s);
    s.bind(1, totalDelta);
    s.bind(2, unreadDelta);
    s.bind(3, number);
    s.bind(4, qwkId);
    s.step();
}

qint64 MessageStore::appendMessage(const MessageRecord &m)
{
    Statement &s = prepared(QStringLiteral(
        "INSERT INTO MESSAGES (\"Conference Number\", \"QwkID\", \"Message Number\", "
        "\"Message Status\", \"Date\", \"Time\", \"To\", \"From\", \"Subject\", "
        "\"Reference Number\", \"Read Flag\", \"Message\", \"Personal\", "
        "\"Reply Conference Number\", \"Marked\", \"Message-ID\", \"In-Reply-To\") "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    Rewind rewind(s);
    s.bind(1, m.conferenceNumber);
    s.bind(2, m.qwkId);
    s.bind(3, m.messageNumber);
    s.bind(4, m.status);
    s.bind(5, m.date);
    s.bind(6, m.time);
    s.bind(7, m.to);
    s.bind(8, m.from);
    s.bind(9, m.subject);
    s.bind(10, m.referenceNumber);
    s.bind(11, m.read);
    s.bind(12, m.text);
    s.bind(13, m.personal);
    s.bind(14, m.replyConferenceNumber);
    s.bind(15, m.marked);
    // No id is stored as NULL, not as an empty text: only real ids link.
    if (m.messageId.isEmpty())
        s.bindNull(16);
    else
        s.bind(16, m.messageId);
    if (m.inReplyTo.isEmpty())
        s.bindNull(17);
    else
        s.bind(17, m.inReplyTo);
    s.step();
    return m_db->lastInsertRowId();
}

std::optional<MessageRecord> MessageStore::findMessage(qint64 recordNumber) const
{
    Statement &s = prepared(QStringLiteral("SELECT * FROM MESSAGES WHERE \"Record Number\" = ?"));
    Rewind rewind(s);
    s.bind(1, recordNumber);
    if (!s.step())
        return std::nullopt;
    return RowMapper::message(RowMapper::read(s, Table::Messages));
}

bool MessageStore::holdsMessage(const MessageRecord &m) const
{
    Statement &s = prepared(QStringLiteral(
        "SELECT 1 FROM MESSAGES INDEXED BY \"MessagesByNumber\" WHERE \"QwkID\" = ? AND "
        "\"Conference Number\" = ? AND \"Message Number\" = ? AND \"Date\" = ? AND "
        "\"Time\" = ? AND \"From\" = ? AND \"To\" = ? AND \"Subject\" = ? LIMIT 1"));
    Rewind rewind(s);
    s.bind(1, m.qwkId);
    s.bind(2, m.conferenceNumber);
    s.bind(3, m.messageNumber);
    s.bind(4, m.date);
    s.bind(5, m.time);
    s.bind(6, m.from);
    s.bind(7, m.to);
    s.bind(8, m.subject);
    return s.step();
}

std::optional<BulletinRecord> MessageStore::findBulletin(
    const QString &qwkId, int conference, int bulletin) const
{
    Statement &s = prepared(QStringLiteral(
        "SELECT * FROM BULLETIN INDEXED BY \"BulletinIdx\" WHERE \"QwkID\" = ? AND "
        "\"Conference Number\" = ? AND \"Bulletin Number\" = ? ORDER BY \"RecNo\" LIMIT 1"));
    Rewind rewind(s);
    s.bind(1, qwkId);
    s.bind(2, conference);
    s.bind(3, bulletin);
    if (!s.step())
        return std::nullopt;
    return RowMapper::bulletin(RowMapper::read(s, Table::Bulletins));
}

void MessageStore::saveBulletin(const BulletinRecord &b)
{
    const auto found = findBulletin(b.qwkId, b.conferenceNumber, b.bulletinNumber);
    if (found) {
        Statement &s
            = prepared(QStringLiteral("UPDATE BULLETIN SET \"Bulletin\" = ? WHERE \"RecNo\" = ?"));
        Rewind rewind(s);
        s.bind(1, b.text);
        s.bind(2, found->recNo);
        s.step();
        return;
    }
    Statement &s
        = prepared(QStringLiteral("INSERT INTO BULLETIN (\"QwkID\", \"Conference Number\", "
                                  "\"Bulletin Number\", \"Bulletin\") VALUES (?, ?, ?, ?)"));
    Rewind rewind(s);
    s.bind(1, b.qwkId);
    s.bind(2, b.conferenceNumber);
    s.bind(3, b.bulletinNumber);
    s.bind(4, b.text);
    s.step();
}

bool MessageStore::inTransaction() const
{
    return sqlite3_get_autocommit(m_db->handle()) == 0;
}

void MessageStore::beginTransaction()
{
    if (inTransaction())
        throw StoreError(QStringLiteral("A transaction is already open on the message store."));
    m_db->exec(QStringLiteral("BEGIN IMMEDIATE"));
}

void MessageStore::commit()
{
    if (!inTransaction())
        throw StoreError(QStringLiteral("No transaction is open on the message store."));
    m_db->exec(QStringLiteral("COMMIT"));
}

void MessageStore::rollback()
{
    if (!inTransaction())
        throw StoreError(QStringLiteral("No transaction is open on the message store."));
    m_db->exec(QStringLiteral("ROLLBACK"));
}

} // namespace marvik::store
