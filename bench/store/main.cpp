// bench_store: the store operations the windows call, against a floor of bare
// SQL that deletes the same rows and sets the same counts in one transaction.
// Usage: bench_store [--messages N] [--runs R]
// Every measurement runs in a child process on a fresh copy of one generated
// store, so each peak memory figure is that step's own. Figures are
// reported, never asserted.

#include "store/LiveQuery.h"
#include "store/MessageStore.h"
#include "store/Selections.h"
#include "store/StoreOperations.h"
#include "store/Transaction.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace marvik;

namespace {

constexpr int Conferences = 20;

struct Figures
{
    double seconds = 0;
    double longestGapMs = 0;
    long peakKb = 0;
    double medianMs = 0;
};

long peakRssKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

// Runs `work` in a child process and returns what it measured.
Figures inChild(const std::function<Figures()> &work)
{
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        Figures f = work();
        f.peakKb = peakRssKb();
        if (write(fds[1], &f, sizeof f) != sizeof f)
            _exit(1);
        _exit(0);
    }
    close(fds[1]);
    Figures f;
    if (read(fds[0], &f, sizeof f) != sizeof f)
        std::fprintf(stderr, "a measurement failed\n");
    close(fds[0]);
    waitpid(pid, nullptr, 0);
    return f;
}

// System BENCH with `messages` messages in 20 conferences, half of them read,
// a quarter personal, counted as the import counts them; a second system
// OTHER of a tenth the size.
void generate(const QString &path, int messages)
{
    store::MessageStore store(path);
    QRandomGenerator random(42);
    const QString text = QString(400, QLatin1Char('x')) + QStringLiteral("\r\n");
    for (const auto &[qwkId, count] : {std::pair {QStringLiteral("BENCH"), messages},
             std::pair {QStringLiteral("OTHER"), messages / 10}}) {
        store::Transaction t(store);
        store::SystemRecord system;
        system.qwkId = qwkId;
        store.saveSystem(system);
        store.saveConferenceName(-2, qwkId, QStringLiteral("Replies"));
        store.saveConferenceName(-1, qwkId, QStringLiteral("Personal"));
        for (int c = 0; c < Conferences; ++c)
            store.saveConferenceName(c, qwkId, QStringLiteral("Conference %1").arg(c));
        for (int i = 0; i < count; ++i) {
            store::MessageRecord m;
            m.qwkId = qwkId;
            m.conferenceNumber = int(random.bounded(Conferences));
            m.messageNumber = i + 1;
            m.read = i % 2 == 0;
            m.personal = random.bounded(4) == 0;
            m.subject = QStringLiteral("Subject %1").arg(i);
            m.text = text;
            store.appendMessage(m);
            const int unread = m.read ? 0 : 1;
            store.addToConferenceCounts(m.conferenceNumber, qwkId, 1, unread);
            if (m.personal)
                store.addToConferenceCounts(-1, qwkId, 1, unread);
        }
        t.commit();
    }
}

QString copyOf(const QString &source, const QTemporaryDir &dir, int run)
{
    const QString target = dir.filePath(QStringLiteral("copy%1.db").arg(run));
    QFile::remove(target);
    QFile::copy(source, target);
    return target;
}

void exec(sqlite3 *db, const char *sql)
{
    char *error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "%s: %s\n", sql, error);
        sqlite3_free(error);
    }
}

// The same pragmas as the store, then `sql` in one transaction.
Figures floorRun(const QString &path, const char *sql)
{
    sqlite3 *db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    exec(db, "PRAGMA journal_mode = WAL");
    exec(db, "PRAGMA synchronous = NORMAL");
    QElapsedTimer timer;
    timer.start();
    exec(db, "BEGIN IMMEDIATE");
    exec(db, sql);
    exec(db, "COMMIT");
    Figures f;
    f.seconds = timer.nsecsElapsed() / 1e9;
    sqlite3_close(db);
    return f;
}

const char *const floorReadDelete
    = "DELETE FROM MESSAGES WHERE \"QwkID\" = 'BENCH' AND \"Conference Number\" <> -2 AND "
      "\"Read Flag\" = 1;"
      "UPDATE CONFS SET \"Total Msgs\" = (SELECT COUNT(*) FROM MESSAGES m WHERE m.\"QwkID\" = "
      "CONFS.\"QwkID\" AND (CASE WHEN CONFS.\"Conference Number\" = -1 THEN m.\"Personal\" = 1 "
      "AND m.\"Conference Number\" <> -2 ELSE m.\"Conference Number\" = CONFS.\"Conference "
      "Number\" END)) WHERE \"QwkID\" = 'BENCH';";

