#pragma once

#include <QString>

namespace marvik::state {
class AppState;
}

namespace marvik::store {
class MessageStore;
class StoreOperations;
} // namespace marvik::store

namespace marvik::ui {
class Progress;
class Prompts;
} // namespace marvik::ui

namespace marvik::system {

// The second step of closing a system: offers to delete the messages that
// have been read. Written replies are never touched. The deletion goes
// through the store's selection delete, which moves rows and counts together.
class ReadMessageCleanup
{
public:
    // Returns how many messages were deleted. Nothing is asked when there is
    // no read message. A store error ends the deletion with what was done
    // kept (counts agreeing) and is described by `error`.
    static int run(store::MessageStore &store, store::StoreOperations &operations,
        ui::Prompts &prompts, ui::Progress &progress, const QString &qwkId,
        QString *error = nullptr);

    // The close-time step for the current system; an error is shown.
    static int CleanUpReadMessages(state::AppState &state);
};

} // namespace marvik::system
