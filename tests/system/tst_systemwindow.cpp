#include "system/BrowseFixture.h"

#include "state/WindowSettings.h"
#include "store/StoreError.h"
#include "system/ConferenceTableModel.h"
#include "system/SystemWindow.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QTableView>
#include <QTimer>

using namespace browsetest;
using marvik::system::SystemWindow;

class TestSystemWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void opening();
    void missingSystemShowsNothing();
    void screensEnabledByTheirText_data();
    void screensEnabledByTheirText();
    void eraseRepFollowsThePacket();
    void keysInTheConferenceGrid();
    void openConferenceRunsTheReader();
    void openBulletin();
    void storeErrorIsShown();
    void closeRunsExportThenCleanUp_data();
    void closeRunsExportThenCleanUp();
    void widthsAndPlaceAreKeptForTheNextRun();

private:
    void wireFakes();

    std::unique_ptr<BrowseFixture> m_f;
    QStringList m_calls;
    QList<state::EditorRequest> m_editorRequests;
    QList<int> m_readerCounts;
    QList<bool> m_visibleDuringCall;
    std::unique_ptr<SystemWindow> m_window;
};

void TestSystemWindow::init()
{
    m_f = std::make_unique<BrowseFixture>();
    m_calls.clear();
    m_editorRequests.clear();
    m_readerCounts.clear();
    m_visibleDuringCall.clear();
    const QString bbs = QStringLiteral("BBS");
    m_f->addSystem(bbs,
        {{0, QStringLiteral("Main")}, {3, QStringLiteral("Empty")}, {5, QStringLiteral("Chat")}});
    for (int i = 0; i < 3; ++i)
        m_f->addMessage(bbs, 0, i == 0);
    m_f->addMessage(bbs, 5, false, true);
    m_f->store().saveBulletin({0, bbs, 0, 1, QStringLiteral("first")});
    m_f->store().saveBulletin({0, bbs, 5, 2, QStringLiteral("second")});
    m_f->state->setCurrentQwkId(bbs);
    m_window = std::make_unique<SystemWindow>(*m_f->state);
    wireFakes();
}

void TestSystemWindow::cleanup()
{
    m_window.reset();
    m_f.reset();
}

void TestSystemWindow::wireFakes()
{
    SystemWindow *window = m_window.get();
    connect(window, &SystemWindow::readerRequested, this, [this, window] {
        m_calls << QStringLiteral("reader");
        m_readerCounts << m_f->state->messageCount();
        m_visibleDuringCall << window->isVisible();
    });
    connect(window, &SystemWindow::editorRequested, this,
        [this, window](const state::EditorRequest &request) {
            m_calls << QStringLiteral("editor");
            m_editorRequests << request;
            m_visibleDuringCall << window->isVisible();
        });
    connect(window, &SystemWindow::bulkDeleteRequested, this, [this, window](int entry) {
        m_calls << QStringLiteral("bulk %1").arg(entry);
        m_visibleDuringCall << window->isVisible();
    });
    connect(window, &SystemWindow::screenRequested, this,
        [this, window](const QString &title, const QString &text) {
            m_calls << QStringLiteral("screen %1: %2").arg(title, text);
            m_visibleDuringCall << window->isVisible();
        });
    connect(window, &SystemWindow::repliesExportRequested, this,
        [this] { m_calls << QStringLiteral("export"); });
    connect(window, &SystemWindow::readMessagesCleanupRequested, this,
        [this] { m_calls << QStringLiteral("clean up"); });
}

