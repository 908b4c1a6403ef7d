// Builds a store of --messages messages (1,000,000 by default) in 2,000
// conferences of one system plus a second system of 100,000, then times:
// the system window from opening to shown and idle, a 28,000-message
// conference from Enter to the reader's start, deleting the second system,
// and bulk deleting every read message (50,000) of the first. Each is set
// against bare SQL doing the same work in the same run; deletions also
// report the longest stretch without a chance to run window events.
#include "maint/BulkDeleter.h"
#include "maint/SystemsListDeleter.h"
#include "state/AppState.h"
#include "store/Database.h"
#include "store/MessageStore.h"
#include "store/Statement.h"
#include "system/SystemWindow.h"
#include "ui/FileDialogs.h"
#include "ui/HelpTopics.h"
#include "ui/ProgressWindow.h"
#include "ui/Prompts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QKeyEvent>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

using namespace marvik;

namespace {

const QString Big = QStringLiteral("BIG");
const QString Second = QStringLiteral("SECOND");
constexpr int Conferences = 2000;
constexpr int LargeConference = 7;

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double msSince(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

class SilentPrompts : public ui::Prompts
{
public:
    QStringList errors;
    bool ask(const QString &, bool) override { return false; }
    void inform(const QString &) override { }
    void error(const QString &text) override { errors << text; }
};

class NoHelp : public ui::HelpTopics
{
public:
    void showTopic(int) override { }
};

class NoFileDialogs : public ui::FileDialogs
{
public:
    QString openFile(const QString &, const QString &, const QString &) override { return {}; }
    QString saveFile(
        const QString &, const QString &, const QString &, const QString &, Existing) override
    {
        return {};
    }
};

// The real progress window, recording the longest stretch between two
// chances to run window events (from the start of the work to its end).
class GapRecorder : public ui::Progress
{
public:
    explicit GapRecorder(ui::ProgressWindow &window)
        : m_window(window)
    { }
    void begin()
    {
        m_timer.start();
        m_last = 0;
        m_longest = 0;
        m_longestStep.clear();
    }
    void end() { mark(); }
    qint64 longestGapMs() const { return m_longest; }
    // The progress text when the longest stretch ended: which step held
    // the window.
    QString longestGapStep() const { return m_longestStep; }

    void setCaption(const QString &caption) override { m_window.setCaption(caption); }
    void setText(const QString &text) override { m_window.setText(text); }
    void setPosition(int percent) override { m_window.setPosition(percent); }
    void show() override { m_window.show(); }
    void hide() override { m_window.hide(); }
    void processEvents() override
    {
        // The window lets events run only every ~30 ms; a gap counts
        // from one real run to the next.
        const int before = m_window.eventRuns();
        m_window.processEvents();
        if (m_window.eventRuns() != before)
            mark();
    }

private:
    void mark()
    {
        const qint64 now = m_timer.elapsed();
        if (now - m_last > m_longest) {
            m_longest = now - m_last;
            m_longestStep = m_window.text();
        }
        m_last = now;
    }

    ui::ProgressWindow &m_window;
    QElapsedTimer m_timer;
    qint64 m_last = 0;
    qint64 m_longest = 0;
    QString m_longestStep;
};

// Appends `count` messages of system `qwkId`: conference LargeConference of
// the first system gets `large` of them, the rest are spread over every
// conference; every `readEvery`-th is read. Counts are raised once per
// conference at the end, all in one transaction.
void addMessages(store::MessageStore &store, const QString &qwkId, int count, int conferences,
    int large, int readEvery, int firstNumber)
{
    QMap<int, std::pair<int, int>> counts;
    store.beginTransaction();
    store::MessageRecord m;
    m.qwkId = qwkId;
    m.status = QStringLiteral(" ");
    m.date = QStringLiteral("12-08-26");
    m.time = QStringLiteral("21:05");
    m.to = QStringLiteral("ALL");
    m.from = QStringLiteral("SAM SYSOP");
    m.subject = QStringLiteral("Benchmark message");
    m.text = QStringLiteral("A short line of text, as most messages start.\r\n");
    for (int i = 0; i < count; ++i) {
        // The large conference gets exactly `large` messages.
        const int spread = i % conferences;
        m.conferenceNumber = i < large  ? LargeConference
            : spread == LargeConference ? (spread + 1) % conferences
                                        : spread;
        m.messageNumber = firstNumber + i;
        m.read = readEvery > 0 && i % readEvery == 0;
        m.personal = false;
        store.appendMessage(m);
        auto &c = counts[m.conferenceNumber];
        c.first += 1;
        c.second += m.read ? 0 : 1;
    }
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        store.addToConferenceCounts(it.key(), qwkId, it.value().first, it.value().second);
    store.commit();
}

void addSystem(store::MessageStore &store, const QString &qwkId, int conferences)
{
    store.beginTransaction();
    store::SystemRecord system;
    system.qwkId = qwkId;
    system.yourName = QStringLiteral("JOHN SMITH");
    system.welcomeScreen = QStringLiteral("Welcome");
    store.saveSystem(system);
    store.saveConferenceName(-2, qwkId, QStringLiteral("Replies"));
    store.saveConferenceName(-1, qwkId, QStringLiteral("Personal"));
    for (int c = 0; c < conferences; ++c)
        store.saveConferenceName(c, qwkId, QStringLiteral("Conference %1").arg(c));
    for (int b = 1; b <= 20; ++b)
        store.saveBulletin({0, qwkId, b % 3, b, QStringLiteral("Bulletin %1").arg(b)});
    store.commit();
}

void exec(store::MessageStore &store, const QString &sql, const QVariantList &values)
{
    store::Statement &s = store.prepared(sql);
    for (int i = 0; i < values.size(); ++i)
        s.bindVariant(i + 1, values.at(i));
    while (s.step()) { }
    s.reset();
}

// The same rows, selected by key and deleted one by one with a prepared
// statement: what the program does, without its counts and progress.
void deleteRowByRow(store::MessageStore &store, const QString &table, const QString &where,
    const QVariantList &values)
{
    QList<qint64> keys;
    store::Statement &select = store.prepared(
        QStringLiteral("SELECT rowid FROM %1 WHERE %2 ORDER BY rowid").arg(table, where));
    for (int i = 0; i < values.size(); ++i)
        select.bindVariant(i + 1, values.at(i));
    while (select.step())
        keys << select.int64(0);
    select.reset();
    store::Statement &remove
        = store.prepared(QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(table));
    for (const qint64 key : keys) {
        remove.bind(1, key);
        while (remove.step()) { }
        remove.reset();
    }
}

// The bulk delete and its floors must meet the same store: read messages
// scattered among unread ones, as a user's store has them. The read rows are
// kept aside once and put back under their own keys after each deletion;
// appended anew they would lie together at the end, a far easier deletion.
void keepReadMessages(store::MessageStore &store, const QString &readOnes)
{
    exec(store,
        QStringLiteral("CREATE TEMP TABLE KeptRead AS SELECT * FROM MESSAGES WHERE ") + readOnes,
        {Big});
}

// After the program's deletion the counts come back too; the floors keep
// none, so theirs stay as they were.
void restoreReadMessages(store::MessageStore &store, bool counts)
{
    store.beginTransaction();
    exec(store, QStringLiteral("INSERT INTO MESSAGES SELECT * FROM temp.KeptRead"), {});
    if (counts) {
        exec(store,
            QStringLiteral("UPDATE CONFS SET \"Total Msgs\" = \"Total Msgs\" + k.n FROM "
                           "(SELECT \"Conference Number\" AS c, COUNT(*) AS n FROM temp.KeptRead "
                           "GROUP BY 1) AS k WHERE \"QwkID\" = ? AND \"Conference Number\" = k.c"),
            {Big});
    }
    store.commit();
    store.waitForCheckpoint();
}

void printLine(const QString &what, double ms, const QString &floorWhat, double floorMs,
    const QString &extra = {})
{
    out() << what << ": " << QString::number(ms, 'f', 1) << " ms" << extra << "; floor ("
          << floorWhat << ") " << QString::number(floorMs, 'f', 1) << " ms; ratio "
          << QString::number(ms / std::max(floorMs, 0.001), 'f', 2) << Qt::endl;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    int messages = 1000000;
    int runs = 5;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--messages") && i + 1 < args.size()) {
            messages = std::max(60000, args[++i].toInt());
        } else if (args[i] == QLatin1String("--runs") && i + 1 < args.size()) {
            runs = std::max(1, args[++i].toInt());
        } else {
            const bool help = args[i] == QLatin1String("--help") || args[i] == QLatin1String("-h");
            std::fprintf(help ? stdout : stderr,
                "usage: bench_browse [--messages N] [--runs R]\n"
                "Times the system window, a large conference, system deletion and bulk delete on\n"
                "a generated store of N messages (default 1000000, at least 60000).\n");
            return help ? 0 : 2;
        }
    }
    // The second system and the read messages scale with the store.
    const int secondMessages = messages / 10;
    const int readEvery = 20; // 50,000 read of 1,000,000
    const int large = std::min(28000, messages / 4);

