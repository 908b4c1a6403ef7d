#include "app/PacketQueue.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using marvik::app::PacketQueue;

class TestPacketQueue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A file handed over again while it waits or is being imported is not
    // taken twice, whatever name it comes under; once imported it may come
    // again.
    void eachFileOnceAtATime()
    {
        QTemporaryDir dir;
        for (const char *name : {"A.QWK", "B.QWK"}) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QVERIFY(QFile::link(dir.filePath("A.QWK"), dir.filePath("LINK.QWK")));
        const QString a = dir.filePath("A.QWK");
        const QString b = dir.filePath("B.QWK");

        PacketQueue queue;
        QCOMPARE(queue.add({a, b, a}), 2);
        QCOMPARE(queue.add({dir.path() + "/./A.QWK", dir.filePath("LINK.QWK")}), 0);
        QCOMPARE(queue.waiting(), (QStringList {a, b}));

        QCOMPARE(queue.takeNext(), a);
        QVERIFY(queue.isImporting());
        QCOMPARE(queue.add({a}), 0); // being imported
        QCOMPARE(queue.waiting(), QStringList {b});
        queue.finished();
        QVERIFY(!queue.isImporting());
        QCOMPARE(queue.add({a}), 1); // imported: may be opened again

        QCOMPARE(queue.takeNext(), b);
        queue.finished();
        QCOMPARE(queue.takeNext(), a);
        queue.finished();
        QVERIFY(!queue.hasWaiting());
        QCOMPARE(queue.takeNext(), QString());
    }

    // A file that does not exist is kept too (the import says it is missing),
    // once, under its absolute name.
    void missingFilesAreKeptOnce()
    {
        PacketQueue queue;
        const QString missing = QDir::temp().filePath("marvik-no-such-dir/NONE.QWK");
        QCOMPARE(queue.add({missing, missing}), 1);
        QCOMPARE(queue.takeNext(), missing);
    }
};

QTEST_GUILESS_MAIN(TestPacketQueue)
#include "tst_packetqueue.moc"
