#include "packet/QwkField.h"

#include "text/Cp437Codec.h"

#include <limits>

namespace marvik::packet {

QByteArrayView QwkField::trimmed(QByteArrayView bytes)
{
    qsizetype begin = 0;
    qsizetype end = bytes.size();
    while (begin < end && quint8(bytes[begin]) <= 32)
        ++begin;
    while (end > begin && quint8(bytes[end - 1]) <= 32)
        --end;
    return bytes.sliced(begin, end - begin);
}

QString QwkField::text(QByteArrayView bytes)
{
    return text::Cp437Codec::toUnicode(trimmed(bytes));
}

std::optional<int> QwkField::decimal(QByteArrayView bytes)
{
    const QByteArrayView digits = trimmed(bytes);
    qsizetype at = 0;
    bool negative = false;
    if (at < digits.size() && (digits[at] == '-' || digits[at] == '+')) {
        negative = digits[at] == '-';
        ++at;
    }
    if (at == digits.size())
        return std::nullopt;
    qint64 value = 0;
    for (; at < digits.size(); ++at) {
        const char c = digits[at];
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > qint64(std::numeric_limits<int>::max()) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int>::max() || value < std::numeric_limits<int>::min())
        return std::nullopt;
    return int(value);
}

std::optional<int> QwkField::decimalText(const QString &text)
{
    const QString t = trimmedText(text);
    for (QChar c : t) {
        if (c.unicode() > 0x7F)
            return std::nullopt;
    }
    return decimal(QByteArrayView(t.toLatin1()));
}

QString QwkField::trimmedText(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 32)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 32)
        --end;
    return text.sliced(begin, end - begin);
}

QString QwkField::quoted(const QString &text)
{
    constexpr qsizetype Shown = 60;
    if (text.size() <= Shown)
        return u'"' + text + u'"';
    return u'"' + text.left(Shown) + QStringLiteral("\"...");
}

} // namespace marvik::packet
