// HEADERS.DAT: the sections kept, and what a hostile file may not cost.
#include "packet/HeadersFile.h"

#include <QBuffer>
#include <QTest>

using marvik::packet::HeadersFile;

class TestHeadersFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // What the section at block 2 (offset 0x100) says, as
    // "to|from|subject|utf8" with "-" for an absent value; "none" when the
    // file keeps no section there.
    void sectionRead_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("expected");
        QTest::newRow("all fields") << QByteArray("[100]\r\nTo: Ann\r\nFrom: Bob\r\nSubject: "
                                                  "Hi there\r\nUtf8: true\r\n")
                                    << "Ann|Bob|Hi there|1|-|-";
        QTest::newRow("sender when no From")
            << QByteArray("[100]\nSender: Sam\nTo: All\n") << "All|Sam|-|0|-|-";
        QTest::newRow("From before Sender")
            << QByteArray("[100]\nSender: Sam\nFrom: Bob\n") << "-|Bob|-|0|-|-";
        QTest::newRow("equals sign, any case")
            << QByteArray("[100]\nUTF8 = YES\nsubject = x\n") << "-|-|x|1|-|-";
        QTest::newRow("last copy of a section wins")
            << QByteArray("[100]\nTo: First\n[80]\nTo: Other\n[100]\nTo: Second\n")
            << "Second|-|-|0|-|-";
        QTest::newRow("key given twice, last wins")
            << QByteArray("[100]\nTo: One\nTo: Two\n") << "Two|-|-|0|-|-";
        QTest::newRow("no line end at the end") << QByteArray("[100]\nTo: Ann") << "Ann|-|-|0|-|-";
        QTest::newRow("empty section") << QByteArray("[100]\n\n[180]\nTo: x\n") << "none";
        QTest::newRow("only unknown keys") << QByteArray("[100]\nMsgId: 1234\n") << "none";
        QTest::newRow("message ids")
            << QByteArray("[100]\nMessage-ID: <1@bbs>\nIn-Reply-To: <0@bbs>\n")
            << "-|-|-|0|<1@bbs>|<0@bbs>";
        QTest::newRow("ids any case, alone")
            << QByteArray("[100]\nin-reply-to: <9@x>\n") << "-|-|-|0|-|<9@x>";
        QTest::newRow("lines before any section") << QByteArray("To: Ann\n") << "none";
        QTest::newRow("offset not a number") << QByteArray("[1g0]\nTo: Ann\n") << "none";
        QTest::newRow("over-long value is cut")
            << QByteArray("[100]\nTo: " + QByteArray(2000, 'a') + "\n")
            << QString(HeadersFile::MaxValueBytes, QLatin1Char('a')) + "|-|-|0|-|-";
        QTest::newRow("over-long line is skipped")
            << QByteArray("[100]\nSubject: " + QByteArray(200000, 'b') + "\nTo: Ann\n")
            << "Ann|-|-|0|-|-";
    }

    void sectionRead()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, expected);
        const HeadersFile headers(file);
        const auto section = headers.section(0x100);
        if (expected == "none") {
            QVERIFY(!section);
            return;
        }
        QVERIFY(section);
        const auto text = [](const std::optional<QByteArray> &v) {
            return v ? QString::fromLatin1(*v) : QStringLiteral("-");
        };
        QCOMPARE(QStringLiteral("%1|%2|%3|%4|%5|%6")
                     .arg(text(section->to), text(section->from), text(section->subject))
                     .arg(section->utf8 ? 1 : 0)
                     .arg(text(section->messageId), text(section->inReplyTo)),
            expected);
    }

    // Only a header block of MESSAGES.DAT can have a section: past the
    // file's first block, on a block boundary, inside the file.
    void offsetsThatNameNoHeaderAreLeftOut_data()
    {
        QTest::addColumn<qint64>("offset");
        QTest::addColumn<bool>("kept");
        QTest::newRow("second block") << qint64(0x80) << true;
        QTest::newRow("last block") << qint64(0x80 * 9) << true;
        QTest::newRow("the file's own first block") << qint64(0) << false;
        QTest::newRow("between blocks") << qint64(0x81) << false;
        QTest::newRow("past the end") << qint64(0x80 * 10) << false;
    }

    void offsetsThatNameNoHeaderAreLeftOut()
    {
        QFETCH(qint64, offset);
        QFETCH(bool, kept);
        const QByteArray file = "[" + QByteArray::number(offset, 16) + "]\nTo: Ann\n";
        const HeadersFile headers(file, 10 * 128);
        QCOMPARE(bool(headers.section(offset)), kept);
        QCOMPARE(headers.size(), kept ? 1 : 0);
    }

    // Millions of empty sections cost nothing; sections past the cap are
    // dropped and counted, and the first ones still answer.
    void hostileFileStaysSmall()
    {
        QByteArray empty;
        for (int i = 1; i <= 200000; ++i)
            empty += "[" + QByteArray::number(i * 128, 16) + "]\r\n";
        const HeadersFile none(empty);
        QCOMPARE(none.size(), 0);
        QCOMPARE(none.sectionsDropped(), 0);

        QByteArray full;
        const int sections = int(HeadersFile::MaxSections) + 5;
        full.reserve(qsizetype(sections) * 16);
        for (int i = 1; i <= sections; ++i)
            full += "[" + QByteArray::number(qint64(i) * 128, 16) + "]\nTo:x\n";
        QBuffer device(&full);
        QVERIFY(device.open(QIODevice::ReadOnly));
        int ticks = 0;
        const HeadersFile capped(device, qint64(sections + 1) * 128, [&ticks] { ++ticks; });
        QCOMPARE(capped.size(), HeadersFile::MaxSections);
        QCOMPARE(capped.sectionsDropped(), 5);
        QVERIFY(ticks > 0);
        QCOMPARE(capped.section(128)->to, QByteArray("x"));
        QVERIFY(!capped.section(qint64(sections) * 128));
    }
};

QTEST_GUILESS_MAIN(TestHeadersFile)
#include "tst_headersfile.moc"
