#pragma once

#include <QString>

namespace marvik::state {

// The base folder (the current folder at start-up, with a trailing
// separator) and the TEMP and WORK folders under it.
class AppFolders
{
public:
    AppFolders() = default;
    explicit AppFolders(const QString &currentFolder);

    // `folder` with exactly one trailing separator, also for a root like "/".
    static QString baseFolderFor(const QString &folder);

    QString base() const { return m_base; }
    // Neither ends in a separator.
    QString temp() const { return m_base + QStringLiteral("TEMP"); }
    QString work() const { return m_base + QStringLiteral("WORK"); }
    QString iniFile() const { return m_base + QStringLiteral("MARVIK.INI"); }
    QString taglinesFile() const { return m_base + QStringLiteral("MARVIK.TAG"); }
    QString storeFile() const { return m_base + QStringLiteral("MARVIK.db"); }

    // Creates TEMP and WORK when missing; present ones are kept with their
    // contents. On failure `error` gets the folder and the system's message.
    bool create(QString *error) const;

private:
    QString m_base;
};

} // namespace marvik::state
