#include "packet/HeadersFileWriter.h"

#include "packet/HeadersFile.h"
#include "packet/ReplyBlocks.h"

#include <QTest>

using marvik::packet::HeadersFile;
using marvik::packet::HeadersFileWriter;
using marvik::packet::ReplyMessage;

namespace {

ReplyMessage reply(const QString &to, const QString &from, const QString &subject)
{
    ReplyMessage m;
    m.to = to;
    m.from = from;
    m.subject = subject;
    return m;
}

QByteArray field(const std::optional<QByteArray> &value)
{
    return value.value_or("(none)");
}

} // namespace

class TestHeadersFileWriter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readBackWhole_data()
    {
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QString>("inReplyTo");
        QTest::addColumn<QByteArray>("toBytes");
        QTest::addColumn<QByteArray>("fromBytes");
        QTest::addColumn<QByteArray>("subjectBytes");
        QTest::addColumn<QByteArray>("inReplyToBytes");
        QTest::newRow("long fields and a message id")
            << "Samantha Sysop of the Harbour"
            << "John Smith the Younger"
            << "Re: What the breakwater did to the boats last winter"
            << "<1234@harbor.example>" << QByteArray("Samantha Sysop of the Harbour")
            << QByteArray("John Smith the Younger")
            << QByteArray("Re: What the breakwater did to the boats last winter")
            << QByteArray("<1234@harbor.example>");
        QTest::newRow("no message answered") << "All"
                                             << "Me"
                                             << "Short"
                                             << "" << QByteArray("All") << QByteArray("Me")
                                             << QByteArray("Short") << QByteArray("(none)");
        QTest::newRow("CP437, and what it lacks")
            << u"Jürgen"_qs << u"Åse ░"_qs << u"Euro € sign"_qs << "" << QByteArray("J\x81rgen")
            << QByteArray("\x8Fse \xB0") << QByteArray("Euro ? sign") << QByteArray("(none)");
        QTest::newRow("line breaks cannot end a value")
            << "A\r\nSubject: forged"
            << "B"
            << "tab\there "
            << "" << QByteArray("A  Subject: forged") << QByteArray("B") << QByteArray("tab here")
            << QByteArray("(none)");
    }
    void readBackWhole()
    {
        QFETCH(QString, to);
        QFETCH(QString, from);
        QFETCH(QString, subject);
        QFETCH(QString, inReplyTo);
        QFETCH(QByteArray, toBytes);
        QFETCH(QByteArray, fromBytes);
        QFETCH(QByteArray, subjectBytes);
        QFETCH(QByteArray, inReplyToBytes);
        HeadersFileWriter writer;
        writer.add(0x80, reply(to, from, subject), inReplyTo);
        writer.add(0x280, reply(u"Other"_qs, u"Me"_qs, u"Second"_qs));
        const HeadersFile read(writer.bytes());
        QCOMPARE(read.size(), 2);
        const auto section = read.section(0x80);
        QVERIFY(section);
        QCOMPARE(field(section->to), toBytes);
        QCOMPARE(field(section->from), fromBytes);
        QCOMPARE(field(section->subject), subjectBytes);
        QCOMPARE(field(section->inReplyTo), inReplyToBytes);
        QVERIFY(!section->utf8);
        QCOMPARE(field(read.section(0x280)->subject), QByteArray("Second"));
    }

    // An older packet's sections stay where they name one of its replies.
    void keepsTheOldPacketsSections_data()
    {
        QTest::addColumn<QByteArray>("old");
        QTest::addColumn<QList<qint64>>("kept");
        QTest::newRow("all inside") << QByteArray("[80]\r\nSubject: one\r\n[100]\nSubject: two\n")
                                    << QList<qint64> {0x80, 0x100};
        QTest::newRow("one past the old file")
            << QByteArray("[80]\r\nSubject: one\r\n[200]\r\nSubject: beyond\r\n")
            << QList<qint64> {0x80};
        QTest::newRow("first block and odd offsets")
            << QByteArray("[0]\r\nSubject: a\r\n[81]\r\nSubject: b\r\n[zz]\r\nSubject: c\r\n")
            << QList<qint64> {};
        QTest::newRow("no final line end")
            << QByteArray("[100]\r\nSubject: two") << QList<qint64> {0x100};
        QTest::newRow("empty") << QByteArray() << QList<qint64> {};
    }
    void keepsTheOldPacketsSections()
    {
        QFETCH(QByteArray, old);
        QFETCH(QList<qint64>, kept);
        constexpr qint64 OldMessageBytes = 0x200; // the first block and three more
        HeadersFileWriter writer;
        writer.keep(old, OldMessageBytes);
        writer.add(0x200, reply(u"New"_qs, u"Me"_qs, u"Added"_qs));
        const HeadersFile read(writer.bytes());
        QCOMPARE(read.size(), kept.size() + 1);
        for (const qint64 offset : kept)
            QVERIFY(read.section(offset));
        QCOMPARE(field(read.section(0x200)->subject), QByteArray("Added"));
    }
};

QTEST_GUILESS_MAIN(TestHeadersFileWriter)
#include "tst_headersfilewriter.moc"
