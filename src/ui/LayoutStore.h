#pragma once

#include <QString>

namespace marvik::ui {

// Where windows keep their size, place, splitters and columns from one run
// to the next: text values by key. The real one is a section of the settings
// file; tests pass a map.
class LayoutStore
{
public:
    virtual ~LayoutStore() = default;
    // Empty when nothing is kept under `key`.
    virtual QString layoutValue(const QString &key) const = 0;
    virtual void setLayoutValue(const QString &key, const QString &value) = 0;
    // Writes what changed since the last commit; false when it could not.
    virtual bool commit() = 0;
};

} // namespace marvik::ui
