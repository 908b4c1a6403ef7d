#include "packet/HeadersFile.h"

#include "packet/MessageHeader.h"
#include "packet/QwkField.h"

#include <QBuffer>

#include <algorithm>
#include <cstring>
#include <utility>

namespace marvik::packet {

namespace {

constexpr qint64 ChunkBytes = 1024 * 1024;
// No line of a real section comes near this; a longer one is skipped whole.
constexpr qint64 MaxLineBytes = 64 * 1024;

std::optional<qint64> hexOffset(QByteArrayView text)
{
    const QByteArrayView digits = QwkField::trimmed(text);
    if (digits.isEmpty() || digits.size() > 12)
        return std::nullopt;
    qint64 value = 0;
    for (const char c : digits) {
        int d = -1;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        if (d < 0)
            return std::nullopt;
        value = value * 16 + d;
    }
    return value;
}

bool is(QByteArrayView text, const char *word)
{
    return qstrnicmp(text.data(), text.size(), word, qsizetype(std::strlen(word))) == 0;
}

bool isTrue(QByteArrayView value)
{
    const QByteArrayView v = QwkField::trimmed(value);
    return is(v, "true") || is(v, "yes") || is(v, "1");
}

} // namespace

std::optional<qint64> HeadersFile::sectionOffset(QByteArrayView raw)
{
    const QByteArrayView line = QwkField::trimmed(raw);
    if (line.size() < 2 || line.front() != '[' || line.back() != ']')
        return std::nullopt;
    return hexOffset(line.sliced(1, line.size() - 2));
}

HeadersFile::HeadersFile(QIODevice &device, qint64 messagesSize, const std::function<void()> &tick)
{
    parse(device, messagesSize, tick);
}

HeadersFile::HeadersFile(const QByteArray &bytes, qint64 messagesSize)
{
    QBuffer buffer;
    buffer.setData(bytes);
    if (buffer.open(QIODevice::ReadOnly))
        parse(buffer, messagesSize, {});
}

void HeadersFile::parse(QIODevice &device, qint64 messagesSize, const std::function<void()> &tick)
{
    QByteArray buffer(qsizetype(ChunkBytes + MaxLineBytes), Qt::Uninitialized);
    qsizetype filled = 0;
    bool skipping = false; // in the rest of an over-long line
    qint64 lines = 0;
    for (;;) {
        const qint64 got = device.read(buffer.data() + filled, buffer.size() - filled);
        const bool atEnd = got <= 0;
        if (!atEnd)
            filled += qsizetype(got);
        qsizetype pos = 0;
        for (;;) {
            const char *start = buffer.constData() + pos;
            const void *newline = std::memchr(start, '\n', size_t(filled - pos));
            if (!newline)
                break;
            const qsizetype length = static_cast<const char *>(newline) - start;
            if (!skipping && length <= MaxLineBytes)
                parseLine(QByteArrayView(start, length), messagesSize);
            skipping = false;
            pos += length + 1;
            if (tick && ++lines % 4096 == 0)
                tick();
        }
        qsizetype rest = filled - pos;
        if (atEnd) {
            if (rest > 0 && !skipping && rest <= MaxLineBytes)
                parseLine(QByteArrayView(buffer.constData() + pos, rest), messagesSize);
            break;
        }
        if (rest > MaxLineBytes) {
            skipping = true;
            rest = 0;
        } else if (rest > 0) {
            std::memmove(buffer.data(), buffer.constData() + pos, size_t(rest));
        }
        filled = rest;
    }
    finishSection();

    // A section named twice keeps its last copy.
    std::stable_sort(m_entries.begin(), m_entries.end(),
        [](const Entry &a, const Entry &b) { return a.block < b.block; });
    auto out = m_entries.begin();
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (std::next(it) != m_entries.end() && std::next(it)->block == it->block)
            continue;
        *out++ = *it;
    }
    m_entries.erase(out, m_entries.end());
    m_entries.shrink_to_fit();
    m_values.squeeze();
}

