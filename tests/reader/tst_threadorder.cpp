// Threads from reference numbers and HEADERS.DAT ids, and hostile links
// that must neither hang nor lose or repeat a message.

#include "reader/ThreadOrder.h"

#include <QRegularExpression>
#include <QSet>
#include <QTest>

using namespace marvik::reader;

namespace {

// "7>3#id^irt@2": message 7 answering 3, with ids, in conference 2; the
// rows' keys are their positions from 1.
std::vector<ThreadInput> parse(const QString &written)
{
    static const QRegularExpression token(
        QStringLiteral("^(\\d+)(?:>(\\d+))?(?:#([^^@]+))?(?:\\^([^@]+))?(?:@(\\d+))?$"));
    std::vector<ThreadInput> rows;
    for (const QString &part : written.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const auto m = token.match(part);
        Q_ASSERT(m.hasMatch());
        ThreadInput row;
        row.key = qint64(rows.size()) + 1;
        row.messageNumber = m.captured(1).toInt();
        row.referenceNumber = m.captured(2).toInt();
        row.messageId = m.captured(3);
        row.inReplyTo = m.captured(4);
        row.conference = m.captured(5).toInt();
        rows.push_back(row);
    }
    return rows;
}

// "key:depth" in output order; also checks each parent link is sound.
QString shown(const std::vector<ThreadRow> &out)
{
    QStringList parts;
    for (int i = 0; i < int(out.size()); ++i) {
        const ThreadRow &row = out[size_t(i)];
        if (row.parent >= 0) {
            Q_ASSERT(row.parent < i);
            Q_ASSERT(out[size_t(row.parent)].depth == row.depth - 1);
        } else {
            Q_ASSERT(row.depth == 0);
        }
        parts << QStringLiteral("%1:%2").arg(row.key).arg(row.depth);
    }
    return parts.join(QLatin1Char(' '));
}

} // namespace

class tst_ThreadOrder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void build_data()
    {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no links") << "1 2 3"
                                  << "1:0 2:0 3:0";
        QTest::newRow("chain and siblings in input order") << "1 2>1 3>1 4>2"
                                                           << "1:0 2:1 4:2 3:1";
        QTest::newRow("answer listed before what it answers") << "5>4 4"
                                                              << "2:0 1:1";
        QTest::newRow("parent not in the list is a root") << "2>1 3>2"
                                                          << "1:0 2:1";
        QTest::newRow("answers itself") << "1>1 2>1"
                                        << "1:0 2:1";
        QTest::newRow("two answer each other") << "1>2 2>1 3"
                                               << "1:0 2:1 3:0";
        QTest::newRow("loop of three under a root") << "9 1>3 2>1 3>2 4>9"
                                                    << "1:0 5:1 2:0 3:1 4:2";
        QTest::newRow("In-Reply-To before the number") << "1#a 2#b 3>1^b"
                                                       << "1:0 2:0 3:1";
        QTest::newRow("unknown In-Reply-To falls back to the number") << "1#a 2>1^zzz"
                                                                      << "1:0 2:1";
        QTest::newRow("ids in a loop") << "1#a^b 2#b^a"
                                       << "1:0 2:1";
        QTest::newRow("numbers answer their own conference only") << "1@1 1@2 2>1@2"
                                                                  << "1:0 2:0 3:1";
        QTest::newRow("first of two with one number is answered") << "1 1 2>1"
                                                                  << "1:0 3:1 2:0";
    }
    void build()
    {
        QFETCH(QString, rows);
        QFETCH(QString, expected);
        QCOMPARE(shown(ThreadOrder::build(parse(rows))), expected);
    }

    // A chain as deep as a large conference, and every row of a tangle of
    // random links, come out once each.
    void largeInputsEveryRowOnce()
    {
        std::vector<ThreadInput> chain(100000);
        for (int i = 0; i < int(chain.size()); ++i)
            chain[size_t(i)] = {i + 1, i + 1, i, {}, {}, 0};
        const auto deep = ThreadOrder::build(chain);
        QCOMPARE(int(deep.size()), 100000);
        QCOMPARE(deep.back().depth, 99999);

        std::vector<ThreadInput> tangle(20000);
        for (int i = 0; i < int(tangle.size()); ++i)
            tangle[size_t(i)] = {i + 1, i + 1, int((i * 7919L) % 20000) + 1, {}, {}, 0};
        const auto out = ThreadOrder::build(tangle);
        QSet<qint64> keys;
        for (const ThreadRow &row : out)
            keys.insert(row.key);
        QCOMPARE(int(out.size()), 20000);
        QCOMPARE(keys.size(), 20000);
    }
};

QTEST_GUILESS_MAIN(tst_ThreadOrder)
#include "tst_threadorder.moc"
