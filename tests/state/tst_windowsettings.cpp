#include "state/WindowSettings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using marvik::state::WindowSettings;

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

class TestWindowSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The window keys go into their own section; every other line of the
    // file, the user's own and the settings', stays exactly as it was.
    void commitTouchesOnlyItsSection()
    {
        QTemporaryDir dir;
        const QString ini = dir.filePath("MARVIK.INI");
        writeAll(ini,
            "; my notes\r\n[Miscellaneous]\r\nArchive Name=C:\\SAVE.TXT\r\n\r\n[Windows]\r\n"
            "Reader=10,20,800,600\r\nreader=1,1,1,1\r\n\r\n[Mine]\r\nColour=blue\r\n");
        WindowSettings settings(ini);
        QVERIFY(settings.load());
        QCOMPARE(settings.layoutValue("READER"), QString("10,20,800,600"));
        QCOMPARE(settings.layoutValue("Editor"), QString());

        settings.setLayoutValue("reader", "30,40,700,500");
        settings.setLayoutValue("SystemWindow", "1,2,3,4");
        settings.setLayoutValue("Editor", "5,6,7,8");
        // Someone else writes the file meanwhile: that is kept too.
        writeAll(ini, readAll(ini).replace("Colour=blue", "Colour=green"));
        QVERIFY(settings.commit());
        QCOMPARE(readAll(ini),
            QByteArray("; my notes\r\n[Miscellaneous]\r\nArchive Name=C:\\SAVE.TXT\r\n\r\n"
                       "[Windows]\r\nReader=30,40,700,500\r\nreader=1,1,1,1\r\nEditor=5,6,7,8\r\n"
                       "SystemWindow=1,2,3,4\r\n\r\n[Mine]\r\nColour=green\r\n"));

        WindowSettings again(ini);
        QVERIFY(again.load());
        QCOMPARE(again.layoutValue("SystemWindow"), QString("1,2,3,4"));
    }

    // Nothing changed, nothing written: a start without a settings file does
    // not make one by closing a window where it was.
    void unchangedValuesAreNotWritten()
    {
        QTemporaryDir dir;
        const QString ini = dir.filePath("MARVIK.INI");
        WindowSettings settings(ini);
        QVERIFY(settings.load());
        QVERIFY(settings.commit());
        QVERIFY(!QFile::exists(ini));

        settings.setLayoutValue("Reader", "1,2,3,4");
        QVERIFY(settings.commit());
        const QByteArray written = readAll(ini);
        QCOMPARE(written, QByteArray("[Windows]\nReader=1,2,3,4\n"));
        QFile::remove(ini);
        settings.setLayoutValue("Reader", "1,2,3,4");
        QVERIFY(settings.commit());
        QVERIFY(!QFile::exists(ini));
    }

    void unwritableFileIsReported()
    {
        QTemporaryDir dir;
        const QString ini = dir.filePath("MARVIK.INI");
        QVERIFY(QDir(dir.path()).mkdir("MARVIK.INI")); // a folder in the way
        WindowSettings settings(ini);
        settings.setLayoutValue("Reader", "1,2,3,4");
        QVERIFY(!settings.commit());
        QVERIFY(settings.errorText().contains(ini));
        QCOMPARE(settings.layoutValue("Reader"), QString("1,2,3,4"));
    }
};

QTEST_GUILESS_MAIN(TestWindowSettings)
#include "tst_windowsettings.moc"
