#include "screens/HiddenLines.h"

#include "text/Cp437Codec.h"

namespace marvik::screens {

namespace {

constexpr char16_t CtrlA = 0x01;

bool isKeywordCharacter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '-' || u == '_';
}

// Keywords FidoNet follows with a space rather than a colon.
bool takesSpace(QStringView keyword)
{
    static const QLatin1String words[] = {QLatin1String("INTL"), QLatin1String("FMPT"),
        QLatin1String("TOPT"), QLatin1String("VIA"), QLatin1String("PATH"), QLatin1String("SPLIT"),
        QLatin1String("MSGID"), QLatin1String("REPLY")};
    for (const QLatin1String &word : words) {
        if (keyword == word)
            return true;
    }
    return false;
}

bool isControlLine(QStringView line)
{
    // "Via" and the mail gateways' "RFC-" headers are the keywords written
    // in mixed case.
    const QStringView rest = line.sliced(1);
    if (rest.startsWith(QLatin1String("Via ")))
        return true;
    const bool mixedCase = rest.startsWith(QLatin1String("RFC-"));
    qsizetype end = 1;
    while (
        end < line.size() && (isKeywordCharacter(line[end]) || (mixedCase && line[end].isLetter())))
        ++end;
    const QStringView keyword = line.sliced(1, end - 1);
    if (keyword.size() < 2)
        return false;
    if (end == line.size())
        return takesSpace(keyword);
    if (line[end] == QLatin1Char(':'))
        return true;
    return line[end] == QLatin1Char(' ') && takesSpace(keyword);
}

} // namespace

bool HiddenLines::isKludge(QStringView line)
{
    if (line.isEmpty())
        return false;
    if (line.front() == QChar(CtrlA))
        return isControlLine(line);
    if (line.front() == QLatin1Char('@')) {
        static const QLatin1String marks[] = {QLatin1String("@MSGID:"), QLatin1String("@REPLY:"),
            QLatin1String("@TZ:"), QLatin1String("@VIA:")};
        for (const QLatin1String &mark : marks) {
            if (line.startsWith(mark))
                return true;
        }
        return false;
    }
    return line.startsWith(QLatin1String("SEEN-BY:")) || line.startsWith(QLatin1String("PATH:"));
}

QString HiddenLines::shown(QStringView line)
{
    QString text = line.toString();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (i == 0 && u == CtrlA)
            text[i] = QLatin1Char('@');
        else if (u < 0x20 && u != '\t')
            text[i] = text::Cp437Codec::glyph(quint8(u));
    }
    return text;
}

} // namespace marvik::screens