void TestSystemWindow::opening()
{
    QVERIFY(m_window->openSystem());
    QVERIFY(m_window->isVisible());
    QCOMPARE(m_window->windowTitle(), QStringLiteral("BBS"));
    QVERIFY(!(m_window->windowFlags() & Qt::WindowCloseButtonHint));
    QTableView *conferences = m_window->conferenceView();
    QAbstractItemModelTester tester(
        conferences->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(conferences->model()->rowCount(), 5);
    // The personal conference is active at first.
    QCOMPARE(m_window->activeEntry(), 1);
    QCOMPARE(m_window->bulletinView()->currentIndex().row(), 0);
    QCOMPARE(m_window->bulletinView()->model()->rowCount(), 2);
    QVERIFY(!m_window->composeAction()->isEnabled());
    QVERIFY(!m_window->bulkDeleteAction()->isEnabled());
    // Every heading and every count is seen whole.
    for (QTableView *grid : {conferences, m_window->bulletinView()}) {
        for (int column = 0; column < grid->model()->columnCount(); ++column) {
            QVERIFY(grid->columnWidth(column) >= grid->horizontalHeader()->sectionSizeHint(column));
            QVERIFY(grid->columnWidth(column)
                >= static_cast<QAbstractItemView *>(grid)->sizeHintForColumn(column));
        }
    }

    QApplication::setActiveWindow(m_window.get());
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QTest::keyClick(m_window->conferenceView(), Qt::Key_F1);
    QCOMPARE(m_f->help.topics, QList<int> {ui::HelpTopics::SystemWindowTopic});
}

void TestSystemWindow::missingSystemShowsNothing()
{
    m_f->state->setCurrentQwkId(QStringLiteral("NOSUCH"));
    m_window->run();
    QVERIFY(!m_window->isVisible());
    QVERIFY(m_calls.isEmpty());
}

void TestSystemWindow::screensEnabledByTheirText_data()
{
    QTest::addColumn<QStringList>("texts"); // welcome, goodbye, newsletter, new files
    QTest::addColumn<QString>("shown");
    QTest::newRow("none") << QStringList {"", "", "", ""} << QString();
    QTest::newRow("welcome only") << QStringList {"hi", "", "", ""}
                                  << QStringLiteral("screen Welcome Screen: hi");
    QTest::newRow("new files") << QStringList {"", "", "", "files"}
                               << QStringLiteral("screen New Files List: files");
}

void TestSystemWindow::screensEnabledByTheirText()
{
    QFETCH(QStringList, texts);
    QFETCH(QString, shown);
    m_f->store().saveScreens(
        QStringLiteral("BBS"), texts.at(0), texts.at(2), texts.at(1), texts.at(3));
    QVERIFY(m_window->openSystem());
    QAction *actions[] = {m_window->welcomeAction(), m_window->goodbyeAction(),
        m_window->newsletterAction(), m_window->newFilesAction()};
    for (int i = 0; i < 4; ++i)
        QCOMPARE(actions[i]->isEnabled(), !texts.at(i).isEmpty());
    for (QAction *action : actions)
        action->trigger();
    QCOMPARE(m_calls, shown.isEmpty() ? QStringList() : QStringList {shown});
    // Screens open over the window.
    QVERIFY(!m_visibleDuringCall.contains(false));
}

void TestSystemWindow::eraseRepFollowsThePacket()
{
    QVERIFY(m_window->openSystem());
    QVERIFY(!m_window->eraseRepAction()->isEnabled());
    m_window->closeAction()->trigger();
    m_window->closeSystem();

    const QString path = m_f->state->folders().work() + QStringLiteral("/BBS.REP");
    QFile packet(path);
    QVERIFY(packet.open(QIODevice::WriteOnly));
    packet.close();
    int erased = 0;
    connect(m_window.get(), &SystemWindow::replyPacketEraseRequested, this, [&] {
        ++erased;
        QFile::remove(path);
    });
    QVERIFY(m_window->openSystem());
    QVERIFY(m_window->eraseRepAction()->isEnabled());
    m_window->eraseRepAction()->trigger();
    QCOMPARE(erased, 1);
    QVERIFY(!m_window->eraseRepAction()->isEnabled());
}

void TestSystemWindow::keysInTheConferenceGrid()
{
    QVERIFY(m_window->openSystem());
    QTableView *view = m_window->conferenceView();

    // C on a reserved row does nothing.
    QTest::keyClick(view, Qt::Key_C);
    QVERIFY(m_calls.isEmpty());

    // + goes to the next conference with messages: Main (row 2), then Chat.
    QTest::keyClick(view, Qt::Key_Plus);
    QCOMPARE(m_window->activeEntry(), 2);
    QTest::keyClick(view, Qt::Key_Plus);
    QCOMPARE(m_window->activeEntry(), 4);

    QTest::keyClick(view, Qt::Key_C, Qt::ShiftModifier);
    QCOMPARE(m_calls, QStringList {QStringLiteral("editor")});
    QCOMPARE(m_editorRequests.first().conferenceName, QStringLiteral("Chat"));

    // A asks first, defaulting to No: answered No, nothing is queued.
    m_f->prompts.answers = {false};
    QTest::keyClick(view, Qt::Key_A);
    QCOMPARE(m_f->prompts.questions.size(), 1);
    QCOMPARE(m_f->prompts.yesDefaults, QList<bool> {false});
    QVERIFY(m_f->prompts.questions.first().contains(QLatin1String("already receive")));
    QCOMPARE(m_f->state->conferences().at(0).total, 0);
    QVERIFY(m_f->prompts.informations.isEmpty());

    // Answered Yes, the request is queued and the window says so.
    QTest::keyClick(view, Qt::Key_A);
    QCOMPARE(m_f->state->conferences().at(0).total, 1);
    QCOMPARE(view->model()->index(0, 2).data().toString(), QStringLiteral("1 - 0"));
    QCOMPARE(m_f->store().findSystem(QStringLiteral("BBS"))->lastReply, 1);
    QCOMPARE(m_f->prompts.informations.size(), 1);
    QVERIFY(m_f->prompts.informations.first().contains(QLatin1String("conference 5 \"Chat\"")));

    // Wraps round to the replies conference, which now holds the request;
    // A does nothing there, not even ask.
    QTest::keyClick(view, Qt::Key_Plus);
    QCOMPARE(m_window->activeEntry(), 0);
    QTest::keyClick(view, Qt::Key_A);
    QCOMPARE(m_f->state->conferences().at(0).total, 1);
    QCOMPARE(m_f->prompts.questions.size(), 2);

    // Enabled again on a real conference.
    view->setCurrentIndex(view->model()->index(2, 0));
    m_window->bulkDeleteAction()->trigger();
    QCOMPARE(m_calls.last(), QStringLiteral("bulk 3"));
    QVERIFY(m_window->isVisible());
    QVERIFY(m_f->countsAgree(QStringLiteral("BBS")));
    // The editor opens over the window; bulk delete takes its place.
    QCOMPARE(m_visibleDuringCall, (QList<bool> {true, false}));
}

void TestSystemWindow::openConferenceRunsTheReader()
{
    QVERIFY(m_window->openSystem());
    QTableView *view = m_window->conferenceView();
    // Personal: one personal message, in Chat.
    QTest::keyClick(view, Qt::Key_Return);
    view->setCurrentIndex(view->model()->index(3, 0)); // "Empty": nothing to read
    QTest::keyClick(view, Qt::Key_Enter);
    view->setCurrentIndex(view->model()->index(2, 0));
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    const QPoint main = view->visualRect(view->model()->index(2, 1)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, main);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, main);
    QCOMPARE(m_calls, (QStringList {"reader", "reader"}));
    QCOMPARE(m_readerCounts, (QList<int> {1, 3}));
    QCOMPARE(m_visibleDuringCall, (QList<bool> {false, false}));
    QVERIFY(m_window->isVisible());
}

