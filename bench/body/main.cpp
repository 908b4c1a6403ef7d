// Times the message body renderer: a 64 KB message full of ANSI colour
// against interpreting and painting the same cells with the screen painter,
// a 64 KB message of BBS colour codes, and a 4 KB plain message against
// splitting it into lines; then the message view showing them against a bare
// text view given the same visible text. Medians of many runs.
#include "reader/MessageView.h"
#include "screens/AnsiInterpreter.h"
#include "screens/BodyRenderer.h"
#include "screens/ScreenPainter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPlainTextEdit>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace marvik::screens;

namespace {

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

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

void report(const char *what, double ours, double floor)
{
    std::printf("%-56s median %8.3f ms, floor %8.3f ms, ratio %.2f\n", what, ours, floor,
        floor > 0 ? ours / floor : 0.0);
}

const char *const Words[] = {"lorem", "ipsum", "dolor", "sit", "amet", "BBS", "QWK", "sysop"};

// Lines of about 70 visible characters, a colour change before every word.
QString ansiMessage(qsizetype size)
{
    QString text;
    int n = 0;
    while (text.size() < size) {
        QString line;
        int visible = 0;
        while (visible < 70) {
            const QString word = QLatin1String(Words[n % 8]);
            line += QStringLiteral("\x1b[%1;3%2m").arg(n % 2).arg(1 + n % 7) + word + u' ';
            visible += int(word.size()) + 1;
            ++n;
        }
        text += line + QStringLiteral("\r\n");
    }
    return text;
}

QString codesMessage(qsizetype size)
{
    const QString codes[]
        = {QStringLiteral("@X1F"), QStringLiteral("|09"), QStringLiteral("\x01h\x01r"),
            QStringLiteral("\x03"
                           "2")};
    QString text;
    int n = 0;
    while (text.size() < size) {
        QString line;
        int visible = 0;
        while (visible < 70) {
            const QString word = QLatin1String(Words[n % 8]);
            line += codes[n % 4] + word + u' ';
            visible += int(word.size()) + 1;
            ++n;
        }
        text += line + QStringLiteral("\r\n");
    }
    return text;
}

QString plainMessage(qsizetype size)
{
    QString text;
    int n = 0;
    while (text.size() < size) {
        QString line;
        while (line.size() < 70)
            line += QLatin1String(Words[n++ % 8]) + u' ';
        text += line + QStringLiteral("\r\n");
    }
    return text;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc > 1) {
        const bool help = QByteArray(argv[1]) == "--help" || QByteArray(argv[1]) == "-h";
        std::fprintf(help ? stdout : stderr,
            "usage: bench_body\n"
            "Times the message body renderer on generated messages.\n");
        return help ? 0 : 2;
    }
    constexpr int Runs = 51;
    const BodyRenderer::Options colour;

    const QString ansi = ansiMessage(64 * 1024);
    const ScreenPainter painter;
    const double ansiTime = timeIt(Runs, [&] { BodyRenderer::render(ansi, colour); });
    const double paintTime = timeIt(Runs, [&] {
        // The same text as the screen viewer would take it: bytes in, cells
        // interpreted, every row painted.
        const AnsiResult result = AnsiInterpreter::interpret(QByteArray(ansi.toLatin1()));
        const int rows = qMax(1, result.buffer.lineCount());
        const QSize cell = painter.cellSize();
        const QImage image = painter.render(result.buffer,
            QSize(CellBuffer::Columns * cell.width(), rows * cell.height()), 1, 1, rows);
        Q_UNUSED(image);
    });
    std::printf("font: %s\n", painter.hasPcFont() ? "PC 8x16 (PSF)" : "system monospace");
    report("64 KB of ANSI colour: render / interpret + paint", ansiTime, paintTime);

    const QString codes = codesMessage(64 * 1024);
    const QString codesPlain = plainMessage(codes.size());
    const double codesTime = timeIt(Runs, [&] { BodyRenderer::render(codes, colour); });
    const double splitLong = timeIt(Runs, [&] {
        const QStringList lines = codesPlain.split(QStringLiteral("\r\n"));
        Q_UNUSED(lines);
    });
    report("64 KB of BBS colour codes: render / split into lines", codesTime, splitLong);

    const QString plain = plainMessage(4 * 1024);
    const double plainTime = timeIt(Runs * 4, [&] { BodyRenderer::render(plain, colour); });
    const double splitTime = timeIt(Runs * 4, [&] {
        const QStringList lines = plain.split(QStringLiteral("\r\n"));
        Q_UNUSED(lines);
    });
    report("4 KB plain message: render / split into lines", plainTime, splitTime);

    // The view: setMessage and the paint that follows, against a bare text
    // view showing the same visible text.
    marvik::reader::MessageView view;
    view.resize(800, 500);
    view.show();
    QPlainTextEdit bare;
    bare.setLineWrapMode(QPlainTextEdit::NoWrap);
    bare.setFont(QFont(QStringLiteral("DejaVu Sans Mono"), 10));
    bare.resize(800, 420);
    bare.show();
    QCoreApplication::processEvents();
    const auto viewTimes = [&](const char *what, const QString &text) {
        marvik::reader::DisplayedMessage message;
        message.lines = text.split(QStringLiteral("\r\n"));
        const QString visible = BodyRenderer::render(text, colour).texts().join(u'\n');
        const double ours = timeIt(Runs, [&] {
            view.setMessage(message);
            view.repaint();
        });
        const double floor = timeIt(Runs, [&] {
            bare.setPlainText(visible);
            bare.repaint();
        });
        report(what, ours, floor);
    };
    viewTimes("view: 64 KB of ANSI colour / bare text view", ansi);
    viewTimes("view: 64 KB of BBS colour codes / bare text view", codes);
    viewTimes("view: 4 KB plain message / bare text view", plain);
    return 0;
}
