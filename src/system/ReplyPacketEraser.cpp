#include "system/ReplyPacketEraser.h"

#include "state/AppState.h"
#include "system/ReplyPacketPath.h"
#include "ui/Prompts.h"

#include <QFile>

namespace marvik::system {

bool ReplyPacketEraser::EraseRepFile(state::AppState &state)
{
    const QString qwkId = state.currentQwkId();
    if (!ReplyPacketPath::exists(state.folders(), qwkId))
        return false;
    const QString path = ReplyPacketPath::packetPath(state.folders(), qwkId);
    if (state.prompts().ask(
            QStringLiteral("Delete %1?").arg(ReplyPacketPath::packetName(qwkId).toUpper()))) {
        QFile file(path);
        if (!file.remove())
            state.prompts().error(
                QStringLiteral("Cannot delete %1: %2").arg(path, file.errorString()));
    }
    return ReplyPacketPath::exists(state.folders(), qwkId);
}

} // namespace marvik::system
