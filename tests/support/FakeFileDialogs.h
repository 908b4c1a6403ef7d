#pragma once

#include "ui/FileDialogs.h"

#include <QStringList>

namespace marvik::testing {

// Returns scripted file names (empty = cancelled) and records what was asked.
class FakeFileDialogs : public ui::FileDialogs
{
public:
    QStringList nextFileNames;
    QStringList folders;
    QStringList filters;
    QStringList proposedNames;
    QList<Existing> existing; // of each save

    QString openFile(const QString &, const QString &folder, const QString &filter) override
    {
        folders.append(folder);
        filters.append(filter);
        return nextFileNames.isEmpty() ? QString() : nextFileNames.takeFirst();
    }
    QString saveFile(const QString &, const QString &folder, const QString &filter,
        const QString &proposedName, Existing whenExisting) override
    {
        existing.append(whenExisting);
        folders.append(folder);
        filters.append(filter);
        proposedNames.append(proposedName);
        return nextFileNames.isEmpty() ? QString() : nextFileNames.takeFirst();
    }
};

} // namespace marvik::testing
