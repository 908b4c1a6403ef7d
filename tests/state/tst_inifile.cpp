#include "state/IniFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using marvik::state::IniFile;

class TestIniFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsValues_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected"); // "<none>" when absent
        const QString none = "<none>";
        QTest::newRow("empty file") << ""
                                    << "A"
                                    << "k" << none;
        QTest::newRow("plain") << "[A]\nk=v\n"
                               << "A"
                               << "k"
                               << "v";
        QTest::newRow("blanks around name and value") << "[ A ]\n  k  =  v w  \n"
                                                      << "A"
                                                      << "k"
                                                      << "v w";
        QTest::newRow("case of names ignored") << "[misc]\nARCHIVE NAME=x\n"
                                               << "MISC"
                                               << "Archive Name"
                                               << "x";
        QTest::newRow("key in another section") << "[B]\nk=v\n[A]\nj=w\n"
                                                << "A"
                                                << "k" << none;
        QTest::newRow("section missing") << "[B]\nk=v\n"
                                         << "A"
                                         << "k" << none;
        QTest::newRow("value holds =") << "[A]\nk=a=b\n"
                                       << "A"
                                       << "k"
                                       << "a=b";
        QTest::newRow("empty value") << "[A]\nk=\n"
                                     << "A"
                                     << "k"
                                     << "";
        QTest::newRow("comment is no entry") << "[A]\n;k=v\n"
                                             << "A"
                                             << "k" << none;
        QTest::newRow("CR LF ends") << "[A]\r\nk=v\r\n"
                                    << "A"
                                    << "k"
                                    << "v";
        QTest::newRow("first of two") << "[A]\nk=1\nk=2\n"
                                      << "A"
                                      << "k"
                                      << "1";
    }

    void readsValues()
    {
        QFETCH(QString, text);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        IniFile ini;
        ini.parse(text);
        const auto value = ini.value(section, key);
        QCOMPARE(value.value_or("<none>"), expected);
    }

    void setValueKeepsTheRest_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::newRow("empty file gets section and key") << ""
                                                         << "[Miscellaneous]\nArchive Name=x\n";
        QTest::newRow("other section kept, ours appended")
            << "[Colours]\nBack=1\n"
            << "[Colours]\nBack=1\n\n[Miscellaneous]\nArchive Name=x\n";
        QTest::newRow("key added after the section's entries")
            << "[Miscellaneous]\nOther=1\n\n[Z]\nq=2\n"
            << "[Miscellaneous]\nOther=1\nArchive Name=x\n\n[Z]\nq=2\n";
        QTest::newRow("existing key replaced in place")
            << "; mine\n[miscellaneous]\nA=1\narchive name=old\nB=2\n"
            << "; mine\n[miscellaneous]\nA=1\nArchive Name=x\nB=2\n";
        QTest::newRow("CR LF file stays CR LF") << "[Miscellaneous]\r\nArchive Name=old\r\n"
                                                << "[Miscellaneous]\r\nArchive Name=x\r\n";
    }

    void setValueKeepsTheRest()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        IniFile ini;
        ini.parse(before);
        ini.setValue("Miscellaneous", "Archive Name", "x");
        QCOMPARE(ini.text(), after);
    }

    void savesAndLoadsBack()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("MARVIK.INI");
        IniFile ini;
        QVERIFY(ini.load(path)); // missing file: empty, not an error
        ini.setValue("Miscellaneous", "Archive Name", "/home/ünïcode/SAVEEM.TXT");
        QString error;
        QVERIFY2(ini.save(path, &error), qPrintable(error));

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.contains("Archive Name="));
        QVERIFY(!bytes.contains("%20"));

        IniFile again;
        QVERIFY(again.load(path));
        QCOMPARE(again.value("Miscellaneous", "Archive Name").value_or(QString()),
            QString("/home/ünïcode/SAVEEM.TXT"));
    }

    void cp437FileIsRead()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("MARVIK.INI");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Miscellaneous]\r\nArchive Name=C:\\M\x81LLER.TXT\r\n"); // 0x81 is ü in CP437
        file.close();
        IniFile ini;
        QVERIFY(ini.load(path));
        QCOMPARE(ini.value("Miscellaneous", "Archive Name").value_or(QString()),
            QString("C:\\MüLLER.TXT"));
    }

    void failedSaveKeepsTheOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("missing-folder/MARVIK.INI");
        IniFile ini;
        ini.setValue("A", "k", "v");
        QString error;
        QVERIFY(!ini.save(path, &error));
        QVERIFY(error.contains(path));
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