void TestSystemWindow::openBulletin()
{
    QVERIFY(m_window->openSystem());
    QTableView *view = m_window->bulletinView();
    view->setCurrentIndex(view->model()->index(1, 0));
    QTest::keyClick(view, Qt::Key_Return);
    QCOMPARE(
        m_calls, QStringList {QStringLiteral("screen Conference: 5  Bulletin Number: 2: second")});
    QCOMPARE(m_visibleDuringCall, QList<bool> {false});
    QVERIFY(m_window->isVisible());
}

void TestSystemWindow::storeErrorIsShown()
{
    QVERIFY(m_window->openSystem());
    // The window guards what it asks for: a store error is shown, not fatal.
    connect(m_window.get(), &SystemWindow::readerRequested, this,
        [] { throw store::StoreError(QStringLiteral("disk full")); });
    QTableView *view = m_window->conferenceView();
    view->setCurrentIndex(view->model()->index(2, 0));
    QTest::keyClick(view, Qt::Key_Return);
    QCOMPARE(m_f->prompts.errors, QStringList {QStringLiteral("disk full")});
    // The window comes back, so the system can still be closed.
    QVERIFY(m_window->isVisible());
}

void TestSystemWindow::closeRunsExportThenCleanUp_data()
{
    QTest::addColumn<bool>("escape");
    // The desktop's close and Esc are both taken as Close BBS System.
    QTest::newRow("desktop close") << false;
    QTest::newRow("Esc") << true;
}

void TestSystemWindow::closeRunsExportThenCleanUp()
{
    QFETCH(bool, escape);
    bool visibleWhileWaiting = false;
    QTimer::singleShot(0, m_window.get(), [&] {
        visibleWhileWaiting = m_window->isVisible();
        if (!escape) {
            m_window->close();
            return;
        }
        QApplication::setActiveWindow(m_window.get());
        if (QTest::qWaitForWindowActive(m_window.get()))
            QTest::keyClick(m_window->conferenceView(), Qt::Key_Escape);
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, m_window.get(),
        [this] { m_window->closeAction()->trigger(); });
    watchdog.start(5000);
    m_window->run();
    QVERIFY(watchdog.isActive());
    QVERIFY(visibleWhileWaiting);
    QVERIFY(!m_window->isVisible());
    QCOMPARE(m_calls, (QStringList {"export", "clean up"}));
}

QTEST_MAIN(TestSystemWindow)
#include "tst_systemwindow.moc"

// Closed, the window leaves its size and column widths in the settings
// file; the next run's window opens with them.
void TestSystemWindow::widthsAndPlaceAreKeptForTheNextRun()
{
    QVERIFY(m_window->openSystem());
    m_window->resize(m_window->width() + 60, m_window->height() + 30);
    const QSize size = m_window->size();
    m_window->conferenceView()->setColumnWidth(1, 260);
    m_window->closeAction()->trigger();
    m_window->closeSystem();

    state::WindowSettings file(m_f->state->folders().iniFile());
    QVERIFY(file.load());
    QCOMPARE(file.layoutValue("SystemWindow.Conferences").split(',').value(1), QString("260"));

    m_window = std::make_unique<SystemWindow>(*m_f->state);
    QVERIFY(m_window->openSystem());
    QCOMPARE(m_window->size(), size);
    QCOMPARE(m_window->conferenceView()->columnWidth(1), 260);
}
