#include "reader/PrintLayout.h"

#include "reader/LineSink.h"
#include "reader/MessageHeaderLines.h"

namespace marvik::reader {

PrintLayout::PrintLayout(LineSink &sink)
    : m_sink(sink)
{ }

void PrintLayout::printMessage(const DisplayedMessage &message)
{
    for (const QString &line : MessageHeaderLines::of(message))
        printLine(line);
    printLine(QString());
    for (qsizetype i = 0; i < message.lines.size(); ++i)
        printLine(message.lines.at(i), message.runs.value(i));
}

void PrintLayout::printLine(const QString &line, const QList<screens::BodyRun> &runs)
{
    qsizetype offset = 0;
    do {
        const qsizetype length = qMin<qsizetype>(Width, line.size() - offset);
        // The runs of this piece, cut to it and counted from its start.
        QList<screens::BodyRun> pieceRuns;
        for (const screens::BodyRun &run : runs) {
            const qsizetype start = qMax(run.start, offset);
            const qsizetype end = qMin(run.start + run.length, offset + length);
            if (start < end)
                pieceRuns.append(screens::BodyRun {start - offset, end - start, run.attribute});
        }
        printPiece(line.sliced(offset, length), pieceRuns);
        offset += length;
    } while (offset < line.size());
}

void PrintLayout::printPiece(const QString &piece, const QList<screens::BodyRun> &runs)
{
    // A page is begun when it gets its first line, so a text that fills a
    // page exactly leaves no page holding only the heading.
    if (m_page == 1 || m_lines == LinesPerPage)
        pageHeader();
    if (runs.isEmpty())
        m_sink.printLine(piece);
    else
        m_sink.printStyledLine(piece, runs);
    ++m_lines;
}

void PrintLayout::pageHeader()
{
    if (m_page != 1)
        m_sink.newPage();
    m_sink.setBold(true);
    m_sink.printLine(QString());
    m_sink.printLine(QStringLiteral("Message Printed By Marvik 1.0 -- Page %1").arg(m_page));
    m_sink.printLine(QString());
    m_sink.setBold(false);
    ++m_page;
    m_lines = 0;
}

} // namespace marvik::reader
