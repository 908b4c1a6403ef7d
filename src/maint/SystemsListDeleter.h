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

// Deletes a BBS system from the store, its bulletins, messages (replies
// included) and conferences, showing each table's progress. A store error
// ends the deletion and is shown; what was deleted before it stays deleted,
// with counts that agree with the rows, and the system can be deleted again.
class SystemsListDeleter
{
public:
    SystemsListDeleter(
        store::StoreOperations &operations, ui::Progress &progress, ui::Prompts &prompts);

    // True when the system is gone.
    bool deleteSystem(const QString &qwkId);

private:
    store::StoreOperations &m_operations;
    ui::Progress &m_progress;
    ui::Prompts &m_prompts;
};

} // namespace marvik::maint