    QTemporaryDir dir;
    const state::AppFolders folders(dir.path());
    folders.create(nullptr);
    state::AppState state(folders, state::Settings(folders.base()),
        std::make_unique<store::MessageStore>(folders.storeFile()), {});
    SilentPrompts prompts;
    NoHelp help;
    NoFileDialogs fileDialogs;
    ui::ProgressWindow progressWindow;
    GapRecorder progress(progressWindow);
    state.setServices({&prompts, &progress, &fileDialogs, &help});
    store::MessageStore &store = state.store();

    QElapsedTimer generation;
    generation.start();
    addSystem(store, Big, Conferences);
    addMessages(store, Big, messages, Conferences, large, readEvery, 1);
    out() << "generated " << messages << " messages in " << Conferences << " conferences in "
          << QString::number(generation.elapsed() / 1000.0, 'f', 1) << " s" << Qt::endl;

    // System window: opening to shown and idle.
    system::SystemWindow window(state);
    int readerCount = 0;
    QElapsedTimer readerTimer;
    double readerMs = 0;
    QObject::connect(&window, &system::SystemWindow::readerRequested, [&] {
        readerMs = msSince(readerTimer);
        readerCount = state.messageCount();
    });
    QList<double> openTimes, openFloor, confTimes, confFloor;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        state.setCurrentQwkId(Big);
        window.openSystem();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        openTimes << msSince(timer);

