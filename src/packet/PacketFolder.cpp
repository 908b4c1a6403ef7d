#include "packet/PacketFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>

namespace marvik::packet {

PacketFolder::PacketFolder(const QString &path)
    : m_path(path)
{
    QStringList all = QDir(path).entryList(QDir::Files | QDir::Hidden, QDir::NoSort);
    // Plain code-unit order, so the choice between names that differ only in
    // case never depends on the locale or on the file system's listing.
    std::sort(all.begin(), all.end(),
        [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseSensitive) < 0; });
    QHash<QString, QString> used; // upper-cased name -> the name used
    for (const QString &name : std::as_const(all)) {
        const QString key = name.toUpper();
        const auto first = used.constFind(key);
        if (first != used.constEnd()) {
            m_shadowed.append(QStringLiteral("The packet holds both %1 and %2, names that differ "
                                             "only in letter case; only %1 was read.")
                                  .arg(*first, name));
            continue;
        }
        used.insert(key, name);
        m_names.append(name);
    }
    std::sort(m_names.begin(), m_names.end(), [](const QString &a, const QString &b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a.compare(b, Qt::CaseSensitive) < 0;
    });
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

bool PacketFolder::clear(const QString &path, QString *error, const std::function<void()> &tick)
{
    const QDir dir(path);
    // System catches dangling links, which are files for this purpose too.
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    constexpr qint64 Step = 16 * 1024 * 1024;
    for (const QString &name : names) {
        // A big MESSAGES.DAT is given back a piece at a time: freeing it in
        // one call holds the window still for a noticeable while.
        const QFileInfo info(dir.filePath(name));
        if (tick && !info.isSymLink() && info.size() > Step) {
            QFile file(info.filePath());
            for (qint64 size = info.size() - Step; size > 0 && file.resize(size); size -= Step)
                tick();
        }
        QFile file(dir.filePath(name));
        if (!file.remove()) {
            if (error)
                *error = QStringLiteral("Cannot delete %1: %2")
                             .arg(QDir::toNativeSeparators(file.fileName()), file.errorString());
            return false;
        }
        if (tick)
            tick();
    }
    return true;
}

} // namespace marvik::packet
