#pragma once

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
    virtual void newPage() = 0;
};

} // namespace marvik::reader
