#pragma once

#include <QByteArrayView>
#include <QString>

namespace marvik::state {

// Text files the user keeps beside the program (settings, taglines) are
// UTF-8; older ones written on a DOS or Windows machine are CP437.
class LocalText
{
public:
    // UTF-8 (a byte-order mark is dropped), or CP437 when the bytes are not
    // valid UTF-8.
    static QString decode(QByteArrayView bytes);
    // Lines without their CR LF or LF ends; no empty entry after a final end.
    static QStringList lines(const QString &text);
};

} // namespace marvik::state
