#include "ui/LayoutStore.h"
#include "ui/WindowMemory.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QMainWindow>
#include <QMap>
#include <QScreen>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>

using marvik::ui::WindowMemory;

namespace {

struct MapStore : marvik::ui::LayoutStore
{
    QMap<QString, QString> values;
    int commits = 0;
    QString layoutValue(const QString &key) const override { return values.value(key); }
    void setLayoutValue(const QString &key, const QString &value) override
    {
        values.insert(key, value);
    }
    bool commit() override
    {
        ++commits;
        return true;
    }
};

// A window with a sortable three-column grid beside a second pane.
struct Window
{
    QMainWindow window;
    QSplitter *splitter = nullptr;
    QTableView *grid = nullptr;
    QStandardItemModel model {4, 3};
    WindowMemory *memory = nullptr;

    explicit Window(MapStore *store)
    {
        splitter = new QSplitter(&window);
        grid = new QTableView(splitter);
        grid->setModel(&model);
        grid->setSortingEnabled(true);
        new QWidget(splitter);
        window.setCentralWidget(splitter);
        window.resize(500, 300);
        memory = new WindowMemory(&window, "Test", store);
        memory->remember(grid->horizontalHeader(), "Grid");
        memory->remember(splitter, "Panes");
    }
};

} // namespace

class TestWindowMemory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void onScreens_data()
    {
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<QRect>("expected");
        // Two screens side by side; the right one is shorter.
        QTest::newRow("inside the first") << QRect(100, 100, 400, 300) << QRect(100, 100, 400, 300);
        QTest::newRow("on the second") << QRect(1300, 50, 400, 300) << QRect(1300, 50, 400, 300);
        QTest::newRow("centre on the second, bottom below it")
            << QRect(1300, 500, 400, 400) << QRect(1300, 368, 400, 400);
        QTest::newRow("mostly off the first, left")
            << QRect(-300, 100, 400, 300) << QRect(0, 100, 400, 300);
        QTest::newRow("larger than its screen")
            << QRect(10, 10, 3000, 2000) << QRect(0, 0, 1280, 1024);
        QTest::newRow("on a screen that has gone")
            << QRect(5000, 5000, 400, 300) << QRect(440, 362, 400, 300);
    }

    void onScreens()
    {
        QFETCH(QRect, frame);
        QFETCH(QRect, expected);
        const QList<QRect> screens {QRect(0, 0, 1280, 1024), QRect(1280, 0, 1024, 768)};
        QCOMPARE(WindowMemory::onScreens(frame, screens), expected);
    }

    void intsFrom_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("values");
        QTest::newRow("list") << "10, 20,-5" << QList<int> {10, 20, -5};
        QTest::newRow("empty") << "" << QList<int> {};
        QTest::newRow("a word in it") << "10,wide,30" << QList<int> {};
        QTest::newRow("empty field") << "10,,30" << QList<int> {};
    }

    void intsFrom()
    {
        QFETCH(QString, text);
        QFETCH(QList<int>, values);
        QCOMPARE(WindowMemory::intsFrom(text), values);
    }

    // What one run leaves, the next finds: size, place, column widths, the
    // sort order and the splitter.
    void nextRunFindsTheWindowAsLeft()
    {
        MapStore store;
        {
            Window first(&store);
            QVERIFY(!first.memory->restore()); // nothing kept yet
            first.window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&first.window));
            first.window.resize(620, 340);
            first.grid->setColumnWidth(1, 155);
            first.grid->sortByColumn(2, Qt::DescendingOrder);
            first.splitter->setSizes({400, 200});
            first.window.hide();
        }
        QCOMPARE(store.commits, 1);
        QVERIFY(store.values.value("Test").endsWith(",620,340"));
        QCOMPARE(store.values.value("Test.Grid.Sort"), QString("2,descending"));

        Window second(&store);
        QVERIFY(second.memory->restore());
        QCOMPARE(second.window.size(), QSize(620, 340));
        QCOMPARE(second.grid->columnWidth(1), 155);
        QCOMPARE(second.grid->horizontalHeader()->sortIndicatorSection(), 2);
        QCOMPARE(second.grid->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
        second.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&second.window));
        const QList<int> panes = WindowMemory::intsFrom(store.values.value("Test.Panes"));
        QCOMPARE(second.splitter->sizes(), panes);
        // Later showings of the run keep the window where it is.
        QVERIFY(second.memory->restore());
    }

    // A damaged or foreign value leaves that part as the window makes it.
    void unusableValuesAreIgnored_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("place: too few numbers") << "Test"
                                                << "10,20,300";
        QTest::newRow("place: no size") << "Test"
                                        << "10,20,0,0";
        QTest::newRow("place: huge") << "Test"
                                     << "0,0,999999,999999";
        QTest::newRow("columns: another count") << "Test.Grid"
                                                << "10,20";
        QTest::newRow("columns: words") << "Test.Grid"
                                        << "a,b,c";
        QTest::newRow("sort: no such column") << "Test.Grid.Sort"
                                              << "7,ascending";
        QTest::newRow("sort: no order") << "Test.Grid.Sort"
                                        << "1,sideways";
        QTest::newRow("splitter: all zero") << "Test.Panes"
                                            << "0,0";
    }

    void unusableValuesAreIgnored()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        MapStore store;
        store.values.insert(key, value);
        Window plain(nullptr);
        Window window(&store);
        QCOMPARE(window.memory->restore(), false);
        QCOMPARE(window.window.size(), plain.window.size());
        for (int column = 0; column < 3; ++column)
            QCOMPARE(window.grid->columnWidth(column), plain.grid->columnWidth(column));
        QCOMPARE(window.grid->horizontalHeader()->sortIndicatorSection(),
            plain.grid->horizontalHeader()->sortIndicatorSection());
        window.window.show();
        plain.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window.window));
        QVERIFY(QTest::qWaitForWindowExposed(&plain.window));
        QCOMPARE(window.splitter->sizes(), plain.splitter->sizes());
    }

    // Hidden before it was ever shown, a window keeps no size of its own.
    void neverShownKeepsNoPlace()
    {
        MapStore store;
        Window window(&store);
        window.window.hide();
        QVERIFY(!store.values.contains("Test"));
    }
};

QTEST_MAIN(TestWindowMemory)
#include "tst_windowmemory.moc"
