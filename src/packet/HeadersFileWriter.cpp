#include "packet/HeadersFileWriter.h"

#include "packet/HeadersFile.h"
#include "packet/MessageHeader.h"
#include "packet/QwkField.h"
#include "packet/ReplyBlocks.h"
#include "text/Cp437Codec.h"

namespace marvik::packet {

QByteArray HeadersFileWriter::value(const QString &text)
{
    QByteArray bytes = text::Cp437Codec::fromUnicode(text);
    // A line break inside a value would end it, and start a line of its own.
    for (char &c : bytes) {
        if (uchar(c) < 0x20 || c == 0x7F)
            c = ' ';
    }
    return QwkField::trimmed(bytes).toByteArray();
}

void HeadersFileWriter::keep(QByteArrayView existing, qint64 messageBytes)
{
    bool keeping = false;
    qsizetype pos = 0;
    while (pos < existing.size()) {
        qsizetype end = existing.indexOf('\n', pos);
        if (end < 0)
            end = existing.size();
        QByteArrayView line = existing.sliced(pos, end - pos);
        pos = end + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        if (const std::optional<qint64> offset = HeadersFile::sectionOffset(line)) {
            keeping = *offset >= MessageHeader::BlockSize && *offset % MessageHeader::BlockSize == 0
                && *offset < messageBytes;
        } else if (QwkField::trimmed(line).isEmpty()) {
            continue;
        }
        if (keeping) {
            m_bytes += line;
            m_bytes += "\r\n";
        }
    }
}

void HeadersFileWriter::add(
    qint64 headerOffset, const ReplyMessage &reply, const QString &inReplyTo)
{
    m_bytes += '[' + QByteArray::number(headerOffset, 16) + "]\r\n";
    const auto line = [this](const char *key, const QString &text) {
        const QByteArray bytes = value(text);
        if (bytes.isEmpty())
            return;
        m_bytes += key;
        m_bytes += ": ";
        m_bytes += bytes;
        m_bytes += "\r\n";
    };
    line("Subject", reply.subject);
    line("To", reply.to);
    line("Sender", reply.from);
    line("In-Reply-To", inReplyTo);
}

} // namespace marvik::packet
