#include "app/PacketCheck.h"
#include "support/PacketWriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using marvik::app::PacketCheck;
using marvik::testing::PacketWriter;

class TestPacketCheck : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Only a zip archive holding CONTROL.DAT goes on to the import; every
    // other file gets a reason that names it.
    void refusal_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("expected"); // "" for a packet, else part of the reason
        QTest::newRow("packet") << "packet"
                                << "";
        QTest::newRow("control file in a folder, lower case") << "nested"
                                                              << "";
        QTest::newRow("missing") << "missing"
                                 << "does not exist";
        QTest::newRow("folder") << "folder"
                                << "is a folder";
        QTest::newRow("empty file") << "empty"
                                    << "is not a QWK packet";
        QTest::newRow("text file") << "text"
                                   << "is not a QWK packet";
        QTest::newRow("zip signature, then garbage") << "damaged"
                                                     << "cannot be opened";
        QTest::newRow("reply packet") << "rep"
                                      << "is a reply packet";
        QTest::newRow("other zip archive") << "zip"
                                           << "holds no CONTROL.DAT";
        QTest::newRow("unsafe member name only") << "unsafe"
                                                 << "holds no CONTROL.DAT";
    }

    void refusal()
    {
        QFETCH(QString, kind);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath("MYBBS.QWK");
        const auto writeFile = [&](const QByteArray &bytes) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        };
        if (kind == "packet") {
            PacketWriter writer;
            writer.addConference(0, "Main");
            writer.addMessage({});
            QVERIFY(writer.write(path));
        } else if (kind == "nested") {
            PacketWriter writer;
            PacketWriter::Members members;
            members.insert("mybbs/control.dat", writer.controlDat());
            members.insert("mybbs/messages.dat", writer.messagesDat());
            QVERIFY(PacketWriter::writeZip(path, members));
        } else if (kind == "folder") {
            QVERIFY(QDir(dir.path()).mkdir("MYBBS.QWK"));
        } else if (kind == "empty") {
            writeFile({});
        } else if (kind == "text") {
            writeFile("Hello, this is not a packet.\n");
        } else if (kind == "damaged") {
            writeFile(QByteArray("PK\x03\x04", 4) + QByteArray(200, 'x'));
        } else if (kind == "rep") {
            QVERIFY(PacketWriter::writeZip(path, {{"MYBBS.MSG", QByteArray(128, ' ')}}));
        } else if (kind == "zip") {
            QVERIFY(PacketWriter::writeZip(path, {{"README.TXT", "hello"}}));
        } else if (kind == "unsafe") {
            QVERIFY(PacketWriter::writeZip(path, {{"../CONTROL.DAT", "x"}}));
        }

        const QString refusal = PacketCheck::refusal(path);
        if (expected.isEmpty()) {
            QCOMPARE(refusal, QString());
        } else {
            QVERIFY2(refusal.contains(expected), qPrintable(refusal));
            QVERIFY2(refusal.contains(QDir::toNativeSeparators(path)), qPrintable(refusal));
        }
    }
};

QTEST_GUILESS_MAIN(TestPacketCheck)
#include "tst_packetcheck.moc"
