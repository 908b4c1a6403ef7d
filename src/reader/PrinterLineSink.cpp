#include "reader/PrinterLineSink.h"

#include <QFontMetrics>
#include <QPrinter>

namespace marvik::reader {

PrinterLineSink::PrinterLineSink(QPrinter &printer)
    : m_printer(printer)
    , m_font(QStringLiteral("Courier"), 10)
{
    m_font.setStyleHint(QFont::TypeWriter);
    m_font.setFixedPitch(true);
}

PrinterLineSink::~PrinterLineSink()
{
    if (m_painter.isActive())
        m_painter.end();
}

bool PrinterLineSink::begin()
{
    if (!m_painter.begin(&m_printer)) {
        m_error = QStringLiteral("The printer could not be started.");
        return false;
    }
    m_ok = true;
    m_error.clear();
    m_painter.setPen(Qt::black);
    setBold(false);
    m_pageHeight = m_painter.viewport().height();
    m_y = 0;
    return true;
}

bool PrinterLineSink::end()
{
    if (m_painter.isActive() && !m_painter.end())
        fail(QStringLiteral("The print job could not be finished."));
    return m_ok;
}

void PrinterLineSink::fail(const QString &error)
{
    if (m_ok)
        m_error = error;
    m_ok = false;
}

void PrinterLineSink::setBold(bool bold)
{
    if (!m_painter.isActive())
        return;
    m_bold = bold;
    m_font.setBold(bold);
    m_painter.setFont(m_font);
    const QFontMetrics metrics(m_font, &m_printer);
    m_lineHeight = metrics.lineSpacing();
    m_ascent = metrics.ascent();
}

void PrinterLineSink::printLine(const QString &line)
{
    if (!m_painter.isActive())
        return;
    if (m_y > 0 && m_y + m_lineHeight > m_pageHeight)
        newPage();
    m_painter.drawText(0, m_y + m_ascent, line);
    m_y += m_lineHeight;
}

void PrinterLineSink::printStyledLine(const QString &line, const QList<screens::BodyRun> &runs)
{
    if (!m_painter.isActive())
        return;
    if (m_y > 0 && m_y + m_lineHeight > m_pageHeight)
        newPage();
    // Courier is fixed-pitch in both weights, so a run starts at its column.
    const bool wasBold = m_bold;
    const int advance = QFontMetrics(m_font, &m_printer).horizontalAdvance(QLatin1Char('M'));
    qsizetype done = 0;
    const auto draw = [&](qsizetype start, qsizetype length, bool bold) {
        if (length <= 0)
            return;
        QFont font = m_font;
        font.setBold(bold);
        m_painter.setFont(font);
        m_painter.drawText(int(start) * advance, m_y + m_ascent, line.mid(start, length));
    };
    for (const screens::BodyRun &run : runs) {
        draw(done, run.start - done, wasBold);
        draw(run.start, run.length, wasBold || run.bold());
        done = run.start + run.length;
    }
    draw(done, line.size() - done, wasBold);
    m_painter.setFont(m_font);
    m_y += m_lineHeight;
}

void PrinterLineSink::newPage()
{
    if (!m_painter.isActive())
        return;
    if (!m_printer.newPage())
        fail(QStringLiteral("The printer could not start a new page."));
    m_y = 0;
}

} // namespace marvik::reader
