// Times interpret + paint of every line + PNG encoding for each screen given,
// and the ansilove command on the same files when it is installed.
#include "screens/AnsiInterpreter.h"
#include "screens/ScreenCanvas.h"
#include "screens/ScreenPainter.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <functional>

using namespace marvik::screens;

namespace {

double median(QList<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const qsizetype middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Milliseconds per call, median of `repetitions` calls.
double timeIt(int repetitions, const std::function<void()> &work)
{
    QList<double> times;
    for (int i = 0; i < repetitions; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.append(double(timer.nsecsElapsed()) / 1e6);
    }
    return median(times);
}

QByteArray renderPng(const ScreenPainter &painter, QByteArrayView text)
{
    const AnsiResult result = AnsiInterpreter::interpret(text);
    const int lines = qMax(1, result.buffer.lineCount());
    const QSize cell = painter.cellSize();
    const QImage image = painter.render(result.buffer,
        QSize(CellBuffer::Columns * cell.width(), lines * cell.height()), 1, 1, lines);
    QByteArray png;
    QBuffer device(&png);
    device.open(QIODevice::WriteOnly);
    // A middle zlib level: Qt's default spends three times as long for ~25% smaller files.
    image.save(&device, "PNG", 50);
    return png;
}

} // namespace

int main(int argc, char **argv)
{
    // Painting needs no screen: run offscreen unless told otherwise.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream out(stdout);

    QStringList files;
    QString pngDir;
    int repetitions = 9;
    const QStringList args = app.arguments().mid(1);
    const QString usage = QStringLiteral(
        "usage: bench_screens [--png-dir DIR] [--repetitions N] FILE...\n"
        "Interprets and paints each ANSI screen, encodes it as PNG, and compares the time with\n"
        "the ansilove command when it is installed.\n");
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--help") || args[i] == QLatin1String("-h")) {
            out << usage;
            return 0;
        }
        if (args[i] == QLatin1String("--png-dir") && i + 1 < args.size())
            pngDir = args[++i];
        else if (args[i] == QLatin1String("--repetitions") && i + 1 < args.size())
            repetitions = qMax(1, args[++i].toInt());
        else
            files.append(args[i]);
    }
    if (files.isEmpty()) {
        QTextStream(stderr) << usage;
        return 2;
    }
    // A file that is not there is a mistake in the command, not a figure.
    for (const QString &path : files) {
        if (!QFileInfo(path).isFile()) {
            QTextStream(stderr) << "bench_screens: no such file: " << path << "\n";
            return 1;
        }
    }
    if (!pngDir.isEmpty())
        QDir().mkpath(pngDir);

    const ScreenPainter painter;
    out << "font: " << (painter.hasPcFont() ? "PC 8x16 (PSF)" : "system monospace fallback")
        << ", cell " << painter.cellSize().width() << "x" << painter.cellSize().height() << "\n";

    const QString ansilove = QStandardPaths::findExecutable(QStringLiteral("ansilove"));
    QTemporaryDir scratch;

    QList<double> ours;
    QList<double> theirs;
    QByteArray joined;
    for (const QString &path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            out << path << ": " << file.errorString() << "\n";
            continue;
        }
        const QByteArray text = file.readAll();
        joined += QByteArrayView(text).first(AnsiInterpreter::pictureLength(text));
        const QString name = QFileInfo(path).fileName();

        QByteArray png;
        const double ourTime = timeIt(repetitions, [&] { png = renderPng(painter, text); });
        ours.append(ourTime);
        if (!pngDir.isEmpty()) {
            QFile target(QDir(pngDir).filePath(name + QStringLiteral(".png")));
            if (target.open(QIODevice::WriteOnly))
                target.write(png);
        }
        out << QStringLiteral("%1  ours %2 ms").arg(name, -32).arg(ourTime, 0, 'f', 3);

        if (!ansilove.isEmpty()) {
            const QString output = !pngDir.isEmpty()
                ? QDir(pngDir).filePath(name + QStringLiteral(".ansilove.png"))
                : scratch.filePath(QStringLiteral("out.png"));
            bool ran = true;
            const double theirTime = timeIt(repetitions, [&] {
                QProcess process;
                process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
                process.setStandardOutputFile(QProcess::nullDevice());
                process.start(ansilove, {QStringLiteral("-o"), output, path});
                ran = process.waitForFinished(60000) && process.exitCode() == 0 && ran;
            });
            if (ran) {
                theirs.append(theirTime);
                out << QStringLiteral("  ansilove %1 ms").arg(theirTime, 0, 'f', 3);
            } else {
                out << "  ansilove failed";
            }
        }
        out << "\n";
        out.flush();
    }

    // A long screen shown in the viewer: interpret all of it and paint the
    // first band of lines the viewer keeps; then a scroll step, drawn from
    // the kept bands against painting the 25 rows in view afresh.
    if (!joined.isEmpty()) {
        // About 40 KB: whole screens back to back, cut at 40 KB.
        QByteArray screen;
        while (screen.size() < 40 * 1024)
            screen += joined;
        screen.truncate(40 * 1024);
        const QSize cell = painter.cellSize();
        const int bandLines = ScreenCanvas::BandLines;
        const QSize band(CellBuffer::Columns * cell.width(), bandLines * cell.height());
        const double viewTime = timeIt(qMax(repetitions, 21), [&] {
            const AnsiResult result = AnsiInterpreter::interpret(screen);
            const QPixmap first
                = QPixmap::fromImage(painter.render(result.buffer, band, 1, 1, bandLines));
            Q_UNUSED(first);
        });
        out << QStringLiteral("%1 KB screen, interpret + paint the first %2 rows: %3 ms\n")
                   .arg(screen.size() / 1024)
                   .arg(bandLines)
                   .arg(viewTime, 0, 'f', 3);

        const AnsiResult result = AnsiInterpreter::interpret(screen);
        const QSize view(band.width(), ScreenPainter::Rows * cell.height());
        const QList<QPixmap> kept {
            QPixmap::fromImage(painter.render(result.buffer, band, 1, 1, bandLines)),
            QPixmap::fromImage(painter.render(result.buffer, band, bandLines + 1, 1, bandLines)),
        };
        QPixmap target(view);
        int step = 0;
        const double fromKept = timeIt(qMax(repetitions, 101), [&] {
            // One line further down each time, as the arrow key scrolls.
            const int top = -(++step % bandLines) * cell.height();
            QPainter canvas(&target);
            canvas.drawPixmap(0, top, kept[0]);
            canvas.drawPixmap(0, top + band.height(), kept[1]);
        });
        const double afresh = timeIt(qMax(repetitions, 101), [&] {
            target = QPixmap::fromImage(
                painter.render(result.buffer, view, 1 + ++step % bandLines, 1));
        });
        out << QStringLiteral("scroll step (%1 rows in view): from kept bands %2 ms, painted "
                              "afresh %3 ms\n")
                   .arg(ScreenPainter::Rows)
                   .arg(fromKept, 0, 'f', 3)
                   .arg(afresh, 0, 'f', 3);
    }

    out << QStringLiteral("median ours %1 ms").arg(median(ours), 0, 'f', 3);
    if (!theirs.isEmpty())
        out << QStringLiteral(", median ansilove %1 ms").arg(median(theirs), 0, 'f', 3);
    out << "\n";
    if (!theirs.isEmpty() && median(ours) > 0)
        out << QStringLiteral("ratio %1\n").arg(median(theirs) / median(ours), 0, 'f', 2);
    else
        out << "ratio n/a (ansilove not installed)\n";
    return 0;
}
