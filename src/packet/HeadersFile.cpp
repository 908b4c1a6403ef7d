#include "packet/HeadersFile.h"

#include "packet/QwkField.h"

#include <QBuffer>

#include <algorithm>

namespace marvik::packet {

namespace {

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

bool isTrue(QByteArrayView value)
{
    const QByteArray v = QwkField::trimmed(value).toByteArray().toLower();
    return v == "true" || v == "yes" || v == "1";
}

} // namespace

HeadersFile::HeadersFile(QIODevice &device, const std::function<void()> &tick)
{
    parse(device, tick);
}

HeadersFile::HeadersFile(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    if (buffer.open(QIODevice::ReadOnly))
        parse(buffer, {});
}

void HeadersFile::parse(QIODevice &device, const std::function<void()> &tick)
{
    Section *current = nullptr;
    for (qint64 lines = 1; !device.atEnd(); ++lines) {
        if (tick && lines % 4096 == 0)
            tick();
        const QByteArray raw = device.readLine();
        if (raw.isEmpty())
            break;
        const QByteArrayView line = QwkField::trimmed(raw);
        if (line.isEmpty())
            continue;
        if (line.front() == '[' && line.back() == ']') {
            const std::optional<qint64> offset = hexOffset(line.sliced(1, line.size() - 2));
            // A section that names no offset is skipped with its lines.
            current = offset ? &m_sections[*offset] : nullptr;
            continue;
        }
        if (!current)
            continue;
        // "Key: value" mostly, but doors write the UTF-8 mark as
        // "Utf8 = true"; no key holds either sign, so the first one ends it.
        const qsizetype colon = line.indexOf(':');
        const qsizetype equals = line.indexOf('=');
        const qsizetype split = colon < 0 ? equals : equals < 0 ? colon : std::min(colon, equals);
        if (split <= 0)
            continue;
        const QByteArray key = QwkField::trimmed(line.first(split)).toByteArray().toLower();
        const QByteArray value = QwkField::trimmed(line.sliced(split + 1)).toByteArray();
        if (key == "to")
            current->to = value;
        else if (key == "from")
            current->from = value;
        else if (key == "sender" && !current->from)
            current->from = value;
        else if (key == "subject")
            current->subject = value;
        else if (key == "utf8")
            current->utf8 = isTrue(value);
    }
}

const HeadersFile::Section *HeadersFile::section(qint64 offset) const
{
    const auto it = m_sections.constFind(offset);
    return it == m_sections.constEnd() ? nullptr : &*it;
}

} // namespace marvik::packet
