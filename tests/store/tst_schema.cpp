// Opening MARVIK.db: the tables as created, their keys, and the files the
// store must refuse without writing a byte to them.
#include "StoreTestUtil.h"
#include "store/Database.h"
#include "store/PackingJournal.h"
#include "store/Schema.h"
#include "store/Statement.h"
#include "store/StoreError.h"

#include <sqlite3.h>

#include <QLockFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

#include <sys/resource.h>

#include <csignal>

using namespace marvik::store;
using namespace storetest;

class tst_Schema : public QObject
{
    Q_OBJECT

private slots:
    void columns_data();
    void columns();
    void indexes_data();
    void indexes();
    void userVersion();
    void olderStoreUpgradedInPlace_data();
    void olderStoreUpgradedInPlace();
    void duplicateKeysRefused_data();
    void duplicateKeysRefused();
    void numbersNeverReused();
    void reopenKeepsRows();
    void refusedFileUntouched_data();
    void refusedFileUntouched();
    void lockReleasedOnClose();
    void staleLockOfDeadProcessIgnored();
    void lockFailureSaysWhy();
    void damageMetLaterIsExplained_data();
    void damageMetLaterIsExplained();
};

// Columns as "name|type|notnull|pk" (pk: position in the primary key, 0 if none).
static QStringList tableInfo(const MessageStore &store, const QString &table)
{
    QStringList out;
    Statement s(store.database(), QStringLiteral("PRAGMA table_info(%1)").arg(table));
    while (s.step()) {
        out << QStringLiteral("%1|%2|%3|%4")
                   .arg(s.text(1), s.text(2))
                   .arg(s.integer(3))
                   .arg(s.integer(5));
    }
    return out;
}

void tst_Schema::columns_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("expected");

    QStringList systems {QStringLiteral("QwkID|TEXT|1|1")};
    for (const char *name :
        {"BBS Name", "BBS Location", "Sysop Name", "Your Name", "Mail Door", "Mail Door Version",
            "System", "Control Name", "ADD", "DROP", "REQUEST", "RECEIPT", "MIXEDCASE", "FIDOTAG",
            "RESET", "Welcome Screen", "Goodbye Screen", "Newsletter", "New Files"}) {
        systems << QStringLiteral("%1|TEXT|0|0").arg(QLatin1String(name));
    }
    systems << QStringLiteral("Last Reply|INTEGER|1|0")
            << QStringLiteral("Headers File|INTEGER|0|0") << QStringLiteral("QWKE|INTEGER|0|0");
    QTest::newRow("QWKIDS") << "QWKIDS" << systems;
    QTest::newRow("PACKING") << "PACKING"
                             << QStringList {"Entry|INTEGER|0|1", "QwkID|TEXT|1|0",
                                    "Packet|TEXT|1|0", "Size|INTEGER|1|0", "Hash|TEXT|1|0",
                                    "Replies|TEXT|1|0"};

    QTest::newRow("CONFS") << "CONFS"
                           << QStringList {"Conference Number|INTEGER|1|1", "QwkID|TEXT|1|2",
                                  "Conference Name|TEXT|0|0", "Total Msgs|INTEGER|0|0",
                                  "Unread Msgs|INTEGER|0|0"};
    QTest::newRow("MESSAGES") << "MESSAGES"
                              << QStringList {"Record Number|INTEGER|1|1",
                                     "Conference Number|INTEGER|1|0", "QwkID|TEXT|1|0",
                                     "Message Number|INTEGER|1|0", "Message Status|TEXT|0|0",
                                     "Date|TEXT|0|0", "Time|TEXT|0|0", "To|TEXT|0|0",
                                     "From|TEXT|0|0", "Subject|TEXT|0|0",
                                     "Reference Number|INTEGER|0|0", "Read Flag|INTEGER|0|0",
                                     "Message|TEXT|0|0", "Personal|INTEGER|0|0",
                                     "Reply Conference Number|INTEGER|0|0", "Marked|INTEGER|0|0",
                                     "Message-ID|TEXT|0|0", "In-Reply-To|TEXT|0|0"};
    QTest::newRow("BULLETIN") << "BULLETIN"
                              << QStringList {"RecNo|INTEGER|0|1", "QwkID|TEXT|0|0",
                                     "Conference Number|INTEGER|0|0", "Bulletin Number|INTEGER|0|0",
                                     "Bulletin|TEXT|0|0"};
}

