#include "reader/MessageHeaderLines.h"

namespace marvik::reader {

namespace {

QString pair(const QString &left, const QString &right)
{
    return left.leftJustified(MessageHeaderLines::LeftWidth, QLatin1Char(' '), false) + right;
}

} // namespace

QStringList MessageHeaderLines::of(const DisplayedMessage &message)
{
    return {
        pair(QStringLiteral("Conference: ") + message.conference,
            QStringLiteral("Message Number:   ") + message.messageNumber),
        pair(QStringLiteral("From:       ") + message.from,
            QStringLiteral("To:               ") + message.to),
        pair(QStringLiteral("Subject:    ") + message.subject,
            QStringLiteral("Date:             ") + message.date),
        pair(QStringLiteral("Private:    ") + message.privateText,
            QStringLiteral("Reference Number: ") + message.refersTo),
    };
}

} // namespace marvik::reader
