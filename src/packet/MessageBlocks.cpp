#include "packet/MessageBlocks.h"

#include "text/Cp437Codec.h"

#include <array>

namespace marvik::packet {

namespace {

const std::array<char16_t, 256> &cp437Table()
{
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> t {};
        for (int b = 0; b < 256; ++b)
            t[b] = text::Cp437Codec::toUnicode(static_cast<unsigned char>(b)).unicode();
        return t;
    }();
    return table;
}

constexpr qint64 Block = MessageHeader::BlockSize;
constexpr qint64 ReadAheadBytes = 256 * 1024;

} // namespace

MessageBlocks::MessageBlocks(QIODevice &device)
    : m_device(device)
{
    m_size = device.size();
    m_blockCount = (m_size + Block - 1) / Block;
}

void MessageBlocks::setReadAhead(bool on)
{
    m_readAhead = on;
    m_ahead.clear();
    m_aheadStart = 0;
}

std::optional<MessageHeader> MessageBlocks::readHeader(qint64 block, QString *error)
{
    const auto failed = [&](const QString &why) -> std::optional<MessageHeader> {
        if (error)
            *error = QStringLiteral("block %1 of MESSAGES.DAT, at offset %2, %3")
                         .arg(block + 1)
                         .arg(block * Block)
                         .arg(why);
        return std::nullopt;
    };
    if (block < 1 || block >= m_blockCount)
        return failed(
            QStringLiteral("lies outside the file, which has %1 blocks").arg(m_blockCount));
    const qint64 offset = block * Block;
    QByteArrayView bytes;
    if (m_readAhead) {
        if (offset < m_aheadStart || offset + Block > m_aheadStart + m_ahead.size()) {
            m_ahead.resize(ReadAheadBytes);
            m_aheadStart = offset;
            const qint64 got
                = m_device.seek(offset) ? m_device.read(m_ahead.data(), ReadAheadBytes) : -1;
            m_ahead.resize(qMax<qint64>(0, got));
        }
        if (offset + Block > m_aheadStart + m_ahead.size())
            return failed(QStringLiteral("is cut short by the end of the file"));
        bytes = QByteArrayView(m_ahead).sliced(offset - m_aheadStart, Block);
    } else {
        if (!m_device.seek(offset))
            return failed(m_device.errorString());
        m_buffer.resize(Block);
        if (m_device.read(m_buffer.data(), Block) != Block)
            return failed(QStringLiteral("is cut short by the end of the file"));
        bytes = m_buffer;
    }
    QString why;
    std::optional<MessageHeader> header = MessageHeader::parse(bytes, &why);
    if (!header)
        return failed(why);
    // A count no file of this size could hold is text, not a header.
    if (header->blockCount > m_blockCount)
        return failed(QStringLiteral("claims %1 blocks, more than the whole file holds")
                          .arg(header->blockCount));
    return header;
}

QByteArray MessageBlocks::readTextBytes(
    qint64 headerBlock, const MessageHeader &header, bool *cut, bool *capped)
{
    const qint64 start = (headerBlock + 1) * Block;
    const qint64 wanted = qint64(header.blockCount - 1) * Block;
    const qint64 inFile = qMax<qint64>(0, qMin(wanted, m_size - start));
    const qint64 available = qMin(inFile, MaxTextBytes);
    if (cut)
        *cut = inFile < wanted;
    if (capped)
        *capped = available < inFile;
    if (available == 0 || !m_device.seek(start))
        return {};
    QByteArray bytes(available, Qt::Uninitialized);
    const qint64 got = m_device.read(bytes.data(), available);
    if (got < available && cut)
        *cut = true;
    qsizetype end = qMax<qint64>(0, got);
    while (end > 0 && (bytes[end - 1] == ' ' || bytes[end - 1] == '\0'))
        --end;
    bytes.truncate(end);
    return bytes;
}

QString MessageBlocks::readText(qint64 headerBlock, const MessageHeader &header, bool *cut)
{
    return decodeText(readTextBytes(headerBlock, header, cut));
}

QString MessageBlocks::decodeText(QByteArrayView bytes)
{
    qsizetype end = bytes.size();
    while (end > 0 && (bytes[end - 1] == ' ' || bytes[end - 1] == '\0'))
        --end;
    qsizetype lineEnds = 0;
    for (qsizetype i = 0; i < end; ++i) {
        if (quint8(bytes[i]) == 0xE3 || bytes[i] == '\n')
            ++lineEnds;
    }
    const std::array<char16_t, 256> &table = cp437Table();
    QString text(end + lineEnds, Qt::Uninitialized);
    char16_t *const begin = reinterpret_cast<char16_t *>(text.data());
    char16_t *out = begin;
    for (qsizetype i = 0; i < end; ++i) {
        const quint8 b = quint8(bytes[i]);
        if (b == 0xE3 || (b == '\n' && (i == 0 || bytes[i - 1] != '\r'))) {
            *out++ = u'\r';
            *out++ = u'\n';
        } else {
            *out++ = table[b];
        }
    }
    text.truncate(out - begin);
    return text;
}

} // namespace marvik::packet
