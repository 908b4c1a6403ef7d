#include "packet/FileWriteError.h"

#include <QFile>
#include <QTest>

using marvik::packet::FileWriteError;

// A full disk is /dev/full: every write to it fails with ENOSPC, at
// whichever point Qt hands the bytes to the system.
class TestFileWriteError : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fullDiskSaysSo_data()
    {
        QTest::addColumn<QString>("failingCall");
        QTest::addColumn<int>("bytes");
        QTest::newRow("flush of buffered bytes") << "flush" << 100;
        QTest::newRow("write too large to buffer") << "write" << 100000;
        QTest::newRow("close with bytes buffered") << "close" << 100;
    }
    void fullDiskSaysSo()
    {
        QFETCH(QString, failingCall);
        QFETCH(int, bytes);
        QFile full(QStringLiteral("/dev/full"));
        if (!full.open(QIODevice::WriteOnly))
            QSKIP("no /dev/full here");
        const QByteArray data(bytes, 'x');
        bool failed = false;
        if (failingCall == "write") {
            failed = full.write(data) != data.size();
        } else {
            QCOMPARE(full.write(data), qint64(data.size())); // only buffered yet
            if (failingCall == "flush") {
                failed = !full.flush();
            } else {
                full.close();
                failed = full.error() != QFileDevice::NoError;
            }
        }
        QVERIFY(failed);
        QCOMPARE(FileWriteError::text(QStringLiteral("/x/MYBBS.MSG"), full),
            QStringLiteral("Cannot write /x/MYBBS.MSG: No space left on device"));
    }
};

QTEST_GUILESS_MAIN(TestFileWriteError)
#include "tst_filewriteerror.moc"
