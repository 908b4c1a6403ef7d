#include "store/SchemaSteps.h"

#include "store/Database.h"
#include "store/IndexingThread.h"
#include "store/MessageStore.h"
#include "store/Rewind.h"
#include "store/Schema.h"
#include "store/SearchIndex.h"
#include "store/Statement.h"
#include "store/StoreError.h"
#include "store/Transaction.h"
#include "ui/Progress.h"

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

// Every stored message into the new index, by the indexing thread in slices
// each committed with the watermark, while this thread keeps the progress
// window going: no merge inside the index holds the window. Cut short, the
// indexer goes on from the watermark at the next start.
void fillSearchIndex(MessageStore &store, ui::Progress *progress)
{
    const int total = messageCount(store);
    // Keys run nearly unbroken, so those above the watermark count what is
    // left; counting the rows there would read every message (a second per
    // million) before the window shows.
    const int waiting = int(
        std::clamp<qint64>(SearchIndex::lastKey(store) - SearchIndex::watermark(store), 0, total));
    if (waiting == 0)
        return;
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

    IndexingThread thread(store.path(), [](int) {});
    const auto report = [&] {
        const int done = int(std::min<qint64>(total - waiting + thread.indexed(), total));
        progress->setText(QStringLiteral("Indexing %1 of %2 messages.").arg(done).arg(total));
        progress->setPosition(int(qint64(done) * 100 / total));
        progress->processEvents();
    };
    thread.wake();
    const int wait = shown ? SchemaSteps::WaitMilliseconds : -1;
    while (!thread.waitIdle(wait))
        report();
    if (!thread.error().isEmpty())
        throw StoreError(thread.error());
    // The last of the index is copied back from the log, up to 64 MB of it:
    // the window stays alive for that too.
    while (!thread.waitLogCopied(wait))
        report();
    if (shown)
        report();
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
