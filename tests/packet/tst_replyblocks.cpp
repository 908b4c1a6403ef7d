#include "packet/ReplyBlocks.h"

#include "packet/MessageBlocks.h"
#include "packet/MessageText.h"

#include <QBuffer>
#include <QTest>

using marvik::packet::ReplyBlocks;
using MessageRecord = marvik::packet::ReplyMessage;

namespace {

MessageRecord reply(const QString &text)
{
    MessageRecord m;
    m.status = QStringLiteral(" ");
    m.conference = 5;
    m.date = QStringLiteral("12-24-96");
    m.time = QStringLiteral("18:05");
    m.to = QStringLiteral("SAM SYSOP");
    m.from = QStringLiteral("JOHN SMITH");
    m.subject = QStringLiteral("Hello");
    m.referenceNumber = 1234;
    m.text = text;
    return m;
}

QByteArray blanks(int count)
{
    return QByteArray(count, ' ');
}

} // namespace

class TestReplyBlocks : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void text_data();
    void text();
    void header_data();
    void header();
    void firstBlock();
    void longFieldLines_data();
    void longFieldLines();
};

void TestReplyBlocks::text_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    const QByteArray e3(1, char(0xE3));
    QTest::newRow("two lines") << u"Hi\r\nthere"_qs << "Hi" + e3 + "there" + e3 + blanks(119);
    QTest::newRow("final CR LF adds no line")
        << u"Hi\r\nthere\r\n"_qs << "Hi" + e3 + "there" + e3 + blanks(119);
    QTest::newRow("empty") << QString() << QByteArray();
    QTest::newRow("one empty line") << u"\r\n"_qs << e3 + blanks(127);
    QTest::newRow("lone CR and LF stay") << u"a\rb\nc"_qs << "a\rb\nc" + e3 + blanks(122);
    QTest::newRow("exactly one block") << QString(127, u'x') << QByteArray(127, 'x') + e3;
    QTest::newRow("one byte into the second block")
        << QString(128, u'x') << QByteArray(128, 'x') + e3 + blanks(127);
    QTest::newRow("CP437 characters")
        << u"╔═╗ üé ░▒▓ ½"_qs
        << QByteArray("\xC9\xCD\xBB \x81\x82 \xB0\xB1\xB2 \xAB") + e3 + blanks(128 - 13);
    QTest::newRow("missing from CP437") << u"€ → x"_qs << "? ? x" + e3 + blanks(122);
    QTest::newRow("blank lines kept")
        << u"a\r\n\r\n\r\nb\r\n"_qs << "a" + e3 + e3 + e3 + "b" + e3 + blanks(122);
}

void TestReplyBlocks::text()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(ReplyBlocks::textBlocks(text), bytes);
    const QByteArray message = ReplyBlocks::messageBlocks(reply(text));
    QCOMPARE(message.size(), 128 + bytes.size());
    QCOMPARE(message.mid(116, 6).trimmed().toInt(), int(bytes.size() / 128 + 1));
    // Built in place after what a packet already holds, it is the same.
    QByteArray packet = "MYBBS" + blanks(123);
    ReplyBlocks::appendMessageBlocks(packet, reply(text));
    QCOMPARE(packet, "MYBBS" + blanks(123) + message);
}

void TestReplyBlocks::header_data()
{
    QTest::addColumn<int>("conference");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("to");
    QTest::addColumn<int>("reference");
    QTest::addColumn<QByteArray>("numberField");
    QTest::addColumn<QByteArray>("statusByte");
    QTest::addColumn<QByteArray>("toField");
    QTest::addColumn<QByteArray>("referenceField");
    QTest::addColumn<int>("low");
    QTest::addColumn<int>("high");

    QTest::newRow("conference 300")
        << 300 << u" "_qs << u"ALL"_qs << 0 << QByteArray("300    ") << QByteArray(" ")
        << "ALL" + blanks(22) << QByteArray("0       ") << 44 << 1;
    QTest::newRow("private, long name cut")
        << 5 << u"*"_qs << QString(30, u'N') << 99999999 << QByteArray("5      ") << QByteArray("*")
        << QByteArray(25, 'N') << QByteArray("99999999") << 5 << 0;
    QTest::newRow("empty status, CP437 name")
        << 65535 << QString() << u"JÜRGEN ÅSE"_qs << 17 << QByteArray("65535  ") << QByteArray(" ")
        << QByteArray("J\x9ARGEN \x8FSE") + blanks(15) << QByteArray("17      ") << 255 << 255;
    QTest::newRow("wide characters count one byte each")
        << 1 << u"*"_qs << QString(24, u'─') + u"€x"_qs << 1 << QByteArray("1      ")
        << QByteArray("*") << QByteArray(24, char(0xC4)) + "?" << QByteArray("1       ") << 1 << 0;
}

