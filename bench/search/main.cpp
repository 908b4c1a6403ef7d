// bench_search: the full-text search against bare-SQL floors on the same
// FTS5 table. Usage:
//   bench_search [--messages N] [--import N] [--runs R] [--store DIR] [--only PART]
// PART is "queries" (generate a store of N messages in three systems as
// today's first-version program leaves it, upgrade it, time the queries) or
// "import" (import a packet of --import messages, index it afterwards, delete
// the system). Medians of R runs (3 unless told); each comparison line ends
// "ratio R". Figures are reported, never asserted.

#include "StoreGenerator.h"

#include "../import/BenchPacket.h"
#include "../import/FloorImport.h"
#include "../import/GapProgress.h"

#include "packet/PacketImporter.h"
#include "search/SearchSession.h"
#include "store/MessageStore.h"
#include "store/SearchIndexer.h"
#include "store/StoreError.h"
#include "store/StoreOperations.h"
#include "ui/ProgressWindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <sqlite3.h>

using namespace marvik;

namespace {

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0.0 : values.at(values.size() / 2);
}

void ratioLine(const char *what, double ours, double floor, const char *unit = "s")
{
    std::printf("%s: %.3f %s / floor %.3f %s, ratio %.2f\n", what, ours, unit, floor, unit,
        floor > 0 ? ours / floor : 0.0);
}

qint64 fileSize(const QString &path)
{
    return QFileInfo(path).size() + QFileInfo(path + QLatin1String("-wal")).size();
}

bool copyFile(const QString &from, const QString &to)
{
    QFile::remove(to);
    return QFile::copy(from, to);
}

// A second, bare connection to the same file.
class Bare
{
public:
    explicit Bare(const QString &path)
    {
        sqlite3_open(QFile::encodeName(path).constData(), &m_db);
        sqlite3_busy_timeout(m_db, 5000);
    }
    ~Bare() { sqlite3_close(m_db); }
    sqlite3 *db() const { return m_db; }
    bool exec(const char *sql)
    {
        char *error = nullptr;
        if (sqlite3_exec(m_db, sql, nullptr, nullptr, &error) == SQLITE_OK)
            return true;
        std::fprintf(stderr, "bench_search: %s: %s\n", sql, error ? error : "?");
        sqlite3_free(error);
        return false;
    }

private:
    sqlite3 *m_db = nullptr;
};

// The floor of a first page: the index's rows newest first, each with the
// fields the list shows, its conference's name and a snippet; read as text.
int floorPage(sqlite3 *db, const char *match)
{
    static const char *sql
        = "SELECT f.rowid, m.\"QwkID\", m.\"Conference Number\", c.\"Conference Name\", "
          "m.\"Message Number\", m.\"From\", m.\"To\", m.\"Subject\", m.\"Date\", m.\"Time\", "
          "m.\"Read Flag\", snippet(MESSAGES_FTS, -1, char(57344), char(57345), '…', 14) "
          "FROM MESSAGES_FTS AS f JOIN MESSAGES AS m ON m.rowid = f.rowid LEFT JOIN CONFS AS c "
          "ON c.\"QwkID\" = m.\"QwkID\" AND c.\"Conference Number\" = m.\"Conference Number\" "
          "WHERE MESSAGES_FTS MATCH ?1 ORDER BY f.rowid DESC LIMIT 100";
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
    sqlite3_bind_text(s, 1, match, -1, SQLITE_STATIC);
    int rows = 0;
    size_t bytes = 0;
    while (sqlite3_step(s) == SQLITE_ROW) {
        for (int c = 0; c < 12; ++c)
            bytes += size_t(sqlite3_column_bytes(s, c)) + (sqlite3_column_text(s, c) ? 0 : 1);
        ++rows;
    }
    sqlite3_finalize(s);
    return bytes > 0 ? rows : 0;
}

