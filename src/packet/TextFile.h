#pragma once

#include <QByteArrayView>
#include <QString>

#include <functional>

namespace marvik::packet {

// Screens, bulletins and NEWFILES.DAT: stored line by line, each line as read
// (untrimmed, escape sequences and all) followed by CR LF.
class TextFile
{
public:
    // CR LF, LF or a lone CR ends a line; a last line without an end still
    // counts. `afterLine` runs after each line. The text is built in place,
    // with no list of lines in between, so a file of millions of empty lines
    // costs only its result.
    static QString decode(QByteArrayView bytes, const std::function<void()> &afterLine = {});
};

} // namespace marvik::packet
