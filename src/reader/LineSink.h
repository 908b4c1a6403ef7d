#pragma once

#include "screens/BodyText.h"

#include <QList>
#include <QString>

namespace marvik::reader {

// Where a printout's lines go: a printer page in the program, a recording
// list in tests.
class LineSink
{
public:
    virtual ~LineSink() = default;
    virtual void setBold(bool bold) = 0;
    virtual void printLine(const QString &line) = 0;
    // A line with the message's colours; a sink that cannot draw them
    // prints the text.
    virtual void printStyledLine(const QString &line, const QList<screens::BodyRun> &runs)
    {
        Q_UNUSED(runs);
        printLine(line);
    }
    virtual void newPage() = 0;
};

} // namespace marvik::reader
