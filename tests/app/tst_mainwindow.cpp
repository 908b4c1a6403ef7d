#include "app/AppController.h"
#include "app/HelpWindow.h"
#include "app/MainWindow.h"
#include "editor/EditorWindow.h"
#include "maint/SettingsDialog.h"
#include "screens/ScreenViewer.h"
#include "maint/SystemsListWindow.h"
#include "reader/ReaderWindow.h"
#include "state/AppState.h"
#include "store/MessageStore.h"
#include "store/StoreError.h"
#include "support/FakeFileDialogs.h"
#include "support/FakePrompts.h"
#include "support/PacketWriter.h"
#include "system/SystemWindow.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMainWindow>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QScreen>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeWidget>

using marvik::app::HelpWindow;
using marvik::app::MainWindow;
using marvik::state::AppFolders;
using marvik::state::Settings;
using marvik::testing::FakeFileDialogs;
using marvik::testing::PacketWriter;

namespace {

// Lets a test look at the window while a question is up.
struct WatchingPrompts : marvik::testing::FakePrompts
{
    std::function<void()> onAsk;
    bool ask(const QString &question, bool yesIsDefault = false) override
    {
        if (onAsk)
            onAsk();
        return FakePrompts::ask(question, yesIsDefault);
    }
};

struct Fixture
{
    QTemporaryDir dir;
    WatchingPrompts prompts;
    std::unique_ptr<marvik::app::AppController> app;
    MainWindow *window = nullptr;

    Fixture()
    {
        const AppFolders folders(dir.path());
        folders.create(nullptr);
        app = std::make_unique<marvik::app::AppController>(folders, Settings(folders.base()),
            std::make_unique<marvik::store::MessageStore>(folders.storeFile()),
            QStringList {"A tagline"}, prompts);
        window = &app->mainWindow();
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
            (QStringList {"&Open QWK File", "Open &BBS System", "Se&arch Messages", "&Settings",
                "-", "E&xit"}));
        QCOMPARE(captionsOf(menus[1]->menu()->actions()),
            (QStringList {"&Help Topics", "&About Marvik"}));
    }

