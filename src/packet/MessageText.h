#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>

namespace marvik::packet {

// What QWKE doors add around the plain message text: texts and fields marked
// as UTF-8, and the "To:", "From:" and "Subject:" lines at the top of a text
// that carry names and subjects longer than the header's 25 characters.
class MessageText
{
public:
    // Text bytes (padding already dropped) to text. As UTF-8 when `utf8` is
    // set and the bytes are valid UTF-8, else as CP437 byte for byte
    // (`fellBack` set when UTF-8 was asked for but the bytes are not). Either
    // way 0xE3 and a LF without its CR end a line as CR LF; in UTF-8, 0xE3 is
    // a line end only where it does not start a character.
    static QString decode(QByteArrayView bytes, bool utf8, bool *fellBack = nullptr);

    // A field (To, From, Subject) as UTF-8 when asked and valid, else CP437.
    static QString decodeField(QByteArrayView bytes, bool utf8);

    // Valid UTF-8 with the line ends above turned into CR LF; no value when
    // the bytes are not UTF-8.
    static std::optional<QString> decodeUtf8(QByteArrayView bytes);

    // The whole To, From and Subject. Each starts as the header's field.
    struct Fields
    {
        QString to;
        QString from;
        QString subject;
    };

    // Takes the "To:", "From:" and "Subject:" lines at the top of `text` whose
    // value begins with the header's own field (any letter case), puts their
    // values in `fields` and removes them from the text. The first line that
    // is not such a line ends the search and stays.
    static void takeHeaderLines(QString &text, Fields &fields);
};

} // namespace marvik::packet