void tst_Schema::columns()
{
    QFETCH(QString, table);
    QFETCH(QStringList, expected);
    TempStore store;
    QCOMPARE(tableInfo(*store, table), expected);
}

void tst_Schema::indexes_data()
{
    QTest::addColumn<QString>("index");
    QTest::addColumn<QStringList>("columns");
    QTest::newRow("BulletinIdx") << "BulletinIdx"
                                 << QStringList {"QwkID", "Conference Number", "Bulletin Number"};
    QTest::newRow("by conference")
        << "MessagesByConferenceRead" << QStringList {"QwkID", "Conference Number", "Read Flag"};
    QTest::newRow("by personal") << "MessagesByPersonalRead"
                                 << QStringList {"QwkID", "Personal", "Read Flag"};
}

void tst_Schema::indexes()
{
    QFETCH(QString, index);
    QFETCH(QStringList, columns);
    TempStore store;
    Statement s(store->database(), QStringLiteral("PRAGMA index_info(\"%1\")").arg(index));
    QStringList found;
    while (s.step())
        found << s.text(2);
    QCOMPARE(found, columns);
}

void tst_Schema::userVersion()
{
    TempStore store;
    Statement s(store->database(), QStringLiteral("PRAGMA user_version"));
    QVERIFY(s.step());
    QCOMPARE(s.integer(0), Schema::Version);
    Statement j(store->database(), QStringLiteral("PRAGMA journal_mode"));
    QVERIFY(j.step());
    QCOMPARE(j.text(0), QStringLiteral("wal"));
}

// A store of an earlier program gains the mark and the ids in place: every
// row is kept, none is marked or linked, and the new fields then store.
void tst_Schema::olderStoreUpgradedInPlace_data()
{
    QTest::addColumn<int>("version");
    QTest::newRow("first program") << 1;
    QTest::newRow("with the search index") << 2;
    QTest::newRow("with marks and message ids") << 3;
}

void tst_Schema::olderStoreUpgradedInPlace()
{
    QFETCH(int, version);
    TempStore temp;
    addSystem(*temp, QStringLiteral("OLD"), 1);
    for (int n = 1; n <= 3; ++n)
        temp->appendMessage(message(QStringLiteral("OLD"), 0, n));
    Database &db = temp->database();
    db.exec(QStringLiteral("DROP TABLE PACKING"));
    for (const char *column : {"Headers File", "QWKE"})
        db.exec(QStringLiteral("ALTER TABLE QWKIDS DROP COLUMN \"%1\"").arg(QLatin1String(column)));
    if (version < 3) {
        for (const char *column : {"Marked", "Message-ID", "In-Reply-To"})
            db.exec(QStringLiteral("ALTER TABLE MESSAGES DROP COLUMN \"%1\"")
                        .arg(QLatin1String(column)));
    }
    if (version < 2) {
        db.exec(QStringLiteral("DROP TRIGGER MessagesSearchDelete"));
        db.exec(QStringLiteral("DROP TRIGGER MessagesSearchUpdate"));
        db.exec(QStringLiteral("DROP TABLE MESSAGES_FTS"));
        db.exec(QStringLiteral("DROP TABLE SEARCH_STATE"));
    }
    db.exec(QStringLiteral("PRAGMA user_version = %1").arg(version));
    const QString path = temp.path();
    temp.store.reset();

    MessageStore store(path);
    Statement v(store.database(), QStringLiteral("PRAGMA user_version"));
    QVERIFY(v.step());
    QCOMPARE(v.integer(0), Schema::Version);
    for (qint64 key = 1; key <= 3; ++key) {
        const auto old = store.findMessage(key);
        QVERIFY(old);
        QCOMPARE(old->subject, QStringLiteral("Subject %1").arg(key));
        QVERIFY(!old->marked);
        QVERIFY(old->messageId.isEmpty() && old->inReplyTo.isEmpty());
    }
    MessageRecord linked = message(QStringLiteral("OLD"), 0, 4);
    linked.marked = true;
    linked.messageId = QStringLiteral("<4@old>");
    linked.inReplyTo = QStringLiteral("<3@old>");
    const auto back = store.findMessage(store.appendMessage(linked));
    QVERIFY(back && back->marked);
    QCOMPARE(back->messageId, linked.messageId);
    QCOMPARE(back->inReplyTo, linked.inReplyTo);
    // The system row keeps its fields; the door's reply formats start off
    // and then store, and the journal takes entries.
    auto system = store.findSystem(QStringLiteral("OLD"));
    QVERIFY(system && !system->headersFile && !system->qwke);
    QCOMPARE(system->yourName, QStringLiteral("JOHN DOE"));
    system->headersFile = true;
    system->qwke = true;
    store.saveSystem(*system);
    system = store.findSystem(QStringLiteral("OLD"));
    QVERIFY(system->headersFile && system->qwke);
    PackingJournal journal(store);
    journal.record(
        QStringLiteral("OLD"), QStringLiteral("/w/OLD.REP"), 10, QStringLiteral("h"), {4});
    QCOMPARE(journal.entries().size(), 1);
}

