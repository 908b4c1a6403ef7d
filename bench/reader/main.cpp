// Times the reader on a generated store: opening a 28,000-message conference
// to the first message shown, Next / Previous, mark read, and Next Unread
// from message 1 when only the last message is unread. Each is compared with
// a floor that does the same store reads and text display in a bare text
// view, measured in the same run. Medians of several runs.
#include "BenchSupport.h"
#include "ListBench.h"
#include "reader/ReaderWindow.h"
#include "state/AppState.h"
#include "store/LiveQuery.h"
#include "store/MessageStore.h"
#include "store/Selections.h"
#include "store/Statement.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace marvik;
using namespace benchsupport;

namespace {

const QString System = QStringLiteral("BENCH");
constexpr int BigConference = 1;
constexpr int UnreadConference = 2;
constexpr int SmallConference = 3;
constexpr int BigCount = 28000;
constexpr int UnreadCount = 2000;
constexpr int Steps = 301;
constexpr int OpenRuns = 7;

// Appends the conferences in one transaction; returns the rowid of the last
// message of the big conference.
qint64 generate(store::MessageStore &db)
{
    store::SystemRecord system;
    system.qwkId = System;
    system.yourName = QStringLiteral("BENCH USER");
    db.saveSystem(system);
    db.saveConferenceName(-2, System, QStringLiteral("Replies"));
    db.saveConferenceName(-1, System, QStringLiteral("Personal"));
    db.saveConferenceName(BigConference, System, QStringLiteral("Big"));
    db.saveConferenceName(UnreadConference, System, QStringLiteral("Unread"));
    db.saveConferenceName(SmallConference, System, QStringLiteral("Small"));
    qint64 lastKey = 0;
    db.beginTransaction();
    auto add = [&](int conference, int count, const std::function<bool(int)> &read) {
        for (int n = 1; n <= count; ++n) {
            store::MessageRecord m;
            m.qwkId = System;
            m.conferenceNumber = conference;
            m.messageNumber = n;
            m.from = QStringLiteral("SOMEONE %1").arg(n % 97);
            m.to = QStringLiteral("ALL");
            m.subject = QStringLiteral("Subject %1").arg(n);
            m.date = QStringLiteral("12-24-96");
            m.time = QStringLiteral("18:05");
            m.read = read(n);
            m.text = messageText(n);
            const qint64 key = db.appendMessage(m);
            if (conference == BigConference)
                lastKey = key;
        }
    };
    add(BigConference, BigCount, [](int n) { return n != BigCount; });
    add(UnreadConference, UnreadCount, [](int) { return false; });
    add(SmallConference, 5, [](int) { return false; });
    db.commit();
    db.addToConferenceCounts(BigConference, System, BigCount, 1);
    db.addToConferenceCounts(UnreadConference, System, UnreadCount, UnreadCount);
    db.addToConferenceCounts(SmallConference, System, 5, 5);
    return lastKey;
}

void setReadFlag(store::MessageStore &db, qint64 key, bool read)
{
    store::Statement &s
        = db.prepared(QStringLiteral("UPDATE MESSAGES SET \"Read Flag\" = ? WHERE rowid = ?"));
    s.bind(1, read);
    s.bind(2, key);
    s.step();
    s.reset();
}

// One UPDATE of the read flag in its own transaction: the least a mark read
// can write.
void markReadFloor(store::MessageStore &db, qint64 key)
{
    db.beginTransaction();
    setReadFlag(db, key, true);
    db.commit();
}

// Runs `body` inside a wait loop started by `start`, as the reader's
// commands run inside its own loop.
void insideLoop(const std::function<void()> &start, const std::function<void()> &body)
{
    QTimer::singleShot(0, body);
    start();
}

void report(const char *what, double ours, double floor)
{
    std::printf("%-52s median %8.3f ms, floor %8.3f ms, ratio %.2f\n", what, ours, floor,
        floor > 0 ? ours / floor : 0.0);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc > 1 && QByteArray(argv[1]) == "--list")
        return runListBench(app.arguments());
    if (argc > 1) {
        const bool help = QByteArray(argv[1]) == "--help" || QByteArray(argv[1]) == "-h";
        std::fprintf(help ? stdout : stderr,
            "usage: bench_reader [--list [--messages N] [--conference M] [--store DIR]]\n"
            "Times the reader on a generated store with a 28,000-message conference.\n"
            "--list: the message list on a conference of M (100,000) messages in a\n"
            "store of N (1,000,000), kept in DIR for the next run when given.\n");
        return help ? 0 : 2;
    }