int queryPart(int messages, int runs, const QString &storeDir)
{
    const QString generated = QDir(storeDir).filePath(QStringLiteral("generated-v1.db"));
    const QString upgraded = QDir(storeDir).filePath(QStringLiteral("MARVIK.db"));
    QString error;
    bool reuse = false;
    {
        Bare existing(generated);
        sqlite3_stmt *s = nullptr;
        if (QFileInfo::exists(generated)
            && sqlite3_prepare_v2(existing.db(), "SELECT COUNT(*) FROM MESSAGES", -1, &s, nullptr)
                == SQLITE_OK
            && sqlite3_step(s) == SQLITE_ROW)
            reuse = sqlite3_column_int(s, 0) == messages;
        sqlite3_finalize(s);
    }
    if (!reuse) {
        QElapsedTimer timer;
        timer.start();
        if (!bench::StoreGenerator::write(generated, messages, &error)) {
            std::fprintf(stderr, "bench_search: generating the store: %s\n", qPrintable(error));
            return 1;
        }
        std::printf("generated %d messages in %d systems in %.1f s, %.1f MB without index\n",
            messages, bench::StoreGenerator::Systems, timer.elapsed() / 1000.0,
            fileSize(generated) / 1048576.0);
    } else {
        std::printf("reusing %s: %d messages, %.1f MB without index\n", qPrintable(generated),
            messages, fileSize(generated) / 1048576.0);
    }
    QFile::remove(upgraded + QLatin1String("-wal"));
    QFile::remove(upgraded + QLatin1String("-shm"));
    if (!copyFile(generated, upgraded)) {
        std::fprintf(stderr, "bench_search: cannot copy the store\n");
        return 1;
    }

    ui::ProgressWindow window;
    bench::GapProgress progress(&window);
    QElapsedTimer timer;
    timer.start();
    progress.start();
    auto store = std::make_unique<store::MessageStore>(upgraded, &progress);
    progress.finish();
    const double upgradeSeconds = timer.elapsed() / 1000.0;
    store.reset(); // folds the log back, so the size is the file's
    std::printf("upgrade of %d messages: %.1f s, longest event gap %lld ms (at \"%s\")\n", messages,
        upgradeSeconds, static_cast<long long>(progress.longestGapMs()),
        qPrintable(progress.longestGapStep()));
    const qint64 without = fileSize(generated);
    const qint64 with = fileSize(upgraded);
    std::printf("store size: %.1f MB without index, %.1f MB with (%.1f MB per 100,000 messages, "
                "index %.1f MB of it)\n",
        without / 1048576.0, with / 1048576.0, with / 1048576.0 * 100000.0 / messages,
        (with - without) / 1048576.0 * 100000.0 / messages);

    store = std::make_unique<store::MessageStore>(upgraded);
    search::SearchSession session(*store, nullptr);
    Bare bare(upgraded);
    struct Query
    {
        const char *name;
        const char *typed;
        const char *match;
        store::SearchOrder order;
    };
    const Query queries[] = {
        {"one word, first 100 with snippets", "scsi", "\"scsi\"", store::SearchOrder::Newest},
        {"two-word phrase, first 100 with snippets", "\"scsi card\"", "\"scsi card\"",
            store::SearchOrder::Newest},
        {"prefix of 3 letters, first 100 with snippets", "mod*", "\"mod\" *",
            store::SearchOrder::Newest},
    };
    const int repeats = std::max(runs, 11);
    for (const Query &q : queries) {
        session.setOrder(q.order);
        QList<double> ours, floors;
        int hits = 0;
        for (int i = 0; i < repeats; ++i) {
            session.setQuery(QString());
            QElapsedTimer t;
            t.start();
            session.setQuery(QString::fromUtf8(q.typed));
            session.run();
            ours.append(t.nsecsElapsed() / 1e6);
            hits = session.model().rowCount();
            t.restart();
            floorPage(bare.db(), q.match);
            floors.append(t.nsecsElapsed() / 1e6);
        }
        std::printf("  (%d hits shown)\n", hits);
        ratioLine(q.name, median(ours), median(floors), "ms");
    }
    // Not a target: by relevance every match is ranked before the first page.
    session.setOrder(store::SearchOrder::Relevance);
    QList<double> ranked;
    for (int i = 0; i < std::max(3, runs); ++i) {
        session.setQuery(QString());
        QElapsedTimer t;
        t.start();
        session.setQuery(QStringLiteral("scsi"));
        session.run();
        ranked.append(t.nsecsElapsed() / 1e6);
    }
    std::printf("one word by relevance, first 100: %.1f ms (median)\n", median(ranked));
    return 0;
}

struct ImportRun
{
    double import = 0, importFloor = 0, index = 0, rebuild = 0, remove = 0, removeFloor = 0;
    qint64 indexGap = 0;
    double markMedian = 0, markMax = 0;
    qint64 sizeWithout = 0, sizeWith = 0;
    qint64 messages = 0;
    bool ok = true;
};

