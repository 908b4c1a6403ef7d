// The message list's queries: every sort in both directions, the views and
// the filter (any case, any script, wildcards taken literally), the count
// of a view, marks, and the thread fields, all over one small conference.
#include "StoreTestUtil.h"
#include "store/LiveQuery.h"
#include "store/MessageListQueries.h"
#include "store/Selections.h"
#include "store/Statement.h"

#include <QTest>

using namespace storetest;

namespace {

struct Line
{
    const char *from;
    const char *to;
    const char *subject;
    const char *date;
    const char *time;
    bool read;
    bool marked;
};

// Rows in store order; message numbers 10, 20, ... 50.
const Line Lines[] = {
    {"Zed", "All", "Re: Modems", "01-05-99", "10:00", true, false},
    {"adam", "Zed", "Modems", "12-31-98", "09:00", false, true},
    {"M\u00dcLLER", "adam", "Weather", "03-01-01", "08:00", false, false},
    {"Bob", "All", "100% off_sale", "03-01-01", "07:00", true, true},
    {"carol", "Bob", "re: weather", "02-15-00", "23:59", false, false},
};

QList<qint64> keysOf(MessageStore &store, const ListOrder &order)
{
    LiveQuery query(store);
    query.open(Selections::conferenceMessages(QStringLiteral("A"), 1), order);
    return query.keys();
}

QList<qint64> keys(std::initializer_list<int> lines)
{
    QList<qint64> out;
    for (const int line : lines)
        out.append(line);
    return out;
}

} // namespace

class tst_MessageListQueries : public QObject
{
    Q_OBJECT

    TempStore m_store;

private Q_SLOTS:
    void initTestCase()
    {
        addSystem(*m_store, QStringLiteral("A"), 2);
        int number = 10;
        for (const Line &line : Lines) {
            MessageRecord m = message(QStringLiteral("A"), 1, number, line.read);
            number += 10;
            m.from = QString::fromUtf8(line.from);
            m.to = QString::fromUtf8(line.to);
            m.subject = QString::fromUtf8(line.subject);
            m.date = QString::fromLatin1(line.date);
            m.time = QString::fromLatin1(line.time);
            m.marked = line.marked;
            m_store->appendMessage(m);
        }
        // Another conference's message never joins.
        m_store->appendMessage(message(QStringLiteral("A"), 0, 99));
    }

    void order_data()
    {
        QTest::addColumn<int>("sort");
        QTest::addColumn<bool>("descending");
        QTest::addColumn<int>("view");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QList<qint64>>("expected"); // record numbers 1..5

        const int all = int(ListView::All);
        QTest::newRow("store order")
            << int(ListSort::Store) << false << all << "" << keys({1, 2, 3, 4, 5});
        QTest::newRow("store order, descending")
            << int(ListSort::Store) << true << all << "" << keys({5, 4, 3, 2, 1});
        QTest::newRow("number, descending")
            << int(ListSort::Number) << true << all << "" << keys({5, 4, 3, 2, 1});
        QTest::newRow("from, any case")
            << int(ListSort::From) << false << all << "" << keys({2, 4, 5, 3, 1});
        QTest::newRow("to, ties in store order")
            << int(ListSort::To) << false << all << "" << keys({3, 1, 4, 5, 2});
        QTest::newRow("subject without Re:, any case")
            << int(ListSort::Subject) << false << all << "" << keys({4, 1, 2, 3, 5});
        QTest::newRow("date across the century")
            << int(ListSort::Date) << false << all << "" << keys({2, 1, 5, 4, 3});
        QTest::newRow("date, descending")
            << int(ListSort::Date) << true << all << "" << keys({3, 4, 5, 1, 2});
        QTest::newRow("unread only")
            << int(ListSort::Store) << false << int(ListView::Unread) << "" << keys({2, 3, 5});
        QTest::newRow("marked only, by from")
            << int(ListSort::From) << false << int(ListView::Marked) << "" << keys({2, 4});
        QTest::newRow("filter on from, any case")
            << int(ListSort::Store) << false << all << "ADAM" << keys({2, 3});
        QTest::newRow("filter beyond ASCII")
            << int(ListSort::Store) << false << all << QString::fromUtf8("m\u00fcll") << keys({3});
        QTest::newRow("filter on subject")
            << int(ListSort::Store) << false << all << "weather" << keys({3, 5});
        QTest::newRow("percent is a letter")
            << int(ListSort::Store) << false << all << "100%" << keys({4});
        QTest::newRow("underscore is a letter")
            << int(ListSort::Store) << false << all << "f_s" << keys({4});
        QTest::newRow("quote matches nothing")
            << int(ListSort::Store) << false << all << "' OR 1=1 --" << keys({});
        QTest::newRow("filter and unread")
            << int(ListSort::Store) << false << int(ListView::Unread) << "zed" << keys({2});
    }

    void order()
    {
        QFETCH(int, sort);
        QFETCH(bool, descending);
        QFETCH(int, view);
        QFETCH(QString, filter);
        QFETCH(QList<qint64>, expected);
        const ListOrder order {ListSort(sort), descending, ListView(view), filter};
        QCOMPARE(keysOf(*m_store, order), expected);
        QCOMPARE(MessageListQueries::count(
                     *m_store, Selections::conferenceMessages(QStringLiteral("A"), 1), order),
            int(expected.size()));
    }

