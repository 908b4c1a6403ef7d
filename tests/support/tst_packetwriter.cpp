#include "support/PacketWriter.h"

#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <zip.h>

using marvik::testing::PacketWriter;

namespace {

// Decoded the way an index reader does, kept apart from the writer's encoder
// so a fault in one is not mirrored by the other.
double mbfDecode(const QByteArray &bytes)
{
    const auto b = [&](int i) { return quint32(quint8(bytes.at(i))); };
    if (b(3) == 0)
        return 0;
    const quint32 m = ((b(2) & 0x7F) << 16) | (b(1) << 8) | b(0);
    const double value = (1.0 + m / 8388608.0) * std::ldexp(1.0, int(b(3)) - 129);
    return (b(2) & 0x80) ? -value : value;
}

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out += char(v);
    return out;
}

PacketWriter::Members readZip(const QString &path)
{
    PacketWriter::Members out;
    int code = 0;
    zip_t *archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code);
    if (!archive)
        return out;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t st;
        zip_stat_index(archive, zip_uint64_t(i), 0, &st);
        QByteArray data(qsizetype(st.size), '\0');
        zip_file_t *file = zip_fopen_index(archive, zip_uint64_t(i), 0);
        if (st.size > 0)
            zip_fread(file, data.data(), st.size);
        zip_fclose(file);
        out.insert(QString::fromLatin1(st.name), data);
    }
    zip_discard(archive);
    return out;
}

} // namespace

