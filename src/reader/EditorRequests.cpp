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

// Someone else's lines for a new message: what the mail network wrote for
// its own routing belongs to that message, and in the new one a BBS would
// take it for the new message's own.
QString othersLines(const QStringList &lines)
{
    QString body;
    for (const QString &line : lines) {
        if (!EditorRequests::isKludgeLine(line))
            body += line + LineEnd;
    }
    return body;
}

} // namespace

QString EditorRequests::quoteLine(const QString &line)
{
    return (QLatin1Char('>') + line).left(QuoteWidth);
}

bool EditorRequests::isKludgeLine(const QString &line)
{
    if (line.startsWith(QChar(0x01)))
        return true;
    static const QStringList marks {QStringLiteral("@MSGID:"), QStringLiteral("@REPLY:"),
        QStringLiteral("@TZ:"), QStringLiteral("@VIA:"), QStringLiteral("SEEN-BY:"),
        QStringLiteral("PATH:")};
    for (const QString &mark : marks) {
        if (line.startsWith(mark))
            return true;
    }
    return false;
}

state::EditorRequest EditorRequests::reply(const DisplayedMessage &message, const QString &yourName)
{
    QString body = QStringLiteral("On ") + message.date.left(8) + QStringLiteral(", ")
        + message.from + QStringLiteral(" wrote:") + LineEnd + LineEnd;
    for (const QString &line : message.lines) {
        if (!isKludgeLine(line))
            body += quoteLine(line) + LineEnd;
    }

    state::EditorRequest request;
    request.conferenceName = message.conference;
    request.conferenceNumber = message.conferenceNumber;
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
    request.conferenceNumber = message.conferenceNumber;
    request.from = message.from;
    request.to = message.to;
    request.subject = message.subject;
    // The message it answers, not the reply's own number in this store.
    request.refersTo
        = message.refersTo == QLatin1String("None") ? QStringLiteral("0") : message.refersTo;
    request.body = joinedLines(message.lines);
    request.isPrivate = message.isPrivate();
    request.replacesRecord = message.recordNumber;
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
        + othersLines(message.lines);

    state::EditorRequest request;
    request.conferenceName = message.conference;
    request.conferenceNumber = message.conferenceNumber;
    request.from = yourName;
    // Passed on to someone the user has yet to name.
    request.to.clear();
    request.subject = message.subject;
    request.refersTo = QStringLiteral("0");
    request.body = body;
    request.isPrivate = message.isPrivate();
    return request;
}

} // namespace marvik::reader
