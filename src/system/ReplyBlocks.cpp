#include "system/ReplyBlocks.h"

#include "text/Cp437Codec.h"

#include <QList>

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
    const QString crlf = QStringLiteral("\r\n");
    QStringView rest(text);
    if (rest.endsWith(crlf))
        rest.chop(2);
    QByteArray bytes;
    bytes.reserve(text.size() + BlockSize);
    for (QStringView line : rest.split(crlf)) {
        bytes.append(text::Cp437Codec::fromUnicode(line));
        bytes.append(LineEnd);
    }
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
