#include "packet/ConferenceIndex.h"

#include <QTest>

using marvik::packet::ConferenceIndex;

class TestConferenceIndex : public QObject
{
    Q_OBJECT

private slots:
    void decodeMbf_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<qint64>("value");
        QTest::newRow("first message") << QByteArray::fromHex("00000082") << true << qint64(2);
        QTest::newRow("zero exponent") << QByteArray::fromHex("ffffff00") << true << qint64(0);
        QTest::newRow("one") << QByteArray::fromHex("00000081") << true << qint64(1);
        QTest::newRow("three") << QByteArray::fromHex("00004082") << true << qint64(3);
        QTest::newRow("ten") << QByteArray::fromHex("00002084") << true << qint64(10);
        QTest::newRow("1000") << QByteArray::fromHex("00007a8a") << true << qint64(1000);
        QTest::newRow("large") << QByteArray::fromHex("f0ff7f94") << true << qint64(1048575);
        QTest::newRow("negative") << QByteArray::fromHex("00008082") << true << qint64(-2);
        QTest::newRow("fraction truncated") << QByteArray::fromHex("00000080") << true << qint64(0);
        QTest::newRow("2^40") << QByteArray::fromHex("000000a9") << true << (qint64(1) << 40);
        QTest::newRow("absurd exponent") << QByteArray::fromHex("000000ff") << false << qint64(0);
        QTest::newRow("short") << QByteArray::fromHex("0000") << false << qint64(0);
    }
    void decodeMbf()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, valid);
        QFETCH(qint64, value);
        const std::optional<qint64> got = ConferenceIndex::decodeMbf(bytes);
        QCOMPARE(got.has_value(), valid);
        if (valid)
            QCOMPARE(*got, value);
    }

    void blockNumbers_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<qint64>>("expected");
        QTest::newRow("empty") << QByteArray() << QList<qint64> {};
        QTest::newRow("two records") << QByteArray::fromHex("0000008200"
                                                            "0000208401")
                                     << QList<qint64> {2, 10};
        QTest::newRow("partial record ignored") << QByteArray::fromHex("0000008200"
                                                                       "000020")
                                                << QList<qint64> {2};
        QTest::newRow("garbage record gives 0") << QByteArray::fromHex("000000ff00"
                                                                       "0000008200")
                                                << QList<qint64> {0, 2};
    }
    void blockNumbers()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QList<qint64>, expected);
        QCOMPARE(ConferenceIndex::blockNumbers(bytes), expected);
    }
};

QTEST_GUILESS_MAIN(TestConferenceIndex)
#include "tst_conferenceindex.moc"