void tst_Schema::duplicateKeysRefused_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<bool>("refused");

    QTest::newRow("same system") << R"(INSERT INTO QWKIDS ("QwkID", "Last Reply") VALUES ('A', 0))"
                                 << R"(INSERT INTO QWKIDS ("QwkID", "Last Reply") VALUES ('A', 3))"
                                 << true;
    QTest::newRow("system without id")
        << R"(INSERT INTO QWKIDS ("QwkID", "Last Reply") VALUES ('A', 0))"
        << R"(INSERT INTO QWKIDS ("Last Reply") VALUES (0))" << true;
    QTest::newRow("system without Last Reply")
        << R"(INSERT INTO QWKIDS ("QwkID", "Last Reply") VALUES ('A', 0))"
        << R"(INSERT INTO QWKIDS ("QwkID") VALUES ('B'))" << true;
    QTest::newRow("same conference")
        << R"(INSERT INTO CONFS ("Conference Number", "QwkID") VALUES (1, 'A'))"
        << R"(INSERT INTO CONFS ("Conference Number", "QwkID") VALUES (1, 'A'))" << true;
    QTest::newRow("same number, other system")
        << R"(INSERT INTO CONFS ("Conference Number", "QwkID") VALUES (1, 'A'))"
        << R"(INSERT INTO CONFS ("Conference Number", "QwkID") VALUES (1, 'B'))" << false;
    QTest::newRow("message without conference")
        << R"(INSERT INTO MESSAGES ("Conference Number", "QwkID", "Message Number") VALUES (1, 'A', 1))"
        << R"(INSERT INTO MESSAGES ("QwkID", "Message Number") VALUES ('A', 2))" << true;
    QTest::newRow("same record number")
        << R"(INSERT INTO MESSAGES ("Record Number", "Conference Number", "QwkID", "Message Number") VALUES (5, 1, 'A', 1))"
        << R"(INSERT INTO MESSAGES ("Record Number", "Conference Number", "QwkID", "Message Number") VALUES (5, 1, 'A', 2))"
        << true;
}

void tst_Schema::duplicateKeysRefused()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(bool, refused);
    TempStore store;
    store->database().exec(first);
    bool threw = false;
    try {
        store->database().exec(second);
    } catch (const StoreError &e) {
        threw = true;
        QVERIFY(!e.message().isEmpty());
    }
    QCOMPARE(threw, refused);
}

void tst_Schema::numbersNeverReused()
{
    TempStore store;
    store->appendMessage(message("A", 1, 1));
    const qint64 second = store->appendMessage(message("A", 1, 2));
    store->database().exec(
        QStringLiteral("DELETE FROM MESSAGES WHERE \"Record Number\" = %1").arg(second));
    QCOMPARE(store->appendMessage(message("A", 1, 3)), second + 1);
}

