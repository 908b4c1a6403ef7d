#include "system/PacketTimestamp.h"

namespace marvik::system {

QString PacketTimestamp::date(const QDateTime &when)
{
    const QDate day = when.date();
    return QStringLiteral("%1-%2-%3")
        .arg(day.month(), 2, 10, QLatin1Char('0'))
        .arg(day.day(), 2, 10, QLatin1Char('0'))
        .arg(((day.year() % 100) + 100) % 100, 2, 10, QLatin1Char('0'));
}

QString PacketTimestamp::time(const QDateTime &when)
{
    const QTime clock = when.time();
    return QStringLiteral("%1:%2")
        .arg(clock.hour(), 2, 10, QLatin1Char('0'))
        .arg(clock.minute(), 2, 10, QLatin1Char('0'));
}

} // namespace marvik::system
