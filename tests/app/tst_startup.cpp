#include "app/Startup.h"
#include "store/MessageStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

using marvik::app::Startup;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Table names read straight from the file, past the store's own code.
QStringList tablesIn(const QString &path)
{
    QStringList tables;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr)
        == SQLITE_OK) {
        sqlite3_stmt *statement = nullptr;
        sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name",
            -1, &statement, nullptr);
        while (statement && sqlite3_step(statement) == SQLITE_ROW)
            tables << QString::fromUtf8(
                reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return tables;
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void firstStartCreatesEverything()
    {
        QTemporaryDir dir;
        const QString base = dir.path() + "/";
        QFile tags(base + "MARVIK.TAG");
        QVERIFY(tags.open(QIODevice::WriteOnly));
        tags.write("First tag\r\n\r\n  Second tag\r\n");
        tags.close();

        Startup startup;
        QVERIFY2(startup.run(dir.path()), qPrintable(startup.errorText()));
        QCOMPARE(startup.warningText(), QString());
        QCOMPARE(startup.folders().base(), base);
        QVERIFY(QFileInfo(base + "TEMP").isDir());
        QVERIFY(QFileInfo(base + "WORK").isDir());
        QCOMPARE(readAll(base + "MARVIK.INI"),
            "[Miscellaneous]\nArchive Name=" + (base + "SAVEEM.TXT").toUtf8() + "\n");
        QCOMPARE(startup.settings().archiveName(), base + "SAVEEM.TXT");
        QCOMPARE(startup.taglines(), (QStringList {"First tag", "Second tag"}));

        auto store = startup.takeStore();
        QVERIFY(store);
        const QStringList tables = tablesIn(base + "MARVIK.db");
        for (const char *table : {"BULLETIN", "CONFS", "MESSAGES", "QWKIDS"})
            QVERIFY2(tables.contains(table), qPrintable(tables.join(',')));
    }

    void secondStartKeepsEverything()
    {
        QTemporaryDir dir;
        const QString base = dir.path() + "/";
        {
            Startup first;
            QVERIFY2(first.run(dir.path()), qPrintable(first.errorText()));
            auto store = first.takeStore();
            marvik::store::SystemRecord system;
            system.qwkId = "MYBBS";
            system.bbsName = "My BBS";
            store->saveSystem(system);
        }
        QFile unpacked(base + "TEMP/CONTROL.DAT");
        QVERIFY(unpacked.open(QIODevice::WriteOnly));
        unpacked.write("kept");
        unpacked.close();
        QFile ini(base + "MARVIK.INI");
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Miscellaneous]\nArchive Name=/elsewhere/saved.txt\n\n[Mine]\nColour=blue\n");
        ini.close();

        Startup second;
        QVERIFY2(second.run(dir.path()), qPrintable(second.errorText()));
        QCOMPARE(readAll(base + "TEMP/CONTROL.DAT"), QByteArray("kept"));
        QCOMPARE(second.settings().archiveName(), QString("/elsewhere/saved.txt"));
        QCOMPARE(readAll(base + "MARVIK.INI"),
            QByteArray("[Miscellaneous]\nArchive Name=/elsewhere/saved.txt\n\n[Mine]\n"
                       "Colour=blue\n"));
        auto store = second.takeStore();
        QCOMPARE(store->systemIds(), QStringList {"MYBBS"});
    }

    void folderThatCannotBeMadeStopsTheStart()
    {
        QTemporaryDir dir;
        QFile blocker(dir.filePath("WORK"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();

        Startup startup;
        QVERIFY(!startup.run(dir.path()));
        QVERIFY2(
            startup.errorText().contains(dir.filePath("WORK")), qPrintable(startup.errorText()));
        QVERIFY(!startup.takeStore());
        QVERIFY(!QFile::exists(dir.filePath("MARVIK.db")));
    }

    void unusableStoreStopsTheStartAndIsLeftAlone_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<bool>("heldOpen");
        QTest::newRow("not a database") << QByteArray(4096, '\x5A') << false;
        QTest::newRow("in use by another Marvik") << QByteArray() << true;
    }

    void unusableStoreStopsTheStartAndIsLeftAlone()
    {
        QFETCH(QByteArray, contents);
        QFETCH(bool, heldOpen);
        QTemporaryDir dir;
        const QString path = dir.filePath("MARVIK.db");
        std::unique_ptr<marvik::store::MessageStore> other;
        if (heldOpen) {
            other = std::make_unique<marvik::store::MessageStore>(path);
            other->waitForCheckpoint(); // its own first commit settles first
        } else {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(contents);
        }
        const QByteArray before = readAll(path);

        Startup startup;
        QVERIFY(!startup.run(dir.path()));
        QVERIFY(!startup.errorText().isEmpty());
        // Only a store in use sends a second start to the running one.
        QCOMPARE(startup.storeInUse(), heldOpen);
        QVERIFY(!startup.takeStore());
        QCOMPARE(readAll(path), before);
        QVERIFY(!QFile::exists(dir.filePath("MARVIK.INI")));
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
