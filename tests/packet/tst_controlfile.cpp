#include "packet/ControlFile.h"

#include <QTest>

using marvik::packet::ControlFile;

namespace {

QByteArray control(
    const QByteArrayList &conferenceLines, const QByteArray &count, const QByteArray &end = "\r\n")
{
    QByteArrayList lines {"My BBS  ", "  Springfield", "555-1212", "Sam Sysop, Sysop",
        "00000,MYBBS", "01-01-1996,10:00:00", "john smith", "", "0", "12", count};
    lines += conferenceLines;
    return lines.join(end) + end;
}

} // namespace

class TestControlFile : public QObject
{
    Q_OBJECT

private slots:
    void systemFields()
    {
        const ControlFile file(control({"0", "Main", "HELLO", "NEWS", "GOODBYE"}, "0"));
        QVERIFY(file.isAccepted());
        QCOMPARE(file.bbsName(), "My BBS");
        QCOMPARE(file.bbsLocation(), "Springfield");
        QCOMPARE(file.sysopName(), "SAM SYSOP");
        QCOMPARE(file.yourName(), "JOHN SMITH");
        QCOMPARE(file.lines().size(), 16);
    }

    void sysopName_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("expected");
        QTest::newRow("comma") << QByteArray("Sam Sysop, Sysop") << "SAM SYSOP";
        QTest::newRow("two commas") << QByteArray("a,b,c") << "A";
        QTest::newRow("no comma") << QByteArray("Sam Sysop") << "SAM SYSOP";
        QTest::newRow("comma first") << QByteArray(",Sysop") << "";
    }
    void sysopName()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, expected);
        QByteArray bytes = control({}, "-1");
        bytes.replace("Sam Sysop, Sysop", line);
        QCOMPARE(ControlFile(bytes).sysopName(), expected);
    }

    void lineEnds_data()
    {
        QTest::addColumn<QByteArray>("end");
        QTest::newRow("CR LF") << QByteArray("\r\n");
        QTest::newRow("LF") << QByteArray("\n");
        QTest::newRow("CR") << QByteArray("\r");
    }
    void lineEnds()
    {
        QFETCH(QByteArray, end);
        const ControlFile file(control({"0", "Main"}, "0", end));
        QCOMPARE(file.lines().size(), 13);
        QCOMPARE(file.line(12), "Main");
    }

    void acceptance_data()
    {
        QTest::addColumn<int>("lineCount");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("empty") << 0 << false;
        QTest::newRow("ten") << 10 << false;
        QTest::newRow("eleven") << 11 << true;
    }
    void acceptance()
    {
        QFETCH(int, lineCount);
        QFETCH(bool, accepted);
        QByteArray bytes;
        for (int i = 0; i < lineCount; ++i)
            bytes += "x\r\n";
        QCOMPARE(ControlFile(bytes).isAccepted(), accepted);
    }

    // Conference lines and the screen names after them, with the damage
    // real packets carry.
    void conferences_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("count"); // -1: not readable, or not compared
        QTest::addColumn<QList<int>>("numbers");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<bool>("complete");
        QTest::addColumn<QString>("welcome");

        QTest::newRow("two") << control(
            {"0", "Main", "1000", "Big \"Number\"", "HELLO", "NEWS", "BYE"}, "1")
                             << 2 << QList<int> {0, 1000} << QStringList {"Main", "Big \"Number\""}
                             << true << "HELLO";
        QTest::newRow("none") << control({"HELLO"}, "-1") << 0 << QList<int> {} << QStringList {}
                              << true << "HELLO";
        QTest::newRow("ctrl-z and extra lines")
            << control({"0", "Main", "HELLO", "NEWS", "BYE", "extra", "\x1A"}, "0") << 1
            << QList<int> {0} << QStringList {"Main"} << true << "HELLO";
        QTest::newRow("screen lines missing") << control({"0", "Main"}, "0") << 1 << QList<int> {0}
                                              << QStringList {"Main"} << true << "";
        QTest::newRow("names without numbers")
            << control({"Main Board", "Second", "HELLO"}, "1") << 2 << QList<int> {}
            << QStringList {} << false << "";
        QTest::newRow("shorter than its count")
            << control({"0", "Main"}, "5") << 6 << QList<int> {0} << QStringList {"Main"} << false
            << "";
        QTest::newRow("count not decimal") << control({"0", "Main"}, "two") << -1 << QList<int> {}
                                           << QStringList {} << false << "";
        QTest::newRow("count below -1")
            << control({"0", "Main"}, "-2") << -1 << QList<int> {} << QStringList {} << false << "";
        QTest::newRow("count absurd") << control({"0", "Main"}, "2147483647") << -1
                                      << QList<int> {0} << QStringList {"Main"} << false << "";
    }
    void conferences()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, count);
        QFETCH(QList<int>, numbers);
        QFETCH(QStringList, names);
        QFETCH(bool, complete);
        QFETCH(QString, welcome);

        const ControlFile file(bytes);
        QString error;
        const std::optional<qint64> n = file.conferenceCount(&error);
        if (count < 0 && !n) {
            QVERIFY(!error.isEmpty());
            return;
        }
        QVERIFY(n);
        if (count >= 0)
            QCOMPARE(*n, qint64(count));
        QList<int> gotNumbers;
        QStringList gotNames;
        bool ok = true;
        for (qint64 i = 0; i < *n; ++i) {
            const auto conference = file.conference(i, &error);
            if (!conference) {
                ok = false;
                QVERIFY(!error.isEmpty());
                break;
            }
            gotNumbers.append(conference->number);
            gotNames.append(conference->name);
        }
        QCOMPARE(ok, complete);
        QCOMPARE(gotNumbers, numbers);
        QCOMPARE(gotNames, names);
        if (complete)
            QCOMPARE(file.welcomeScreen(*n), welcome);
    }
};

QTEST_GUILESS_MAIN(TestControlFile)
#include "tst_controlfile.moc"
