#include "system/ReplyPacketEraser.h"

#include "state/AppState.h"
#include "store/PackingJournal.h"
#include "store/StoreError.h"
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
        if (!file.remove()) {
            state.prompts().error(
                QStringLiteral("Cannot delete %1: %2").arg(path, file.errorString()));
        } else if (state.hasStore()) {
            // Replies an unfinished packing put in it went with the file:
            // they stay in the store, to be packed again.
            try {
                store::PackingJournal(state.store()).dropSystem(qwkId);
            } catch (const store::StoreError &e) {
                state.prompts().error(e.message());
            }
        }
    }
    return ReplyPacketPath::exists(state.folders(), qwkId);
}

} // namespace marvik::system
