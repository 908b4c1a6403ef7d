#include "text/Cp437Codec.h"

#include <array>

namespace marvik::text {

namespace {

// clang-format off
constexpr std::array<char16_t, 128> kHighHalf = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,
    0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};
// clang-format on

// Reverse table over the Basic Multilingual Plane, built once; 0 marks a
// character with no CP437 byte (U+0000 itself is handled before the look-up).
const std::array<unsigned char, 0x10000> &reverseTable()
{
    static const auto table = [] {
        std::array<unsigned char, 0x10000> t {};
        for (int i = 0; i < 128; ++i)
            t[i] = static_cast<unsigned char>(i);
        for (int i = 0; i < 128; ++i)
            t[kHighHalf[i]] = static_cast<unsigned char>(0x80 + i);
        return t;
    }();
    return table;
}

// Picture characters the PC shows for the control bytes 0-31.
constexpr char16_t ControlGlyphs[32] = {
    0x0020,
    0x263A,
    0x263B,
    0x2665,
    0x2666,
    0x2663,
    0x2660,
    0x2022,
    0x25D8,
    0x25CB,
    0x25D9,
    0x2642,
    0x2640,
    0x266A,
    0x266B,
    0x263C,
    0x25BA,
    0x25C4,
    0x2195,
    0x203C,
    0x00B6,
    0x00A7,
    0x25AC,
    0x21A8,
    0x2191,
    0x2193,
    0x2192,
    0x2190,
    0x221F,
    0x2194,
    0x25B2,
    0x25BC,
};

} // namespace

QChar Cp437Codec::glyph(unsigned char byte)
{
    if (byte < 32)
        return QChar(ControlGlyphs[byte]);
    if (byte == 127)
        return QChar(0x2302);
    return toUnicode(byte);
}

QChar Cp437Codec::toUnicode(unsigned char byte)
{
    return byte < 0x80 ? QChar(byte) : QChar(kHighHalf[byte - 0x80]);
}

QString Cp437Codec::toUnicode(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar *dst = out.data();
    for (const char c : bytes)
        *dst++ = toUnicode(static_cast<unsigned char>(c));
    return out;
}

char Cp437Codec::fromUnicode(QChar ch, bool *found)
{
    const char16_t u = ch.unicode();
    if (u < 0x80) {
        if (found)
            *found = true;
        return static_cast<char>(u);
    }
    const unsigned char b = reverseTable()[u];
    if (found)
        *found = b != 0;
    return b != 0 ? static_cast<char>(b) : '?';
}

QByteArray Cp437Codec::fromUnicode(QStringView text, bool *lossless)
{
    QByteArray out;
    out.reserve(text.size());
    bool allFound = true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (ch.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            // One character outside the BMP: one '?', not two.
            ++i;
            out.append('?');
            allFound = false;
            continue;
        }
        bool found = true;
        out.append(fromUnicode(ch, &found));
        allFound = allFound && found;
    }
    if (lossless)
        *lossless = allFound;
    return out;
}

qsizetype Cp437Codec::byteLength(QStringView text)
{
    qsizetype n = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        ++n;
    }
    return n;
}

} // namespace marvik::text
