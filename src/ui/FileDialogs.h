#pragma once

#include <QString>

namespace marvik::ui {

// File open and save dialogs. An empty result means the user cancelled.
class FileDialogs
{
public:
    // What saving does to a file that is already there.
    enum class Existing
    {
        Replace, // the dialog asks before the file is replaced
        Append, // written after what it holds: nothing to ask
    };

    virtual ~FileDialogs() = default;
    // `filter` uses Qt's form: "QWK Files (*.QW*);;All Files (*)"; the first
    // filter is selected.
    virtual QString openFile(const QString &caption, const QString &folder, const QString &filter)
        = 0;
    virtual QString saveFile(const QString &caption, const QString &folder, const QString &filter,
        const QString &proposedName, Existing existing)
        = 0;
};

} // namespace marvik::ui
