#pragma once

#include "ui/DoorInfoDisplay.h"

#include <QStringList>

namespace marvik::testing {

class FakeDoorInfo : public ui::DoorInfoDisplay
{
public:
    QList<QStringList> shown;

    void showDoorInfo(const QString &firstLine, const QString &secondLine) override
    {
        shown.append({firstLine, secondLine});
    }
};

} // namespace marvik::testing