class TestPacketWriter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void mbfRoundTripsEveryBlockNumber()
    {
        for (quint32 n = 1; n <= 100000; ++n) {
            const QByteArray encoded = PacketWriter::mbfEncode(n);
            QCOMPARE(encoded.size(), 4);
            if (quint32(mbfDecode(encoded)) != n)
                QFAIL(
                    qPrintable(QStringLiteral("%1 decodes as %2").arg(n).arg(mbfDecode(encoded))));
        }
    }

    void mbfKnownBytes_data()
    {
        QTest::addColumn<quint32>("value");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("zero") << 0u << bytes({0, 0, 0, 0});
        QTest::newRow("one") << 1u << bytes({0, 0, 0, 0x81});
        QTest::newRow("first header") << 2u << bytes({0, 0, 0, 0x82});
        QTest::newRow("three") << 3u << bytes({0, 0, 0x40, 0x82});
        QTest::newRow("2^23+1 keeps its low bit") << 8388609u << bytes({1, 0, 0, 0x98});
    }

    void mbfKnownBytes()
    {
        QFETCH(quint32, value);
        QFETCH(QByteArray, expected);
        QCOMPARE(PacketWriter::mbfEncode(value), expected);
    }

    void textFillsWholeBlocks_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("blocks");
        QTest::newRow("no text") << QByteArray() << 1;
        QTest::newRow("one byte") << QByteArray("x") << 2;
        QTest::newRow("exactly one block") << QByteArray(128, 'a') << 2;
        QTest::newRow("one byte over") << QByteArray(129, 'a') << 3;
    }

    void textFillsWholeBlocks()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, blocks);
        PacketWriter::Message m;
        m.text = text;
        m.padding = '\0';
        const QByteArray out = PacketWriter::messageBlocks(m, "1");
        QCOMPARE(out.size(), blocks * 128);
        QCOMPARE(out.mid(116, 6), PacketWriter::field(QByteArray::number(blocks), 6));
        QCOMPARE(out.mid(128, text.size()), text);
        QCOMPARE(out.mid(128 + text.size()), QByteArray(out.size() - 128 - text.size(), '\0'));
    }

    void lineEndsBecomeE3()
    {
        PacketWriter::Message m;
        m.text = "one\r\ntwo\nthree";
        QCOMPARE(
            PacketWriter::messageBlocks(m, "1").mid(128, 14), QByteArray("one\xE3two\xE3three "));
        m.rawText = true;
        m.text = "a\r\nb";
        QCOMPARE(PacketWriter::messageBlocks(m, "1").mid(128, 5), QByteArray("a\r\nb "));
    }

    void headerFieldsLandAtTheirOffsets_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("status") << 0 << QByteArray("*");
        QTest::newRow("number") << 1 << QByteArray("4711   ");
        QTest::newRow("date") << 8 << QByteArray("12-31-99");
        QTest::newRow("time") << 16 << QByteArray("23:59");
        QTest::newRow("to cut to 25") << 21 << QByteArray("ABCDEFGHIJKLMNOPQRSTUVWXY");
        QTest::newRow("from") << 46 << PacketWriter::field("JOHN SMITH", 25);
        QTest::newRow("subject") << 71 << PacketWriter::field("Re: \"quoted\" \xCD\xCD", 25);
        QTest::newRow("password") << 96 << QByteArray("SECRET      ");
        QTest::newRow("reference") << 108 << QByteArray("4700    ");
        QTest::newRow("blocks") << 116 << QByteArray("3     ");
        QTest::newRow("active") << 122 << QByteArray("\xE1");
        QTest::newRow("conference LE") << 123 << bytes({0xE9, 0x03});
        QTest::newRow("logical LE") << 125 << bytes({0x02, 0x01});
        QTest::newRow("net tag") << 127 << QByteArray("*");
    }

    void headerFieldsLandAtTheirOffsets()
    {
        QFETCH(int, offset);
        QFETCH(QByteArray, expected);
        PacketWriter::Message m;
        m.status = '*';
        m.number = "4711";
        m.date = "12-31-99";
        m.time = "23:59";
        m.to = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
        m.from = "JOHN SMITH";
        m.subject = "Re: \"quoted\" \xCD\xCD";
        m.password = "SECRET";
        m.reference = "4700";
        m.text = QByteArray(200, 'x');
        m.conference = 1001;
        m.logicalNumber = 0x0102;
        m.networkTag = '*';
        const QByteArray out = PacketWriter::messageBlocks(m, "1");
        QCOMPARE(out.mid(offset, expected.size()), expected);
    }

    void indexesPointAtHeaders()
    {
        PacketWriter w;
        w.addConference(0, "Main Board");
        w.addConference(5, "Ham Radio");
        PacketWriter::Message m;
        m.text = QByteArray(300, 'a');
        const qint64 first = w.addMessage(m);
        m.conference = 5;
        m.to = "john smith";
        const qint64 second = w.addMessage(m);
        m.indexed = false;
        w.addMessage(m);
        QCOMPARE(first, 2);
        QCOMPARE(second, 6);

        const PacketWriter::Members members = w.members();
        QCOMPARE(members.value("MESSAGES.DAT").size(), 128 * 13);
        QCOMPARE(members.value("000.NDX"), PacketWriter::indexRecord(2, 0));
        QCOMPARE(members.value("005.NDX"), PacketWriter::indexRecord(6, 5));
        QCOMPARE(members.value("PERSONAL.NDX"), PacketWriter::indexRecord(6, 5));
        const QByteArray header = members.value("MESSAGES.DAT").mid(5 * 128, 128);
        QCOMPARE(header.mid(1, 7), QByteArray("2      "));
    }

    void memberNames_data()
    {
        QTest::addColumn<bool>("plain");
        QTest::addColumn<bool>("lower");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("padded") << false << false
                                << QStringList {
                                       "000.NDX", "1001.NDX", "CONTROL.DAT", "MESSAGES.DAT"};
        QTest::newRow("plain") << true << false
                               << QStringList {"0.NDX", "1001.NDX", "CONTROL.DAT", "MESSAGES.DAT"};
        QTest::newRow("lower") << false << true
                               << QStringList {
                                      "000.ndx", "1001.ndx", "control.dat", "messages.dat"};
    }

    void memberNames()
    {
        QFETCH(bool, plain);
        QFETCH(bool, lower);
        QFETCH(QStringList, expected);
        PacketWriter w;
        w.setIndexNaming(
            plain ? PacketWriter::IndexNaming::Plain : PacketWriter::IndexNaming::Padded);
        w.setLowerCaseNames(lower);
        PacketWriter::Message m;
        w.addMessage(m);
        m.conference = 1001;
        w.addMessage(m);
        QCOMPARE(w.members().keys(), expected);
    }

    void controlDatLines()
    {
        PacketWriter w;
        w.addConference(0, "Main Board");
        w.addConference(1001, "FidoNet Netmail");
        w.control().trailer = {"\x1A"};
        w.addMessage({});
        const QList<QByteArray> lines = w.controlDat().split('\n');
        QCOMPARE(lines.size(), 20); // 19 lines, each ending CR LF
        QCOMPARE(lines.at(6), QByteArray("JOHN SMITH\r"));
        QCOMPARE(lines.at(9), QByteArray("1\r"));
        QCOMPARE(lines.at(10), QByteArray("1\r"));
        QCOMPARE(lines.at(13), QByteArray("1001\r"));
        QCOMPARE(lines.at(14), QByteArray("FidoNet Netmail\r"));
        QCOMPARE(lines.at(15), QByteArray("HELLO\r"));
        QCOMPARE(lines.at(18), QByteArray("\x1A\r"));
        QVERIFY(lines.last().isEmpty());
    }

    void zipKeepsHostileMembersIntact()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        PacketWriter::Members members;
        members.insert("../evil", "outside");
        members.insert("EMPTY.DAT", QByteArray());
        QByteArray all;
        for (int i = 0; i < 256; ++i)
            all += char(i);
        members.insert("ALL.BIN", all.repeated(50));
        const QString path = dir.filePath("TEST.QWK");
        QString error;
        QVERIFY2(PacketWriter::writeZip(path, members, &error), qPrintable(error));
        QCOMPARE(readZip(path), members);

        QVERIFY(!PacketWriter::writeZip(dir.filePath("missing/X.QWK"), members, &error));
        QVERIFY(!error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPacketWriter)
#include "tst_packetwriter.moc"