        window.conferenceView()->setCurrentIndex(
            window.conferenceView()->model()->index(LargeConference + 2, 0));
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        readerTimer.start();
        QCoreApplication::sendEvent(window.conferenceView(), &enter);
        confTimes << readerMs;
        window.closeAction()->trigger();
        window.closeSystem();

        // Floor: read the system row, its conferences and bulletins.
        timer.start();
        store.findSystem(Big);
        store.conferences(Big);
        store.bulletinNumbers(Big);
        openFloor << msSince(timer);

        // Floor: the keys of the conference's messages.
        timer.start();
        store::Statement &keys = store.prepared(QStringLiteral(
            "SELECT rowid, \"Read Flag\" FROM MESSAGES WHERE \"QwkID\" = ? AND \"Conference "
            "Number\" = ? ORDER BY rowid"));
        keys.bind(1, Big);
        keys.bind(2, LargeConference);
        int floorCount = 0;
        while (keys.step())
            ++floorCount;
        keys.reset();
        confFloor << msSince(timer);
        if (floorCount != readerCount)
            out() << "conference count differs: " << readerCount << " vs " << floorCount
                  << Qt::endl;
    }
    printLine(QStringLiteral("open system window, %1 conferences, to shown and idle "
                             "(target 150 ms)")
                  .arg(Conferences),
        median(openTimes), QStringLiteral("read system, conferences, bulletins"),
        median(openFloor));
    printLine(QStringLiteral("open a %1-message conference up to the reader (target 15 ms)")
                  .arg(readerCount),
        median(confTimes), QStringLiteral("select its keys"), median(confFloor));

    // Deleting a system, and bulk deleting the read messages.
    QList<double> systemTimes, systemFloor, systemRows, bulkTimes, bulkFloor, bulkRows;
    const QString bySystem = QStringLiteral("\"QwkID\" = ?");
    const QString readOnes
        = QStringLiteral("\"QwkID\" = ? AND \"Read Flag\" = 1 AND \"Conference Number\" <> -2");
    qint64 systemGap = 0, bulkGap = 0;
    QString systemGapStep, bulkGapStep;
    int bulkDeleted = 0;
    keepReadMessages(store, readOnes);
    for (int run = 0; run < runs; ++run) {
        addSystem(store, Second, 50);
        addMessages(store, Second, secondMessages, 50, 0, 3, 1);
        progress.begin();
        QElapsedTimer timer;
        timer.start();
        maint::SystemsListDeleter(state.operations(), progress, prompts).deleteSystem(Second);
        systemTimes << msSince(timer);
        progress.end();
        if (progress.longestGapMs() > systemGap) {
            systemGap = progress.longestGapMs();
            systemGapStep = progress.longestGapStep();
        }

        addSystem(store, Second, 50);
        addMessages(store, Second, secondMessages, 50, 0, 3, 1);
        timer.start();
        store.beginTransaction();
        for (const char *table : {"BULLETIN", "MESSAGES", "CONFS", "QWKIDS"})
            exec(store,
                QStringLiteral("DELETE FROM %1 WHERE \"QwkID\" = ?").arg(QLatin1String(table)),
                {Second});
        store.commit();
        systemFloor << msSince(timer);

        addSystem(store, Second, 50);
        addMessages(store, Second, secondMessages, 50, 0, 3, 1);
        timer.start();
        store.beginTransaction();
        for (const char *table : {"BULLETIN", "MESSAGES", "CONFS", "QWKIDS"})
            deleteRowByRow(store, QLatin1String(table), bySystem, {Second});
        store.commit();
        systemRows << msSince(timer);

        progress.begin();
        timer.start();
        bulkDeleted = maint::BulkDeleter(state.operations(), progress, prompts)
                          .deleteMessages(Big, 0, maint::BulkDeleter::Scope::AllConferences,
                              maint::BulkDeleter::Kind::ReadMessages);
        bulkTimes << msSince(timer);
        progress.end();
        if (progress.longestGapMs() > bulkGap) {
            bulkGap = progress.longestGapMs();
            bulkGapStep = progress.longestGapStep();
        }

        restoreReadMessages(store, true);
        timer.start();
        store.beginTransaction();
        exec(store, QStringLiteral("DELETE FROM MESSAGES WHERE ") + readOnes, {Big});
        store.commit();
        bulkFloor << msSince(timer);

        restoreReadMessages(store, false);
        timer.start();
        store.beginTransaction();
        deleteRowByRow(store, QStringLiteral("MESSAGES"), readOnes, {Big});
        store.commit();
        bulkRows << msSince(timer);
        restoreReadMessages(store, false);
    }
    const QString system
        = QStringLiteral("delete a %1-message system (target ratio 2.0)").arg(secondMessages);
    const QString systemGapText = QStringLiteral(", longest event gap %1 ms (ending at \"%2\")")
                                      .arg(systemGap)
                                      .arg(systemGapStep);
    printLine(system, median(systemTimes), QStringLiteral("one DELETE per table, by QwkID"),
        median(systemFloor), systemGapText);
    printLine(system, median(systemTimes),
        QStringLiteral("the same rows deleted one by one by key"), median(systemRows),
        systemGapText);
    const QString bulk = QStringLiteral("bulk delete All Conferences / Read Messages, %1 "
                                        "messages (target ratio 2.0)")
                             .arg(bulkDeleted);
    const QString bulkGapText = QStringLiteral(", longest event gap %1 ms (ending at \"%2\")")
                                    .arg(bulkGap)
                                    .arg(bulkGapStep);
    printLine(bulk, median(bulkTimes), QStringLiteral("one DELETE of the read messages"),
        median(bulkFloor), bulkGapText);
    printLine(bulk, median(bulkTimes), QStringLiteral("the same rows deleted one by one by key"),
        median(bulkRows), bulkGapText);
    if (!prompts.errors.isEmpty())
        out() << "errors: " << prompts.errors.join(QStringLiteral("; ")) << Qt::endl;
    out() << "medians of " << runs << " runs" << Qt::endl;
    return 0;
}
