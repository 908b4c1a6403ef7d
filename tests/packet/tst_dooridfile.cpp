#include "packet/DoorIdFile.h"

#include <QTest>

using marvik::packet::DoorIdFile;
using marvik::packet::DoorIdRecord;

Q_DECLARE_METATYPE(QList<DoorIdRecord>)

class TestDoorIdFile : public QObject
{
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<DoorIdRecord>>("expected");
        QTest::newRow("pairs in order")
            << QByteArray("DOOR = MarvDoor\r\nVERSION=1.2\r\n  SYSTEM =  Wildcat  \r\n")
            << QList<DoorIdRecord> {
                   {"DOOR", "MarvDoor"}, {"VERSION", "1.2"}, {"SYSTEM", "Wildcat"}};
        QTest::newRow("controltype add")
            << QByteArray("CONTROLTYPE = ADD") << QList<DoorIdRecord> {{"ADD", "ADD"}};
        QTest::newRow("controltype drop and reset, any case")
            << QByteArray("CONTROLTYPE = DROP\ncontroltype = RESET\n")
            << QList<DoorIdRecord> {{"DROP", "DROP"}, {"RESET", "RESET"}};
        QTest::newRow("bare receipt lower case")
            << QByteArray("receipt\r\n") << QList<DoorIdRecord> {{"RECEIPT", "YES"}};
        QTest::newRow("receipt with empty value dropped")
            << QByteArray("RECEIPT =\r\n") << QList<DoorIdRecord> {};
        QTest::newRow("lines without = dropped")
            << QByteArray("QwkNetDoor\r\n\r\nhello world\r\n") << QList<DoorIdRecord> {};
        QTest::newRow("value holds =")
            << QByteArray("CONTROLNAME = A=B") << QList<DoorIdRecord> {{"CONTROLNAME", "A=B"}};
        QTest::newRow("empty file") << QByteArray() << QList<DoorIdRecord> {};
    }
    void parse()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QList<DoorIdRecord>, expected);
        const QList<DoorIdRecord> got = DoorIdFile::parse(bytes);
        QCOMPARE(got.size(), expected.size());
        for (qsizetype i = 0; i < got.size(); ++i) {
            QCOMPARE(got.at(i).key, expected.at(i).key);
            QCOMPARE(got.at(i).value, expected.at(i).value);
        }
    }

    void lookup_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("exact") << "DOOR"
                               << "first";
        QTest::newRow("any case") << "door"
                                  << "first";
        QTest::newRow("first match wins") << "Version"
                                          << "1";
        QTest::newRow("missing") << "FIDOTAG"
                                 << "";
    }
    void lookup()
    {
        QFETCH(QString, key);
        QFETCH(QString, expected);
        const QList<DoorIdRecord> records
            = DoorIdFile::parse("door = first\r\nDOOR = second\r\nVERSION = 1\r\nversion = 2\r\n");
        QCOMPARE(DoorIdFile::value(records, key), expected);
    }

    void namesQwke_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("qwke");
        QTest::newRow("control type") << QByteArray("CONTROLTYPE = QWKE\r\n") << true;
        QTest::newRow("a key of its own, any case") << QByteArray("qwke = yes\r\n") << true;
        QTest::newRow("among other words") << QByteArray("DOOR = Harbor QWK/QWKE door") << true;
        QTest::newRow("part of another word")
            << QByteArray("DOOR = QWKEMAIL\r\nX = NOQWKE") << false;
        QTest::newRow("plain QWK") << QByteArray("DOOR = Harbor\r\nCONTROLTYPE = ADD") << false;
        QTest::newRow("a line without =") << QByteArray("QWKE\r\n") << false;
    }
    void namesQwke()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, qwke);
        QCOMPARE(DoorIdFile::namesQwke(DoorIdFile::parse(bytes)), qwke);
    }
};

QTEST_GUILESS_MAIN(TestDoorIdFile)
#include "tst_dooridfile.moc"
