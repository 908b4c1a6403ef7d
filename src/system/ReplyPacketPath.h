#pragma once

#include <QString>

namespace marvik::state {
class AppFolders;
}

namespace marvik::system {

// Where a system's reply packet lives: WORK/<QwkID>.REP, holding the message
// file <QwkID>.MSG, the id as stored (the texts shown name them in capitals).
class ReplyPacketPath
{
public:
    // Whether the id can name a file in WORK: the id may come from a
    // packet someone sent, and must never lead outside the folder.
    static bool isUsableId(const QString &qwkId);
    static QString packetName(const QString &qwkId); // MYBBS.REP
    static QString messageFileName(const QString &qwkId); // MYBBS.MSG
    static QString packetPath(const state::AppFolders &folders, const QString &qwkId);
    // Whether the packet is there: the system window's "&Erase REP File"
    // is enabled exactly then.
    static bool exists(const state::AppFolders &folders, const QString &qwkId);
};

} // namespace marvik::system
