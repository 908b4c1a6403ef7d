#include "app/LaunchOptions.h"

#include <QTest>

using marvik::app::LaunchOptions;

class TestLaunchOptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("fromDesktop");
        QTest::addColumn<QStringList>("files");
        QTest::newRow("nothing") << QStringList {} << false << QStringList {};
        QTest::newRow("desktop, no file") << QStringList {"--desktop"} << true << QStringList {};
        QTest::newRow("relative and absolute")
            << QStringList {"MYBBS.QWK", "../x/OTHER.QWK", "/tmp/THIRD.QWK"} << false
            << QStringList {"/home/u/run/MYBBS.QWK", "/home/u/x/OTHER.QWK", "/tmp/THIRD.QWK"};
        QTest::newRow("file manager address")
            << QStringList {"--desktop", "file:///home/u/Downloads/My%20BBS.qwk"} << true
            << QStringList {"/home/u/Downloads/My BBS.qwk"};
        QTest::newRow("a file named like an option")
            << QStringList {"--", "--desktop"} << false << QStringList {"/home/u/run/--desktop"};
    }

    void parse()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, fromDesktop);
        QFETCH(QStringList, files);
        const LaunchOptions options
            = LaunchOptions::parse(QStringList {"marvik"} + arguments, "/home/u/run");
        QCOMPARE(options.fromDesktop(), fromDesktop);
        QCOMPARE(options.files(), files);
    }
};

QTEST_GUILESS_MAIN(TestLaunchOptions)
#include "tst_launchoptions.moc"
