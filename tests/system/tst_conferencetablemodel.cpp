#include "store/ConferenceList.h"
#include "system/ConferenceTableModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using namespace marvik;

Q_DECLARE_METATYPE(marvik::store::ConferenceRecord)

class TestConferenceTableModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cells_data();
    void cells();
    void followsTheList();
};

namespace {

store::ConferenceRecord row(int number, const QString &name, int total, int unread)
{
    return {number, QStringLiteral("BBS"), name, total, unread};
}

} // namespace

void TestConferenceTableModel::cells_data()
{
    QTest::addColumn<store::ConferenceRecord>("record");
    QTest::addColumn<QStringList>("cells");

    QTest::newRow("replies") << row(-2, "Replies", 3, 0) << QStringList {"", "Replies", "3 - 0"};
    QTest::newRow("personal") << row(-1, "Personal", 12, 3)
                              << QStringList {"", "Personal", "12 - 3"};
    QTest::newRow("conference 0") << row(0, "Main Board", 0, 0)
                                  << QStringList {"0", "Main Board", "0 - 0"};
    QTest::newRow("large number") << row(2147483647, "Far", 100000, 99999)
                                  << QStringList {"2147483647", "Far", "100000 - 99999"};
    QTest::newRow("long name cut to 80") << row(5, QString(200, QLatin1Char('x')), 1,
        1) << QStringList {"5", QString(80, QLatin1Char('x')), "1 - 1"};
}

void TestConferenceTableModel::cells()
{
    QFETCH(store::ConferenceRecord, record);
    QFETCH(QStringList, cells);
    store::ConferenceList list;
    system::ConferenceTableModel model(list);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    list.setConferences(QStringLiteral("BBS"), {record});
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.columnCount(), 3);
    for (int column = 0; column < 3; ++column)
        QCOMPARE(model.index(0, column).data().toString(), cells.at(column));
}

void TestConferenceTableModel::followsTheList()
{
    store::ConferenceList list;
    system::ConferenceTableModel model(list);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(model.rowCount(), 0);
    list.setConferences(QStringLiteral("BBS"),
        {row(-2, "Replies", 0, 0), row(-1, "Personal", 0, 0), row(7, "Seven", 4, 4)});
    QCOMPARE(model.rowCount(), 3);

    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    list.setCounts(QStringLiteral("BBS"), 7, 3, 2);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.first().at(0).toModelIndex().row(), 2);
    QCOMPARE(model.index(2, 2).data().toString(), QStringLiteral("3 - 2"));
    // Another system's counts do not touch this grid.
    list.setCounts(QStringLiteral("OTHER"), 7, 1, 1);
    QCOMPARE(changed.count(), 1);

    list.clear();
    QCOMPARE(model.rowCount(), 0);
}

QTEST_GUILESS_MAIN(TestConferenceTableModel)
#include "tst_conferencetablemodel.moc"
