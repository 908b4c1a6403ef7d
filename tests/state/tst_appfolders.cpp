#include "state/AppFolders.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using marvik::state::AppFolders;

class TestAppFolders : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void baseFolderEndsInOneSeparator_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("base");
        QTest::newRow("plain folder") << "/home/sysop"
                                      << "/home/sysop/";
        QTest::newRow("already ends in one") << "/home/sysop/"
                                             << "/home/sysop/";
        QTest::newRow("root") << "/"
                              << "/";
        QTest::newRow("name with spaces") << "/home/my mail"
                                          << "/home/my mail/";
    }

    void baseFolderEndsInOneSeparator()
    {
        QFETCH(QString, folder);
        QFETCH(QString, base);
        QCOMPARE(AppFolders::baseFolderFor(folder), base);
        const AppFolders folders(folder);
        QCOMPARE(folders.temp(), base + "TEMP");
        QCOMPARE(folders.work(), base + "WORK");
        QCOMPARE(folders.iniFile(), base + "MARVIK.INI");
    }

    void missingFoldersAreCreated()
    {
        QTemporaryDir dir;
        const AppFolders folders(dir.path());
        QString error;
        QVERIFY2(folders.create(&error), qPrintable(error));
        QVERIFY(QFileInfo(folders.temp()).isDir());
        QVERIFY(QFileInfo(folders.work()).isDir());
    }

    void presentFoldersKeepTheirContents()
    {
        QTemporaryDir dir;
        const AppFolders folders(dir.path());
        QVERIFY(QDir(dir.path()).mkdir("WORK"));
        QFile packet(folders.work() + "/MYBBS.REP");
        QVERIFY(packet.open(QIODevice::WriteOnly));
        packet.write("reply");
        packet.close();

        QString error;
        QVERIFY2(folders.create(&error), qPrintable(error));
        QVERIFY2(folders.create(&error), qPrintable(error));
        QVERIFY(packet.open(QIODevice::ReadOnly));
        QCOMPARE(packet.readAll(), QByteArray("reply"));
        QVERIFY(QFileInfo(folders.temp()).isDir());
    }

    void aFileInTheWayIsAnError()
    {
        QTemporaryDir dir;
        const AppFolders folders(dir.path());
        QFile blocker(folders.temp());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();

        QString error;
        QVERIFY(!folders.create(&error));
        QVERIFY2(error.contains(folders.temp()), qPrintable(error));
        QVERIFY(QFileInfo(folders.temp()).isFile());
    }

    void readOnlyFolderGivesTheSystemMessage()
    {
        if (::geteuid() == 0)
            QSKIP("root may write to read-only folders");
        QTemporaryDir dir;
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        const AppFolders folders(dir.path());
        QString error;
        const bool created = folders.create(&error);
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!created);
        QVERIFY2(error.contains("Permission denied"), qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(TestAppFolders)
#include "tst_appfolders.moc"
