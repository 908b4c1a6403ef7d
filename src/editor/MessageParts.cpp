#include "editor/MessageParts.h"

#include <QRandomGenerator>

namespace marvik::editor {

namespace {

const QString CrLf = QStringLiteral("\r\n");
const QString TagMarker = QStringLiteral("*** \r\n *   Marvik 1.0 * ");

bool isBlank(QChar ch)
{
    return ch == u' ' || ch == u'\t';
}

void wrapParagraph(QStringView paragraph, int column, QStringList &lines)
{
    while (paragraph.size() > column) {
        // The last place to break that keeps the line within the column, as
        // the editor wraps: before a blank (a blank right at the column still
        // fits, since it hangs past the edge), or after a hyphen inside a
        // word that is not followed by a digit.
        qsizetype breakAt = -1;
        for (qsizetype i = column; i > 0; --i) {
            const bool beforeBlank = isBlank(paragraph[i]) && !isBlank(paragraph[i - 1]);
            const bool afterHyphen = i >= 2 && paragraph[i - 1] == u'-'
                && !isBlank(paragraph[i - 2]) && !isBlank(paragraph[i]) && !paragraph[i].isDigit();
            if (beforeBlank || afterHyphen) {
                breakAt = i;
                break;
            }
        }
        qsizetype lineEnd = breakAt;
        qsizetype restStart = breakAt;
        if (breakAt < 0) {
            lineEnd = column;
            restStart = column;
        }
        lines.append(paragraph.left(lineEnd).toString());
        while (restStart < paragraph.size() && isBlank(paragraph[restStart]))
            ++restStart;
        paragraph = paragraph.mid(restStart);
        if (paragraph.isEmpty())
            return;
    }
    lines.append(paragraph.toString());
}

} // namespace

QStringList MessageParts::displayLines(const QString &text, int column)
{
    column = qMax(1, column);
    QString normal = text;
    normal.replace(CrLf, QStringLiteral("\n"));
    normal.replace(u'\r', u'\n');
    normal.replace(QChar::ParagraphSeparator, u'\n');
    normal.replace(QChar::LineSeparator, u'\n');
    QStringList lines;
    for (QStringView paragraph : QStringView(normal).split(u'\n'))
        wrapParagraph(paragraph, column, lines);
    return lines;
}

QStringList MessageParts::bodies(
    const QStringList &lines, const QStringList &taglines, const TaglinePicker &pick)
{
    const QStringList all = lines.isEmpty() ? QStringList {QString()} : lines;
    const int count = int(all.size());
    const int parts = (count + LinesPerPart - 1) / LinesPerPart;
    QStringList result;
    for (int part = 1; part <= parts; ++part) {
        QString body;
        if (part > 1)
            body += QStringLiteral("Part %1 of %2").arg(part).arg(parts) + CrLf + CrLf;
        const int first = (part - 1) * LinesPerPart;
        const int last = qMin(count, first + LinesPerPart);
        for (int i = first; i < last; ++i)
            body += all.at(i) + CrLf;
        if (part < parts)
            body += CrLf + QStringLiteral("Continued to next message...") + CrLf;
        else
            body = withTagBlock(body, taglines, pick);
        result.append(body);
    }
    return result;
}

bool MessageParts::hasTagBlock(const QString &body)
{
    return body.contains(TagMarker);
}

QString MessageParts::withTagBlock(
    const QString &body, const QStringList &taglines, const TaglinePicker &pick)
{
    if (hasTagBlock(body))
        return body;
    QString result = body;
    if (!result.endsWith(CrLf + CrLf))
        result += CrLf;
    result += TagMarker;
    if (!taglines.isEmpty()) {
        const int count = int(taglines.size());
        int index = pick ? pick(count) : int(QRandomGenerator::global()->bounded(count));
        index = qBound(0, index, count - 1);
        result += QStringLiteral(" - ") + taglines.at(index);
    }
    return result + CrLf;
}

} // namespace marvik::editor
