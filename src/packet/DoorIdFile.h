#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>

namespace marvik::packet {

// One "key = value" entry of DOOR.ID.
struct DoorIdRecord
{
    QString key;
    QString value;

    bool operator==(const DoorIdRecord &) const = default;
};

// DOOR.ID: the mail door's description and the command words it accepts.
class DoorIdFile
{
public:
    static QList<DoorIdRecord> parse(QByteArrayView bytes);
    // First entry whose key matches regardless of case, or "".
    static QString value(const QList<DoorIdRecord> &records, const QString &key);
    // Whether the door says it reads QWKE: an entry whose key or value
    // names it ("CONTROLTYPE = QWKE", "QWKE = YES"...).
    static bool namesQwke(const QList<DoorIdRecord> &records);
};

} // namespace marvik::packet
