#include "packet/MessageBlocks.h"

#include "text/Cp437Codec.h"

#include <QBuffer>
#include <QTest>

using marvik::packet::MessageBlocks;
using marvik::packet::MessageHeader;

namespace {

QByteArray field(const QByteArray &text, int width)
{
    return text.left(width).leftJustified(width, ' ');
}

QByteArray header(const QByteArray &number, const QByteArray &blocks,
    const QByteArray &reference = "", const QByteArray &to = "JOHN SMITH")
{
    QByteArray h = " " + field(number, 7) + "03-14-96" + "20:15" + field(to, 25)
        + field("SAM SYSOP", 25) + field("Hello \"there\"", 25) + field("", 12)
        + field(reference, 8) + field(blocks, 6) + char(0xE1) + char(0x34) + char(0x12)
        + QByteArray(2, '\0') + ' ';
    Q_ASSERT(h.size() == 128);
    return h;
}

QByteArray packetHeader()
{
    return field("Produced by a test", 128);
}

} // namespace

class TestMessageBlocks : public QObject
{
    Q_OBJECT

private slots:
    void headerFields()
    {
        QString error;
        const auto h = MessageHeader::parse(header("17", "3", "12"), &error);
        QVERIFY2(h, qPrintable(error));
        QCOMPARE(h->status, "");
        QCOMPARE(h->messageNumber(), 17);
        QCOMPARE(h->date, "03-14-96");
        QCOMPARE(h->time, "20:15");
        QCOMPARE(h->to, "JOHN SMITH");
        QCOMPARE(h->from, "SAM SYSOP");
        QCOMPARE(h->subject, "Hello \"there\"");
        QCOMPARE(h->referenceNumber(), 12);
        QCOMPARE(h->blockCount, 3);
        QCOMPARE(h->conference, quint16(0x1234));
    }

    void headerNumbers_data()
    {
        QTest::addColumn<QByteArray>("number");
        QTest::addColumn<QByteArray>("reference");
        QTest::addColumn<QByteArray>("blocks");
        QTest::addColumn<bool>("isHeader");
        QTest::addColumn<int>("messageNumber"); // -1: bad
        QTest::addColumn<int>("referenceNumber"); // -1: bad
        QTest::newRow("plain") << QByteArray("5") << QByteArray("4") << QByteArray("2") << true << 5
                               << 4;
        QTest::newRow("number 0") << QByteArray("0") << QByteArray("0") << QByteArray("1") << true
                                  << 0 << 0;
        QTest::newRow("blank reference")
            << QByteArray("5") << QByteArray("") << QByteArray("1") << true << 5 << 0;
        QTest::newRow("bad number")
            << QByteArray("abc") << QByteArray("") << QByteArray("1") << true << -1 << 0;
        QTest::newRow("bad reference")
            << QByteArray("5") << QByteArray("x1") << QByteArray("1") << true << 5 << -1;
        QTest::newRow("blank number")
            << QByteArray("") << QByteArray("") << QByteArray("1") << true << -1 << 0;
        QTest::newRow("block count zero")
            << QByteArray("5") << QByteArray("") << QByteArray("0") << false << 0 << 0;
        QTest::newRow("block count text")
            << QByteArray("5") << QByteArray("") << QByteArray("hello") << false << 0 << 0;
        QTest::newRow("block count blank")
            << QByteArray("5") << QByteArray("") << QByteArray("") << false << 0 << 0;
        QTest::newRow("block count negative")
            << QByteArray("5") << QByteArray("") << QByteArray("-3") << false << 0 << 0;
        QTest::newRow("widest numbers") << QByteArray("9999999") << QByteArray("99999999")
                                        << QByteArray("1") << true << 9999999 << 99999999;
        QTest::newRow("number with inner space")
            << QByteArray("1 2") << QByteArray("") << QByteArray("1") << true << -1 << 0;
    }
    void headerNumbers()
    {
        QFETCH(QByteArray, number);
        QFETCH(QByteArray, reference);
        QFETCH(QByteArray, blocks);
        QFETCH(bool, isHeader);
        QFETCH(int, messageNumber);
        QFETCH(int, referenceNumber);
        QString error;
        const auto h = MessageHeader::parse(header(number, blocks, reference), &error);
        QCOMPARE(h.has_value(), isHeader);
        if (!isHeader) {
            QVERIFY(!error.isEmpty());
            return;
        }
        QCOMPARE(h->messageNumber().value_or(-1), messageNumber);
        QCOMPARE(h->referenceNumber().value_or(-1), referenceNumber);
    }

