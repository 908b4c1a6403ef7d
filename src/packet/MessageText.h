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
    // A character cut off at the end (a 25-byte field ends inside it) is
    // left out rather than spoiling the characters before it.
    static QString decodeField(QByteArrayView bytes, bool utf8);

    // What a text that its packet does not mark tells of its encoding. Two
    // of the modern packet writers send UTF-8 unmarked; CP437 art and
    // accented letters are never valid UTF-8 in practice, while UTF-8 with
    // one character of several bytes almost never passes for CP437.
    enum class Guess
    {
        Cp437, // bytes that cannot be UTF-8
        Utf8, // valid UTF-8 holding at least one character of several bytes
        Undecided // ASCII (and QWK line ends) only: either reads the same
    };

    // A text not marked as UTF-8: as UTF-8 when it guesses so, else CP437.
    static QString decodeUnmarked(QByteArrayView bytes, Guess *guess = nullptr);
    // A field of a message not marked as UTF-8: as its text was read, and
    // when the text told nothing, by what the field's own bytes tell.
    static QString decodeUnmarkedField(QByteArrayView bytes, Guess textGuess);
    static Guess guess(QByteArrayView bytes);

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
