#pragma once

#include "reader/DisplayedMessage.h"

#include <QString>

namespace marvik::reader {

class LineSink;

// The page layout of a printed message: a bold heading with the page number
// on every page, at most 60 lines below it, lines folded at 80 characters.
// The header lines, an empty line and the text follow each other.
class PrintLayout
{
public:
    static constexpr int Width = 80;
    static constexpr int LinesPerPage = 60;

    explicit PrintLayout(LineSink &sink);

    void printMessage(const DisplayedMessage &message);
    // One text line, folded into pieces of at most Width characters; its
    // colours, when given, fold with it.
    void printLine(const QString &line, const QList<screens::BodyRun> &runs = {});

    // Pages begun so far.
    int pages() const { return m_page - 1; }

private:
    void printPiece(const QString &piece, const QList<screens::BodyRun> &runs);
    void pageHeader();

    LineSink &m_sink;
    int m_page = 1; // the number the next heading carries
    int m_lines = 0;
};

} // namespace marvik::reader