void HeadersFile::parseLine(QByteArrayView raw, qint64 messagesSize)
{
    const QByteArrayView line = QwkField::trimmed(raw);
    if (line.isEmpty())
        return;
    if (line.front() == '[' && line.back() == ']') {
        finishSection();
        const std::optional<qint64> offset = hexOffset(line.sliced(1, line.size() - 2));
        // Only a header block can have a section: past the file's own first
        // block, on a block boundary, inside MESSAGES.DAT. Anything else is
        // skipped with its lines.
        m_inSection = offset && *offset >= MessageHeader::BlockSize
            && *offset % MessageHeader::BlockSize == 0 && *offset < messagesSize
            && *offset / MessageHeader::BlockSize <= std::numeric_limits<quint32>::max();
        if (m_inSection)
            m_block = quint32(*offset / MessageHeader::BlockSize);
        return;
    }
    if (!m_inSection)
        return;
    // "Key: value" mostly, but doors write the UTF-8 mark as
    // "Utf8 = true"; no key holds either sign, so the first one ends it.
    const qsizetype colon = line.indexOf(':');
    const qsizetype equals = line.indexOf('=');
    const qsizetype split = colon < 0 ? equals : equals < 0 ? colon : std::min(colon, equals);
    if (split <= 0)
        return;
    const QByteArrayView key = QwkField::trimmed(line.first(split));
    const QByteArrayView value = QwkField::trimmed(line.sliced(split + 1));
    if (is(key, "to"))
        take(To, value);
    else if (is(key, "from"))
        take(From, value);
    else if (is(key, "sender"))
        take(Sender, value);
    else if (is(key, "subject"))
        take(Subject, value);
    else if (is(key, "message-id"))
        take(MessageId, value);
    else if (is(key, "in-reply-to"))
        take(InReplyTo, value);
    else if (is(key, "utf8"))
        m_utf8 = isTrue(value);
}

void HeadersFile::take(Field field, QByteArrayView value)
{
    // The buffers are reused section after section: no allocation per line.
    QByteArray &pending = m_pending[field];
    pending.resize(0);
    pending.append(value.first(std::min(value.size(), MaxValueBytes)));
    m_has[field] = true;
}

void HeadersFile::finishSection()
{
    if (!m_inSection)
        return;
    m_inSection = false;
    Entry entry;
    entry.block = m_block;
    entry.at = quint32(m_values.size());
    entry.utf8 = std::exchange(m_utf8, false);
    qsizetype bytes = 0;
    bool any = entry.utf8;
    for (int field = 0; field < FieldCount; ++field) {
        any = any || m_has[field];
        if (m_has[field])
            bytes += m_pending[field].size();
    }
    if (!any)
        return;
    if (qsizetype(m_entries.size()) >= MaxSections
        || m_values.size() + bytes > MaxTotalValueBytes) {
        ++m_dropped;
        std::fill(std::begin(m_has), std::end(m_has), false);
        return;
    }
    for (int field = 0; field < FieldCount; ++field) {
        if (!std::exchange(m_has[field], false))
            continue;
        entry.length[field] = quint16(m_pending[field].size());
        m_values.append(m_pending[field]);
    }
    m_entries.push_back(entry);
}

std::optional<QByteArray> HeadersFile::valueOf(const Entry &entry, Field field) const
{
    if (entry.length[field] == Absent)
        return std::nullopt;
    qsizetype at = entry.at;
    for (int before = 0; before < field; ++before) {
        if (entry.length[before] != Absent)
            at += entry.length[before];
    }
    return m_values.mid(at, entry.length[field]);
}

std::optional<HeadersFile::Section> HeadersFile::section(qint64 offset) const
{
    if (offset < 0 || offset % MessageHeader::BlockSize != 0)
        return std::nullopt;
    const qint64 block = offset / MessageHeader::BlockSize;
    const auto it = std::lower_bound(m_entries.begin(), m_entries.end(), block,
        [](const Entry &entry, qint64 wanted) { return entry.block < wanted; });
    if (it == m_entries.end() || it->block != block)
        return std::nullopt;
    Section section;
    section.to = valueOf(*it, To);
    section.from = it->length[From] != Absent ? valueOf(*it, From) : valueOf(*it, Sender);
    section.subject = valueOf(*it, Subject);
    section.messageId = valueOf(*it, MessageId);
    section.inReplyTo = valueOf(*it, InReplyTo);
    section.utf8 = it->utf8;
    return section;
}

} // namespace marvik::packet
