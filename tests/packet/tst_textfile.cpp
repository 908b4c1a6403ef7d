#include "packet/BulletinName.h"
#include "packet/TextFile.h"

#include <QTemporaryDir>
#include <QTest>

using marvik::packet::BulletinName;
using marvik::packet::TextFile;

// Text files and the bulletin names they come under.
class TestTextFile : public QObject
{
    Q_OBJECT

private slots:
    void decode_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("lines");
        QTest::newRow("empty") << QByteArray() << "" << 0;
        QTest::newRow("crlf") << QByteArray("a\r\nb\r\n") << "a\r\nb\r\n" << 2;
        QTest::newRow("lf") << QByteArray("a\nb") << "a\r\nb\r\n" << 2;
        QTest::newRow("untrimmed") << QByteArray("  a  \r\n") << "  a  \r\n" << 1;
        QTest::newRow("blank lines kept") << QByteArray("\r\n\r\nx") << "\r\n\r\nx\r\n" << 3;
        QTest::newRow("ansi and ctrl-z kept")
            << QByteArray("\x1B[31m\xDB\x1A") << QString::fromUtf8("\x1B[31m█\x1A\r\n") << 1;
    }
    void decode()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QFETCH(int, lines);
        int seen = 0;
        QCOMPARE(TextFile::decode(bytes, [&] { ++seen; }), expected);
        QCOMPARE(seen, lines);
    }

    void bulletinName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("matches");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("conference");
        QTest::addColumn<int>("bulletin");
        QTest::newRow("plain") << "BLT-5.12" << true << true << 5 << 12;
        QTest::newRow("lower case") << "blt-0.1" << true << true << 0 << 1;
        QTest::newRow("big conference") << "BLT-1000.3" << true << true << 1000 << 3;
        QTest::newRow("letters") << "BLT-X.1" << true << false << 0 << 0;
        QTest::newRow("second dot") << "BLT-5.12.BAK" << true << false << 0 << 0;
        QTest::newRow("empty conference") << "BLT-.1" << true << false << 0 << 0;
        QTest::newRow("empty bulletin") << "BLT-1." << true << false << 0 << 0;
        QTest::newRow("no dot") << "BLT-1" << false << false << 0 << 0;
        QTest::newRow("other file") << "BULLETIN.TXT" << false << false << 0 << 0;
    }
    void bulletinName()
    {
        QFETCH(QString, name);
        QFETCH(bool, matches);
        QFETCH(bool, valid);
        QFETCH(int, conference);
        QFETCH(int, bulletin);
        QCOMPARE(BulletinName::matches(name), matches);
        QString error;
        const auto numbers = BulletinName::parse(name, &error);
        QCOMPARE(numbers.has_value(), valid);
        if (valid) {
            QCOMPARE(numbers->conference, conference);
            QCOMPARE(numbers->bulletin, bulletin);
        } else {
            QVERIFY(error.contains(name));
        }
    }
};

QTEST_GUILESS_MAIN(TestTextFile)
#include "tst_textfile.moc"
