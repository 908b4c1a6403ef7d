// bench_import: how fast the window's importer fills a fresh store, against
// the floor any import must pay, and how long opening the same packet again
// takes. Usage:
//   bench_import --messages N [--runs R] [--store DIR]
//   bench_import --packet FILE [--runs R] [--store DIR]
// Each phase runs in its own child process so each peak memory figure is that
// phase's own; both sides report to the real progress window, offscreen.
// Medians of R runs (3 unless told). Figures are reported, never asserted.

#include "BenchPacket.h"
#include "FloorImport.h"
#include "GapProgress.h"

#include "packet/PacketImporter.h"
#include "store/MessageStore.h"
#include "ui/ProgressWindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
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
    qint64 alreadyStored = 0;
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
            // The real progress window, drawn offscreen.
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
                qputenv("QT_QPA_PLATFORM", "offscreen");
            // The offscreen platform says at every show that it cannot raise a
            // window; that is not news for a benchmark.
            qInstallMessageHandler(
                [](QtMsgType type, const QMessageLogContext &, const QString &text) {
                    if (type != QtWarningMsg && type != QtDebugMsg && type != QtInfoMsg)
                        std::fprintf(stderr, "%s\n", qPrintable(text));
                });
            QApplication app(argc, argv);
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

void usage(bool asked = false)
{
    std::fprintf(asked ? stdout : stderr,
        "usage: bench_import (--messages N | --packet FILE) [--runs R] [--store DIR]\n"
        "Imports a generated packet of N messages, or FILE, through the window's importer and\n"
        "again, against a bare C + SQLite floor doing the same work.\n");
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0.0 : values.at(values.size() / 2);
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
    int runs = 3;
    QString packet;
    QString storeDir;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--messages" && hasValue)
            messages = QByteArray(argv[++i]).toInt();
        else if (arg == "--packet" && hasValue)
            packet = QFileInfo(QString::fromLocal8Bit(argv[++i])).absoluteFilePath();
        else if (arg == "--runs" && hasValue)
            runs = qMax(1, QByteArray(argv[++i]).toInt());
        else if (arg == "--store" && hasValue)
            storeDir = QFileInfo(QString::fromLocal8Bit(argv[++i])).absoluteFilePath();
        else {
            const bool asked = arg == "--help" || arg == "-h";
            usage(asked);
            return asked ? 0 : 2;
        }
    }
    if ((messages <= 0) == packet.isEmpty()) {
        usage();
        return 2;
    }
    if (!packet.isEmpty() && !QFileInfo(packet).isFile()) {
        std::fprintf(stderr, "bench_import: no such file: %s\n", qPrintable(packet));
        return 1;
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

    const bool keepStore = !storeDir.isEmpty();
    if (!keepStore)
        storeDir = work.filePath(QStringLiteral("store"));
    const QString tempFolder = work.filePath(QStringLiteral("TEMP"));
    QDir().mkpath(tempFolder);

    // One import into the store at `database`, timed from opening the store.
    const auto importInto = [&](const QString &database) {
        return inChild(argc, argv, [&](Report &r) {
            const qint64 before = QFileInfo::exists(database) ? countMessages(database) : 0;
            {
                QElapsedTimer timer;
                timer.start();
                store::MessageStore messageStore(database);
                ui::ProgressWindow window;
                bench::GapProgress progress(&window);
                // The importer asks nothing, so the packet stays for the next run.
                packet::PacketImporter importer(messageStore, progress, tempFolder);

                progress.start();
                const packet::ImportResult result = importer.importPacket(packet);
                r.seconds = timer.nsecsElapsed() / 1e9;
                progress.finish();
                r.longestGapMs = progress.longestGapMs();
                r.eventRuns = progress.eventRuns();
                std::snprintf(r.step, sizeof r.step, "%s", qPrintable(progress.longestGapStep()));
                r.skipped = result.messagesSkipped;
                r.alreadyStored = result.alreadyStored;
                if (result.endedEarly)
                    setError(r, result.endReason);
            }
            r.messages = countMessages(database) - before;
        });
    };

    QList<double> imports, reimports, floors;
    long importPeak = 0, reimportPeak = 0, floorPeak = 0;
    qint64 longestGap = 0;
    QString longestStep;
    bool failed = false;
    for (int run = 1; run <= runs; ++run) {
        const QString runDir = QDir(storeDir).filePath(QStringLiteral("run%1").arg(run));
        QDir(runDir).removeRecursively();
        QDir().mkpath(runDir);
        const QString database = QDir(runDir).filePath(QStringLiteral("MARVIK.db"));

        const Report import = importInto(database);
        if (import.error[0])
            std::fprintf(stderr, "bench_import: import reported: %s\n", import.error);
        printPhase("import", import);
        if (import.skipped > 0)
            std::printf("        the import skipped %lld messages\n",
                static_cast<long long>(import.skipped));

        const Report again = importInto(database);
        if (again.error[0])
            std::fprintf(stderr, "bench_import: re-import reported: %s\n", again.error);
        std::printf("re-imp  %lld already stored, %lld added in %.3f s, peak RSS %.1f MB, "
                    "process CPU %.2f s\n",
            static_cast<long long>(again.alreadyStored), static_cast<long long>(again.messages),
            again.seconds, again.peakKb / 1024.0, again.cpuSeconds);

        const QString floorDatabase = QDir(runDir).filePath(QStringLiteral("floor.db"));
        const Report floor = inChild(argc, argv, [&](Report &r) {
            ui::ProgressWindow window;
            const bench::FloorImport::Result result
                = bench::FloorImport::run(packet, floorDatabase, tempFolder, window);
            r.seconds = result.seconds;
            r.messages = result.messages;
            if (!result.ok)
                setError(r, result.error);
        });
        if (floor.error[0])
            std::fprintf(stderr, "bench_import: floor: %s\n", floor.error);
        printPhase("floor", floor);
        if (import.messages != floor.messages)
            std::printf("        note: the import stored %lld messages, the floor %lld\n",
                static_cast<long long>(import.messages), static_cast<long long>(floor.messages));

        failed = failed || import.error[0] || again.error[0] || floor.error[0];
        imports.append(import.seconds);
        reimports.append(again.seconds);
        floors.append(floor.seconds);
        importPeak = std::max(importPeak, import.peakKb);
        reimportPeak = std::max(reimportPeak, again.peakKb);
        floorPeak = std::max(floorPeak, floor.peakKb);
        if (import.longestGapMs > longestGap) {
            longestGap = import.longestGapMs;
            longestStep = QString::fromLocal8Bit(import.step);
        }
        if (!keepStore)
            QDir(runDir).removeRecursively();
    }

    const double importMedian = median(imports);
    const double reimportMedian = median(reimports);
    const double floorMedian = median(floors);
    std::printf("medians of %d runs: import %.3f s (peak RSS %.1f MB), re-import %.3f s (peak "
                "RSS %.1f MB), floor %.3f s (peak RSS %.1f MB)\n",
        runs, importMedian, importPeak / 1024.0, reimportMedian, reimportPeak / 1024.0, floorMedian,
        floorPeak / 1024.0);
    std::printf("longest stretch without running events: %lld ms, at \"%s\"\n",
        static_cast<long long>(longestGap), qPrintable(longestStep));
    std::printf("import vs floor: %.3f s / %.3f s, ratio %.2f\n", importMedian, floorMedian,
        floorMedian > 0 ? importMedian / floorMedian : 0.0);
    std::printf("re-import vs import: %.3f s / %.3f s, ratio %.2f\n", reimportMedian, importMedian,
        importMedian > 0 ? reimportMedian / importMedian : 0.0);
    return failed ? 1 : 0;
}