ImportRun importOnce(const QString &packet, const QString &dir)
{
    ImportRun run;
    const QString database = QDir(dir).filePath(QStringLiteral("MARVIK.db"));
    const QString rebuildCopy = QDir(dir).filePath(QStringLiteral("rebuild.db"));
    const QString deleteCopy = QDir(dir).filePath(QStringLiteral("delete.db"));
    const QString floorDatabase = QDir(dir).filePath(QStringLiteral("floor.db"));
    const QString temp = QDir(dir).filePath(QStringLiteral("TEMP"));
    QDir().mkpath(temp);
    ui::ProgressWindow window;
    QString qwkId;
    {
        QElapsedTimer timer;
        timer.start();
        store::MessageStore store(database);
        bench::GapProgress progress(&window);
        packet::PacketImporter importer(store, progress, temp);
        const packet::ImportResult result = importer.importPacket(packet);
        run.import = timer.nsecsElapsed() / 1e9;
        run.ok = !result.endedEarly;
        qwkId = store.systemIds().value(0);
    }
    {
        const bench::FloorImport::Result floor
            = bench::FloorImport::run(packet, floorDatabase, temp, window);
        run.importFloor = floor.seconds;
        run.messages = floor.messages;
        run.ok = run.ok && floor.ok;
        QFile::remove(floorDatabase);
    }
    run.sizeWithout = fileSize(database);
    run.ok = run.ok && copyFile(database, rebuildCopy);

    {
        store::MessageStore store(database);
        store::StoreOperations operations(store);
        store::SearchIndexer indexer(store);
        QEventLoop loop;
        QElapsedTimer gapClock;
        qint64 last = 0;
        QTimer ticks;
        ticks.setTimerType(Qt::PreciseTimer);
        ticks.setInterval(1);
        QObject::connect(&ticks, &QTimer::timeout, [&] {
            const qint64 now = gapClock.elapsed();
            run.indexGap = std::max(run.indexGap, now - last);
            last = now;
        });
        // A reader marking a message read every tenth of a second.
        QList<double> marks;
        qint64 key = 1;
        QTimer reading;
        reading.setInterval(100);
        QObject::connect(&reading, &QTimer::timeout, [&] {
            const auto message = store.findMessage(key);
            key += 997;
            if (!message)
                return;
            QElapsedTimer t;
            t.start();
            operations.markRead(*message);
            marks.append(t.nsecsElapsed() / 1e6);
        });
        QObject::connect(&indexer, &store::SearchIndexer::progressChanged, &loop,
            [&](qint64 done, qint64 total) {
                if (done == total)
                    loop.quit();
            });
        QElapsedTimer timer;
        timer.start();
        gapClock.start();
        ticks.start();
        reading.start();
        indexer.start();
        if (!indexer.isComplete())
            loop.exec();
        run.index = timer.nsecsElapsed() / 1e9;
        ticks.stop();
        reading.stop();
        run.markMedian = median(marks);
        run.markMax = marks.isEmpty() ? 0 : *std::max_element(marks.cbegin(), marks.cend());
    }
    run.sizeWith = fileSize(database);
    {
        Bare bare(rebuildCopy);
        QElapsedTimer timer;
        timer.start();
        run.ok = bare.exec("INSERT INTO MESSAGES_FTS (MESSAGES_FTS) VALUES ('rebuild')") && run.ok;
        run.rebuild = timer.nsecsElapsed() / 1e9;
    }
    QFile::remove(rebuildCopy);
    run.ok = run.ok && copyFile(database, deleteCopy);
    {
        store::MessageStore store(database);
        store::StoreOperations operations(store);
        QElapsedTimer timer;
        timer.start();
        operations.deleteSystem(
            qwkId, [&window](store::Table, int, int) { window.processEvents(); });
        run.remove = timer.nsecsElapsed() / 1e9;
    }
    {
        // Bare SQL: the same four tables, the index rows going with the
        // messages through the same triggers, one transaction.
        Bare bare(deleteCopy);
        sqlite3_stmt *s = nullptr;
        QElapsedTimer timer;
        timer.start();
        bare.exec("BEGIN IMMEDIATE");
        for (const char *sql :
            {"DELETE FROM BULLETIN WHERE \"QwkID\" = ?", "DELETE FROM MESSAGES WHERE \"QwkID\" = ?",
                "DELETE FROM CONFS WHERE \"QwkID\" = ?",
                "DELETE FROM QWKIDS WHERE \"QwkID\" = ?"}) {
            sqlite3_prepare_v2(bare.db(), sql, -1, &s, nullptr);
            const QByteArray id = qwkId.toUtf8();
            sqlite3_bind_text(s, 1, id.constData(), -1, SQLITE_TRANSIENT);
            run.ok = sqlite3_step(s) == SQLITE_DONE && run.ok;
            sqlite3_finalize(s);
        }
        run.ok = bare.exec("COMMIT") && run.ok;
        run.removeFloor = timer.nsecsElapsed() / 1e9;
    }
    QFile::remove(deleteCopy);
    return run;
}