void tst_Schema::reopenKeepsRows()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("MARVIK.db");
    {
        MessageStore store(path);
        addSystem(store, "A", 1);
        store.appendMessage(message("A", 0, 7));
    }
    MessageStore store(path);
    QVERIFY(store.findSystem("A"));
    QCOMPARE(store.findMessage(1)->messageNumber, 7);
}

void tst_Schema::refusedFileUntouched_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("expected");
    QTest::newRow("random bytes") << "random"
                                  << "is not a Marvik database or is damaged";
    QTest::newRow("text file") << "text"
                               << "is not a Marvik database or is damaged";
    QTest::newRow("newer schema") << "newer"
                                  << "was written by a newer version of Marvik";
    QTest::newRow("foreign tables") << "foreign"
                                    << "is not a Marvik database";
    QTest::newRow("locked by another") << "locked"
                                       << "in use by another running Marvik";
    QTest::newRow("written by another program") << "foreign writer"
                                                << "database is locked";
    QTest::newRow("another program's database") << "other program"
                                                << "belongs to another program (tables: notes)";
    QTest::newRow("another program's, no tables") << "versioned"
                                                  << "belongs to another program (tables: none)";
    QTest::newRow("damaged in the middle") << "damaged"
                                           << "The message store MARVIK.db is damaged";
}

// A store with enough messages for a page in the middle to hold only
// message rows; that page is then overwritten.
static void writeDamagedStore(const QString &path)
{
    {
        MessageStore store(path);
        addSystem(store, "A", 1);
        store.beginTransaction();
        for (int i = 1; i <= 400; ++i) {
            MessageRecord m = message("A", 0, i);
            m.text = QString(900, QLatin1Char('a' + i % 26));
            store.appendMessage(m);
        }
        store.commit();
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    const qint64 page = 4096;
    file.seek((file.size() / page / 2) * page);
    file.write(QByteArray(int(page), char(0x5a)));
}

void tst_Schema::refusedFileUntouched()
{
    QFETCH(QString, kind);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath("MARVIK.db");
    std::unique_ptr<MessageStore> holder;
    std::unique_ptr<Database> foreign;

    if (kind == "random" || kind == "text") {
        QByteArray bytes;
        if (kind == "random") {
            QRandomGenerator random(42);
            for (int i = 0; i < 8192; ++i)
                bytes.append(char(random.bounded(256)));
        } else {
            bytes = "This is not a database at all.\r\n";
            bytes = bytes.repeated(200);
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    } else if (kind == "newer" || kind == "foreign") {
        if (kind == "newer")
            std::make_unique<MessageStore>(path).reset();
        Database db(path);
        if (kind == "newer")
            db.exec(QStringLiteral("PRAGMA user_version = %1").arg(Schema::Version + 1));
        else
            db.exec(QStringLiteral("CREATE TABLE MESSAGES (id INTEGER, body TEXT)"));
    } else if (kind == "other program" || kind == "versioned") {
        Database db(path);
        if (kind == "versioned") {
            db.exec(QStringLiteral("PRAGMA user_version = 7"));
        } else {
            db.exec(QStringLiteral("CREATE TABLE notes (id INTEGER PRIMARY KEY, body TEXT)"));
            db.exec(QStringLiteral("INSERT INTO notes (body) VALUES ('keep me')"));
        }
    } else if (kind == "damaged") {
        writeDamagedStore(path);
    } else if (kind == "foreign writer") {
        std::make_unique<MessageStore>(path).reset();
        foreign = std::make_unique<Database>(path);
        foreign->exec(QStringLiteral("BEGIN IMMEDIATE"));
        foreign->exec(QStringLiteral("INSERT INTO CONFS (\"Conference Number\", \"QwkID\") "
                                     "VALUES (1, 'X')"));
    } else {
        holder = std::make_unique<MessageStore>(path);
        addSystem(*holder, "A", 2);
        // The holder's own checkpoint may still be copying that commit into
        // the file; only the refused open must leave it alone.
        holder->waitForCheckpoint();
    }

    const QByteArray before = fileBytes(path);
    QVERIFY(!before.isEmpty());
    QString error;
    try {
        MessageStore store(path);
    } catch (const StoreError &e) {
        error = e.message();
    }
    QVERIFY2(error.contains(expected), qPrintable(error));
    QVERIFY2(error.contains("MARVIK.db"), qPrintable(error));
    QCOMPARE(fileBytes(path), before);
    if (holder) {
        // The first store goes on working.
        QVERIFY(holder->findSystem("A"));
        holder->appendMessage(message("A", 0, 1));
    }
}

void tst_Schema::lockReleasedOnClose()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("MARVIK.db");
    {
        MessageStore first(path);
    }
    MessageStore second(path);
    QVERIFY(second.systemIds().isEmpty());
}

void tst_Schema::staleLockOfDeadProcessIgnored()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("MARVIK.db");
    // A Marvik that crashed leaves its lock file behind, naming a process
    // that no longer runs.
    QProcess gone;
    gone.start(QStringLiteral("true"));
    QVERIFY(gone.waitForStarted());
    const qint64 pid = gone.processId();
    QVERIFY(gone.waitForFinished());
    QFile lock(path + ".lock");
    QVERIFY(lock.open(QIODevice::WriteOnly));
    lock.write(
        QByteArray::number(pid) + "\nmarvik\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    lock.close();

    MessageStore store(path);
    QVERIFY(store.systemIds().isEmpty());
}

// A full disk cannot be made here; a file size limit of 0 fails the lock
// file's write the same way, and the reason must reach the message.
void tst_Schema::lockFailureSaysWhy()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("MARVIK.db");
    rlimit saved {};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit none = saved;
    none.rlim_cur = 0;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &none), 0);
    QString error;
    try {
        MessageStore store(path);
    } catch (const StoreError &e) {
        error = e.message();
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    QVERIFY2(error.startsWith("Cannot lock " + path + ": "), qPrintable(error));
    QVERIFY2(error.contains("File too large"), qPrintable(error));
    QVERIFY(!QFile::exists(path));
}

