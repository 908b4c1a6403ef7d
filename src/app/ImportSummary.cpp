#include "app/ImportSummary.h"

#include <QStringList>

namespace marvik::app {

namespace {

QString counted(int n, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

} // namespace

QString ImportSummary::text(const packet::ImportResult &result)
{
    if (result.qwkId.isEmpty())
        return QStringLiteral("The packet could not be imported.");
    QStringList parts;
    parts << counted(result.messagesImported, "new message", "new messages")
            + QStringLiteral(" in ")
            + counted(result.conferencesWithNewMessages, "conference", "conferences");
    parts << QStringLiteral("%1 personal").arg(result.personalImported);
    parts << counted(result.bulletinsStored, "bulletin", "bulletins");
    if (result.alreadyStored > 0)
        parts << QStringLiteral("%1 already stored").arg(result.alreadyStored);
    if (result.messagesSkipped > 0)
        parts << QStringLiteral("%1 skipped").arg(result.messagesSkipped);
    QString line = result.qwkId + QStringLiteral(": ") + parts.join(QStringLiteral(", "));
    if (result.endedEarly)
        line += QStringLiteral(" (the import ended early)");
    return line;
}

} // namespace marvik::app
