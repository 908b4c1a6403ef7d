#include "maint/BulkDeleter.h"

#include "store/Selections.h"
#include "store/StoreError.h"
#include "store/StoreOperations.h"
#include "ui/Progress.h"
#include "ui/Prompts.h"

#include <QElapsedTimer>

#include <optional>

namespace marvik::maint {

namespace {

// How often the progress text and bar follow the rows; well under the
// progress window's own interval for letting events run.
constexpr qint64 UpdateMilliseconds = 10;

} // namespace

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
    QElapsedTimer sinceUpdate;
    const auto progress = [&](int index, int count) {
        if (!shown) {
            shown = true;
            m_progress.start(QStringLiteral("Deleting Messages"));
        } else if (index != count && sinceUpdate.isValid()
            && sinceUpdate.elapsed() < UpdateMilliseconds) {
            // Redrawing the text for every row would cost more than the
            // deletion; the first and last rows are always shown.
            return;
        }
        sinceUpdate.start();
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
