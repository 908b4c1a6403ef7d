#pragma once

#include <QStringView>

namespace marvik::screens {

// The colour codes BBSes put in message text instead of ANSI escapes, read
// onto the PC attribute the ANSI interpreter and its palette use:
// - PCBoard "@X" and two hex digits, background then text colour (@X1F is
//   bright white on blue); @X00 saves the attribute and @XFF restores it.
//   Wildcat writes the same digits between two "@" (@1F@).
// - Synchronet Ctrl+A and one character: K R G Y B M C W text colours, 0-7
//   backgrounds, H bright, I blink, E bright background, N normal; a few
//   move the cursor; every other character after Ctrl+A is a code that draws
//   nothing.
// - WWIV heart codes, Ctrl+C and a digit (also written "|#" and a digit): the
//   ten colours of WWIV's default scheme.
// - Pipe codes "|00" to "|15" (text colour) and "|16" to "|23" (background),
//   "|24" to "|31" being the blinking backgrounds.
class BbsColourCodes
{
public:
    struct Code
    {
        enum class Op
        {
            None, // no code here
            Attribute, // the attribute becomes `value`
            Foreground, // text colour 0-15
            Background, // background 0-15 (8-15 blinking)
            Colour, // text colour 0-7, brightness kept
            Paper, // background 0-7, blink kept
            SetBits, // `value` is or-ed in
            Normal,
            Save,
            Restore,
            CarriageReturn,
            LineFeed,
            Backspace,
            ClearToEnd,
            Right, // `value` columns
            Drop, // a code that draws nothing
        };
        Op op = Op::None;
        int value = 0;
        qsizetype length = 0;
    };

    // Whether a code can start with this character; most characters cannot,
    // so a scan asks this before at().
    static bool canStart(QChar c)
    {
        const char16_t u = c.unicode();
        return u == 0x01 || u == 0x03 || u == '|' || u == '@';
    }

    // The code that begins at `position`, or one with Op::None and length 0.
    static Code at(QStringView text, qsizetype position);

    // The attribute after a colour code (cursor codes leave it as it is).
    // `saved` holds what @X00 saved.
    static quint8 apply(const Code &code, quint8 attribute, quint8 *saved);
};

} // namespace marvik::screens
