#pragma once

#include "reader/LineSink.h"

#include <QFont>
#include <QPainter>
#include <QString>

class QPrinter;

namespace marvik::reader {

// Draws a printout's lines on a printer in Courier 10, top to bottom. A page
// that is shorter than the layout's page still never loses a line: the sink
// moves on to a new sheet by itself.
class PrinterLineSink : public LineSink
{
public:
    explicit PrinterLineSink(QPrinter &printer);
    ~PrinterLineSink() override;

    // Starts the job; false (with errorString()) when the printer cannot be used.
    bool begin();
    // Ends the job; false when it failed along the way.
    bool end();
    QString errorString() const { return m_error; }

    void setBold(bool bold) override;
    void printLine(const QString &line) override;
    // Paper is white and the ink black: bright text, which a BBS calls
    // bold, is printed bold.
    void printStyledLine(const QString &line, const QList<screens::BodyRun> &runs) override;
    void newPage() override;

private:
    void fail(const QString &error);

    QPrinter &m_printer;
    QPainter m_painter;
    QFont m_font;
    int m_y = 0;
    int m_lineHeight = 0;
    int m_ascent = 0;
    bool m_bold = false;
    int m_pageHeight = 0;
    bool m_ok = false;
    QString m_error;
};

} // namespace marvik::reader
