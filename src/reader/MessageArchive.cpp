#include "reader/MessageArchive.h"

#include "reader/MessageHeaderLines.h"

#include <QDir>
#include <QFile>

namespace marvik::reader {

QStringList MessageArchive::block(const DisplayedMessage &message)
{
    const QString doubleRule(RuleWidth, QLatin1Char('='));
    QStringList lines {doubleRule};
    lines += MessageHeaderLines::of(message);
    lines += QString(RuleWidth, QLatin1Char('-'));
    lines += message.lines;
    lines += doubleRule;
    lines += QString();
    return lines;
}

bool MessageArchive::append(const QString &path, const DisplayedMessage &message, QString *error)
{
    QByteArray bytes;
    for (const QString &line : block(message))
        bytes += line.toUtf8() + "\r\n";

    const QString shown = QDir::toNativeSeparators(path);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        if (error)
            *error = QStringLiteral("The message could not be saved: %1 cannot be opened (%2).")
                         .arg(shown, file.errorString());
        return false;
    }
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    const QString reason = file.errorString();
    file.close();
    if (!written || file.error() != QFileDevice::NoError) {
        if (error)
            *error
                = QStringLiteral("The message could not be saved to %1 (%2).").arg(shown, reason);
        return false;
    }
    return true;
}

} // namespace marvik::reader
