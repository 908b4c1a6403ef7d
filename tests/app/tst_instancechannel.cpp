#include "app/InstanceChannel.h"

#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include <atomic>
#include <thread>

using marvik::app::InstanceChannel;

namespace {

QString uniqueName()
{
    return "marvik-test-" + QUuid::createUuid().toString(QUuid::Id128).left(12);
}

// The client blocks until it is answered, so it runs beside the event loop
// that lets the listening side answer.
bool handOverWhileListening(const QString &name, const QStringList &files, int timeoutMs = 3000)
{
    std::atomic<int> result {-1};
    std::thread client([&] { result = InstanceChannel::handOver(name, files, timeoutMs) ? 1 : 0; });
    QElapsedTimer timer;
    timer.start();
    while (result < 0 && timer.elapsed() < timeoutMs + 2000)
        QTest::qWait(5);
    client.join();
    return result == 1;
}

} // namespace

class TestInstanceChannel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sameFolderSameName()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("sub"));
        QVERIFY(QFile::link(dir.path(), dir.path() + "-link"));
        const QString name = InstanceChannel::serverName(dir.path());
        QCOMPARE(InstanceChannel::serverName(dir.path() + "/"), name);
        QCOMPARE(InstanceChannel::serverName(dir.path() + "/sub/.."), name);
        QCOMPARE(InstanceChannel::serverName(dir.path() + "-link"), name);
        QVERIFY(InstanceChannel::serverName(dir.filePath("sub")) != name);
        QFile::remove(dir.path() + "-link");
    }

    // The files arrive as sent, in order, and the sender hears they did.
    void handsFilesOver_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::newRow("none: come to the front") << QStringList {};
        QTest::newRow("several") << QStringList {
            "/tmp/A.QWK", "/tmp/dir with space/ÅB.qwk", "/tmp/line\nbreak.qwk"};
    }

    void handsFilesOver()
    {
        QFETCH(QStringList, files);
        InstanceChannel channel;
        const QString name = uniqueName();
        QVERIFY(channel.listen(name));
        QSignalSpy spy(&channel, &InstanceChannel::filesHandedOver);
        QVERIFY(handOverWhileListening(name, files));
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.at(0).at(0).toStringList(), files);
    }

    void nobodyListening()
    {
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!InstanceChannel::handOver(uniqueName(), {"/tmp/A.QWK"}, 3000));
        QVERIFY(timer.elapsed() < 1000);
    }

    // A socket left behind by a Marvik that was killed is taken over.
    void staleSocketIsReplaced()
    {
        const QString name = uniqueName();
        const QString path = QDir::temp().filePath(name);
        QFile stale(path);
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.close();
        InstanceChannel channel;
        QVERIFY(channel.listen(name));
        QSignalSpy spy(&channel, &InstanceChannel::filesHandedOver);
        QVERIFY(handOverWhileListening(name, {"/tmp/A.QWK"}));
        QCOMPARE(spy.size(), 1);
    }

    // What is not our frame is dropped with its connection; the channel goes
    // on serving the next start.
    void foreignFramesAreDropped_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QByteArray tooLong;
        QDataStream(&tooLong, QIODevice::WriteOnly)
            << quint32(0x4d52564b) << quint32(InstanceChannel::MaxFrameBytes + 1);
        QByteArray notJson;
        QDataStream(&notJson, QIODevice::WriteOnly) << quint32(0x4d52564b) << quint32(5);
        notJson += "{{{{{";
        QTest::newRow("another program") << QByteArray("GET / HTTP/1.0\r\n\r\n");
        QTest::newRow("length beyond the limit") << tooLong;
        QTest::newRow("not a list") << notJson;
    }

    void foreignFramesAreDropped()
    {
        QFETCH(QByteArray, frame);
        InstanceChannel channel;
        const QString name = uniqueName();
        QVERIFY(channel.listen(name));
        QSignalSpy spy(&channel, &InstanceChannel::filesHandedOver);

        QLocalSocket socket;
        socket.connectToServer(name);
        QVERIFY(socket.waitForConnected(1000));
        socket.write(frame);
        socket.flush();
        QTRY_COMPARE(socket.state(), QLocalSocket::UnconnectedState);
        QCOMPARE(spy.size(), 0);

        QVERIFY(handOverWhileListening(name, {"/tmp/A.QWK"}));
        QCOMPARE(spy.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestInstanceChannel)
#include "tst_instancechannel.moc"
