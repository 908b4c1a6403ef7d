#include "system/BrowseFixture.h"

#include "maint/SystemsListWindow.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QScreen>
#include <QTimer>
#include <QTreeWidget>

using namespace browsetest;
using marvik::maint::SystemsListWindow;

class TestSystemsListWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void emptyStore();
    void listsInOrder();
    void openRunsTheSystemWindow();
    void deleteAnsweredNo();
    void deleteQuestionCountsUnsentReplies_data();
    void deleteQuestionCountsUnsentReplies();
    void deletingTheLastClosesTheList();
    void runWaitsForClose_data();
    void runWaitsForClose();
};

namespace {

void addSystems(BrowseFixture &f, const QStringList &ids)
{
    for (const QString &id : ids) {
        f.addSystem(id, {{0, QStringLiteral("Main")}});
        f.addMessage(id, 0, false);
    }
}

} // namespace

void TestSystemsListWindow::emptyStore()
{
    BrowseFixture f;
    int runs = 0;
    SystemsListWindow window(*f.state);
    connect(&window, &SystemsListWindow::systemRequested, this, [&] { ++runs; });
    window.run();
    QCOMPARE(f.prompts.informations,
        QStringList {QStringLiteral("There are no BBS systems available yet.")});
    QVERIFY(!window.isVisible());
    QCOMPARE(runs, 0);
}

void TestSystemsListWindow::listsInOrder()
{
    BrowseFixture f;
    addSystems(f, {QStringLiteral("ZETA"), QStringLiteral("ALPHA"), QStringLiteral("MIDDLE")});
    auto middle = *f.store().findSystem(QStringLiteral("MIDDLE"));
    middle.bbsName = QStringLiteral("The Middle of Nowhere BBS");
    f.store().saveSystem(middle);
    f.addMessage(QStringLiteral("MIDDLE"), 0, false, true); // counted once, not again as personal
    f.addMessage(QStringLiteral("MIDDLE"), 0, true);
    f.state->operations().storeWrittenMessage(QStringLiteral("ZETA"), {store::MessageRecord()});
    SystemsListWindow window(*f.state);
    QVERIFY(window.openList());
    QVERIFY(window.isVisible());
    QCOMPARE(window.windowTitle(), QStringLiteral("BBS Systems"));
    QStringList shown;
    QTreeWidget *list = window.list();
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = list->topLevelItem(i);
        shown << QStringLiteral("%1|%2|%3").arg(item->text(0), item->text(1), item->text(2));
    }
    // By BBS id, with the name and the unread messages (replies are not unread).
    QCOMPARE(shown, (QStringList {"ALPHA||1", "MIDDLE|The Middle of Nowhere BBS|2", "ZETA||1"}));

    // Every column shows its whole text.
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    int columns = 0;
    for (int column = 0; column < list->columnCount(); ++column) {
        QVERIFY(list->columnWidth(column) >= list->header()->sectionSizeHint(column));
        for (int row = 0; row < list->topLevelItemCount(); ++row) {
            const QTreeWidgetItem *item = list->topLevelItem(row);
            QVERIFY(list->columnWidth(column)
                >= list->fontMetrics().horizontalAdvance(item->text(column)));
        }
        columns += list->columnWidth(column);
    }
    QVERIFY(list->viewport()->width() >= columns);
    QVERIFY(window.screen()->availableGeometry().contains(window.frameGeometry()));
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(window.list(), Qt::Key_F1);
    QCOMPARE(f.help.topics, QList<int> {ui::HelpTopics::SystemsListTopic});
}

void TestSystemsListWindow::openRunsTheSystemWindow()
{
    BrowseFixture f;
    addSystems(f, {QStringLiteral("ONE"), QStringLiteral("TWO")});
    QStringList opened;
    QList<bool> listVisible;
    SystemsListWindow *list = nullptr;
    SystemsListWindow window(*f.state);
    connect(&window, &SystemsListWindow::systemRequested, this, [&](const QString &qwkId) {
        opened << qwkId;
        listVisible << list->isVisible();
        // What the user does in the system window shows in the list after it.
        f.addMessage(qwkId, 0, false);
    });
    list = &window;
    QVERIFY(window.openList());
    window.list()->setCurrentItem(window.list()->topLevelItem(1));
    QTest::keyClick(window.list(), Qt::Key_Return);
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.list()->setCurrentItem(window.list()->topLevelItem(0));
    const QRect first = window.list()->visualItemRect(window.list()->topLevelItem(0));
    QTest::mouseClick(window.list()->viewport(), Qt::LeftButton, {}, first.center());
    QTest::mouseDClick(window.list()->viewport(), Qt::LeftButton, {}, first.center());
    QCOMPARE(opened, (QStringList {"TWO", "ONE"}));
    QCOMPARE(window.list()->topLevelItem(0)->text(2), QStringLiteral("2"));
    QCOMPARE(window.list()->topLevelItem(1)->text(2), QStringLiteral("2"));
    // The system just closed stays selected.
    QCOMPARE(window.list()->currentItem()->text(0), QStringLiteral("ONE"));
    QCOMPARE(listVisible, (QList<bool> {false, false}));
    QVERIFY(window.isVisible());
}

