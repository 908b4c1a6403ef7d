#include "screens/QuoteLevel.h"

namespace marvik::screens {

namespace {

constexpr qsizetype MaxIndent = 3;

bool isInitial(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

} // namespace

int QuoteLevel::of(QStringView line)
{
    const qsizetype size = line.size();
    qsizetype i = 0;
    while (i < size && i < MaxIndent && line[i] == QLatin1Char(' '))
        ++i;
    const qsizetype initialsStart = i;
    while (i < size && i - initialsStart <= MaxInitials && isInitial(line[i]))
        ++i;
    const qsizetype initials = i - initialsStart;
    if (initials > MaxInitials || i == size || line[i] != QLatin1Char('>'))
        return 0;

    int depth = 0;
    qsizetype afterMarks = i;
    while (i < size) {
        if (line[i] == QLatin1Char('>')) {
            ++depth;
            afterMarks = ++i;
        } else if (line[i] == QLatin1Char(' ') && i + 1 < size && line[i + 1] == QLatin1Char('>')) {
            ++i; // "> > text"
        } else {
            break;
        }
    }
    // Initials quote only when a space or the line end follows their marks:
    // "a>b" is text, "JD> b" a quote.
    if (initials > 0 && afterMarks < size && line[afterMarks] != QLatin1Char(' '))
        return 0;
    return depth;
}

} // namespace marvik::screens
