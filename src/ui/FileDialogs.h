#pragma once

#include <QString>

namespace marvik::ui {

// File open and save dialogs. An empty result means the user cancelled.
class FileDialogs
{
public:
    virtual ~FileDialogs() = default;
    // `filter` uses Qt's form: "QWK Files (*.QW*);;All Files (*.*)"; the first
    // filter is selected.
    virtual QString openFile(const QString &caption, const QString &folder, const QString &filter)
        = 0;
    virtual QString saveFile(const QString &caption, const QString &folder, const QString &filter,
        const QString &proposedName)
        = 0;
};

} // namespace marvik::ui
