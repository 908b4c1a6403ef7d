#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace marvik::text {

// Packets, reply packets and screens are single-byte CP437; the store holds
// Unicode. This table converts at the packet boundary and is lossless: bytes
// 0x00-0x7F stay as they are (control bytes and ESC included), 0x80-0xFF map
// to their CP437 characters, and every byte comes back unchanged on export.
class Cp437Codec
{
public:
    static QString toUnicode(QByteArrayView bytes);
    static QChar toUnicode(unsigned char byte);
    // The character a PC draws for a byte: control bytes get their picture
    // characters (1 is a smiling face, 27 an arrow), not nothing.
    static QChar glyph(unsigned char byte);

    // A character CP437 lacks becomes '?'. When `lossless` is given it is set
    // to false if that happened.
    static QByteArray fromUnicode(QStringView text, bool *lossless = nullptr);
    static char fromUnicode(QChar ch, bool *found = nullptr);

    // Number of CP437 bytes the text takes (one per UTF-16 unit outside
    // surrogate pairs): packet field widths count these.
    static qsizetype byteLength(QStringView text);
};

} // namespace marvik::text
