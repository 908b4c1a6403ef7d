#pragma once

#include "screens/BodyText.h"

#include <QString>
#include <QStringView>

namespace marvik::screens {

// Turns a stored message text into the lines the reader shows, with the
// colours its writer meant.
//
// A text holding ANSI escapes ("ESC [") was written for an 80-column colour
// terminal: it goes through the screen interpreter, cursor moves and all,
// and its picture's rows become the lines. Any other text keeps its own
// lines (a message without codes reads exactly as stored); the BBS colour
// codes in it are followed and removed. Kludge lines are left out unless
// shown; quote depths and links are found on what is left to read.
class BodyRenderer
{
public:
    struct Options
    {
        // Off: every code stays in the text as written, control characters
        // drawn as the PC's pictures of them (ESC as an arrow).
        bool colours = true;
        bool showHidden = false;
        bool rot13 = false;
    };

    static RenderedBody render(QStringView text, const Options &options);

    // Whether the text is an ANSI picture rather than lines of text.
    static bool isTerminalText(QStringView text);

    // Letters moved 13 places along the alphabet; everything else kept.
    static QString rot13(QStringView text);
};

} // namespace marvik::screens