const char *const floorSystemDelete = "DELETE FROM BULLETIN WHERE \"QwkID\" = 'BENCH';"
                                      "DELETE FROM MESSAGES WHERE \"QwkID\" = 'BENCH';"
                                      "DELETE FROM CONFS WHERE \"QwkID\" = 'BENCH';"
                                      "DELETE FROM QWKIDS WHERE \"QwkID\" = 'BENCH';";

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

Figures timedOperation(const QString &path,
    const std::function<void(store::StoreOperations &, const std::function<void()> &)> &work)
{
    store::MessageStore store(path);
    store::StoreOperations operations(store);
    QElapsedTimer timer, gap;
    double longest = 0;
    timer.start();
    gap.start();
    work(operations, [&] {
        longest = std::max(longest, gap.nsecsElapsed() / 1e6);
        gap.restart();
    });
    Figures f;
    f.seconds = timer.nsecsElapsed() / 1e9;
    f.longestGapMs = std::max(longest, gap.nsecsElapsed() / 1e6);
    return f;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    int messages = 100000;
    int runs = 3;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--messages") && i + 1 < argc) {
            messages = std::atoi(argv[++i]);
        } else if (!std::strcmp(argv[i], "--runs") && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else {
            std::printf("usage: bench_store [--messages N] [--runs R]\n"
                        "Times the store's deletions and read marking on a generated store of N\n"
                        "messages (default 100000) against bare SQL doing the same work.\n");
            return std::strcmp(argv[i], "--help") == 0 ? 0 : 2;
        }
    }
    if (messages < 2) {
        std::fprintf(stderr, "bench_store: --messages must be at least 2\n");
        return 2;
    }

    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("source.db"));
    inChild([&] {
        generate(source, messages);
        return Figures {};
    });
    std::printf("store: %d messages in %d conferences of BENCH, half read; OTHER has %d\n",
        messages, Conferences, messages / 10);

    double worst = 0;
    const auto compare = [&](const char *title, const std::function<Figures(const QString &)> &ours,
                             const char *floorSql) {
        QList<double> mine, floor, gaps, peaks;
        for (int run = 0; run < runs; ++run) {
            const QString a = copyOf(source, dir, 0);
            const Figures f = inChild([&] { return ours(a); });
            mine << f.seconds;
            gaps << f.longestGapMs;
            peaks << f.peakKb / 1024.0;
            const QString b = copyOf(source, dir, 1);
            floor << inChild([&] { return floorRun(b, floorSql); }).seconds;
        }
        const double ratio = median(mine) / std::max(median(floor), 1e-9);
        worst = std::max(worst, ratio);
        std::printf("%s\n  store operation %.3f s, floor %.3f s (medians of %d)\n"
                    "  longest time without events %.1f ms, peak RSS %.1f MB\n  ratio %.2f\n",
            title, median(mine), median(floor), runs, median(gaps), median(peaks), ratio);
    };

    compare(
        "delete the read messages of the system",
        [](const QString &path) {
            return timedOperation(path, [](store::StoreOperations &operations, auto tick) {
                operations.deleteSelection(store::Selections::readMessages(QStringLiteral("BENCH")),
                    [&tick](int, int) { tick(); });
            });
        },
        floorReadDelete);

    compare(
        "delete the whole system",
        [](const QString &path) {
            return timedOperation(path, [](store::StoreOperations &operations, auto tick) {
                operations.deleteSystem(
                    QStringLiteral("BENCH"), [&tick](store::Table, int, int) { tick(); });
            });
        },
        floorSystemDelete);

    // Marking read: one message at a time, as the reader shows them.
    const QString copy = copyOf(source, dir, 2);
    const Figures marking = inChild([&] {
        store::MessageStore store(copy);
        store::StoreOperations operations(store);
        store::LiveQuery query(store);
        query.open(store::Selections::conferenceMessages(QStringLiteral("BENCH"), 3));
        QList<double> times;
        for (int row = 1; row <= std::min(query.count(), 1000); ++row) {
            query.moveToRow(row);
            const store::MessageRecord m = query.message();
            QElapsedTimer timer;
            timer.start();
            operations.markRead(m);
            times << timer.nsecsElapsed() / 1e6;
        }
        Figures f;
        f.medianMs = median(times);
        return f;
    });
    std::printf("mark one message read: median %.3f ms\n", marking.medianMs);
    std::printf("ratio %.2f\n", worst);
    return 0;
}
