#pragma once

#include <QStringView>

namespace marvik::screens {

// How deeply a line is quoted: 0 for the writer's own text, 1 for "> text",
// ">text" or " JD> text", 2 for ">> text", "> > text" or " JD>> text".
class QuoteLevel
{
public:
    // Initials before the marks (the FidoNet " JD> " style) are at most this
    // long; a longer word before a '>' is text ("x->y", "result>0").
    static constexpr int MaxInitials = 4;

    static int of(QStringView line);
};

} // namespace marvik::screens
