#include "system/ReadMessageCleanup.h"

#include "state/AppState.h"
#include "store/MessageStore.h"
#include "store/Selection.h"
#include "store/Selections.h"
#include "store/StoreError.h"
#include "store/StoreOperations.h"
#include "ui/Progress.h"
#include "ui/Prompts.h"

namespace marvik::system {

int ReadMessageCleanup::run(store::MessageStore &store, store::StoreOperations &operations,
    ui::Prompts &prompts, ui::Progress &progress, const QString &qwkId, QString *error)
{
    const store::Selection selection = store::Selections::readMessages(qwkId);
    if (store::CountSelection(store, selection) == 0)
        return 0;
    if (!prompts.ask(QStringLiteral("Delete messages that have been read?")))
        return 0;

    progress.start(QStringLiteral("Deleting Messages"));
    int deleted = 0;
    try {
        deleted = operations.deleteSelection(selection, [&progress](int index, int count) {
            progress.setText(QStringLiteral("Deleting %1 of %2 messages.").arg(index).arg(count));
            progress.setPosition(int(qint64(index) * 100 / count));
            progress.processEvents();
        });
    } catch (const store::StoreError &failure) {
        if (error)
            *error = failure.message();
    }
    progress.hide();
    return deleted;
}

int ReadMessageCleanup::CleanUpReadMessages(state::AppState &state)
{
    if (!state.hasStore())
        return 0;
    QString error;
    const int deleted = run(state.store(), state.operations(), state.prompts(), state.progress(),
        state.currentQwkId(), &error);
    if (!error.isEmpty())
        state.prompts().error(error);
    return deleted;
}

} // namespace marvik::system
