// The message list models: both pass Qt's model checks through reloads,
// removals and changed lines; a thread tree names every row once and keeps
// the depth-first order when a row goes; a long list reads only the pages
// asked for.
#include "ReaderFixture.h"
#include "reader/MessageListColumns.h"
#include "reader/MessageListModel.h"
#include "reader/MessageRowCache.h"
#include "reader/ThreadOrder.h"
#include "reader/ThreadTreeModel.h"
#include "store/LiveQuery.h"

#include <QAbstractItemModelTester>
#include <QFont>
#include <QSet>
#include <QTest>

using namespace readertest;
using marvik::reader::MessageListColumns;
using marvik::reader::MessageListModel;
using marvik::reader::MessageRowCache;
using marvik::reader::ThreadInput;
using marvik::reader::ThreadOrder;
using marvik::reader::ThreadRow;
using marvik::reader::ThreadTreeModel;

namespace {

// Rows given as "depth:parent" pairs, e.g. {{0,-1},{1,0}}.
std::vector<ThreadRow> tree(std::initializer_list<std::pair<int, int>> rows)
{
    std::vector<ThreadRow> out;
    qint64 key = 1;
    for (const auto &[depth, parent] : rows)
        out.push_back({key++, depth, parent});
    return out;
}

QString shape(const std::vector<ThreadRow> &rows)
{
    QStringList parts;
    for (const ThreadRow &row : rows)
        parts << QStringLiteral("%1:%2:%3").arg(row.key).arg(row.depth).arg(row.parent);
    return parts.join(u' ');
}

} // namespace

class tst_MessageListModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void flatList()
    {
        ReaderFixture f;
        f.addMessages(1, QStringLiteral("urur"));
        f.open(1);
        store::LiveQuery &rows = f.state->messages();
        MessageRowCache cache(f.db(), rows);
        MessageListModel model(cache, rows);
        QAbstractItemModelTester tester(
            &model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.rowCount(), 4);
        QCOMPARE(
            model.data(model.index(1, MessageListColumns::Number), Qt::DisplayRole).toInt(), 2);
        // Unread lines are bold, read ones are not.
        QVERIFY(model.data(model.index(0, 0), Qt::FontRole).value<QFont>().bold());
        QVERIFY(!model.data(model.index(1, 0), Qt::FontRole).isValid());

        rows.moveToRow(1);
        f.state->operations().markRead(rows.message());
        model.rowChanged(0);
        QVERIFY(!model.data(model.index(0, 0), Qt::FontRole).isValid());

        rows.moveToRow(2);
        f.state->operations().deleteMessage(rows.message());
        rows.forgetCurrent();
        model.rowRemoved(1);
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(
            model.data(model.index(1, MessageListColumns::Number), Qt::DisplayRole).toInt(), 3);
        QCOMPARE(model.positionOf(model.indexOfPosition(2)), 2);
        QVERIFY(!model.indexOfPosition(3).isValid());

        rows.reorder({store::ListSort::Number, true, store::ListView::All, {}});
        model.reload();
        QCOMPARE(
            model.data(model.index(0, MessageListColumns::Number), Qt::DisplayRole).toInt(), 4);
    }

    void longListReadsOnlyWhatIsAsked()
    {
        ReaderFixture f;
        f.addMessages(1, QString(2000, u'u'));
        f.open(1);
        MessageRowCache cache(f.db(), f.state->messages());
        QCOMPARE(cache.row(1999).messageNumber, 2000);
        QCOMPARE(cache.pagesKept(), 1);
        for (int position = 0; position < 2000; position += MessageRowCache::PageRows)
            QCOMPARE(cache.row(position).messageNumber, position + 1);
        QVERIFY(cache.pagesKept() <= MessageRowCache::KeptPages);
        QCOMPARE(cache.row(2000).key, 0);
    }

    void threadTree()
    {
        ReaderFixture f;
        // 1 <- 2 <- 3, 4 alone, 5 and 6 answer each other, 7 answers itself.
        const int refs[] = {0, 1, 2, 0, 6, 5, 7};
        for (int i = 0; i < 7; ++i) {
            store::MessageRecord m = storetest::message(QStringLiteral("A"), 1, i + 1);
            m.referenceNumber = refs[i];
            f.add(m);
        }
        f.open(1);
        store::LiveQuery &rows = f.state->messages();
        std::vector<ThreadInput> inputs
            = store::MessageListQueries::threadFields(f.db(), rows.selection(), rows.order());
        const std::vector<ThreadRow> threads = ThreadOrder::build(inputs);
        QList<qint64> order;
        for (const ThreadRow &row : threads)
            order.append(row.key);
        rows.arrange(rows.order(), order, QList<bool>(order.size(), false));
        QCOMPARE(rows.count(), 7);

        MessageRowCache cache(f.db(), rows);
        ThreadTreeModel model(cache);
        QAbstractItemModelTester tester(
            &model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setThreads(threads);
        QCOMPARE(model.rowCount(), 4); // 1, 4, the 5-6 pair cut once, 7
        QSet<int> numbers;
        for (int position = 0; position < 7; ++position) {
            const QModelIndex index = model.indexOfPosition(position);
            QCOMPARE(model.positionOf(index), position);
            numbers.insert(
                model.data(index.siblingAtColumn(MessageListColumns::Number), Qt::DisplayRole)
                    .toInt());
        }
        QCOMPARE(numbers.size(), 7);
        const QModelIndex first = model.index(0, 0);
        QCOMPARE(model.rowCount(first), 1);
        QCOMPARE(model.rowCount(model.index(0, 0, first)), 1);

        // Message 2 goes: 3 now answers 1 directly.
        model.rowRemoved(1);
        QCOMPARE(model.rowCount(model.index(0, 0)), 1);
        QCOMPARE(model.rowCount(model.index(0, 0, model.index(0, 0))), 0);
        model.rowChanged(0);
        model.reload();
        QCOMPARE(int(model.threads().size()), 6);
    }

    void withoutRow_data()
    {
        QTest::addColumn<int>("rows"); // which shape below
        QTest::addColumn<int>("gone");
        QTest::addColumn<QString>("expected");

        // Shapes: 0: 1 > 2 > 3, then 4;  1: 1 > (2, 3 > 4).
        QTest::newRow("a root's answer is adopted") << 0 << 0 << "2:0:-1 3:1:0 4:0:-1";
        QTest::newRow("the middle one") << 0 << 1 << "1:0:-1 3:1:0 4:0:-1";
        QTest::newRow("a leaf") << 0 << 2 << "1:0:-1 2:1:0 4:0:-1";
        QTest::newRow("the last root") << 0 << 3 << "1:0:-1 2:1:0 3:2:1";
        QTest::newRow("a sibling with answers") << 1 << 2 << "1:0:-1 2:1:0 4:1:0";
        QTest::newRow("out of range") << 1 << 9 << "1:0:-1 2:1:0 3:1:0 4:2:2";
    }

    void withoutRow()
    {
        QFETCH(int, rows);
        QFETCH(int, gone);
        QFETCH(QString, expected);
        const std::vector<ThreadRow> shapes[]
            = {tree({{0, -1}, {1, 0}, {2, 1}, {0, -1}}), tree({{0, -1}, {1, 0}, {1, 0}, {2, 2}})};
        QCOMPARE(shape(ThreadTreeModel::withoutRow(shapes[rows], gone)), expected);
    }
};

QTEST_MAIN(tst_MessageListModel)
#include "tst_messagelistmodel.moc"
