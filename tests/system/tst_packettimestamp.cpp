#include "system/PacketTimestamp.h"

#include <QLocale>
#include <QTest>

using marvik::system::PacketTimestamp;

class TestPacketTimestamp : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void stamps_data();
    void stamps();
};

void TestPacketTimestamp::stamps_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QDateTime>("when");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("time");

    const auto at = [](int y, int mo, int d, int h, int mi) {
        return QDateTime(QDate(y, mo, d), QTime(h, mi, 59));
    };
    // A year-first locale date cut to 8 characters would give "2026-12-".
    QTest::newRow("iso locale") << "sv_SE" << at(2026, 12, 8, 21, 5) << "12-08-26"
                                << "21:05";
    QTest::newRow("us locale, afternoon") << "en_US" << at(2026, 1, 2, 15, 30) << "01-02-26"
                                          << "15:30";
    QTest::newRow("day-first locale") << "de_DE" << at(1999, 7, 31, 0, 0) << "07-31-99"
                                      << "00:00";
    QTest::newRow("arabic digits") << "ar_EG" << at(2000, 2, 29, 23, 59) << "02-29-00"
                                   << "23:59";
    QTest::newRow("before the year 10") << "C" << at(2105, 10, 1, 9, 7) << "10-01-05"
                                        << "09:07";
}

void TestPacketTimestamp::stamps()
{
    QFETCH(QString, locale);
    QFETCH(QDateTime, when);
    QLocale::setDefault(QLocale(locale));
    QFETCH(QString, date);
    QFETCH(QString, time);
    QCOMPARE(PacketTimestamp::date(when), date);
    QCOMPARE(PacketTimestamp::time(when), time);
    QLocale::setDefault(QLocale::c());
}

QTEST_GUILESS_MAIN(TestPacketTimestamp)
#include "tst_packettimestamp.moc"
