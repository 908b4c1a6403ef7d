#pragma once

#include "store/Records.h"

#include <QByteArray>
#include <QString>

namespace marvik::system {

// The reply packet's message file in 128-byte blocks: a first block naming
// the system, then for each reply a header block and its text blocks. Text
// leaves the program here, so this is where it becomes CP437 (a character
// CP437 lacks becomes "?") and where fields are cut to their byte widths.
class ReplyBlocks
{
public:
    static constexpr int BlockSize = 128;
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
    static QByteArray headerBlock(const store::MessageRecord &reply, qsizetype textBytes);

    // Header and text blocks of one reply.
    static QByteArray messageBlocks(const store::MessageRecord &reply);
    // The same, added to the end of `out`: packing thousands of replies
    // builds them in place instead of copying each one twice.
    static void appendMessageBlocks(QByteArray &out, const store::MessageRecord &reply);

    // A field of `width` bytes: the text in CP437, cut to the width and
    // padded with blanks.
    static QByteArray field(const QString &text, int width);
};

} // namespace marvik::system
