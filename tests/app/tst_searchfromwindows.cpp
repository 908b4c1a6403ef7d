// Searching as the windows wire it: a hit opens the reader with the hits as
// its selection (N walks them, reading marks read, the system follows the
// message), Esc comes back to the list, and the window below keeps its own
// system.

#include "app/AppController.h"
#include "app/MainWindow.h"
#include "reader/ReaderWindow.h"
#include "search/SearchWindow.h"
#include "state/AppState.h"
#include "store/MessageStore.h"
#include "store/SearchIndex.h"
#include "store/Selections.h"
#include "store/Transaction.h"
#include "support/FakePrompts.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace marvik;

class tst_SearchFromWindows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void hitOpensTheReaderOnTheHits();
    void searchFromTheReaderGoesOnThere();

private:
    struct Fixture
    {
        QTemporaryDir dir;
        testing::FakePrompts prompts;
        std::unique_ptr<app::AppController> app;
        QList<qint64> keys;

        Fixture()
        {
            const state::AppFolders folders(dir.path());
            folders.create(nullptr);
            auto store = std::make_unique<store::MessageStore>(folders.storeFile());
            store::Transaction transaction(*store);
            for (const QString &id : {QStringLiteral("ONE"), QStringLiteral("TWO")}) {
                store::SystemRecord system;
                system.qwkId = id;
                store->saveSystem(system);
                store->saveConferenceName(0, id, id == QLatin1String("ONE") ? "Main" : "General");
                store->saveConferenceName(-1, id, QStringLiteral("Personal"));
            }
            const std::pair<const char *, const char *> rows[] = {{"ONE", "modem for sale"},
                {"TWO", "my modem"}, {"ONE", "nothing"}, {"ONE", "modem cable"}};
            int number = 0;
            for (const auto &[id, text] : rows) {
                store::MessageRecord m;
                m.qwkId = QString::fromLatin1(id);
                m.messageNumber = ++number;
                m.text = QString::fromLatin1(text);
                keys.append(store->appendMessage(m));
                store->addToConferenceCounts(0, m.qwkId, 1, 1);
            }
            store::SearchIndex::indexNext(*store, 100);
            transaction.commit();
            app = std::make_unique<app::AppController>(
                folders, state::Settings(folders.base()), std::move(store), QStringList(), prompts);
        }
    };
};

void tst_SearchFromWindows::hitOpensTheReaderOnTheHits()
{
    Fixture f;
    state::AppState &state = f.app->state();
    state.setCurrentQwkId(QStringLiteral("ONE"));
    search::SearchWindow &search = f.app->searchWindow();
    search.openFor(QString(), std::nullopt, search::SearchSession::Scope::AllSystems);
    QTest::keyClicks(search.queryBox(), QStringLiteral("modem"));
    QTRY_COMPARE(search.resultView()->model()->rowCount(), 3);

    // In the reader: the second hit (newest first: 4, 2, 1), then N.
    QStringList seen;
    int count = 0;
    bool searchHidden = false;
    QTimer::singleShot(0, this, [&] {
        reader::ReaderWindow &reader = f.app->reader();
        searchHidden = !search.isVisible();
        count = state.messageCount();
        seen << QStringLiteral("%1 %2 %3")
                    .arg(state.messageIndex())
                    .arg(state.currentQwkId(),
                        reader.headerValue(QStringLiteral("Conference"))->text());
        reader.SpeedButton1Click(); // N
        seen << QStringLiteral("%1 %2 %3")
                    .arg(state.messageIndex())
                    .arg(state.currentQwkId(),
                        reader.headerValue(QStringLiteral("Conference"))->text());
        reader.Exit1Click();
    });
    search.openRow(1);
    QVERIFY(searchHidden);
    QCOMPARE(count, 3);
    QCOMPARE(seen, (QStringList {"2 TWO General", "3 ONE Main"}));
    QVERIFY(search.isVisible());
    // The list is back on the message read last.
    QCOMPARE(search.resultView()->currentIndex().row(), 2);
    QCOMPARE(state.currentQwkId(), QStringLiteral("ONE"));
    const auto read = state.store().findMessage(f.keys.at(1));
    QVERIFY(read && read->read);
    QCOMPARE(state.store().findConference(0, QStringLiteral("TWO"))->unreadMsgs, 0);
    QVERIFY(!state.store().findMessage(f.keys.at(3))->read);
}

void tst_SearchFromWindows::searchFromTheReaderGoesOnThere()
{
    Fixture f;
    state::AppState &state = f.app->state();
    state.setCurrentQwkId(QStringLiteral("ONE"));
    state.messages().open(store::Selections::conferenceMessages(QStringLiteral("ONE"), 0));
    state.setOpenConference(0);
    reader::ReaderWindow &reader = f.app->reader();
    search::SearchWindow &search = f.app->searchWindow();
    QString scope;
    QString after;
    // Ctrl+F in the reader, then Enter on the first hit of "cable".
    QTimer::singleShot(0, this, [&] {
        QTimer::singleShot(0, this, [&] {
            scope = search.scopeBox()->currentText();
            search.queryBox()->setText(QStringLiteral("cable"));
            search.session().run();
            QTest::keyClick(search.queryBox(), Qt::Key_Return);
            QTimer::singleShot(0, this, [&] {
                after = QStringLiteral("%1 of %2")
                            .arg(state.messageIndex())
                            .arg(state.messageCount());
                reader.Exit1Click();
            });
        });
        reader.Search1Click();
    });
    reader.RunReader(0);
    QCOMPARE(scope, QStringLiteral("This conference"));
    QCOMPARE(after, QStringLiteral("1 of 1"));
    QVERIFY(search.isDone());
    QVERIFY(!reader.isVisible());
}

QTEST_MAIN(tst_SearchFromWindows)
#include "tst_searchfromwindows.moc"
