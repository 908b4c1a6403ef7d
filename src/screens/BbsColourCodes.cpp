#include "screens/BbsColourCodes.h"

#include "text/Cp437Codec.h"

namespace marvik::screens {

namespace {

using Op = BbsColourCodes::Code::Op;

constexpr char16_t CtrlA = 0x01;
constexpr char16_t CtrlC = 0x03;

// PC colour numbers of the colours in ANSI order (black, red, green, brown,
// blue, magenta, cyan, white), which Synchronet's letters and digits follow.
constexpr int AnsiOrder[8] = {0, 4, 2, 6, 1, 5, 3, 7};

// WWIV's default colour scheme for its codes 0-9.
constexpr quint8 WwivColours[10] = {0x07, 0x0B, 0x0E, 0x0D, 0x1F, 0x0A, 0x0C, 0x09, 0x05, 0x03};

int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

int digitValue(QChar c)
{
    const char16_t u = c.unicode();
    return u >= '0' && u <= '9' ? u - '0' : -1;
}

BbsColourCodes::Code code(Op op, int value, qsizetype length)
{
    return BbsColourCodes::Code {op, value, length};
}

BbsColourCodes::Code synchronet(QStringView text, qsizetype position)
{
    if (position + 1 >= text.size())
        return code(Op::Drop, 0, 1);
    const QChar operand = text[position + 1];
    const char16_t u = operand.toUpper().unicode();
    switch (u) {
    case 'K':
        return code(Op::Colour, 0, 2);
    case 'R':
        return code(Op::Colour, 4, 2);
    case 'G':
        return code(Op::Colour, 2, 2);
    case 'Y':
        return code(Op::Colour, 6, 2);
    case 'B':
        return code(Op::Colour, 1, 2);
    case 'M':
        return code(Op::Colour, 5, 2);
    case 'C':
        return code(Op::Colour, 3, 2);
    case 'W':
        return code(Op::Colour, 7, 2);
    case 'H':
        return code(Op::SetBits, 0x08, 2);
    case 'I':
    case 'E':
        return code(Op::SetBits, 0x80, 2);
    case 'N':
    case '-':
    case '_':
        return code(Op::Normal, 0, 2);
    case '[':
        return code(Op::CarriageReturn, 0, 2);
    case ']':
        return code(Op::LineFeed, 0, 2);
    case '<':
        return code(Op::Backspace, 0, 2);
    case '>':
        return code(Op::ClearToEnd, 0, 2);
    default:
        break;
    }
    if (u >= '0' && u <= '7')
        return code(Op::Paper, AnsiOrder[u - '0'], 2);
    // A byte above 127 moves the cursor right by its value less 127.
    bool found = false;
    const auto byte = quint8(text::Cp437Codec::fromUnicode(operand, &found));
    if (found && byte >= 0x80)
        return code(Op::Right, byte - 127, 2);
    return code(Op::Drop, 0, 2);
}

BbsColourCodes::Code pipe(QStringView text, qsizetype position)
{
    if (position + 2 >= text.size())
        return {};
    if (text[position + 1] == QLatin1Char('#')) {
        const int digit = digitValue(text[position + 2]);
        return digit < 0 ? BbsColourCodes::Code {} : code(Op::Attribute, WwivColours[digit], 3);
    }
    const int tens = digitValue(text[position + 1]);
    const int ones = digitValue(text[position + 2]);
    if (tens < 0 || ones < 0)
        return {};
    const int value = tens * 10 + ones;
    if (value < 16)
        return code(Op::Foreground, value, 3);
    if (value < 24)
        return code(Op::Background, value - 16, 3);
    if (value < 32)
        return code(Op::Background, value - 24 + 8, 3);
    return {};
}

// PCBoard's "@X1F" and Wildcat's "@1F@".
BbsColourCodes::Code pcboard(QStringView text, qsizetype position)
{
    const qsizetype left = text.size() - position;
    if (left >= 4
        && (text[position + 1] == QLatin1Char('X') || text[position + 1] == QLatin1Char('x'))) {
        const int high = hexValue(text[position + 2]);
        const int low = hexValue(text[position + 3]);
        if (high >= 0 && low >= 0) {
            const int value = high * 16 + low;
            if (value == 0x00)
                return code(Op::Save, 0, 4);
            if (value == 0xFF)
                return code(Op::Restore, 0, 4);
            return code(Op::Attribute, value, 4);
        }
    }
    if (left >= 4 && text[position + 3] == QLatin1Char('@')) {
        const int high = hexValue(text[position + 1]);
        const int low = hexValue(text[position + 2]);
        if (high >= 0 && low >= 0)
            return code(Op::Attribute, high * 16 + low, 4);
    }
    return {};
}

} // namespace

BbsColourCodes::Code BbsColourCodes::at(QStringView text, qsizetype position)
{
    if (position < 0 || position >= text.size())
        return {};
    switch (text[position].unicode()) {
    case CtrlA:
        return synchronet(text, position);
    case CtrlC: {
        const int digit = position + 1 < text.size() ? digitValue(text[position + 1]) : -1;
        return digit < 0 ? Code {} : code(Op::Attribute, WwivColours[digit], 2);
    }
    case '|':
        return pipe(text, position);
    case '@':
        return pcboard(text, position);
    default:
        return {};
    }
}

quint8 BbsColourCodes::apply(const Code &code, quint8 attribute, quint8 *saved)
{
    switch (code.op) {
    case Op::Attribute:
        return quint8(code.value);
    case Op::Foreground:
        return quint8((attribute & 0xF0) | (code.value & 0x0F));
    case Op::Background:
        return quint8((attribute & 0x0F) | ((code.value & 0x0F) << 4));
    case Op::Colour:
        return quint8((attribute & ~0x07) | (code.value & 0x07));
    case Op::Paper:
        return quint8((attribute & 0x8F) | ((code.value & 0x07) << 4));
    case Op::SetBits:
        return quint8(attribute | code.value);
    case Op::Normal:
        return 7;
    case Op::Save:
        if (saved)
            *saved = attribute;
        return attribute;
    case Op::Restore:
        return saved ? *saved : attribute;
    default:
        return attribute;
    }
}

} // namespace marvik::screens
