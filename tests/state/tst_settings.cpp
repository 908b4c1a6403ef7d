#include "state/Settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using marvik::state::Settings;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Start-up loads the settings and writes them straight back.
    void loadThenSave_data()
    {
        QTest::addColumn<bool>("fileExists");
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("archiveName"); // "<default>" = base + SAVEEM.TXT
        QTest::addColumn<QByteArray>("after");
        const QString def = "<default>";
        QTest::newRow("file missing") << false << QByteArray() << def
                                      << QByteArray("[Miscellaneous]\nArchive Name=<default>\n");
        QTest::newRow("empty file") << true << QByteArray() << def
                                    << QByteArray("[Miscellaneous]\nArchive Name=<default>\n");
        QTest::newRow("section missing")
            << true << QByteArray("[Other]\nx=1\n") << def
            << QByteArray("[Other]\nx=1\n\n[Miscellaneous]\nArchive Name=<default>\n");
        QTest::newRow("key missing")
            << true << QByteArray("[Miscellaneous]\nOther Key=7\n") << def
            << QByteArray("[Miscellaneous]\nOther Key=7\nArchive Name=<default>\n");
        QTest::newRow("empty value names no file")
            << true << QByteArray("[Miscellaneous]\nArchive Name=\n") << def
            << QByteArray("[Miscellaneous]\nArchive Name=<default>\n");
        QTest::newRow("key present, kept as it was")
            << true << QByteArray("; saved messages\n[Miscellaneous]\nArchive Name=/m/keep.txt\n")
            << "/m/keep.txt"
            << QByteArray("; saved messages\n[Miscellaneous]\nArchive Name=/m/keep.txt\n");
    }

    void loadThenSave()
    {
        QFETCH(bool, fileExists);
        QFETCH(QByteArray, before);
        QFETCH(QString, archiveName);
        QFETCH(QByteArray, after);
        QTemporaryDir dir;
        const QString base = dir.path() + "/";
        const QString ini = base + "MARVIK.INI";
        if (fileExists)
            writeAll(ini, before);
        const QString defaultName = base + "SAVEEM.TXT";
        archiveName.replace("<default>", defaultName);
        after.replace("<default>", defaultName.toUtf8());

        Settings settings(base);
        QString error;
        QVERIFY2(settings.load(ini, &error), qPrintable(error));
        QCOMPARE(settings.archiveName(), archiveName);
        QVERIFY2(settings.save(ini, &error), qPrintable(error));
        QCOMPARE(readAll(ini), after);
    }

    void changedNameIsWritten()
    {
        QTemporaryDir dir;
        const QString ini = dir.filePath("MARVIK.INI");
        Settings settings(dir.path() + "/");
        settings.setArchiveName("/home/sysop/My Saved Mail.txt");
        QVERIFY(settings.save(ini));
        Settings again(dir.path() + "/");
        QVERIFY(again.load(ini));
        QCOMPARE(again.archiveName(), QString("/home/sysop/My Saved Mail.txt"));
    }

    // The reader's colour and hidden-line switches.
    void readerSwitches_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<bool>("colours");
        QTest::addColumn<bool>("hidden");
        QTest::newRow("absent: the defaults") << QByteArray("[Miscellaneous]\n") << true << false;
        QTest::newRow("written by us")
            << QByteArray("[Miscellaneous]\nMessage Colours=0\nShow Hidden Lines=1\n") << false
            << true;
        QTest::newRow("words typed by hand")
            << QByteArray("[miscellaneous]\nmessage colours = Off\nshow hidden lines = yes\n")
            << false << true;
        QTest::newRow("nonsense keeps the defaults")
            << QByteArray("[Miscellaneous]\nMessage Colours=maybe\nShow Hidden Lines=\n") << true
            << false;
    }

    void readerSwitches()
    {
        QFETCH(QByteArray, before);
        QFETCH(bool, colours);
        QFETCH(bool, hidden);
        QTemporaryDir dir;
        const QString ini = dir.filePath("MARVIK.INI");
        writeAll(ini, before);
        Settings settings(dir.path() + "/");
        QVERIFY(settings.load(ini));
        QCOMPARE(settings.messageColours(), colours);
        QCOMPARE(settings.showHiddenLines(), hidden);

        // Switched, saved and read back; the archive name is kept beside them.
        settings.setMessageColours(!colours);
        settings.setShowHiddenLines(!hidden);
        QVERIFY(settings.save(ini));
        Settings again(dir.path() + "/");
        QVERIFY(again.load(ini));
        QCOMPARE(again.messageColours(), !colours);
        QCOMPARE(again.showHiddenLines(), !hidden);
        QCOMPARE(again.archiveName(), settings.archiveName());
    }

    void unreadableFileIsNotReplaced()
    {
        QTemporaryDir dir;
        // A folder where the file should be: it exists but cannot be read.
        const QString ini = dir.filePath("MARVIK.INI");
        QVERIFY(QDir(dir.path()).mkdir("MARVIK.INI"));
        Settings settings(dir.path() + "/");
        QString error;
        QVERIFY(!settings.load(ini, &error));
        QCOMPARE(settings.archiveName(), settings.defaultArchiveName());
        QVERIFY(!settings.save(ini, &error));
        QVERIFY(QFileInfo(ini).isDir());
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
