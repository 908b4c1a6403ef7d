#include "app/HelpWindow.h"
#include "app/MainWindow.h"
#include "store/MessageStore.h"
#include "support/FakePrompts.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

using marvik::app::AppFolders;
using marvik::app::HelpWindow;
using marvik::app::MainWindow;
using marvik::app::Settings;

namespace {

struct Fixture
{
    QTemporaryDir dir;
    marvik::testing::FakePrompts prompts;
    std::unique_ptr<MainWindow> window;

    Fixture()
    {
        const AppFolders folders(dir.path());
        folders.create(nullptr);
        window = std::make_unique<MainWindow>(folders, Settings(folders.base()),
            std::make_unique<marvik::store::MessageStore>(folders.storeFile()),
            QStringList {"A tagline"}, prompts);
    }
};

QStringList captionsOf(const QList<QAction *> &actions)
{
    QStringList captions;
    for (const QAction *action : actions)
        captions << (action->isSeparator() ? QString("-") : action->text());
    return captions;
}

QAction *actionNamed(QMenuBar *bar, const QString &text)
{
    for (QAction *menu : bar->actions()) {
        for (QAction *action : menu->menu()->actions()) {
            if (action->text() == text)
                return action;
        }
    }
    return nullptr;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void captionAndMenus()
    {
        Fixture f;
        QCOMPARE(f.window->windowTitle(), QString("Marvik"));
        const QList<QAction *> menus = f.window->menuBar()->actions();
        QCOMPARE(captionsOf(menus), (QStringList {"&File", "&Help"}));
        QCOMPARE(captionsOf(menus[0]->menu()->actions()),
            (QStringList {"&Open QWK File", "Open &BBS System", "&Settings", "-", "E&xit"}));
        QCOMPARE(captionsOf(menus[1]->menu()->actions()),
            (QStringList {"&Help Topics", "&About Marvik"}));
    }

    void spansTheTopOfTheScreen()
    {
        Fixture f;
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        const QRect screen = f.window->screen()->geometry();
        QCOMPARE(f.window->x(), screen.left());
        QCOMPARE(f.window->y(), screen.top());
        QCOMPARE(f.window->width(), screen.width());
        QVERIFY(f.window->height() <= 46);
    }

    void commandsNotYetThereSaySo_data()
    {
        QTest::addColumn<QString>("item");
        QTest::newRow("systems list") << "Open &BBS System";
        QTest::newRow("settings") << "&Settings";
    }

    void commandsNotYetThereSaySo()
    {
        QFETCH(QString, item);
        Fixture f;
        QAction *action = actionNamed(f.window->menuBar(), item);
        QVERIFY(action);
        action->trigger();
        QCOMPARE(f.prompts.informations, QStringList {"Not available yet."});
    }

    void openQwkFileRunsItsHandler()
    {
        Fixture f;
        QAction *action = actionNamed(f.window->menuBar(), "&Open QWK File");
        action->trigger(); // unset: nothing happens
        int runs = 0;
        f.window->setOpenQwkFileHandler([&runs] { ++runs; });
        action->trigger();
        QCOMPARE(runs, 1);
        QVERIFY(f.prompts.informations.isEmpty());
    }

    void helpOpensAtItsTopic_data()
    {
        QTest::addColumn<bool>("pressF1");
        QTest::addColumn<QString>("page");
        QTest::newRow("Help Topics: contents") << false << "contents.html";
        QTest::newRow("F1: the main window") << true << "mainwindow.html";
    }

    void helpOpensAtItsTopic()
    {
        QFETCH(bool, pressF1);
        QFETCH(QString, page);
        Fixture f;
        f.window->show();
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        if (pressF1)
            QTest::keyClick(f.window.get(), Qt::Key_F1);
        else
            actionNamed(f.window->menuBar(), "&Help Topics")->trigger();
        QVERIFY(f.window->help().isVisible());
        QCOMPARE(f.window->help().browser()->source().fileName(), page);
    }

    void firstShowRunsItsHandlerOnce()
    {
        Fixture f;
        int shown = 0;
        f.window->setFirstShownHandler([&shown] { ++shown; });
        f.window->show();
        f.window->hide();
        f.window->show();
        QCOMPARE(shown, 1);
    }

    void exitClosesAndReleasesTheStore()
    {
        Fixture f;
        f.window->controlLines() << "line";
        f.window->show();
        QVERIFY(f.window->store());
        actionNamed(f.window->menuBar(), "E&xit")->trigger();
        QVERIFY(!f.window->isVisible());
        QVERIFY(!f.window->store());
        QVERIFY(f.window->taglines().isEmpty());
        QVERIFY(f.window->controlLines().isEmpty());
        // Closed means closed: another Marvik may open the same store now.
        marvik::store::MessageStore again(f.window->folders().storeFile());
        QVERIFY(again.systemIds().isEmpty());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
