#include "ListBench.h"

#include "BenchSupport.h"

#include "reader/MessageListView.h"
#include "reader/ReaderWindow.h"
#include "state/AppState.h"
#include "store/LiveQuery.h"
#include "store/MessageListQueries.h"
#include "store/MessageStore.h"
#include "store/Selections.h"
#include "store/Statement.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

using namespace marvik;
using namespace benchsupport;

namespace {

const QString System = QStringLiteral("BENCH");
constexpr int ListConference = 1;
constexpr int Runs = 5;

void report(const char *what, double ours, double floor)
{
    std::printf("%-48s median %8.3f ms, floor %8.3f ms, ratio %.2f\n", what, ours, floor,
        floor > 0 ? ours / floor : 0.0);
}

// `total` messages, `inList` of them in the list's conference, the rest
// spread over nine others. A third of the list's messages answer an earlier
// one, by number and, for half of those, by HEADERS.DAT id.
void generate(store::MessageStore &db, int total, int inList)
{
    store::SystemRecord system;
    system.qwkId = System;
    system.yourName = QStringLiteral("BENCH USER");
    db.saveSystem(system);
    db.saveConferenceName(-2, System, QStringLiteral("Replies"));
    db.saveConferenceName(-1, System, QStringLiteral("Personal"));
    for (int c = 1; c <= 10; ++c)
        db.saveConferenceName(c, System, QStringLiteral("Conference %1").arg(c));
    db.beginTransaction();
    QList<int> perConference(11, 0);
    for (int i = 0; i < total; ++i) {
        const int conference = i < inList ? ListConference : 2 + i % 9;
        const int number = ++perConference[conference];
        store::MessageRecord m;
        m.qwkId = System;
        m.conferenceNumber = conference;
        m.messageNumber = number;
        m.from = QStringLiteral("SOMEONE %1").arg((number * 7919) % 997);
        m.to = number % 5 ? QStringLiteral("ALL") : QStringLiteral("SOMEONE %1").arg(number % 991);
        const int topic = (number * 104729) % 5003;
        if (number % 3 == 0 && number > 3) {
            m.referenceNumber = number - 1 - (number % 17);
            m.subject = QStringLiteral("Re: Topic %1").arg(topic);
            if (number % 2)
                m.inReplyTo
                    = QStringLiteral("<%1.%2@bench>").arg(conference).arg(m.referenceNumber);
        } else {
            m.subject = QStringLiteral("Topic %1").arg(topic);
        }
        m.messageId = QStringLiteral("<%1.%2@bench>").arg(conference).arg(number);
        m.date = QStringLiteral("%1-%2-%3")
                     .arg(1 + number % 12, 2, 10, QLatin1Char('0'))
                     .arg(1 + number % 28, 2, 10, QLatin1Char('0'))
                     .arg(90 + number % 20 > 99 ? 90 + number % 20 - 100 : 90 + number % 20, 2, 10,
                         QLatin1Char('0'));
        m.time = QStringLiteral("%1:%2")
                     .arg(number % 24, 2, 10, QLatin1Char('0'))
                     .arg(number % 60, 2, 10, QLatin1Char('0'));
        m.read = number % 4 != 0;
        m.text = messageText(number);
        db.appendMessage(m);
        if (i % 50000 == 49999) {
            db.commit();
            db.beginTransaction();
        }
    }
    db.commit();
    for (int c = 1; c <= 10; ++c)
        db.addToConferenceCounts(c, System, perConference[c], perConference[c] / 4);
}

// Runs the events until none is waiting: painting included.
void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

// The floor's reads: the keys and read flags in an order, with bare SQL.
int floorKeys(store::MessageStore &db, const QString &orderBy)
{
    store::Statement &s = db.prepared(
        QStringLiteral("SELECT rowid, \"Read Flag\" FROM MESSAGES WHERE \"QwkID\" = ? AND "
                       "\"Conference Number\" = ? ORDER BY ")
        + orderBy);
    s.bind(1, System);
    s.bind(2, ListConference);
    QList<qint64> keys;
    QList<bool> read;
    while (s.step()) {
        keys.append(s.int64(0));
        read.append(s.int64(1) != 0);
    }
    s.reset();
    return int(keys.size());
}

// The floor's page of lines: the same columns read by key.
void floorPage(store::MessageStore &db, qint64 firstKey, int rows)
{
    store::Statement &s = db.prepared(
        QStringLiteral("SELECT \"Message Number\", \"From\", \"To\", \"Subject\", \"Date\", "
                       "\"Time\", \"Read Flag\", \"Personal\", \"Message Status\", \"Marked\" "
                       "FROM MESSAGES WHERE rowid = ?"));
    for (int i = 0; i < rows; ++i) {
        s.bind(1, firstKey + i);
        if (s.step())
            (void)s.text(3);
        s.reset();
    }
}

} // namespace

