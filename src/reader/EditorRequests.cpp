#include "reader/EditorRequests.h"

#include <QLocale>

namespace marvik::reader {

namespace {

const QString LineEnd = QStringLiteral("\r\n");

QString joinedLines(const QStringList &lines)
{
    QString body;
    for (const QString &line : lines)
        body += line + LineEnd;
    return body;
}

} // namespace

QString EditorRequests::quoteLine(const QString &line)
{
    return (QLatin1Char('>') + line).left(QuoteWidth);
}

state::EditorRequest EditorRequests::reply(const DisplayedMessage &message, const QString &yourName)
{
    QString body = QStringLiteral("On ") + message.date.left(8) + QStringLiteral(", ")
        + message.from + QStringLiteral(" wrote:") + LineEnd + LineEnd;
    for (const QString &line : message.lines)
        body += quoteLine(line) + LineEnd;

    state::EditorRequest request;
    request.conferenceName = message.conference;
    request.from = yourName;
    request.to = message.from;
    request.subject = message.subject;
    request.refersTo = message.messageNumber;
    request.body = body;
    request.isPrivate = message.isPrivate();
    return request;
}

state::EditorRequest EditorRequests::reEdit(const DisplayedMessage &message)
{
    state::EditorRequest request;
    request.conferenceName = message.conference;
    request.from = message.from;
    request.to = message.to;
    request.subject = message.subject;
    request.refersTo = message.messageNumber;
    request.body = joinedLines(message.lines);
    request.isPrivate = message.isPrivate();
    return request;
}

state::EditorRequest EditorRequests::forward(
    const DisplayedMessage &message, const QString &yourName, const QDateTime &now)
{
    const QLocale locale = QLocale::system();
    const QString when = locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ')
        + locale.toString(now.time(), QLocale::LongFormat);
    const QString body = QStringLiteral("Message forwarded on ") + when + QLatin1Char('.') + LineEnd
        + QStringLiteral("Originally written by: ") + message.from + LineEnd
        + QStringLiteral("Originally addressed to: ") + message.to + LineEnd + LineEnd
        + joinedLines(message.lines);

    state::EditorRequest request;
    request.conferenceName = message.conference;
    request.from = yourName;
    request.subject = message.subject;
    request.refersTo = QStringLiteral("0");
    request.body = body;
    request.isPrivate = message.isPrivate();
    return request;
}

} // namespace marvik::reader