    void shortHeader()
    {
        QString error;
        QVERIFY(!MessageHeader::parse(header("1", "1").left(127), &error));
        QVERIFY(!error.isEmpty());
    }

    void decodeText_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty") << QByteArray() << "";
        QTest::newRow("line ends") << QByteArray("one\xE3two\xE3") << "one\r\ntwo\r\n";
        QTest::newRow("trailing spaces") << QByteArray("text     ") << "text";
        QTest::newRow("0xE3 then spaces keeps the line end")
            << QByteArray("text\xE3") + QByteArray(123, ' ') << "text\r\n";
        QTest::newRow("spaces only") << QByteArray(128, ' ') << "";
        QTest::newRow("nul padding") << QByteArray("hi") + QByteArray(126, '\0') << "hi";
        QTest::newRow("mixed padding") << QByteArray("hi \0 \0", 6) << "hi";
        QTest::newRow("inner nul and spaces kept")
            << QByteArray("a\0 b", 4) << QString::fromUtf16(u"a\0 b", 4);
        QTest::newRow("leading spaces kept") << QByteArray("  x") << "  x";
        QTest::newRow("cp437") << QByteArray("\xC9\xCD\xBB") << QString::fromUtf8("╔═╗");
        QTest::newRow("esc kept") << QByteArray("\x1B[1m") << "\x1B[1m";
    }
    void decodeText()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QCOMPARE(MessageBlocks::decodeText(bytes), expected);
    }

    // Every byte but the line ends (0xE3, a lone LF) and the trailing
    // padding arrives as its CP437 character.
    void everyByte()
    {
        QByteArray bytes;
        QString expected;
        for (int b = 0; b < 256; ++b) {
            bytes += char(b);
            expected += b == 0xE3 || b == 0x0A
                ? QStringLiteral("\r\n")
                : QString(marvik::text::Cp437Codec::toUnicode(uchar(b)));
        }
        QCOMPARE(MessageBlocks::decodeText(bytes), expected);
    }

    // Offsets from the index and counts from headers, checked against the
    // file as it really is.
    void readHeader_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<qint64>("block");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("cut");

        const QByteArray one = packetHeader() + header("1", "2") + field("Hi\xE3", 128);
        QTest::newRow("message") << one << qint64(1) << true << "Hi\r\n" << false;
        QTest::newRow("packet header") << one << qint64(0) << false << "" << false;
        QTest::newRow("past the end") << one << qint64(3) << false << "" << false;
        QTest::newRow("far past the end") << one << (qint64(1) << 40) << false << "" << false;
        QTest::newRow("negative") << one << qint64(-5) << false << "" << false;
        QTest::newRow("inside a message") << one << qint64(2) << false << "" << false;
        QTest::newRow("header only")
            << packetHeader() + header("1", "1") << qint64(1) << true << "" << false;
        QTest::newRow("count past the end, cut")
            << packetHeader() + field("filler", 128) + header("1", "4") + field("Hi", 128)
            << qint64(2) << true << "Hi" << true;
        QTest::newRow("partial last block")
            << packetHeader() + header("1", "2") + QByteArray("tail") << qint64(1) << true << "tail"
            << true;
        QTest::newRow("count larger than the file")
            << packetHeader() + header("1", "999") + field("Hi", 128) << qint64(1) << false << ""
            << false;
        QTest::newRow("truncated header")
            << packetHeader() + header("1", "1").left(100) << qint64(1) << false << "" << false;
    }
    void readHeader()
    {
        QFETCH(QByteArray, file);
        QFETCH(qint64, block);
        QFETCH(bool, found);
        QFETCH(QString, text);
        QFETCH(bool, cut);
        QBuffer device(&file);
        QVERIFY(device.open(QIODevice::ReadOnly));
        MessageBlocks blocks(device);
        QString error;
        const auto h = blocks.readHeader(block, &error);
        QCOMPARE(h.has_value(), found);
        if (!found) {
            QVERIFY(error.contains("MESSAGES.DAT"));
            return;
        }
        bool wasCut = false;
        QCOMPARE(blocks.readText(block, *h, &wasCut), text);
        QCOMPARE(wasCut, cut);
    }
};

QTEST_GUILESS_MAIN(TestMessageBlocks)
#include "tst_messageblocks.moc"
