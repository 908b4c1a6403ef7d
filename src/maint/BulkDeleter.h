#pragma once

#include <QString>

namespace marvik::store {
class StoreOperations;
}

namespace marvik::ui {
class Progress;
class Prompts;
} // namespace marvik::ui

namespace marvik::maint {

// Deletes the read messages, or all messages, of one conference or of every
// conference of a system, with progress. Written replies are never deleted.
// A store error ends the deletion and is shown; the messages deleted before
// it stay deleted and the counts agree with the rows.
class BulkDeleter
{
public:
    enum class Scope
    {
        ThisConference,
        AllConferences
    };
    enum class Kind
    {
        ReadMessages,
        AllMessages
    };

    BulkDeleter(store::StoreOperations &operations, ui::Progress &progress, ui::Prompts &prompts);

    // Returns how many messages were deleted, -1 after a store error. An
    // empty selection shows nothing at all.
    int deleteMessages(const QString &qwkId, int conference, Scope scope, Kind kind);

private:
    store::StoreOperations &m_operations;
    ui::Progress &m_progress;
    ui::Prompts &m_prompts;
};

} // namespace marvik::maint