// Damage that the start-up check does not look for (a larger store) shows
// first in the middle of a command: the message says what it means.
void tst_Schema::damageMetLaterIsExplained_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("expected");
    QTest::newRow("malformed") << SQLITE_CORRUPT
                               << "The message store MARVIK.db is damaged "
                                  "(database disk image is malformed). ";
    QTest::newRow("not a database") << SQLITE_NOTADB << "The message store MARVIK.db is damaged";
    QTest::newRow("disk full") << SQLITE_FULL
                               << "There is no room left on the disk for the "
                                  "message store MARVIK.db";
    QTest::newRow("other errors as SQLite says") << SQLITE_CONSTRAINT << "";
}

void tst_Schema::damageMetLaterIsExplained()
{
    QFETCH(int, code);
    QFETCH(QString, expected);
    const QString reason = code == SQLITE_CORRUPT ? "database disk image is malformed" : "why";
    const StoreError error = StoreError::fromSqlite(code, reason, "MARVIK.db");
    QCOMPARE(error.reason(), reason);
    QCOMPARE(error.isDamage(), code == SQLITE_CORRUPT || code == SQLITE_NOTADB);
    if (expected.isEmpty())
        QCOMPARE(error.message(), reason);
    else
        QVERIFY2(error.message().startsWith(expected), qPrintable(error.message()));

    if (code != SQLITE_CORRUPT)
        return;
    // And as a query on a damaged page meets it.
    QTemporaryDir dir;
    const QString path = dir.filePath("MARVIK.db");
    writeDamagedStore(path);
    Database db(path);
    QString met;
    try {
        Statement s(db, QStringLiteral("SELECT \"Message\" FROM MESSAGES"));
        while (s.step()) { }
    } catch (const StoreError &e) {
        met = e.message();
    }
    QVERIFY2(met.startsWith("The message store MARVIK.db is damaged ("), qPrintable(met));
    QVERIFY(met.contains("backup"));
}

QTEST_GUILESS_MAIN(tst_Schema)
#include "tst_schema.moc"