void TestSystemsListWindow::deleteAnsweredNo()
{
    BrowseFixture f;
    addSystems(f, {QStringLiteral("ONE"), QStringLiteral("TWO")});
    SystemsListWindow window(*f.state);
    QVERIFY(window.openList());
    f.prompts.answers = {false, true};
    window.deleteAction()->trigger();
    QCOMPARE(
        f.prompts.questions, QStringList {QStringLiteral("Are you sure you want to delete ONE?")});
    QCOMPARE(f.prompts.yesDefaults, QList<bool> {false}); // deleting defaults to No
    QVERIFY(f.store().findSystem(QStringLiteral("ONE")));
    QCOMPARE(f.rows(QString(), {}), 2);
    QVERIFY(window.isVisible());

    window.deleteAction()->trigger();
    QVERIFY(!f.store().findSystem(QStringLiteral("ONE")));
    QCOMPARE(window.list()->topLevelItemCount(), 1);
    QVERIFY(window.isVisible());
    QVERIFY(!window.isClosing());
    QCOMPARE(f.progress.captions.first(), QStringLiteral("Deleting Messages"));
}

void TestSystemsListWindow::deleteQuestionCountsUnsentReplies_data()
{
    QTest::addColumn<int>("replies");
    QTest::addColumn<QString>("question");
    const QString ask = QStringLiteral("Are you sure you want to delete ONE?");
    QTest::newRow("none") << 0 << ask;
    QTest::newRow("one") << 1
                         << ask
            + QStringLiteral("\n\nIts unsent reply (the message in its Replies conference, not "
                             "yet packed) will be lost with it.");
    QTest::newRow("several") << 3
                             << ask
            + QStringLiteral("\n\nIts 3 unsent replies (the messages in its Replies conference, "
                             "not yet packed) will be lost with it.");
}

void TestSystemsListWindow::deleteQuestionCountsUnsentReplies()
{
    QFETCH(int, replies);
    QFETCH(QString, question);
    BrowseFixture f;
    addSystems(f, {QStringLiteral("ONE"), QStringLiteral("TWO")});
    // The other system's replies are not this one's loss.
    f.state->operations().storeWrittenMessage(QStringLiteral("TWO"), {store::MessageRecord()});
    for (int i = 0; i < replies; ++i)
        f.state->operations().storeWrittenMessage(QStringLiteral("ONE"), {store::MessageRecord()});
    SystemsListWindow window(*f.state);
    QVERIFY(window.openList());
    f.prompts.answers = {false};
    window.deleteAction()->trigger();
    QCOMPARE(f.prompts.questions, QStringList {question});
    QVERIFY(f.store().findSystem(QStringLiteral("ONE")));
}

void TestSystemsListWindow::deletingTheLastClosesTheList()
{
    BrowseFixture f;
    addSystems(f, {QStringLiteral("ONLY")});
    SystemsListWindow window(*f.state);
    bool closedItself = false;
    QTimer::singleShot(0, &window, [&] {
        window.deleteAction()->trigger();
        closedItself = window.isClosing();
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, &window, [&] { window.closeAction()->trigger(); });
    watchdog.start(5000);
    window.run();
    QVERIFY(closedItself);
    QVERIFY(watchdog.isActive());
    QVERIFY(!window.isVisible());
    QVERIFY(f.store().systemIds().isEmpty());
}

void TestSystemsListWindow::runWaitsForClose_data()
{
    QTest::addColumn<bool>("escape");
    // The desktop's close and Esc are both taken as Close.
    QTest::newRow("desktop close") << false;
    QTest::newRow("Esc") << true;
}

void TestSystemsListWindow::runWaitsForClose()
{
    QFETCH(bool, escape);
    BrowseFixture f;
    addSystems(f, {QStringLiteral("ONE")});
    SystemsListWindow window(*f.state);
    bool visibleWhileWaiting = false;
    QTimer::singleShot(0, &window, [&] {
        visibleWhileWaiting = window.isVisible();
        if (!escape) {
            window.close();
            return;
        }
        QApplication::setActiveWindow(&window);
        if (QTest::qWaitForWindowActive(&window))
            QTest::keyClick(window.list(), Qt::Key_Escape);
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, &window, [&] { window.closeAction()->trigger(); });
    watchdog.start(5000);
    window.run();
    QVERIFY(watchdog.isActive());
    QVERIFY(visibleWhileWaiting);
    QVERIFY(!window.isVisible());
    QVERIFY(!(window.windowFlags() & Qt::WindowCloseButtonHint));
}

QTEST_MAIN(TestSystemsListWindow)
#include "tst_systemslistwindow.moc"
