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
    for (const QString &line : message.lines)
        printLine(line);
}

void PrintLayout::printLine(const QString &line)
{
    QString rest = line;
    while (rest.size() > Width) {
        printPiece(rest.left(Width));
        rest = rest.mid(Width);
    }
    printPiece(rest);
}

void PrintLayout::printPiece(const QString &piece)
{
    // A page is begun when it gets its first line, so a text that fills a
    // page exactly leaves no page holding only the heading.
    if (m_page == 1 || m_lines == LinesPerPage)
        pageHeader();
    m_sink.printLine(piece);
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
