#include "packet/MessageText.h"

#include "packet/MessageBlocks.h"
#include "packet/QwkField.h"

namespace marvik::packet {

namespace {

bool isContinuation(quint8 b)
{
    return (b & 0xC0) == 0x80;
}

constexpr quint8 LineEnd = 0xE3;

// The length of the lead byte's sequence and its first bits; 0 when the byte
// cannot start a character.
int sequenceLength(quint8 b, char32_t *code)
{
    if (b >= 0xC2 && b <= 0xDF) {
        *code = b & 0x1F;
        return 2;
    }
    if (b >= 0xE0 && b <= 0xEF) {
        *code = b & 0x0F;
        return 3;
    }
    if (b >= 0xF0 && b <= 0xF4) {
        *code = b & 0x07;
        return 4;
    }
    return 0;
}

// The length of the whole character at `i` (a byte of 0x80 or above), 0 when
// none starts there. `cut` is set when the bytes end partway through one.
int characterAt(QByteArrayView bytes, qsizetype i, char32_t *code, bool *cut = nullptr)
{
    const qsizetype size = bytes.size();
    const int length = sequenceLength(quint8(bytes[i]), code);
    if (length == 0)
        return 0;
    for (int k = 1; k < length; ++k) {
        if (i + k >= size) {
            if (cut)
                *cut = true;
            return 0;
        }
        const auto b = quint8(bytes[i + k]);
        if (!isContinuation(b))
            return 0;
        *code = (*code << 6) | (b & 0x3F);
    }
    // Overlong forms, surrogates and code points past U+10FFFF are not UTF-8.
    if ((length == 3 && *code < 0x800) || (length == 4 && *code < 0x10000)
        || (*code >= 0xD800 && *code <= 0xDFFF) || *code > 0x10FFFF)
        return 0;
    return length;
}

struct Scan
{
    bool valid = true;
    bool multiByte = false;
    qsizetype end = 0; // where the whole characters end
};

// Reads the bytes as UTF-8 without building a text. In a message text a
// 0xE3 that starts no character is the QWK line end; in a field, with
// `mayBeCut`, a character that the field's end cuts short ends the scan.
Scan scan(QByteArrayView bytes, bool lineEnds, bool mayBeCut)
{
    Scan result;
    const qsizetype size = bytes.size();
    qsizetype i = 0;
    while (i < size) {
        const auto b = quint8(bytes[i]);
        if (b < 0x80) {
            ++i;
            continue;
        }
        char32_t code = 0;
        bool cut = false;
        const int length = characterAt(bytes, i, &code, &cut);
        if (length > 0) {
            result.multiByte = true;
            i += length;
            continue;
        }
        if (lineEnds && b == LineEnd) {
            ++i;
            continue;
        }
        if (cut && mayBeCut)
            break;
        result.valid = false;
        break;
    }
    result.end = i;
    return result;
}

bool isAscii(QByteArrayView bytes)
{
    // Or-ing every byte lets the compiler go wide; most texts are ASCII.
    unsigned char any = 0;
    for (const char c : bytes)
        any |= static_cast<unsigned char>(c);
    return any < 0x80;
}

} // namespace

std::optional<QString> MessageText::decodeUtf8(QByteArrayView bytes)
{
    const qsizetype size = bytes.size();
    QString text;
    text.reserve(size + size / 8);
    for (qsizetype i = 0; i < size;) {
        const auto b = quint8(bytes[i]);
        if (b < 0x80) {
            if (b == '\n' && (i == 0 || bytes[i - 1] != '\r'))
                text += QLatin1String("\r\n");
            else
                text += QChar(b);
            ++i;
            continue;
        }
        char32_t code = 0;
        const int length = characterAt(bytes, i, &code);
        if (length > 0) {
            text += QString::fromUcs4(&code, 1);
            i += length;
            continue;
        }
        // The QWK line end, where it cannot start a character.
        if (b == LineEnd) {
            text += QLatin1String("\r\n");
            ++i;
            continue;
        }
        return std::nullopt;
    }
    return text;
}

MessageText::Guess MessageText::guess(QByteArrayView bytes)
{
    if (isAscii(bytes))
        return Guess::Undecided;
    const Scan result = scan(bytes, true, false);
    if (!result.valid)
        return Guess::Cp437;
    return result.multiByte ? Guess::Utf8 : Guess::Undecided;
}

QString MessageText::decodeUnmarked(QByteArrayView bytes, Guess *guessed)
{
    const Guess g = guess(bytes);
    if (guessed)
        *guessed = g;
    if (g == Guess::Utf8) {
        if (std::optional<QString> text = decodeUtf8(bytes))
            return *text;
    }
    return MessageBlocks::decodeText(bytes);
}

QString MessageText::decodeUnmarkedField(QByteArrayView bytes, Guess textGuess)
{
    if (textGuess == Guess::Cp437)
        return QwkField::text(bytes);
    if (textGuess == Guess::Utf8)
        return decodeField(bytes, true);
    const QByteArrayView trimmed = QwkField::trimmed(bytes);
    if (isAscii(trimmed))
        return QwkField::text(trimmed);
    const Scan result = scan(trimmed, false, true);
    // A field whose only character of several bytes is the one cut off says
    // too little: "Jos" and a lone lead byte may as well be CP437.
    if (!result.valid || !result.multiByte)
        return QwkField::text(trimmed);
    return decodeField(trimmed, true);
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
    if (utf8 && !isAscii(trimmed)) {
        const Scan result = scan(trimmed, false, true);
        if (result.valid)
            return QwkField::trimmedText(QString::fromUtf8(trimmed.first(result.end)));
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
