#include "screens/LinkFinder.h"

namespace marvik::screens {

namespace {

bool isAsciiLetter(char16_t u)
{
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z');
}

bool isAsciiAlnum(char16_t u)
{
    return isAsciiLetter(u) || (u >= '0' && u <= '9');
}

// Characters an address may hold: anything printable but spaces, quotes and
// angle brackets, which surround addresses in text.
bool isUrlCharacter(QChar c)
{
    const char16_t u = c.unicode();
    if (u <= 0x20 || u == 0x7F)
        return false;
    switch (u) {
    case '"':
    case '<':
    case '>':
    case '`':
    case '{':
    case '}':
    case '|':
    case '\\':
    case '^':
        return false;
    default:
        return !c.isSpace();
    }
}

bool isLocalPartCharacter(char16_t u)
{
    return isAsciiAlnum(u) || u == '.' || u == '_' || u == '%' || u == '+' || u == '-';
}

bool isDomainCharacter(char16_t u)
{
    return isAsciiAlnum(u) || u == '-' || u == '.';
}

// Drops sentence punctuation from the end of [start, end), and a closing
// bracket that has no opening one inside.
qsizetype trimTrailing(QStringView line, qsizetype start, qsizetype end)
{
    const QStringView span = line.sliced(start, end - start);
    qsizetype parens = span.count(QLatin1Char('(')) - span.count(QLatin1Char(')'));
    qsizetype brackets = span.count(QLatin1Char('[')) - span.count(QLatin1Char(']'));
    while (end > start) {
        const char16_t u = line[end - 1].unicode();
        if (u == '.' || u == ',' || u == ';' || u == ':' || u == '!' || u == '?' || u == '\''
            || u == '*') {
            --end;
        } else if (u == ')' && parens < 0) {
            ++parens;
            --end;
        } else if (u == ']' && brackets < 0) {
            ++brackets;
            --end;
        } else {
            break;
        }
    }
    return end;
}

bool startsWithScheme(QStringView line, qsizetype at, qsizetype *schemeLength)
{
    for (const QLatin1String scheme : {QLatin1String("https://"), QLatin1String("http://")}) {
        if (line.sliced(at).startsWith(scheme, Qt::CaseInsensitive)) {
            *schemeLength = scheme.size();
            return true;
        }
    }
    return false;
}

// An e-mail address whose '@' is at `at`: the span, or an empty one.
BodyLink emailAround(QStringView line, qsizetype at)
{
    qsizetype begin = at;
    while (begin > 0 && isLocalPartCharacter(line[begin - 1].unicode()))
        --begin;
    while (begin < at && line[begin] == QLatin1Char('.'))
        ++begin;
    qsizetype end = at + 1;
    while (end < line.size() && isDomainCharacter(line[end].unicode()))
        ++end;
    while (end > at + 1 && (line[end - 1] == QLatin1Char('.') || line[end - 1] == QLatin1Char('-')))
        --end;
    if (begin == at || end == at + 1)
        return {};
    // The domain needs a dot and a top-level part of letters: "user@1:2/3"
    // (a FidoNet address) and "me@home" are not e-mail addresses.
    const QStringView domain = line.sliced(at + 1, end - at - 1);
    const qsizetype dot = domain.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0 || domain.size() - dot - 1 < 2 || domain.contains(QLatin1String("..")))
        return {};
    for (const QChar c : domain.sliced(dot + 1)) {
        if (!isAsciiLetter(c.unicode()))
            return {};
    }
    const QString address = line.sliced(begin, end - begin).toString();
    return BodyLink {begin, end - begin, QStringLiteral("mailto:") + address};
}

} // namespace

QList<BodyLink> LinkFinder::find(QStringView line)
{
    QList<BodyLink> links;
    const qsizetype size = line.size();
    qsizetype i = 0;
    while (i < size) {
        const char16_t u = line[i].unicode();
        qsizetype schemeLength = 0;
        if ((u == 'h' || u == 'H') && (i == 0 || !isAsciiAlnum(line[i - 1].unicode()))
            && startsWithScheme(line, i, &schemeLength)) {
            qsizetype end = i + schemeLength;
            while (end < size && isUrlCharacter(line[end]))
                ++end;
            end = trimTrailing(line, i, end);
            if (end > i + schemeLength) {
                links.append(BodyLink {i, end - i, line.sliced(i, end - i).toString()});
                i = end;
                continue;
            }
        } else if (u == '@') {
            const BodyLink email = emailAround(line, i);
            // Never inside a web address found before it.
            if (email.length > 0
                && (links.isEmpty() || links.last().start + links.last().length <= email.start)) {
                links.append(email);
                i = email.start + email.length;
                continue;
            }
        }
        ++i;
    }
    return links;
}

} // namespace marvik::screens
