#pragma once

#include <QString>
#include <QStringList>

namespace marvik::reader {

// Splitting a stored message text into the lines the reader shows and works
// with.
class MessageText
{
public:
    // One entry per line: CR LF, LF and a lone CR each end a line (the view
    // would break a line at any of them, so the lines must agree with it).
    // A final line end adds no empty line.
    static QStringList lines(const QString &text);
};

} // namespace marvik::reader
