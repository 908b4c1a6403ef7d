#pragma once

#include <QByteArrayList>
#include <QByteArrayView>

namespace marvik::packet {

// Splits packet text files into lines the way DOS programs read them: CR LF,
// LF or a lone CR ends a line, and a last line without an end still counts.
class TextLines
{
public:
    static QByteArrayList split(QByteArrayView bytes);
};

} // namespace marvik::packet