    QTemporaryDir dir;
    QElapsedTimer clock;
    clock.start();
    auto db = std::make_unique<store::MessageStore>(dir.filePath(QStringLiteral("MARVIK.db")));
    const qint64 lastKey = generate(*db);
    std::printf(
        "generated %d + %d messages in %.1f s\n", BigCount, UnreadCount, clock.elapsed() / 1000.0);

    state::AppState state(
        state::AppFolders(dir.path()), state::Settings(dir.path()), std::move(db), QStringList());
    ScriptedServices services(state);
    const testing::FakePrompts &prompts = services.prompts;
    state.setCurrentQwkId(System);
    state.loadSystemLists();
    store::MessageStore &store = state.store();
    const store::Selection big = store::Selections::conferenceMessages(System, BigConference);

    reader::ReaderWindow reader(state);

    // The floor: a bare window with a text view in the same font.
    QMainWindow bare;
    auto *view = new QPlainTextEdit(&bare);
    view->setReadOnly(true);
    view->setLineWrapMode(QPlainTextEdit::NoWrap);
    view->setFont(QFont(QStringLiteral("DejaVu Sans Mono"), 10));
    bare.setCentralWidget(view);
    bare.resize(reader.size());
    auto showText = [&](const store::MessageRecord &m) {
        view->setPlainText(m.text);
        QCoreApplication::processEvents();
    };

    // Warm up both windows on a small conference, so the memory measured
    // next is what the big one adds.
    state.messages().open(store::Selections::conferenceMessages(System, SmallConference));
    insideLoop([&] { reader.RunReader(SmallConference); }, [&] { reader.Exit1Click(); });
    bare.show();
    showText(state.messages().message());
    bare.hide();
    QCoreApplication::processEvents();

    // Opening the big conference: the system window's selection, then the
    // reader to its first (the only unread, the last) message.
    const double rssBefore = rssMegabytes();
    QList<double> opens, runs, floorRuns;
    double rssAfter = 0;
    for (int run = 0; run < OpenRuns; ++run) {
        setReadFlag(store, lastKey, false);
        QElapsedTimer t;
        t.start();
        state.messages().open(big);
        opens.append(elapsedMs(t));
        double shown = 0;
        t.start();
        insideLoop([&] { reader.RunReader(BigConference); },
            [&] {
                shown = elapsedMs(t);
                if (run == 0)
                    rssAfter = rssMegabytes();
                reader.Exit1Click();
            });
        runs.append(shown);
        if (state.messageIndex() != BigCount)
            std::printf(
                "warning: the reader opened on %d, not %d\n", state.messageIndex(), BigCount);

        // The floor: the same message read by its key and shown in a bare
        // window, until its events have run.
        t.start();
        showText(*store.findMessage(lastKey));
        bare.show();
        QCoreApplication::processEvents();
        floorRuns.append(elapsedMs(t));
        bare.hide();
    }
    std::printf("open the selection of %d messages (system window): median %.3f ms\n", BigCount,
        median(opens));
    report("RunReader to the first message shown", median(runs), median(floorRuns));

