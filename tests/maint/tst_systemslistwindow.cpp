#include "system/BrowseFixture.h"

#include "maint/SystemsListWindow.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QTimer>

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
    void deletingTheLastClosesTheList();
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
    SystemsListWindow window(*f.state, [&] { ++runs; });
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
    SystemsListWindow window(*f.state, {});
    QVERIFY(window.openList());
    QVERIFY(window.isVisible());
    QCOMPARE(window.windowTitle(), QStringLiteral("BBS Systems"));
    QStringList shown;
    for (int i = 0; i < window.list()->count(); ++i)
        shown << window.list()->item(i)->text();
    QCOMPARE(shown, (QStringList {"ALPHA", "MIDDLE", "ZETA"}));
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
    SystemsListWindow window(*f.state, [&] {
        opened << f.state->currentQwkId();
        listVisible << list->isVisible();
    });
    list = &window;
    QVERIFY(window.openList());
    window.list()->setCurrentRow(1);
    QTest::keyClick(window.list(), Qt::Key_Return);
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.list()->setCurrentRow(0);
    const QRect first = window.list()->visualItemRect(window.list()->item(0));
    QTest::mouseClick(window.list()->viewport(), Qt::LeftButton, {}, first.center());
    QTest::mouseDClick(window.list()->viewport(), Qt::LeftButton, {}, first.center());
    QCOMPARE(opened, (QStringList {"TWO", "ONE"}));
    QCOMPARE(listVisible, (QList<bool> {false, false}));
    QVERIFY(window.isVisible());
}

void TestSystemsListWindow::deleteAnsweredNo()
{
    BrowseFixture f;
    addSystems(f, {QStringLiteral("ONE"), QStringLiteral("TWO")});
    SystemsListWindow window(*f.state, {});
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
    QCOMPARE(window.list()->count(), 1);
    QVERIFY(window.isVisible());
    QVERIFY(!window.isClosing());
    QCOMPARE(f.progress.captions.first(), QStringLiteral("Deleting Messages"));
}

void TestSystemsListWindow::deletingTheLastClosesTheList()
{
    BrowseFixture f;
    addSystems(f, {QStringLiteral("ONLY")});
    SystemsListWindow window(*f.state, {});
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

void TestSystemsListWindow::runWaitsForClose()
{
    BrowseFixture f;
    addSystems(f, {QStringLiteral("ONE")});
    SystemsListWindow window(*f.state, {});
    bool visibleWhileWaiting = false;
    QTimer::singleShot(0, &window, [&] {
        visibleWhileWaiting = window.isVisible();
        // The desktop's close is taken as Close.
        window.close();
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
