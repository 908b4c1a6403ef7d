#include "store/BulletinList.h"
#include "system/BulletinTableModel.h"

#include <QAbstractItemModelTester>
#include <QTest>

using namespace marvik;

class TestBulletinTableModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cells_data();
    void cells();
};

void TestBulletinTableModel::cells_data()
{
    QTest::addColumn<int>("conference");
    QTest::addColumn<int>("bulletin");
    QTest::addColumn<QStringList>("cells");
    QTest::newRow("first") << 0 << 1 << QStringList {"0", "1"};
    QTest::newRow("ten digits") << 2147483647 << 1999999999
                                << QStringList {"2147483647", "1999999999"};
    QTest::newRow("negative") << -5 << -1 << QStringList {"-5", "-1"};
}

void TestBulletinTableModel::cells()
{
    QFETCH(int, conference);
    QFETCH(int, bulletin);
    QFETCH(QStringList, cells);
    store::BulletinList list;
    system::BulletinTableModel model(list);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    list.setBulletins({{1, 2}, {conference, bulletin}});
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.columnCount(), 2);
    QCOMPARE(model.index(1, 0).data().toString(), cells.at(0));
    QCOMPARE(model.index(1, 1).data().toString(), cells.at(1));
    list.clear();
    QCOMPARE(model.rowCount(), 0);
}

QTEST_GUILESS_MAIN(TestBulletinTableModel)
#include "tst_bulletintablemodel.moc"