    void spansTheTopOfTheScreen()
    {
        Fixture f;
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window));
        const QRect screen = f.window->screen()->geometry();
        QCOMPARE(f.window->x(), screen.left());
        QCOMPARE(f.window->y(), screen.top());
        QCOMPARE(f.window->width(), screen.width());
        QVERIFY(f.window->height() <= 46);
    }

    // What a window asks for reaches the window that does it.
    void requestsReachTheirWindows()
    {
        Fixture f;
        bool viewerShown = false;
        QTimer::singleShot(0, [&] {
            viewerShown = f.app->screenViewer().isVisible();
            f.app->screenViewer().close();
        });
        Q_EMIT f.app->systemWindow().screenRequested("Welcome", "Hello");
        QVERIFY(viewerShown);

        bool settingsShown = false;
        QTimer::singleShot(0, [&] {
            settingsShown = f.app->settingsDialog().isVisible();
            f.app->settingsDialog().reject();
        });
        Q_EMIT f.window->settingsRequested();
        QVERIFY(settingsShown);
        QVERIFY(f.prompts.errors.isEmpty());
    }

    // Within one menu, and among a menu bar's menus, every mnemonic leads to
    // one item only.
    void noMnemonicClashesInAnyWindow()
    {
        Fixture f;
        const auto mnemonic = [](const QString &text) {
            const qsizetype at = text.indexOf(QLatin1Char('&'));
            return at < 0 || at + 1 >= text.size() ? QChar() : text.at(at + 1).toLower();
        };
        const auto checkActions = [&](const QString &where, const QList<QAction *> &actions) {
            QMap<QChar, QString> seen;
            for (QAction *action : actions) {
                const QChar key = mnemonic(action->text());
                if (key.isNull())
                    continue;
                QVERIFY2(!seen.contains(key),
                    qPrintable(where + ": " + seen.value(key) + " / " + action->text()));
                seen.insert(key, action->text());
            }
        };
        const QList<QMainWindow *> windows {f.window,
            qobject_cast<QMainWindow *>(&f.app->systemsList()),
            qobject_cast<QMainWindow *>(&f.app->systemWindow()),
            qobject_cast<QMainWindow *>(&f.app->reader()),
            qobject_cast<QMainWindow *>(&f.app->editor())};
        for (QMainWindow *window : windows) {
            QVERIFY(window);
            const QString name = window->metaObject()->className();
            checkActions(name, window->menuBar()->actions());
            for (QAction *menu : window->menuBar()->actions()) {
                if (menu->menu())
                    checkActions(name + " " + menu->text(), menu->menu()->actions());
            }
        }
    }

    void openBbsSystemWithNoSystemSaysSo()
    {
        Fixture f;
        actionNamed(f.window->menuBar(), "Open &BBS System")->trigger();
        QCOMPARE(f.prompts.informations, QStringList {"There are no BBS systems available yet."});
        QVERIFY(f.window->isEnabled());
    }

    void settingsOpensTheDialog()
    {
        Fixture f;
        bool shown = false;
        QTimer::singleShot(0, [&] {
            shown = f.app->settingsDialog().isVisible();
            f.app->settingsDialog().reject();
        });
        actionNamed(f.window->menuBar(), "&Settings")->trigger();
        QVERIFY(shown);
    }

    void openQwkFileImportsThePacketChosen()
    {
        Fixture f;
        PacketWriter writer;
        writer.addConference(0, "Main Board");
        PacketWriter::Message message;
        message.to = "john smith";
        writer.addMessage(message);
        const QString packet = f.dir.filePath("WORK/mybbs.qw2");
        QVERIFY(writer.write(packet));

        auto dialogs = std::make_unique<FakeFileDialogs>();
        FakeFileDialogs *script = dialogs.get();
        script->nextFileNames = {packet};
        f.app->setFileDialogs(std::move(dialogs));
        f.prompts.answers = {false}; // keep the packet
        bool enabledWhileAsking = true;
        f.prompts.onAsk = [&] { enabledWhileAsking = f.window->isEnabled(); };

        actionNamed(f.window->menuBar(), "&Open QWK File")->trigger();

        QCOMPARE(script->folders, QStringList {f.app->state().folders().work()});
        QCOMPARE(f.prompts.questions, QStringList {"Delete mybbs.qw2?"});
        QVERIFY(f.prompts.errors.isEmpty());
        QVERIFY(!enabledWhileAsking);
        QVERIFY(f.window->isEnabled());
        QCOMPARE(f.app->state().currentQwkId(), QString("MYBBS"));
        QCOMPARE(f.app->state().controlLines().value(0), QString("Marvik Test BBS"));
        const auto conference = f.app->state().store().findConference(-1, "MYBBS");
        QVERIFY(conference);
        QCOMPARE(conference->totalMsgs, 1);
        QVERIFY(QFile::exists(packet));
    }

    void openQwkFileCancelledLeavesTheWindowEnabled()
    {
        Fixture f;
        auto dialogs = std::make_unique<FakeFileDialogs>();
        f.app->setFileDialogs(std::move(dialogs));
        actionNamed(f.window->menuBar(), "&Open QWK File")->trigger();
        QVERIFY(f.window->isEnabled());
        QVERIFY(f.prompts.questions.isEmpty());
        QVERIFY(f.prompts.errors.isEmpty());
        QVERIFY(f.app->state().currentQwkId().isEmpty());
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
        QVERIFY(QTest::qWaitForWindowActive(f.window));
        if (pressF1)
            QTest::keyClick(f.window, Qt::Key_F1);
        else
            actionNamed(f.window->menuBar(), "&Help Topics")->trigger();
        QVERIFY(f.app->help().isVisible());
        QCOMPARE(f.app->help().browser()->source().fileName(), page);
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

    // Exit closes the window; the store and its lock go only with the window
    // itself, once the event loop has returned.
    void exitClosesAndTheStoreGoesWithTheWindow()
    {
        Fixture f;
        f.window->show();
        actionNamed(f.window->menuBar(), "E&xit")->trigger();
        QVERIFY(!f.window->isVisible());
        QVERIFY(f.app->state().hasStore());
        const QString storeFile = f.app->state().folders().storeFile();
        QVERIFY_THROWS_EXCEPTION(
            marvik::store::StoreError, marvik::store::MessageStore {storeFile});
        f.app.reset();
        // Closed means closed: another Marvik may open the same store now.
        marvik::store::MessageStore again(storeFile);
        QVERIFY(again.systemIds().isEmpty());
    }

    // Packets from outside are imported one after another, each once however
    // often it was named; what is no packet is refused in one box first.
    void packetsFromOutside()
    {
        Fixture f;
        PacketWriter writer;
        writer.addConference(0, "Main Board");
        writer.addMessage({});
        const QString first = f.dir.filePath("FIRST.QWK");
        const QString second = f.dir.filePath("SECOND.QWK");
        QVERIFY(writer.write(first));
        QVERIFY(writer.write(second));
        const QString missing = f.dir.filePath("NONE.QWK");
        const QString text = f.dir.filePath("notes.txt");
        QFile notes(text);
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.write("hello\n");
        notes.close();
        f.prompts.defaultAnswer = false; // keep the packets
        f.window->show();

        f.window->openPackets({first, missing, first, text, second});
        f.window->openPackets({second});
        QTRY_VERIFY(f.window->packetsWaiting().isEmpty());
        QTRY_COMPARE(f.prompts.questions.size(), 2);
        QTest::qWait(50);

        QCOMPARE(f.prompts.questions, (QStringList {"Delete FIRST.QWK?", "Delete SECOND.QWK?"}));
        QCOMPARE(f.prompts.errors.size(), 1);
        QVERIFY(f.prompts.errors[0].contains(missing + " does not exist."));
        QVERIFY(f.prompts.errors[0].contains(text + " is not a QWK packet"));
        QVERIFY(f.prompts.errors[0].indexOf(missing) < f.prompts.errors[0].indexOf(text));
        QVERIFY(!f.app->state().currentQwkId().isEmpty());
        QVERIFY(f.window->isEnabled());
    }

    // Handed over while a dialog is up, a packet waits for it to close and is
    // imported then, once.
    void packetsWaitWhileADialogIsOpen()
    {
        Fixture f;
        PacketWriter writer;
        writer.addConference(0, "Main Board");
        writer.addMessage({});
        const QString packet = f.dir.filePath("MYBBS.QWK");
        QVERIFY(writer.write(packet));
        f.prompts.defaultAnswer = false;
        f.window->show();

        bool waitedWhileOpen = false;
        int questionsWhileOpen = -1;
        QTimer::singleShot(0, [&] {
            f.window->openPackets({packet});
            QTest::qWait(400);
            f.window->openPackets({packet});
            waitedWhileOpen = f.window->packetsWaiting() == QStringList {packet};
            questionsWhileOpen = f.prompts.questions.size();
            f.app->settingsDialog().reject();
        });
        actionNamed(f.window->menuBar(), "&Settings")->trigger();

        QVERIFY(waitedWhileOpen);
        QCOMPARE(questionsWhileOpen, 0);
        QTRY_COMPARE(f.prompts.questions, QStringList {"Delete MYBBS.QWK?"});
        QTest::qWait(300);
        QCOMPARE(f.prompts.questions.size(), 1);
        const auto conference = f.app->state().store().findConference(0, "MYBBS");
        QVERIFY(conference);
        QCOMPARE(conference->totalMsgs, 1);
    }

    // Files dropped on the window are imported; anything but local files is
    // not taken at all.
    void droppedPacketsAreImported()
    {
        Fixture f;
        PacketWriter writer;
        writer.addConference(0, "Main Board");
        writer.addMessage({});
        const QString packet = f.dir.filePath("MYBBS.QWK");
        QVERIFY(writer.write(packet));
        f.prompts.defaultAnswer = false;
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window));

        QMimeData web;
        web.setUrls({QUrl("https://example.org/MYBBS.QWK")});
        QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &web, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.window, &refused);
        QVERIFY(!refused.isAccepted());

        QMimeData files;
        files.setUrls({QUrl::fromLocalFile(packet)});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.window, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.window, &drop);
        QVERIFY(drop.isAccepted());
        QTRY_COMPARE(f.prompts.questions, QStringList {"Delete MYBBS.QWK?"});
        QVERIFY(f.prompts.errors.isEmpty());
    }

    // Closing the main window (close box, Exit or Ctrl+Q) while the systems
    // list and the windows it opened are up is refused: the topmost window
    // is brought forward, the store stays open and the reader goes on.
    void closeWhileWindowsAreOpenIsRefused_data()
    {
        QTest::addColumn<int>("depth"); // 1 systems list, 2 system window, 3 reader
        QTest::addColumn<bool>("byShortcut");
        QTest::newRow("systems list, close box") << 1 << false;
        QTest::newRow("system window, close box") << 2 << false;
        QTest::newRow("reader, close box") << 3 << false;
        QTest::newRow("reader, Ctrl+Q") << 3 << true;
    }

    void closeWhileWindowsAreOpenIsRefused()
    {
        QFETCH(int, depth);
        QFETCH(bool, byShortcut);
        Fixture f;
        PacketWriter writer;
        writer.addConference(0, "Main Board");
        for (int i = 0; i < 3; ++i) {
            PacketWriter::Message message;
            message.subject = QByteArray("Message ") + QByteArray::number(i + 1);
            writer.addMessage(message);
        }
        const QString packet = f.dir.filePath("WORK/MYBBS.QWK");
        QVERIFY(writer.write(packet));
        auto dialogs = std::make_unique<FakeFileDialogs>();
        dialogs->nextFileNames = {packet};
        f.app->setFileDialogs(std::move(dialogs));
        f.prompts.answers = {false};
        actionNamed(f.window->menuBar(), "&Open QWK File")->trigger();
        f.prompts.defaultAnswer = false; // no packing, no clean-up on the way out
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window));

        auto &list = f.app->systemsList();
        auto &system = f.app->systemWindow();
        auto &reader = f.app->reader();
        bool reached = false;
        bool closed = true;
        bool storeHeld = false;
        bool lockHeld = false;
        bool topmostVisible = false;
        QString messageAfterNext;
        const QString storeFile = f.app->state().folders().storeFile();
        QWidget *top = depth == 1 ? static_cast<QWidget *>(&list)
            : depth == 2          ? static_cast<QWidget *>(&system)
                                  : static_cast<QWidget *>(&reader);
        std::function<void()> atTop = [&] {
            reached = true;
            if (byShortcut) {
                // Ctrl+Q reaches the main window's Exit only when it is
                // enabled; the handler itself must still refuse.
                f.window->Exit1Click();
                closed = !f.window->isVisible();
            } else {
                closed = f.window->close();
            }
            storeHeld = f.app->state().hasStore();
            try {
                marvik::store::MessageStore second(storeFile);
            } catch (const marvik::store::StoreError &) {
                lockHeld = true;
            }
            topmostVisible = top->isVisible();
            if (depth == 3) {
                reader.action(marvik::reader::ReaderWindow::Next)->trigger();
                messageAfterNext = QString::number(f.app->state().messageIndex());
                reader.Exit1Click();
            }
            if (depth >= 2)
                QTimer::singleShot(0, [&] { system.closeAction()->trigger(); });
            QTimer::singleShot(0, [&] { list.closeAction()->trigger(); });
        };
        QTimer::singleShot(0, [&] {
            if (!list.isVisible() || list.list()->topLevelItemCount() == 0) {
                list.closeAction()->trigger();
                return;
            }
            list.list()->setCurrentItem(list.list()->topLevelItem(0));
            if (depth == 1) {
                atTop();
                return;
            }
            QTimer::singleShot(0, [&] {
                if (!system.isVisible()) {
                    list.closeAction()->trigger();
                    return;
                }
                if (depth == 2) {
                    atTop();
                    return;
                }
                // Main Board: the third row, after Replies and Personal.
                system.conferenceView()->selectRow(2);
                QTimer::singleShot(0, [&] {
                    if (!reader.isVisible()) {
                        system.closeAction()->trigger();
                        QTimer::singleShot(0, [&] { list.closeAction()->trigger(); });
                        return;
                    }
                    atTop();
                });
                QTest::keyClick(system.conferenceView(), Qt::Key_Return);
            });
            list.OpenSelectedSystem();
        });
        actionNamed(f.window->menuBar(), "Open &BBS System")->trigger();

        QVERIFY(reached);
        QVERIFY(!closed);
        QVERIFY(storeHeld);
        QVERIFY(lockHeld);
        QVERIFY(topmostVisible);
        if (depth == 3)
            QCOMPARE(messageAfterNext, QString("2"));
        QVERIFY(f.window->isVisible());
        QVERIFY(f.window->isEnabled());
        QVERIFY(f.prompts.errors.isEmpty());
        // Once the windows are closed, the main window closes as usual.
        QVERIFY(f.window->close());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
