#include "maint/SystemsListDeleter.h"

#include "store/StoreError.h"
#include "store/StoreOperations.h"
#include "ui/Progress.h"
#include "ui/Prompts.h"

#include <optional>

namespace marvik::maint {

namespace {

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
    const auto progress = [&](store::Table table, int index, int count) {
        if (shown != table) {
            shown = table;
            texts = textsFor(table);
            if (texts)
                m_progress.start(texts->caption);
        }
        if (!texts)
            return;
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
