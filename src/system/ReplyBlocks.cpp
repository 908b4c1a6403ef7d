#include "system/ReplyBlocks.h"

#include "text/Cp437Codec.h"

#include <cstring>

namespace marvik::system {

namespace {

QByteArray numberField(qint64 value, int width)
{
    QByteArray bytes = QByteArray::number(value).left(width);
    bytes.append(width - bytes.size(), ' ');
    return bytes;
}

} // namespace

QByteArray ReplyBlocks::firstBlock(const QString &qwkId)
{
    return field(qwkId.toUpper(), BlockSize);
}

QByteArray ReplyBlocks::field(const QString &text, int width)
{
    QByteArray bytes = text::Cp437Codec::fromUnicode(text).left(width);
    bytes.append(width - bytes.size(), ' ');
    return bytes;
}

QByteArray ReplyBlocks::textBlocks(const QString &text)
{
    QByteArray bytes;
    appendTextBlocks(bytes, text);
    return bytes;
}

void ReplyBlocks::appendTextBlocks(QByteArray &out, const QString &text)
{
    if (text.isEmpty())
        return;
    // One pass over the text: CR LF becomes the line end byte, every other
    // character its CP437 byte. Packing thousands of replies spends its time
    // here.
    const qsizetype start = out.size();
    out.resize(start + text.size() + BlockSize);
    char *const first = out.data() + start;
    char *o = first;
    const QChar *in = text.constData();
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t u = in[i].unicode();
        if (u == u'\r' && i + 1 < size && in[i + 1] == u'\n') {
            *o++ = LineEnd;
            ++i;
        } else if (u < 0x80) {
            *o++ = char(u);
        } else if (QChar::isHighSurrogate(u) && i + 1 < size && in[i + 1].isLowSurrogate()) {
            *o++ = '?'; // one character outside CP437, not two
            ++i;
        } else {
            *o++ = text::Cp437Codec::fromUnicode(in[i]);
        }
    }
    // A text that does not end its last line still gets a line end.
    if (!text.endsWith(QStringLiteral("\r\n")))
        *o++ = LineEnd;
    // Blank-padded to whole blocks.
    qsizetype length = o - first;
    const qsizetype rest = length % BlockSize;
    if (rest != 0) {
        std::memset(o, ' ', size_t(BlockSize - rest));
        length += BlockSize - rest;
    }
    out.truncate(start + length);
}

QByteArray ReplyBlocks::headerBlock(const store::MessageRecord &reply, qsizetype textBytes)
{
    QByteArray block;
    block.reserve(BlockSize);
    block.append(field(reply.status.left(1), 1));
    block.append(numberField(reply.replyConferenceNumber, 7));
    block.append(field(reply.date, 8));
    block.append(field(reply.time, 5));
    block.append(field(reply.to, 25));
    block.append(field(reply.from, 25));
    block.append(field(reply.subject, 25));
    block.append(12, ' ');
    block.append(numberField(reply.referenceNumber, 8));
    block.append(numberField(textBytes / BlockSize + 1, 6));
    block.append(ActiveFlag);
    const quint16 conference = quint16(reply.replyConferenceNumber);
    block.append(char(conference % 256));
    block.append(char(conference / 256));
    block.append(3, ' ');
    return block;
}

QByteArray ReplyBlocks::messageBlocks(const store::MessageRecord &reply)
{
    QByteArray bytes;
    appendMessageBlocks(bytes, reply);
    return bytes;
}

void ReplyBlocks::appendMessageBlocks(QByteArray &out, const store::MessageRecord &reply)
{
    // The header counts the text's blocks, so it is filled in after them.
    const qsizetype headerAt = out.size();
    out.resize(headerAt + BlockSize);
    appendTextBlocks(out, reply.text);
    const QByteArray header = headerBlock(reply, out.size() - headerAt - BlockSize);
    std::memcpy(out.data() + headerAt, header.constData(), BlockSize);
}

} // namespace marvik::system
