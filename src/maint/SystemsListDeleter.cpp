#include "maint/SystemsListDeleter.h"

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

struct TableTexts
{
    QString caption;
    QString line;
};

std::optional<TableTexts> textsFor(store::Table table)
{
    switch (table) {
    case store::Table::Bulletins:
        return TableTexts {
            QStringLiteral("Deleting Bulletins"), QStringLiteral("Deleting %1 of %2 bulletins.")};
    case store::Table::Messages:
        return TableTexts {
            QStringLiteral("Deleting Messages"), QStringLiteral("Deleting %1 of %2 messages.")};
    case store::Table::Conferences:
        return TableTexts {QStringLiteral("Deleting Conferences"),
            QStringLiteral("Deleting %1 of %2 conferences.")};
    case store::Table::Systems:
        break;
    }
    // The system's own row is one row: no progress for it.
    return std::nullopt;
}

} // namespace

SystemsListDeleter::SystemsListDeleter(
    store::StoreOperations &operations, ui::Progress &progress, ui::Prompts &prompts)
    : m_operations(operations)
    , m_progress(progress)
    , m_prompts(prompts)
{ }

bool SystemsListDeleter::deleteSystem(const QString &qwkId)
{
    std::optional<store::Table> shown;
    std::optional<TableTexts> texts;
    QElapsedTimer sinceUpdate;
    const auto progress = [&](store::Table table, int index, int count) {
        if (shown != table) {
            shown = table;
            texts = textsFor(table);
            if (texts)
                m_progress.start(texts->caption);
        } else if (index != count && sinceUpdate.elapsed() < UpdateMilliseconds) {
            // Redrawing for every row would cost more than the deletion;
            // each table's first and last rows are always shown.
            return;
        }
        if (!texts)
            return;
        sinceUpdate.start();
        m_progress.setText(texts->line.arg(index).arg(count));
        m_progress.setPosition(int(qint64(index) * 100 / qMax(1, count)));
        m_progress.processEvents();
    };
    bool deleted = true;
    try {
        m_operations.deleteSystem(qwkId, progress);
    } catch (const store::StoreError &error) {
        deleted = false;
        m_progress.hide();
        m_prompts.error(error.message());
    }
    m_progress.hide();
    return deleted;
}

} // namespace marvik::maint
