#include "system/ReplyPacketPath.h"

#include "state/AppFolders.h"

#include <QDir>
#include <QFileInfo>

namespace marvik::system {

bool ReplyPacketPath::isUsableId(const QString &qwkId)
{
    if (qwkId.isEmpty() || qwkId.startsWith(u'.'))
        return false;
    for (QChar ch : qwkId) {
        if (ch.unicode() < 0x20 || ch == u'/' || ch == u'\\' || ch == u':')
            return false;
    }
    return true;
}

QString ReplyPacketPath::packetName(const QString &qwkId)
{
    return qwkId + QStringLiteral(".REP");
}

QString ReplyPacketPath::messageFileName(const QString &qwkId)
{
    return qwkId + QStringLiteral(".MSG");
}

QString ReplyPacketPath::packetPath(const state::AppFolders &folders, const QString &qwkId)
{
    return QDir(folders.work()).filePath(packetName(qwkId));
}

bool ReplyPacketPath::exists(const state::AppFolders &folders, const QString &qwkId)
{
    return isUsableId(qwkId) && QFileInfo(packetPath(folders, qwkId)).isFile();
}

} // namespace marvik::system
