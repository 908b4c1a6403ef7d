#include "system/ReplyBlocks.h"

#include "text/Cp437Codec.h"

namespace marvik::system {

namespace {

void padToBlocks(QByteArray &bytes)
{
    const qsizetype rest = bytes.size() % ReplyBlocks::BlockSize;
    if (rest != 0)
        bytes.append(ReplyBlocks::BlockSize - rest, ' ');
}

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
    if (text.isEmpty())
        return QByteArray();
    // One pass over the text: CR LF becomes the line end byte, every other
    // character its CP437 byte. Packing thousands of replies spends its time
    // here.
    QByteArray bytes(text.size() + BlockSize, Qt::Uninitialized);
    char *out = bytes.data();
    const QChar *in = text.constData();
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t u = in[i].unicode();
        if (u == u'\r' && i + 1 < size && in[i + 1] == u'\n') {
            *out++ = LineEnd;
            ++i;
        } else if (u < 0x80) {
            *out++ = char(u);
        } else if (QChar::isHighSurrogate(u) && i + 1 < size && in[i + 1].isLowSurrogate()) {
            *out++ = '?'; // one character outside CP437, not two
            ++i;
        } else {
            *out++ = text::Cp437Codec::fromUnicode(in[i]);
        }
    }
    // A text that does not end its last line still gets a line end.
    if (!text.endsWith(QStringLiteral("\r\n")))
        *out++ = LineEnd;
    bytes.truncate(out - bytes.constData());
    padToBlocks(bytes);
    return bytes;
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
    const QByteArray text = textBlocks(reply.text);
    return headerBlock(reply, text.size()) + text;
}

} // namespace marvik::system