int importPart(int messages, int runs, const QString &workDir)
{
    const QString packet = QDir(workDir).filePath(QStringLiteral("BENCH.QWK"));
    QString error;
    if (!bench::BenchPacket::write(packet, messages, &error)) {
        std::fprintf(stderr, "bench_search: writing the packet: %s\n", qPrintable(error));
        return 1;
    }
    QList<double> imports, importFloors, indexes, rebuilds, removes, removeFloors, marks;
    qint64 gap = 0;
    double markMax = 0;
    qint64 sizeWithout = 0, sizeWith = 0, stored = 0;
    bool ok = true;
    for (int r = 1; r <= runs; ++r) {
        const QString dir = QDir(workDir).filePath(QStringLiteral("run%1").arg(r));
        QDir(dir).removeRecursively();
        QDir().mkpath(dir);
        const ImportRun run = importOnce(packet, dir);
        std::printf("run %d: import %.2f s (floor %.2f s), index %.2f s (rebuild %.2f s, gap %lld "
                    "ms, mark read %.2f ms median, %.2f ms max), delete %.2f s (floor %.2f s)\n",
            r, run.import, run.importFloor, run.index, run.rebuild,
            static_cast<long long>(run.indexGap), run.markMedian, run.markMax, run.remove,
            run.removeFloor);
        ok = ok && run.ok;
        imports.append(run.import);
        importFloors.append(run.importFloor);
        indexes.append(run.index);
        rebuilds.append(run.rebuild);
        removes.append(run.remove);
        removeFloors.append(run.removeFloor);
        marks.append(run.markMedian);
        gap = std::max(gap, run.indexGap);
        markMax = std::max(markMax, run.markMax);
        sizeWithout = run.sizeWithout;
        sizeWith = run.sizeWith;
        stored = run.messages;
        QDir(dir).removeRecursively();
    }
    std::printf("medians of %d runs, %lld messages:\n", runs, static_cast<long long>(stored));
    ratioLine(
        "import to its summary vs floor without an index", median(imports), median(importFloors));
    ratioLine("indexing afterwards vs a bare FTS5 rebuild", median(indexes), median(rebuilds));
    std::printf("while indexing: longest event gap %lld ms, marking a message read %.2f ms "
                "median, %.2f ms at most\n",
        static_cast<long long>(gap), median(marks), markMax);
    ratioLine("deleting the system vs floor", median(removes), median(removeFloors));
    if (stored > 0) {
        std::printf("store size: %.1f MB without index, %.1f MB with, per 100,000 messages\n",
            sizeWithout / 1048576.0 * 100000.0 / stored, sizeWith / 1048576.0 * 100000.0 / stored);
    }
    if (!ok)
        std::fprintf(stderr, "bench_search: a run reported an error\n");
    return ok ? 0 : 1;
}

void usage(bool asked)
{
    std::fprintf(asked ? stdout : stderr,
        "usage: bench_search [--messages N] [--import N] [--runs R] [--store DIR] "
        "[--only queries|import]\n"
        "Queries: a store of N messages (1000000) in three systems, made as today's first\n"
        "version leaves it, upgraded (timed), then one word, a phrase and a prefix, each\n"
        "against a bare-SQL floor. Import: a packet of --import messages (100000) imported,\n"
        "indexed afterwards against a bare FTS5 rebuild, and its system deleted against a\n"
        "bare-SQL floor. --store keeps the generated store there for the next run.\n");
}

} // namespace

int main(int argc, char **argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    int messages = 1000000;
    int imported = 100000;
    int runs = 3;
    QString storeDir;
    QString only;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--messages" && hasValue)
            messages = std::max(1, QByteArray(argv[++i]).toInt());
        else if (arg == "--import" && hasValue)
            imported = std::max(1, QByteArray(argv[++i]).toInt());
        else if (arg == "--runs" && hasValue)
            runs = std::max(1, QByteArray(argv[++i]).toInt());
        else if (arg == "--store" && hasValue)
            storeDir = QFileInfo(QString::fromLocal8Bit(argv[++i])).absoluteFilePath();
        else if (arg == "--only" && hasValue)
            only = QString::fromLocal8Bit(argv[++i]);
        else {
            const bool asked = arg == "--help" || arg == "-h";
            usage(asked);
            return asked ? 0 : 2;
        }
    }
    if (!only.isEmpty() && only != QLatin1String("queries") && only != QLatin1String("import")) {
        usage(false);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
        if (type != QtWarningMsg && type != QtDebugMsg && type != QtInfoMsg)
            std::fprintf(stderr, "%s\n", qPrintable(text));
    });
    QApplication app(argc, argv);
    QTemporaryDir work;
    if (!work.isValid()) {
        std::fprintf(stderr, "bench_search: no temporary folder\n");
        return 1;
    }
    if (storeDir.isEmpty())
        storeDir = work.filePath(QStringLiteral("store"));
    QDir().mkpath(storeDir);
    int status = 0;
    try {
        if (only.isEmpty() || only == QLatin1String("queries"))
            status |= queryPart(messages, runs, storeDir);
        if (only.isEmpty() || only == QLatin1String("import"))
            status |= importPart(imported, runs, work.path());
    } catch (const store::StoreError &e) {
        std::fprintf(stderr, "bench_search: %s\n", qPrintable(e.message()));
        return 1;
    }
    return status;
}
