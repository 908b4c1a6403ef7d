#include "packet/PacketFolder.h"

#include <QDir>
#include <QFile>

namespace marvik::packet {

PacketFolder::PacketFolder(const QString &path)
    : m_path(path)
{
    m_names = QDir(path).entryList(QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase);
}

QString PacketFolder::filePath(const QString &name) const
{
    return QDir(m_path).filePath(name);
}

QString PacketFolder::find(const QString &name) const
{
    if (name.isEmpty())
        return {};
    for (const QString &candidate : m_names) {
        if (candidate.compare(name, Qt::CaseInsensitive) == 0)
            return filePath(candidate);
    }
    return {};
}

QStringList PacketFolder::namesEndingWith(const QString &suffix) const
{
    QStringList found;
    for (const QString &candidate : m_names) {
        if (candidate.endsWith(suffix, Qt::CaseInsensitive))
            found.append(candidate);
    }
    return found;
}

bool PacketFolder::clear(const QString &path, QString *error)
{
    const QDir dir(path);
    // System catches dangling links, which are files for this purpose too.
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        if (!QFile::remove(dir.filePath(name))) {
            if (error)
                *error = QStringLiteral("Cannot delete %1").arg(dir.filePath(name));
            return false;
        }
    }
    return true;
}

} // namespace marvik::packet