    void sortKeys_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("time");
        QTest::addColumn<qint64>("dateKey");
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QString>("subjectKey");

        QTest::newRow("last century") << "12-31-98"
                                      << "23:59" << qint64(199812312359) << "Re: Hi"
                                      << "hi";
        QTest::newRow("this century") << "01-02-03"
                                      << "04:05" << qint64(200301020405) << "RE:x"
                                      << "x";
        QTest::newRow("slashes") << "01/02/79"
                                 << "" << qint64(207901020000) << "Reply"
                                 << "reply";
        QTest::newRow("not a date: first") << "soon"
                                           << "12:00" << qint64(0) << ""
                                           << "";
        QTest::newRow("short date") << "01-02"
                                    << "12:00" << qint64(0) << "  Re: x"
                                    << "x";
        QTest::newRow("beyond ASCII")
            << "02-29-00"
            << "1" << qint64(200002290000) << QString::fromUtf8("Re: \u00c4RGER")
            << QString::fromUtf8("\u00e4rger");
    }

    void sortKeys()
    {
        QFETCH(QString, date);
        QFETCH(QString, time);
        QFETCH(qint64, dateKey);
        QFETCH(QString, subject);
        QFETCH(QString, subjectKey);
        Statement &s = m_store->prepared(QStringLiteral(
            "SELECT marvik_date_key(?, ?), marvik_subject_key(?), marvik_name_key(?)"));
        s.bind(1, date);
        s.bind(2, time);
        s.bind(3, subject);
        s.bind(4, subject);
        QVERIFY(s.step());
        QCOMPARE(s.int64(0), dateKey);
        QCOMPARE(s.text(1), subjectKey);
        // A name is only folded.
        QCOMPARE(s.text(2), subject.toCaseFolded());
        s.reset();
    }

    void reorderKeepsTheCurrentRow()
    {
        LiveQuery query(*m_store);
        query.open(Selections::conferenceMessages(QStringLiteral("A"), 1));
        query.moveToRow(3); // record 3
        QVERIFY(query.reorder({ListSort::From, false, ListView::All, {}}));
        QCOMPARE(query.rowNumber(), 4);
        QCOMPARE(query.message().recordNumber, 3);
        // Out of view: the first row of the view becomes current.
        QVERIFY(!query.reorder({ListSort::Store, false, ListView::Marked, {}}));
        QCOMPARE(query.message().recordNumber, 2);
        query.arrange({}, keys({4, 2}), {true, false});
        QVERIFY(query.isArranged());
        QCOMPARE(query.rowNumber(), 2);
        QVERIFY(!query.isRowRead(2));
        QVERIFY(query.reorder({}));
        QVERIFY(!query.isArranged());
        QCOMPARE(query.keys(), keys({1, 2, 3, 4, 5}));
    }

    void searchHitsKeepTheirOrder()
    {
        LiveQuery query(*m_store);
        query.openKeys(keys({5, 1, 3}));
        QCOMPARE(query.keys(), keys({5, 1, 3}));
        query.reorder({ListSort::Store, false, ListView::Unread, {}});
        QCOMPARE(query.keys(), keys({5, 3}));
        query.reorder({ListSort::Number, false, ListView::All, {}});
        QCOMPARE(query.keys(), keys({1, 3, 5}));
    }

    void linesAndMarks()
    {
        const QList<MessageListRow> rows = MessageListQueries::rows(*m_store, keys({3, 42, 2}));
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows.at(0).key, 3);
        QCOMPARE(rows.at(0).from, QString::fromUtf8("M\u00dcLLER"));
        QCOMPARE(rows.at(1).marked, true);
        QVERIFY(MessageListQueries::setMarked(*m_store, 3, true));
        QVERIFY(MessageListQueries::rows(*m_store, keys({3})).at(0).marked);
        QVERIFY(MessageListQueries::setMarked(*m_store, 3, false));
        QVERIFY(!MessageListQueries::rows(*m_store, keys({3})).at(0).marked);
        QVERIFY(!MessageListQueries::setMarked(*m_store, 4242, true));
    }

    void threadFields()
    {
        MessageRecord answer = message(QStringLiteral("A"), 1, 60);
        answer.referenceNumber = 10;
        answer.messageId = QStringLiteral("<b@x>");
        answer.inReplyTo = QStringLiteral("<a@x>");
        const qint64 key = m_store->appendMessage(answer);
        const auto fields = MessageListQueries::threadFields(*m_store,
            Selections::conferenceMessages(QStringLiteral("A"), 1),
            {ListSort::Number, true, ListView::All, {}});
        QCOMPARE(int(fields.size()), 6);
        QCOMPARE(fields.front().key, key);
        QCOMPARE(fields.front().referenceNumber, 10);
        QCOMPARE(fields.front().messageId, QStringLiteral("<b@x>"));
        QCOMPARE(fields.front().inReplyTo, QStringLiteral("<a@x>"));
        QCOMPARE(fields.front().conference, 1);
        QVERIFY(fields.back().messageId.isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_MessageListQueries)
#include "tst_messagelistqueries.moc"
