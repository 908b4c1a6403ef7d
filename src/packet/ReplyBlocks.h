#pragma once

#include "packet/MessageHeader.h"

#include <QByteArray>
#include <QString>

namespace marvik::packet {

// A reply as the packet carries it, in the program's text.
struct ReplyMessage
{
    QString status;
    int conference = 0; // the conference it is posted in
    QString date;
    QString time;
    QString to;
    QString from;
    QString subject;
    int referenceNumber = 0; // the message it answers, 0 for none
    QString text; // lines ended by CR LF
};

// The reply packet's message file in 128-byte blocks: a first block naming
// the system, then for each reply a header block and its text blocks. Text
// leaves the program here, so this is where it becomes CP437 (a character
// CP437 lacks becomes "?") and where fields are cut to their byte widths.
class ReplyBlocks
{
public:
    static constexpr int BlockSize = MessageHeader::BlockSize;
    // The width of the To, From and Subject fields, in CP437 bytes.
    static constexpr int FieldWidth = 25;
    // Byte 122 of a reply's header: marks a message written for upload.
    static constexpr char ActiveFlag = char(0xFF);
    static constexpr char LineEnd = char(0xE3);

    // The system's id in upper case, blank-padded to one block.
    static QByteArray firstBlock(const QString &qwkId);

    // The text as it goes into the text blocks: every line followed by 0xE3
    // (a final CR LF ends the last line rather than adding an empty one),
    // blank-padded to whole blocks; an empty text has no blocks.
    static QByteArray textBlocks(const QString &text);
    // The same, added to the end of `out`.
    static void appendTextBlocks(QByteArray &out, const QString &text);

    // The header block for a reply whose text takes `textBytes` bytes.
    static QByteArray headerBlock(const ReplyMessage &reply, qsizetype textBytes);

    // Header and text blocks of one reply. With `longFieldLines`, a To,
    // From or Subject too long for its field also goes whole as a "To:",
    // "From:" or "Subject:" line at the top of the text, the lines followed
    // by a blank one, as doors that read QWKE take them.
    static QByteArray messageBlocks(const ReplyMessage &reply, bool longFieldLines = false);
    // The same, added to the end of `out`: packing thousands of replies
    // builds them in place instead of copying each one twice.
    static void appendMessageBlocks(
        QByteArray &out, const ReplyMessage &reply, bool longFieldLines = false);

    // The lines above, or an empty text when every field fits.
    static QString longFieldLines(const ReplyMessage &reply);
    // Whether the text's CP437 bytes overflow a field of `width`.
    static bool exceeds(const QString &text, int width);

    // A field of `width` bytes: the text in CP437, cut to the width and
    // padded with blanks.
    static QByteArray field(const QString &text, int width);
};

} // namespace marvik::packet