    // Next and Previous over read messages, inside the reader's loop.
    setReadFlag(store, lastKey, true);
    state.messages().open(big);
    QList<double> nexts, priors, floorNexts, nextUnreads, floorNextUnreads;
    insideLoop([&] { reader.RunReader(BigConference); },
        [&] {
            reader.SpeedButton3Click();
            QElapsedTimer t;
            for (int i = 0; i < Steps; ++i) {
                t.start();
                reader.SpeedButton1Click();
                QCoreApplication::processEvents();
                nexts.append(elapsedMs(t));
            }
            for (int i = 0; i < Steps; ++i) {
                t.start();
                reader.SpeedButton2Click();
                QCoreApplication::processEvents();
                priors.append(elapsedMs(t));
            }
            // Next Unread from message 1 when only the last is unread.
            for (int run = 0; run < OpenRuns; ++run) {
                setReadFlag(store, lastKey, false);
                state.messages().open(big);
                reader.SpeedButton3Click();
                t.start();
                reader.SpeedButton5Click();
                QCoreApplication::processEvents();
                nextUnreads.append(elapsedMs(t));
                if (state.messageIndex() != BigCount)
                    std::printf("warning: Next Unread stopped on %d\n", state.messageIndex());
            }
            reader.Exit1Click();
        });

    bare.show();
    store::LiveQuery &messages = state.messages();
    // Rows the reader has not read yet, so neither side finds them cached.
    messages.moveToRow(BigCount / 2);
    QElapsedTimer t;
    for (int i = 0; i < Steps; ++i) {
        t.start();
        messages.next();
        showText(messages.message());
        floorNexts.append(elapsedMs(t));
    }
    for (int run = 0; run < OpenRuns; ++run) {
        setReadFlag(store, lastKey, false);
        messages.open(big);
        messages.moveToRow(1);
        t.start();
        messages.moveToRow(messages.nextUnreadAfter(1));
        markReadFloor(store, messages.message().recordNumber);
        showText(messages.message());
        floorNextUnreads.append(elapsedMs(t));
    }
    bare.hide();
    report("Next (read messages)", median(nexts), median(floorNexts));
    report("Previous (read messages)", median(priors), median(floorNexts));
    report(
        "Next Unread from 1, only the last unread", median(nextUnreads), median(floorNextUnreads));

    // Mark read: Next onto unread messages, and the store operation alone,
    // against one UPDATE in its own transaction.
    const store::Selection unread = store::Selections::conferenceMessages(System, UnreadConference);
    messages.open(unread);
    QList<double> nextMarks, floorNextMarks, marks, floorMarks;
    insideLoop([&] { reader.RunReader(UnreadConference); },
        [&] {
            QElapsedTimer t;
            for (int i = 0; i < Steps; ++i) {
                t.start();
                reader.SpeedButton1Click();
                QCoreApplication::processEvents();
                nextMarks.append(elapsedMs(t));
            }
            reader.Exit1Click();
        });
    for (int i = 0; i < Steps; ++i) {
        messages.moveToRow(Steps + 10 + i);
        const store::MessageRecord m = messages.message();
        t.start();
        state.operations().markRead(m);
        messages.refresh();
        marks.append(elapsedMs(t));
    }
    for (int i = 0; i < Steps; ++i) {
        messages.moveToRow(2 * Steps + 20 + i);
        const qint64 key = messages.message().recordNumber;
        t.start();
        markReadFloor(store, key);
        floorMarks.append(elapsedMs(t));
    }
    bare.show();
    messages.moveToRow(3 * Steps + 30);
    for (int i = 0; i < Steps; ++i) {
        t.start();
        messages.next();
        markReadFloor(store, messages.message().recordNumber);
        showText(messages.message());
        floorNextMarks.append(elapsedMs(t));
    }
    bare.hide();
    report(
        "Next onto an unread message (marks it read)", median(nextMarks), median(floorNextMarks));
    report("mark read (store operation and refresh)", median(marks), median(floorMarks));

    std::printf("RSS added by opening the %d-message conference: %.1f MB (%.1f -> %.1f MB)\n",
        BigCount, rssAfter - rssBefore, rssBefore, rssAfter);
    if (!prompts.errors.isEmpty())
        std::printf("errors: %s\n", qPrintable(prompts.errors.join(QStringLiteral("; "))));
    return 0;
}