void TestReplyBlocks::header()
{
    QFETCH(int, conference);
    QFETCH(QString, status);
    QFETCH(QString, to);
    QFETCH(int, reference);
    QFETCH(QByteArray, numberField);
    QFETCH(QByteArray, statusByte);
    QFETCH(QByteArray, toField);
    QFETCH(QByteArray, referenceField);
    QFETCH(int, low);
    QFETCH(int, high);

    MessageRecord m = reply(u"x"_qs);
    m.conference = conference;
    m.status = status;
    m.to = to;
    m.referenceNumber = reference;
    const QByteArray block = ReplyBlocks::headerBlock(m, 128);
    QCOMPARE(block.size(), 128);
    QCOMPARE(block.mid(0, 1), statusByte);
    QCOMPARE(block.mid(1, 7), numberField);
    QCOMPARE(block.mid(8, 8), QByteArray("12-24-96"));
    QCOMPARE(block.mid(16, 5), QByteArray("18:05"));
    QCOMPARE(block.mid(21, 25), toField);
    QCOMPARE(block.mid(46, 25), "JOHN SMITH" + blanks(15));
    QCOMPARE(block.mid(71, 25), "Hello" + blanks(20));
    QCOMPARE(block.mid(96, 12), blanks(12));
    QCOMPARE(block.mid(108, 8), referenceField);
    QCOMPARE(block.mid(116, 6), QByteArray("2     "));
    QCOMPARE(quint8(block.at(122)), quint8(0xFF));
    QCOMPARE(int(quint8(block.at(123))), low);
    QCOMPARE(int(quint8(block.at(124))), high);
    QCOMPARE(block.mid(125, 3), blanks(3));
}

void TestReplyBlocks::firstBlock()
{
    QCOMPARE(ReplyBlocks::firstBlock(u"mybbs"_qs), "MYBBS" + blanks(123));
    QCOMPARE(ReplyBlocks::firstBlock(QString(200, u'a')), QByteArray(128, 'A'));
}

void TestReplyBlocks::longFieldLines_data()
{
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("lines");
    const QString fits(25, u'x');
    const QString longer = fits + u"y"_qs;
    QTest::newRow("all fit") << u"SAM"_qs << fits << QString();
    QTest::newRow("long subject") << u"SAM"_qs << longer
                                  << u"Subject: "_qs + longer + u"\r\n\r\n"_qs;
    QTest::newRow("long To and subject")
        << longer << longer << u"To: "_qs + longer + u"\r\nSubject: "_qs + longer + u"\r\n\r\n"_qs;
    // Widths count CP437 bytes: 25 box characters fit, an emoji is one "?".
    QTest::newRow("25 CP437 characters") << QString(25, u'═') << u"x"_qs << QString();
    QTest::newRow("24 and an emoji") << QString(24, u'a') + u"😀"_qs << u"x"_qs << QString();
}

// Too long a field goes whole at the top of the text, and a door's reader
// (ours here) takes it back from there.
void TestReplyBlocks::longFieldLines()
{
    QFETCH(QString, to);
    QFETCH(QString, subject);
    QFETCH(QString, lines);
    MessageRecord m = reply(u"Body\r\n"_qs);
    m.to = to;
    m.subject = subject;
    QCOMPARE(ReplyBlocks::longFieldLines(m), lines);
    // Without the door's say-so the text is as before.
    QCOMPARE(ReplyBlocks::messageBlocks(m), ReplyBlocks::messageBlocks(m, false));
    QByteArray file = ReplyBlocks::firstBlock(u"X"_qs) + ReplyBlocks::messageBlocks(m, true);
    QBuffer device(&file);
    QVERIFY(device.open(QIODevice::ReadOnly));
    marvik::packet::MessageBlocks blocks(device);
    QString error;
    const auto header = blocks.readHeader(1, &error);
    QVERIFY2(header, qPrintable(error));
    QString text = blocks.readText(1, *header);
    QCOMPARE(text, lines + u"Body\r\n"_qs);
    marvik::packet::MessageText::Fields fields {header->to, header->from, header->subject};
    marvik::packet::MessageText::takeHeaderLines(text, fields);
    QCOMPARE(fields.to, to.contains(u"😀"_qs) ? header->to : to);
    QCOMPARE(fields.subject, subject);
    QCOMPARE(text, lines.isEmpty() ? u"Body\r\n"_qs : u"\r\nBody\r\n"_qs);
}

QTEST_GUILESS_MAIN(TestReplyBlocks)
#include "tst_replyblocks.moc"
