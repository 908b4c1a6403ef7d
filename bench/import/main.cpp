// bench_import: how fast the window's importer fills a fresh store, against
// the floor any import must pay. Usage:
//   bench_import --messages N [--store DIR]
//   bench_import --packet FILE [--store DIR]
// Each phase runs in its own child process so each peak memory figure is that
// phase's own. Figures are reported, never asserted.

#include "BenchPacket.h"
#include "FloorImport.h"
#include "GapProgress.h"

#include "packet/PacketImporter.h"
#include "store/MessageStore.h"
#include "support/FakeDoorInfo.h"
#include "support/FakePrompts.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <exception>
#include <functional>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace marvik;

namespace {

struct Report
{
    double seconds = 0;
    qint64 messages = 0;
    long peakKb = 0;
    double cpuSeconds = 0;
    qint64 longestGapMs = 0;
    qint64 eventRuns = 0;
    qint64 skipped = 0;
    char step[256] = {};
    char error[512] = {};
};

void setError(Report &report, const QString &text)
{
    std::snprintf(report.error, sizeof report.error, "%s", qPrintable(text));
}

void measure(Report &report)
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    report.peakKb = usage.ru_maxrss;
    report.cpuSeconds = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Runs `phase` in a child process and returns what it reported.
Report inChild(int argc, char **argv, const std::function<void(Report &)> &phase)
{
    Report report;
    int fds[2];
    if (pipe(fds) != 0) {
        setError(report, QStringLiteral("pipe failed"));
        return report;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        Report own;
        {
            QCoreApplication app(argc, argv);
            try {
                phase(own);
            } catch (const std::exception &e) {
                setError(own, QString::fromLocal8Bit(e.what()));
            }
        }
        measure(own);
        const ssize_t written = write(fds[1], &own, sizeof own);
        _exit(written == ssize_t(sizeof own) ? 0 : 1);
    }
    close(fds[1]);
    if (pid < 0) {
        setError(report, QStringLiteral("fork failed"));
        close(fds[0]);
        return report;
    }
    if (read(fds[0], &report, sizeof report) != ssize_t(sizeof report))
        setError(report, QStringLiteral("the phase ended without a report"));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return report;
}

qint64 countMessages(const QString &databasePath)
{
    sqlite3 *db = nullptr;
    qint64 count = -1;
    if (sqlite3_open_v2(
            QFile::encodeName(databasePath).constData(), &db, SQLITE_OPEN_READONLY, nullptr)
        == SQLITE_OK) {
        sqlite3_stmt *s = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT COUNT(*) FROM MESSAGES", -1, &s, nullptr) == SQLITE_OK
            && sqlite3_step(s) == SQLITE_ROW)
            count = sqlite3_column_int64(s, 0);
        sqlite3_finalize(s);
    }
    sqlite3_close(db);
    return count;
}

void usage()
{
    std::fprintf(stderr, "usage: bench_import (--messages N | --packet FILE) [--store DIR]\n");
}

void printPhase(const char *name, const Report &r)
{
    // CPU time of the whole child beside the wall time: on a busy machine it
    // shows whether a slow figure was ours or a neighbour's.
    std::printf("%-7s %lld messages in %.3f s = %.0f msg/s, peak RSS %.1f MB, process CPU %.2f s\n",
        name, static_cast<long long>(r.messages), r.seconds,
        r.seconds > 0 ? r.messages / r.seconds : 0.0, r.peakKb / 1024.0, r.cpuSeconds);
}

} // namespace

