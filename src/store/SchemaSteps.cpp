#include "store/SchemaSteps.h"

#include "store/Database.h"
#include "store/MessageStore.h"
#include "store/Rewind.h"
#include "store/Schema.h"
#include "store/SearchIndex.h"
#include "store/Statement.h"
#include "store/Transaction.h"
#include "ui/Progress.h"

#include <QElapsedTimer>

#include <algorithm>

namespace marvik::store {

namespace {

int messageCount(const MessageStore &store)
{
    Statement &s = store.prepared(QStringLiteral("SELECT COUNT(*) FROM MESSAGES"));
    Rewind rewind(s);
    return s.step() ? s.integer(0) : 0;
}

// Version 2: the full-text index, empty; fillSearchIndex() fills it.
void addSearchIndex(MessageStore &store)
{
    for (const QString &sql : SearchIndex::createStatements())
        store.database().exec(sql);
}

// Every stored message into the new index, in chunks each committed with
// the watermark: one transaction over a large store would end in a commit
// that holds the window for seconds. Cut short, the indexer goes on from the
// watermark at the next start.
void fillSearchIndex(MessageStore &store, ui::Progress *progress)
{
    const int total = messageCount(store);
    const bool shown = progress && total >= SchemaSteps::ProgressFromRows;
    if (shown)
        progress->start(QStringLiteral("Indexing Messages"));
    struct Hide
    {
        ui::Progress *progress;
        ~Hide()
        {
            if (progress)
                progress->hide();
        }
    } hide {shown ? progress : nullptr};

    int done = 0;
    int rows = 256;
    while (true) {
        QElapsedTimer timer;
        timer.start();
        int indexed = 0;
        {
            Transaction transaction(store);
            indexed = SearchIndex::indexNext(store, rows);
            transaction.commit();
        }
        if (indexed == 0)
            break;
        done += indexed;
        if (shown) {
            progress->setText(QStringLiteral("Indexing %1 of %2 messages.")
                                  .arg(std::min(done, total))
                                  .arg(total));
            progress->setPosition(total > 0 ? int(qint64(std::min(done, total)) * 100 / total) : 0);
            progress->processEvents();
        }
        // The next chunk is sized to take about ChunkMilliseconds, growing at
        // most fourfold: the first rows say little of the later ones.
        const double perRow = double(std::max<qint64>(timer.nsecsElapsed(), 1)) / indexed;
        rows = int(std::clamp(
            SchemaSteps::ChunkMilliseconds * 1e6 / perRow, 32.0, std::min(50000.0, 4.0 * indexed)));
    }
}

// Version 3: the message's mark, Message-ID and In-Reply-To.
void addMessageLinks(MessageStore &store)
{
    for (const QString &sql : Schema::addedColumnStatements(3))
        store.database().exec(sql);
}

// Version 4: the packing journal, and what the door reads in a reply packet.
void addPackingJournal(MessageStore &store)
{
    for (const QString &sql : Schema::journalStatements())
        store.database().exec(sql);
    for (const QString &sql : Schema::addedColumnStatements(4))
        store.database().exec(sql);
}

struct Step
{
    int version;
    // In the step's transaction, with the new version number.
    void (*run)(MessageStore &store);
    // After the commit: long work that may be cut short and resumed.
    void (*fill)(MessageStore &store, ui::Progress *progress);
};

const Step steps[] = {
    {2, addSearchIndex, fillSearchIndex},
    {3, addMessageLinks, nullptr},
    {4, addPackingJournal, nullptr},
};

static_assert(sizeof steps / sizeof steps[0] == Schema::Version - SchemaSteps::BaseVersion,
    "every version above the first has its step");

} // namespace

void SchemaSteps::upgrade(MessageStore &store, int version, ui::Progress *progress)
{
    for (const Step &step : steps) {
        if (step.version <= version)
            continue;
        {
            Transaction transaction(store);
            step.run(store);
            store.database().exec(QStringLiteral("PRAGMA user_version = %1").arg(step.version));
            transaction.commit();
        }
        if (step.fill)
            step.fill(store, progress);
    }
}

} // namespace marvik::store
