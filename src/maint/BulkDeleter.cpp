#include "maint/BulkDeleter.h"

#include "store/Selections.h"
#include "store/StoreError.h"
#include "store/StoreOperations.h"
#include "ui/Progress.h"
#include "ui/Prompts.h"

#include <optional>

namespace marvik::maint {

BulkDeleter::BulkDeleter(
    store::StoreOperations &operations, ui::Progress &progress, ui::Prompts &prompts)
    : m_operations(operations)
    , m_progress(progress)
    , m_prompts(prompts)
{ }

int BulkDeleter::deleteMessages(const QString &qwkId, int conference, Scope scope, Kind kind)
{
    // Replies (-2) are written by the user and wait to be sent: never here.
    if (scope == Scope::ThisConference && conference == -2)
        return 0;
    const store::Selection selection
        = store::Selections::bulkDelete(qwkId, kind == Kind::ReadMessages,
            scope == Scope::ThisConference ? std::optional<int>(conference) : std::nullopt);
    bool shown = false;
    const auto progress = [&](int index, int count) {
        if (!shown) {
            shown = true;
            m_progress.start(QStringLiteral("Deleting Messages"));
        }
        m_progress.setText(QStringLiteral("Deleting %1 of %2 messages.").arg(index).arg(count));
        m_progress.setPosition(int(qint64(index) * 100 / qMax(1, count)));
        m_progress.processEvents();
    };
    int deleted = 0;
    try {
        deleted = m_operations.deleteSelection(selection, progress);
    } catch (const store::StoreError &error) {
        if (shown)
            m_progress.hide();
        m_prompts.error(error.message());
        return -1;
    }
    if (shown)
        m_progress.hide();
    return deleted;
}

} // namespace marvik::maint
