#include "maint/TaglinesDocument.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using marvik::maint::TaglinesDocument;

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestTaglinesDocument : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void encode_data();
    void encode();
    void load_data();
    void load();
    void missingFileOpensEmpty();
    void unreadableFileIsRefused();
    void failedSaveKeepsTheOldFile();
};

void TestTaglinesDocument::encode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("empty") << QString() << QByteArray();
    QTest::newRow("one line") << u"Hello"_qs << QByteArray("Hello\r\n");
    QTest::newRow("final empty line dropped") << u"a\nb\n"_qs << QByteArray("a\r\nb\r\n");
    QTest::newRow("only one final empty line dropped") << u"a\n\n"_qs << QByteArray("a\r\n\r\n");
    QTest::newRow("blank lines kept") << u"a\n   \nb"_qs << QByteArray("a\r\n   \r\nb\r\n");
    QTest::newRow("utf-8") << u"Grüße ░"_qs
                           << QByteArray("Gr\xC3\xBC\xC3\x9F"
                                         "e \xE2\x96\x91\r\n");
}

void TestTaglinesDocument::encode()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(TaglinesDocument::encode(text), bytes);
}

void TestTaglinesDocument::load_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("CR LF") << QByteArray("one\r\ntwo\r\n") << u"one\ntwo"_qs;
    QTest::newRow("LF, no final end") << QByteArray("one\ntwo") << u"one\ntwo"_qs;
    QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBFone\r\n") << u"one"_qs;
    QTest::newRow("old DOS file") << QByteArray("\x81" "ber \xB0\r\n") << u"über ░"_qs;
    QTest::newRow("empty") << QByteArray() << QString();
}

void TestTaglinesDocument::load()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"MARVIK.TAG"_qs);
    QVERIFY(writeFile(path, bytes));
    QString loaded;
    QString error;
    QVERIFY(TaglinesDocument::load(path, &loaded, &error));
    QCOMPARE(loaded, text);
    // What was loaded is written back the same, in UTF-8 with CR LF.
    QVERIFY(TaglinesDocument::save(path, loaded, &error));
    QString again;
    QVERIFY(TaglinesDocument::load(path, &again, &error));
    QCOMPARE(again, text);
}

void TestTaglinesDocument::missingFileOpensEmpty()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"MARVIK.TAG"_qs);
    QString text = u"left over"_qs;
    QString error;
    QVERIFY(TaglinesDocument::load(path, &text, &error));
    QVERIFY(text.isEmpty());
    QVERIFY(TaglinesDocument::save(path, u"First tagline"_qs, &error));
    QCOMPARE(readFile(path), QByteArray("First tagline\r\n"));
}

void TestTaglinesDocument::unreadableFileIsRefused()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"MARVIK.TAG"_qs);
    QVERIFY(QDir().mkpath(path)); // there, but no file that can be read
    QString text;
    QString error;
    QVERIFY(!TaglinesDocument::load(path, &text, &error));
    QVERIFY(error.contains(path));
}

void TestTaglinesDocument::failedSaveKeepsTheOldFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"MARVIK.TAG"_qs);
    QVERIFY(writeFile(path, "old\r\n"));
    QString error;
    QVERIFY(!TaglinesDocument::save(dir.filePath(u"missing/MARVIK.TAG"_qs), u"new"_qs, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(readFile(path), QByteArray("old\r\n"));
    // No temporary file is left beside it.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList {u"MARVIK.TAG"_qs});
}

QTEST_GUILESS_MAIN(TestTaglinesDocument)
#include "tst_taglinesdocument.moc"
