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
