#include "packet/ReplyBlocks.h"

#include "text/Cp437Codec.h"

#include <cstring>

namespace marvik::packet {

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

QByteArray ReplyBlocks::headerBlock(const ReplyMessage &reply, qsizetype textBytes)
{
    QByteArray block;
    block.reserve(BlockSize);
    block.append(field(reply.status.left(1), 1));
    block.append(numberField(reply.conference, 7));
    block.append(field(reply.date, 8));
    block.append(field(reply.time, 5));
    block.append(field(reply.to, FieldWidth));
    block.append(field(reply.from, FieldWidth));
    block.append(field(reply.subject, FieldWidth));
    block.append(12, ' ');
    block.append(numberField(reply.referenceNumber, 8));
    block.append(numberField(textBytes / BlockSize + 1, 6));
    block.append(ActiveFlag);
    const quint16 conference = quint16(reply.conference);
    block.append(char(conference % 256));
    block.append(char(conference / 256));
    block.append(3, ' ');
    return block;
}

bool ReplyBlocks::exceeds(const QString &text, int width)
{
    // Every character is one CP437 byte, a pair of surrogates too ("?").
    if (text.size() <= width)
        return false;
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        if (++bytes > width)
            return true;
    }
    return false;
}

QString ReplyBlocks::longFieldLines(const ReplyMessage &reply)
{
    QString lines;
    const std::pair<QLatin1String, const QString *> fields[] = {{QLatin1String("To: "), &reply.to},
        {QLatin1String("From: "), &reply.from}, {QLatin1String("Subject: "), &reply.subject}};
    for (const auto &[key, value] : fields) {
        if (exceeds(*value, FieldWidth))
            lines += key + *value + QLatin1String("\r\n");
    }
    if (!lines.isEmpty())
        lines += QLatin1String("\r\n");
    return lines;
}

QByteArray ReplyBlocks::messageBlocks(const ReplyMessage &reply, bool longFieldLines)
{
    QByteArray bytes;
    appendMessageBlocks(bytes, reply, longFieldLines);
    return bytes;
}

void ReplyBlocks::appendMessageBlocks(
    QByteArray &out, const ReplyMessage &reply, bool withLongFieldLines)
{
    // The header counts the text's blocks, so it is filled in after them.
    const qsizetype headerAt = out.size();
    out.resize(headerAt + BlockSize);
    const QString lines = withLongFieldLines ? longFieldLines(reply) : QString();
    appendTextBlocks(out, lines.isEmpty() ? reply.text : lines + reply.text);
    const QByteArray header = headerBlock(reply, out.size() - headerAt - BlockSize);
    std::memcpy(out.data() + headerAt, header.constData(), BlockSize);
}

} // namespace marvik::packet
