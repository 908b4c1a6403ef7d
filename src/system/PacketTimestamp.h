#pragma once

#include <QDateTime>
#include <QString>

namespace marvik::system {

// Date and time as a reply packet carries them: "MM-DD-YY" and a 24-hour
// "hh:mm", whatever the desktop's locale. A locale's short date can be
// longer than the field or put the year first, which the BBS would misread.
class PacketTimestamp
{
public:
    static QString date(const QDateTime &when);
    static QString time(const QDateTime &when);
};

} // namespace marvik::system
