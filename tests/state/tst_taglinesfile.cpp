#include "state/TaglinesFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using marvik::state::TaglinesFile;

class TestTaglinesFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parses_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("taglines");
        QTest::newRow("empty file") << QByteArray() << QStringList();
        QTest::newRow("CR LF lines") << QByteArray("One\r\nTwo\r\n") << QStringList {"One", "Two"};
        QTest::newRow("LF lines, no final end")
            << QByteArray("One\nTwo") << QStringList {"One", "Two"};
        QTest::newRow("trimmed both ends")
            << QByteArray("  \tSpaced out \t\r\n") << QStringList {"Spaced out"};
        QTest::newRow("inner blanks kept") << QByteArray("a  b\n") << QStringList {"a  b"};
        QTest::newRow("empty and blank lines left out")
            << QByteArray("\r\nA\r\n   \r\n\t\r\n\r\nB\r\n\r\n") << QStringList {"A", "B"};
        QTest::newRow("control characters trimmed")
            << QByteArray("\x1A\x01Tag\x7F\r\n\x1A") << QStringList {"Tag"};
        QTest::newRow("UTF-8 with byte-order mark")
            << QByteArray("\xEF\xBB\xBFK\xC3\xA4se\n") << QStringList {"Käse"};
        QTest::newRow("not UTF-8: read as CP437") << QByteArray(
            "\x81"
            "ber \xE1 alles\r\n\xC9\xCD\xBB\r\n") << QStringList {"über ß alles", "╔═╗"};
    }

    void parses()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, taglines);
        QCOMPARE(TaglinesFile::parse(bytes), taglines);
    }

    void loadsFromFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("MARVIK.TAG");
        QCOMPARE(TaglinesFile::load(path), QStringList()); // missing: empty, no error

        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Never trust a modem.\r\n\r\n  Reply hazy, call back later.  \r\n");
        file.close();
        QCOMPARE(TaglinesFile::load(path),
            (QStringList {"Never trust a modem.", "Reply hazy, call back later."}));
    }
};

QTEST_GUILESS_MAIN(TestTaglinesFile)
#include "tst_taglinesfile.moc"