int main(int argc, char **argv)
{
    // Line by line, so nothing waits in the buffer when a phase forks, and
    // errors on stderr interleave in order.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    int messages = 0;
    QString packet;
    QString storeDir;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--messages" && hasValue)
            messages = QByteArray(argv[++i]).toInt();
        else if (arg == "--packet" && hasValue)
            packet = QFileInfo(QString::fromLocal8Bit(argv[++i])).absoluteFilePath();
        else if (arg == "--store" && hasValue)
            storeDir = QFileInfo(QString::fromLocal8Bit(argv[++i])).absoluteFilePath();
        else {
            usage();
            return 2;
        }
    }
    if ((messages <= 0) == packet.isEmpty()) {
        usage();
        return 2;
    }

    QTemporaryDir work;
    if (!work.isValid()) {
        std::fprintf(stderr, "bench_import: no temporary folder\n");
        return 1;
    }

    if (messages > 0) {
        packet = work.filePath(QStringLiteral("BENCH.QWK"));
        const Report made = inChild(argc, argv, [&](Report &r) {
            QElapsedTimer timer;
            timer.start();
            QString error;
            if (!bench::BenchPacket::write(packet, messages, &error))
                setError(r, error);
            r.seconds = timer.elapsed() / 1000.0;
            r.messages = messages;
        });
        if (made.error[0]) {
            std::fprintf(stderr, "bench_import: writing the packet: %s\n", made.error);
            return 1;
        }
        std::printf("packet  %s: %d messages, %.1f MB, written in %.2f s\n", qPrintable(packet),
            messages, QFileInfo(packet).size() / 1048576.0, made.seconds);
    } else if (!QFileInfo::exists(packet)) {
        std::fprintf(stderr, "bench_import: %s not found\n", qPrintable(packet));
        return 1;
    }

    if (storeDir.isEmpty())
        storeDir = work.filePath(QStringLiteral("store"));
    QDir().mkpath(storeDir);
    const QString database = QDir(storeDir).filePath(QStringLiteral("MARVIK.db"));
    const QString tempFolder = work.filePath(QStringLiteral("TEMP"));
    QDir().mkpath(tempFolder);

    const Report import = inChild(argc, argv, [&](Report &r) {
        const qint64 before = QFileInfo::exists(database) ? countMessages(database) : 0;
        {
            // Opening the store counts, as creating its table counts in the floor.
            QElapsedTimer timer;
            timer.start();
            store::MessageStore messageStore(database);
            bench::GapProgress progress;
            testing::FakePrompts prompts;
            prompts.defaultAnswer = false; // keep the packet: "Delete ...?" gets No
            testing::FakeDoorInfo doorInfo;
            packet::PacketImporter importer(messageStore, progress, prompts, doorInfo, tempFolder);

            progress.start();
            const packet::ImportResult result = importer.importPacket(packet);
            r.seconds = timer.nsecsElapsed() / 1e9;
            progress.finish();
            r.longestGapMs = progress.longestGapMs();
            r.eventRuns = progress.eventRuns();
            std::snprintf(r.step, sizeof r.step, "%s", qPrintable(progress.longestGapStep()));
            r.skipped = result.messagesSkipped;
            if (!prompts.errors.isEmpty())
                setError(r, prompts.errors.join(QLatin1String("; ")));
            else if (result.endedEarly)
                setError(r, result.endReason);
        }
        r.messages = countMessages(database) - before;
    });
    if (import.error[0])
        std::fprintf(stderr, "bench_import: import reported: %s\n", import.error);
    printPhase("import", import);
    std::printf(
        "        longest stretch without running events: %lld ms (%lld event runs), at \"%s\"\n",
        static_cast<long long>(import.longestGapMs), static_cast<long long>(import.eventRuns),
        import.step);

    const QString floorDatabase = work.filePath(QStringLiteral("floor.db"));
    const Report floor = inChild(argc, argv, [&](Report &r) {
        const bench::FloorImport::Result result = bench::FloorImport::run(packet, floorDatabase);
        r.seconds = result.seconds;
        r.messages = result.messages;
        if (!result.ok)
            setError(r, result.error);
    });
    if (floor.error[0])
        std::fprintf(stderr, "bench_import: floor: %s\n", floor.error);
    printPhase("floor", floor);
    if (import.skipped > 0)
        std::printf(
            "        the import skipped %lld messages\n", static_cast<long long>(import.skipped));
    if (import.messages != floor.messages)
        std::printf("        note: the import stored %lld messages, the floor %lld\n",
            static_cast<long long>(import.messages), static_cast<long long>(floor.messages));
    if (storeDir.startsWith(work.path()) == false)
        std::printf("store   left in %s\n", qPrintable(database));

    std::printf("ratio %.2f\n", floor.seconds > 0 ? import.seconds / floor.seconds : 0.0);
    return import.error[0] || floor.error[0] ? 1 : 0;
}