int runListBench(const QStringList &arguments)
{
    int total = 1000000;
    int inList = 100000;
    QString folder;
    for (int i = 0; i + 1 < arguments.size(); ++i) {
        if (arguments.at(i) == QLatin1String("--messages"))
            total = arguments.at(i + 1).toInt();
        else if (arguments.at(i) == QLatin1String("--conference"))
            inList = arguments.at(i + 1).toInt();
        else if (arguments.at(i) == QLatin1String("--store"))
            folder = arguments.at(i + 1);
    }
    inList = std::min(inList, total);
    QTemporaryDir temporary;
    if (folder.isEmpty())
        folder = temporary.path();
    QDir().mkpath(folder);
    const QString path
        = QDir(folder).filePath(QStringLiteral("list-%1-%2.db").arg(total).arg(inList));
    const bool existed = QFile::exists(path);
    auto db = std::make_unique<store::MessageStore>(path);
    if (!existed) {
        QElapsedTimer clock;
        clock.start();
        generate(*db, total, inList);
        std::printf("generated %d messages (%d in the list's conference) in %.1f s\n", total,
            inList, clock.elapsed() / 1000.0);
    }

    state::AppState state {
        state::AppFolders {folder}, state::Settings {folder}, std::move(db), QStringList()};
    ScriptedServices services(state);
    const testing::FakePrompts &prompts = services.prompts;
    state.setCurrentQwkId(System);
    state.loadSystemLists();
    store::MessageStore &store = state.store();
    const store::Selection list = store::Selections::conferenceMessages(System, ListConference);

    reader::ReaderWindow reader(state);
    reader.resize(1000, 760);
    QPlainTextEdit bare;
    bare.setReadOnly(true);
    bare.resize(1000, 500);

    // Warm up on a small conference, so the memory measured next is what
    // the list's conference adds.
    state.messages().open(store::Selections::conferenceMessages(System, 2));
    state.messages().reorder({});
    reader.openConference(2);
    settle();
    reader.closeConference();
    settle();
    const double rssBefore = rssMegabytes();
    double rssAfter = 0;

    QList<double> opens, floorOpens;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer t;
        t.start();
        state.messages().open(list);
        reader.openConference(ListConference);
        settle();
        opens.append(elapsedMs(t));
        if (run == 0)
            rssAfter = rssMegabytes();
        reader.closeConference();
        settle();

        t.start();
        floorKeys(store, QStringLiteral("rowid"));
        floorPage(store, 1, 40);
        bare.setPlainText(store.findMessage(1)->text);
        bare.show();
        settle();
        floorOpens.append(elapsedMs(t));
        bare.hide();
    }
    report("open the conference with the list, to idle", median(opens), median(floorOpens));

    state.messages().open(list);
    reader.openConference(ListConference);
    settle();
    const struct
    {
        const char *what;
        store::ListSort sort;
        QString floorOrder;
    } sorts[] = {
        // The floor orders by the same keys, with the same functions.
        {"sort by Subject", store::ListSort::Subject,
            QStringLiteral("marvik_subject_key(\"Subject\"), rowid")},
        {"sort by From", store::ListSort::From, QStringLiteral("marvik_name_key(\"From\"), rowid")},
        {"sort by Date", store::ListSort::Date,
            QStringLiteral("marvik_date_key(\"Date\", \"Time\"), rowid")},
    };
    for (const auto &sort : sorts) {
        QList<double> ours, floor;
        for (int run = 0; run < Runs; ++run) {
            QElapsedTimer t;
            t.start();
            reader.sortList(sort.sort, run % 2 == 1);
            settle();
            ours.append(elapsedMs(t));
            t.start();
            floorKeys(store, sort.floorOrder);
            floorPage(store, 1, 40);
            floor.append(elapsedMs(t));
        }
        report(sort.what, median(ours), median(floor));
    }
    reader.sortList(store::ListSort::Store, false);
    settle();

    QList<double> threads, floorThreads;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer t;
        t.start();
        reader.action(reader::ReaderWindow::Threads)->trigger();
        settle();
        threads.append(elapsedMs(t));
        reader.action(reader::ReaderWindow::Threads)->trigger();
        settle();
        t.start();
        floorKeys(store, QStringLiteral("rowid"));
        const auto fields = store::MessageListQueries::threadFields(store, list, {});
        floorPage(store, 1, 40);
        floorThreads.append(elapsedMs(t));
    }
    report("build the thread view", median(threads), median(floorThreads));

    reader::MessageListView *view = reader.listView();
    QList<double> pages, floorPages, selects, floorSelects;
    QScrollBar *bar = view->verticalScrollBar();
    bar->setValue(bar->maximum() / 3);
    settle();
    for (int run = 0; run < 50; ++run) {
        QElapsedTimer t;
        t.start();
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        view->viewport()->repaint();
        pages.append(elapsedMs(t));
        t.start();
        floorPage(store, 30000 + run * 40, 40);
        floorPages.append(elapsedMs(t));
    }
    report("scroll the list one page", median(pages), median(floorPages));

    for (int run = 0; run < 50; ++run) {
        const QModelIndex line = view->indexAt(QPoint(10, 10 + (run % 10) * 16));
        QElapsedTimer t;
        t.start();
        view->setCurrentIndex(line);
        settle();
        selects.append(elapsedMs(t));
        t.start();
        bare.setPlainText(store.findMessage(30000 + run)->text);
        settle();
        floorSelects.append(elapsedMs(t));
    }
    report("choose a line to the message shown", median(selects), median(floorSelects));
    reader.closeConference();

    std::printf("RSS added by opening the %d-message conference with its list: %.1f MB "
                "(%.1f -> %.1f MB)\n",
        inList, rssAfter - rssBefore, rssBefore, rssAfter);
    if (!prompts.errors.isEmpty())
        std::printf("errors: %s\n", qPrintable(prompts.errors.join(QStringLiteral("; "))));
    return 0;
}
