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

    // The id the BBS gives itself, when it can name a file; else none.
    void bbsId_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("expected");
        QTest::newRow("serial and id") << QByteArray("00000,HARBOR") << "HARBOR";
        QTest::newRow("lower case, spaced") << QByteArray("4471 ,  harbor1 ") << "HARBOR1";
        QTest::newRow("nine characters") << QByteArray("1,ABCDEFGHI") << "";
        QTest::newRow("no comma") << QByteArray("00000") << "";
        QTest::newRow("space inside") << QByteArray("0,MY BBS") << "";
        QTest::newRow("path") << QByteArray("0,../X") << "";
    }
    void bbsId()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, expected);
        QByteArray bytes = control({"0", "Main"}, "0");
        bytes.replace("00000,MYBBS", line);
        QCOMPARE(ControlFile(bytes).bbsId(), expected);
    }

    // The list as far as it can be read, and where the screen names start.
    void conferenceList_data()
    {
        QTest::addColumn<QByteArrayList>("lines");
        QTest::addColumn<QByteArray>("count");
        QTest::addColumn<QList<int>>("numbers");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("welcome");
        QTest::addColumn<QString>("problem"); // "" = none
        QTest::newRow("sound") << QByteArrayList {"0", "Main", "7", "Seven", "HELLO"}
                               << QByteArray("1") << QList<int> {0, 7}
                               << QStringList {"Main", "Seven"} << "HELLO"
                               << "";
        QTest::newRow("names without numbers")
            << QByteArrayList {"Main", "Second", "HELLO"} << QByteArray("1") << QList<int> {0, 1}
            << QStringList {"Main", "Second"} << "HELLO"
            << "without their numbers";
        QTest::newRow("count not decimal")
            << QByteArrayList {"0", "Main", "7", "Seven", "HELLO", "NEWS"} << QByteArray("many")
            << QList<int> {0, 7} << QStringList {"Main", "Seven"} << "HELLO"
            << "does not say how many conferences";
        QTest::newRow("bad number half-way")
            << QByteArrayList {"0", "Main", "seven", "Seven", "HELLO"} << QByteArray("1")
            << QList<int> {0} << QStringList {"Main"} << "HELLO"
            << "1 of 2 conferences";
        QTest::newRow("count beyond the file")
            << QByteArrayList {"0", "Main"} << QByteArray("2147483646") << QList<int> {0}
            << QStringList {"Main"} << ""
            << "ends before conference 2 of those it announces";
        QTest::newRow("count of -1") << QByteArrayList {"HELLO"} << QByteArray("-1")
                                     << QList<int> {} << QStringList {} << "HELLO"
                                     << "lists no conferences";
    }
    void conferenceList()
    {
        QFETCH(QByteArrayList, lines);
        QFETCH(QByteArray, count);
        QFETCH(QList<int>, numbers);
        QFETCH(QStringList, names);
        QFETCH(QString, welcome);
        QFETCH(QString, problem);
        const ControlFile file(control(lines, count));
        const ControlFile::ConferenceList list = file.conferenceList();
        QList<int> gotNumbers;
        QStringList gotNames;
        for (const auto &c : list.conferences) {
            gotNumbers.append(c.number);
            gotNames.append(c.name);
        }
        QCOMPARE(gotNumbers, numbers);
        QCOMPARE(gotNames, names);
        QCOMPARE(file.line(list.firstScreenLine), welcome);
        if (problem.isEmpty()) {
            QCOMPARE(list.problems, QStringList());
        } else {
            QCOMPARE(list.problems.size(), 1);
            QVERIFY2(list.problems.at(0).contains(problem), qPrintable(list.problems.at(0)));
        }
    }

    // Millions of empty lines cost no more than the lines a control file
    // can use; a monstrous line is quoted short.
    void hostileSizes()
    {
        QByteArray bytes = control({"0", "Main"}, "0") + QByteArray(4 * 1024 * 1024, '\n');
        const ControlFile many(bytes);
        QCOMPARE(many.lines().size(), ControlFile::MaxLines);
        QVERIFY(many.linesDropped());
        QCOMPARE(many.conferenceList().conferences.size(), 1);

        const ControlFile longLine(control({"0", "Main"}, QByteArray(100000, 'x')));
        QString error;
        QVERIFY(!longLine.conferenceCount(&error));
        QVERIFY2(error.size() < 160, qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(TestControlFile)
#include "tst_controlfile.moc"
