// PrintLayout: folding at 80, 60 lines under each page heading, and a real
// printout to a PDF file through the printer sink.
#include "reader/LineSink.h"
#include "reader/PrintLayout.h"
#include "reader/PrinterLineSink.h"

#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace marvik::reader;

namespace {

// Records each printed line as "<page>|<b or space>|text".
class RecordingSink : public LineSink
{
public:
    QStringList lines;
    int page = 1;
    bool bold = false;

    void setBold(bool on) override { bold = on; }
    void printLine(const QString &line) override
    {
        lines.append(QStringLiteral("%1|%2|%3").arg(page).arg(bold ? 'b' : ' ').arg(line));
    }
    void newPage() override { ++page; }
    // Styled lines also record their runs as "[start+length:attribute]".
    void printStyledLine(const QString &line, const QList<marvik::screens::BodyRun> &runs) override
    {
        QString marks;
        for (const auto &run : runs)
            marks += QStringLiteral("[%1+%2:%3]")
                         .arg(run.start)
                         .arg(run.length)
                         .arg(run.attribute, 0, 16);
        printLine(line + marks);
    }

    // Text lines (not the heading) of page `p`.
    QStringList body(int p) const
    {
        QStringList result;
        for (const QString &line : lines) {
            if (line.startsWith(QString::number(p) + "| |"))
                result.append(line.section('|', 2));
        }
        return result;
    }
};

DisplayedMessage withLines(const QStringList &lines)
{
    DisplayedMessage m;
    m.conference = "General";
    m.lines = lines;
    return m;
}

QStringList numbered(int count)
{
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines.append(QString::number(i));
    return lines;
}

} // namespace

class tst_PrintLayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void folds_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<QList<int>>("pieces");

        QTest::newRow("empty") << 0 << QList<int> {0};
        QTest::newRow("80") << 80 << QList<int> {80};
        QTest::newRow("81") << 81 << QList<int> {80, 1};
        QTest::newRow("160") << 160 << QList<int> {80, 80};
        QTest::newRow("200") << 200 << QList<int> {80, 80, 40};
    }
    void folds()
    {
        QFETCH(int, length);
        QFETCH(QList<int>, pieces);
        RecordingSink sink;
        PrintLayout layout(sink);
        QString line;
        for (int i = 0; i < length; ++i)
            line += QChar('a' + i % 26);
        layout.printLine(line);
        const QStringList printed = sink.body(1);
        QCOMPARE(printed.size(), pieces.size());
        QString joined;
        for (int i = 0; i < pieces.size(); ++i) {
            QCOMPARE(printed.at(i).size(), pieces.at(i));
            joined += printed.at(i);
        }
        QCOMPARE(joined, line);
    }

    // A coloured line folds with its colours: each piece gets the runs that
    // cover it, counted from the piece's start.
    void foldsColours()
    {
        RecordingSink sink;
        PrintLayout layout(sink);
        DisplayedMessage m = withLines({QString(200, QLatin1Char('x')), QStringLiteral("plain")});
        m.runs = {{{0, 70, 0x0F}, {70, 20, 0x0C}, {90, 110, 0x07}}, {}};
        layout.printMessage(m);
        const QStringList body = sink.body(1).mid(5);
        QCOMPARE(body,
            QStringList({QString(80, 'x') + "[0+70:f][70+10:c]",
                QString(80, 'x') + "[0+10:c][10+70:7]", QString(40, 'x') + "[0+40:7]", "plain"}));
    }

    // A printout of a coloured message goes through the printer's own
    // styled lines.
    void printsColoursToPdf()
    {
        QTemporaryDir dir;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath("colour.pdf"));
        PrinterLineSink sink(printer);
        QVERIFY(sink.begin());
        PrintLayout layout(sink);
        DisplayedMessage m = withLines({QStringLiteral("bright and dim")});
        m.runs = {{{0, 6, 0x0F}, {6, 8, 0x07}}};
        layout.printMessage(m);
        QVERIFY2(sink.end(), qPrintable(sink.errorString()));
        QVERIFY(QFileInfo(dir.filePath("colour.pdf")).size() > 0);
    }

    void pages_data()
    {
        QTest::addColumn<int>("textLines");
        QTest::addColumn<int>("pages");
        QTest::addColumn<int>("lastPageLines");

        // Four header lines and an empty line come before the text.
        QTest::newRow("short") << 3 << 1 << 8;
        QTest::newRow("fills one page exactly") << 55 << 1 << 60;
        QTest::newRow("one more") << 56 << 2 << 1;
        QTest::newRow("two pages exactly") << 115 << 2 << 60;
    }
    void pages()
    {
        QFETCH(int, textLines);
        QFETCH(int, pages);
        QFETCH(int, lastPageLines);
        RecordingSink sink;
        PrintLayout layout(sink);
        layout.printMessage(withLines(numbered(textLines)));
        QCOMPARE(layout.pages(), pages);
        QCOMPARE(sink.page, pages);
        for (int p = 1; p <= pages; ++p) {
            const QString heading
                = QStringLiteral("%1|b|Message Printed By Marvik 1.0 -- Page %1").arg(p);
            QCOMPARE(sink.lines.count(heading), 1);
            QVERIFY(sink.body(p).size() <= PrintLayout::LinesPerPage);
        }
        QCOMPARE(sink.body(pages).size(), lastPageLines);
        QVERIFY(sink.lines.first().startsWith("1|b|"));
        QVERIFY(sink.body(1).first().startsWith("Conference: General"));
        QCOMPARE(sink.body(pages).last(), QString::number(textLines));
    }

    void printsToPdf()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("message.pdf");
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        PrinterLineSink sink(printer);
        QVERIFY(sink.begin());
        PrintLayout layout(sink);
        layout.printMessage(withLines(numbered(130)));
        QVERIFY2(sink.end(), qPrintable(sink.errorString()));

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray pdf = file.readAll();
        QVERIFY(pdf.startsWith("%PDF"));
        const auto pageObjects
            = QString::fromLatin1(pdf).count(QRegularExpression("/Type\\s*/Page[^s]"));
        QCOMPARE(pageObjects, 3);
    }
};

QTEST_MAIN(tst_PrintLayout)
#include "tst_printlayout.moc"
