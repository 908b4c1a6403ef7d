#include "packet/MessageText.h"

#include "packet/MessageBlocks.h"
#include "packet/QwkField.h"

namespace marvik::packet {

namespace {

bool isContinuation(quint8 b)
{
    return (b & 0xC0) == 0x80;
}

} // namespace

std::optional<QString> MessageText::decodeUtf8(QByteArrayView bytes)
{
    const qsizetype size = bytes.size();
    QString text;
    text.reserve(size + size / 8);
    const auto at = [&](qsizetype i) { return i < size ? quint8(bytes[i]) : quint8(0); };
    for (qsizetype i = 0; i < size;) {
        const quint8 b = at(i);
        if (b < 0x80) {
            if (b == '\n' && (i == 0 || bytes[i - 1] != '\r'))
                text += QLatin1String("\r\n");
            else
                text += QChar(b);
            ++i;
            continue;
        }
        char32_t code = 0;
        int length = 0;
        if (b >= 0xC2 && b <= 0xDF) {
            length = 2;
            code = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            length = 3;
            code = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4;
            code = b & 0x07;
        }
        bool valid = length > 0 && i + length <= size;
        for (int k = 1; valid && k < length; ++k) {
            valid = isContinuation(at(i + k));
            code = (code << 6) | (at(i + k) & 0x3F);
        }
        // Overlong forms, surrogates and code points past U+10FFFF are not UTF-8.
        if (valid
            && ((length == 3 && code < 0x800) || (length == 4 && code < 0x10000)
                || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF))
            valid = false;
        if (valid) {
            text += QString::fromUcs4(&code, 1);
            i += length;
            continue;
        }
        // The QWK line end, where it cannot start a character.
        if (b == 0xE3) {
            text += QLatin1String("\r\n");
            ++i;
            continue;
        }
        return std::nullopt;
    }
    return text;
}

QString MessageText::decode(QByteArrayView bytes, bool utf8, bool *fellBack)
{
    if (fellBack)
        *fellBack = false;
    if (utf8) {
        if (std::optional<QString> text = decodeUtf8(bytes))
            return *text;
        if (fellBack)
            *fellBack = true;
    }
    return MessageBlocks::decodeText(bytes);
}

QString MessageText::decodeField(QByteArrayView bytes, bool utf8)
{
    const QByteArrayView trimmed = QwkField::trimmed(bytes);
    if (utf8) {
        bool ascii = true;
        for (const char c : trimmed)
            ascii = ascii && quint8(c) < 0x80;
        if (!ascii) {
            const QString text = QString::fromUtf8(trimmed);
            // A round trip tells valid UTF-8 from bytes that only look like it.
            if (!text.contains(QChar::ReplacementCharacter) && text.toUtf8() == trimmed)
                return text;
        }
    }
    return QwkField::text(trimmed);
}

void MessageText::takeHeaderLines(QString &text, Fields &fields)
{
    struct Key
    {
        QLatin1String name;
        QString *value;
    };
    const Key keys[] = {{QLatin1String("To:"), &fields.to}, {QLatin1String("From:"), &fields.from},
        {QLatin1String("Subject:"), &fields.subject}};
    qsizetype pos = 0;
    while (pos < text.size()) {
        qsizetype end = text.indexOf(QLatin1String("\r\n"), pos);
        const qsizetype next = end < 0 ? text.size() : end + 2;
        if (end < 0)
            end = text.size();
        const QStringView line = QStringView(text).sliced(pos, end - pos);
        bool taken = false;
        for (const Key &key : keys) {
            if (!line.startsWith(key.name, Qt::CaseInsensitive))
                continue;
            const QString value = QwkField::trimmedText(line.sliced(key.name.size()).toString());
            if (!value.isEmpty() && value.startsWith(*key.value, Qt::CaseInsensitive)) {
                *key.value = value;
                taken = true;
            }
            break;
        }
        if (!taken)
            break;
        pos = next;
    }
    if (pos > 0)
        text.remove(0, pos);
}

} // namespace marvik::packet
