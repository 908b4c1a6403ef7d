#include "app/PacketQueue.h"

#include <QFileInfo>

#include <algorithm>

namespace marvik::app {

QString PacketQueue::keyOf(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

int PacketQueue::add(const QStringList &paths)
{
    int added = 0;
    for (const QString &path : paths) {
        const QString key = keyOf(path);
        const bool known = key == m_importing
            || std::any_of(m_waiting.cbegin(), m_waiting.cend(),
                [&key](const Entry &entry) { return entry.key == key; });
        if (known)
            continue;
        m_waiting.append({path, key});
        ++added;
    }
    return added;
}

QStringList PacketQueue::waiting() const
{
    QStringList paths;
    for (const Entry &entry : m_waiting)
        paths << entry.path;
    return paths;
}

QString PacketQueue::takeNext()
{
    if (m_waiting.isEmpty())
        return {};
    const Entry next = m_waiting.takeFirst();
    m_importing = next.key;
    return next.path;
}

} // namespace marvik::app
