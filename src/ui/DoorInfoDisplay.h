#pragma once

#include <QString>

namespace marvik::ui {

// The door information window ("DOOR.ID Information...") as the import sees
// it: two centred lines and an "&Ok" button, shown modally.
class DoorInfoDisplay
{
public:
    virtual ~DoorInfoDisplay() = default;
    virtual void showDoorInfo(const QString &firstLine, const QString &secondLine) = 0;
};

} // namespace marvik::ui
