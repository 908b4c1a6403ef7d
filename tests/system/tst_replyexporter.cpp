#include "system/ReplyExporter.h"

#include "ReplyFixture.h"
#include "packet/HeadersFile.h"
#include "packet/MessageBlocks.h"
#include "store/PackingJournal.h"
#include "system/ReplyPacketEraser.h"
#include "system/ReplyPacketPath.h"
#include "text/Cp437Codec.h"

#include <QBuffer>
#include <QTest>

#include <sqlite3.h>

using namespace replytest;
using marvik::system::ReplyExporter;

namespace {

struct ParsedReply
{
    marvik::packet::MessageHeader header;
    QString text;
};

// Reads a message file the way a mail door does, with the packet reader.
QList<ParsedReply> parse(const QByteArray &file, QString *firstBlock = nullptr)
{
    QByteArray bytes = file;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    marvik::packet::MessageBlocks blocks(buffer);
    if (firstBlock)
        *firstBlock = QString::fromLatin1(file.left(128));
    QList<ParsedReply> result;
    for (qint64 block = 1; block < blocks.blockCount();) {
        QString error;
        const auto header = blocks.readHeader(block, &error);
        if (!header)
            return {};
        result.append({*header, blocks.readText(block, *header)});
        block += header->blockCount;
    }
    return result;
}

// The byte offset of each reply's header in a message file.
QList<qint64> headerOffsets(const QByteArray &file)
{
    QByteArray bytes = file;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    marvik::packet::MessageBlocks blocks(buffer);
    QList<qint64> offsets;
    for (qint64 block = 1; block < blocks.blockCount();) {
        QString error;
        const auto header = blocks.readHeader(block, &error);
        if (!header)
            return {};
        offsets.append(block * 128);
        block += header->blockCount;
    }
    return offsets;
}

QStringList memberNames(const QString &zip)
{
    QStringList names;
    QString error;
    marvik::packet::ZipArchive::memberNames(zip, &names, &error);
    names.sort();
    return names;
}

// What the door's last packet showed it reads.
void setReplyFormats(ReplyFixture &f, bool headersFile, bool qwke)
{
    auto system = *f.store().findSystem(Id);
    system.headersFile = headersFile;
    system.qwke = qwke;
    f.store().saveSystem(system);
}

QList<marvik::store::MessageRecord> storeLongReply(
    ReplyFixture &f, const QString &subject, const QString &to, int reference)
{
    marvik::store::MessageRecord m;
    m.status = u" "_qs;
    m.date = u"12-24-96"_qs;
    m.time = u"18:05"_qs;
    m.to = to;
    m.from = u"John Smith"_qs;
    m.subject = subject;
    m.referenceNumber = reference;
    m.text = u"Body\r\n"_qs;
    m.replyConferenceNumber = 5;
    return f.state->operations().storeWrittenMessage(Id, {m});
}

ReplyExporter exporter(ReplyFixture &f)
{
    return ReplyExporter(
        f.store(), f.state->operations(), f.state->folders(), f.prompts, f.progress);
}

} // namespace

class TestReplyExporter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void nothingToPackAsksNothing();
    void declinedKeepsRepliesAndRefreshesTotal();
    void packsNewPacket();
    void appendsToExistingPacket();
    void everyTypableCharacterSurvives();
    void failures_data();
    void failures();
    void removalFailureIsReported();
    void longFieldsAsTheDoorReadsThem_data();
    void longFieldsAsTheDoorReadsThem();
    void addingToAPacketMergesItsHeaders();
    void eraseAsksAndFollowsTheFile();
    void filesNamedByTheIdAsStored();
};

void TestReplyExporter::nothingToPackAsksNothing()
{
    ReplyFixture f;
    f.addReceived(5, 1, true);
    QCOMPARE(exporter(f).run(Id), ReplyExporter::Outcome::NothingToPack);
    QCOMPARE(exporter(f).run(u"UNKNOWN"_qs), ReplyExporter::Outcome::NothingToPack);
    QVERIFY(f.prompts.questions.isEmpty());
    QVERIFY(!QFile::exists(f.packetPath()));
}

void TestReplyExporter::declinedKeepsRepliesAndRefreshesTotal()
{
    ReplyFixture f;
    f.storeReply(u"one"_qs);
    f.storeReply(u"two"_qs);
    f.store().addToConferenceCounts(-2, Id, 5, 0); // a total gone wrong
    f.prompts.answers = {false};
    QCOMPARE(exporter(f).run(Id), ReplyExporter::Outcome::Declined);
    QCOMPARE(f.prompts.questions, QStringList {u"Pack Up Replies?"_qs});
    QCOMPARE(f.prompts.yesDefaults, QList<bool> {true}); // packing loses nothing
    QCOMPARE(f.replies(), 2);
    QCOMPARE(f.total(-2), 2);
    QVERIFY(!QFile::exists(f.packetPath()));
}

void TestReplyExporter::packsNewPacket()
{
    ReplyFixture f;
    // A message file left from an earlier packing must not go out again.
    QVERIFY(!f.writeFile(u"TEMP/mybbs.msg"_qs, QByteArray(256, 'S')).isEmpty());
    f.storeReply(u"Hi\r\nthere\r\n"_qs, 300);
    f.storeReply(QString(), 0);
    auto e = exporter(f);
    QCOMPARE(e.run(Id), ReplyExporter::Outcome::Packed);
    QVERIFY2(e.errorString().isEmpty(), qPrintable(e.errorString()));
    QCOMPARE(e.packedCount(), 2);

    const QByteArray file = f.packetMessageFile();
    QCOMPARE(file.size(), 128 * 4);
    QCOMPARE(file.left(128), "MYBBS" + QByteArray(123, ' '));
    QCOMPARE(file.mid(128 + 1, 7), QByteArray("300    "));
    QCOMPARE(file.mid(128 + 116, 6), QByteArray("2     "));
    QCOMPARE(file.mid(256, 128), "Hi\xE3there\xE3" + QByteArray(119, ' '));
    QCOMPARE(file.mid(384 + 116, 6), QByteArray("1     "));

    QCOMPARE(f.replies(), 0);
    QCOMPARE(f.total(-2), 0);
    QCOMPARE(f.state->conferences().at(0).total, 0);
    QCOMPARE(f.progress.captions, QStringList({u"Exporting Messages"_qs, u"Zipping MYBBS.REP"_qs}));
    QVERIFY(f.progress.texts.contains(u"Exporting 2 of 2 messages."_qs));
    QVERIFY(f.progress.positions.contains(50));
    QVERIFY(!f.progress.visible);
}

void TestReplyExporter::appendsToExistingPacket()
{
    ReplyFixture f;
    f.storeReply(u"first"_qs, 5, u"Old"_qs);
    QCOMPARE(exporter(f).run(Id), ReplyExporter::Outcome::Packed);
    f.storeReply(u"second"_qs, 5, u"New one"_qs);
    f.storeReply(u"third"_qs, 0, u"New two"_qs);
    f.progress.captions.clear();
    QCOMPARE(exporter(f).run(Id), ReplyExporter::Outcome::Packed);
    QCOMPARE(f.progress.captions.first(), u"Unzipping MYBBS.REP"_qs);

    QString first;
    const auto parsed = parse(f.packetMessageFile(), &first);
    QCOMPARE(first.trimmed(), u"MYBBS"_qs); // one first block only
    QCOMPARE(parsed.size(), 3);
    QCOMPARE(parsed.at(0).header.subject, u"Old"_qs);
    QCOMPARE(parsed.at(1).header.subject, u"New one"_qs);
    QCOMPARE(parsed.at(2).header.subject, u"New two"_qs);
    QCOMPARE(parsed.at(2).text, u"third\r\n"_qs);
    QCOMPARE(f.replies(), 0);
}

void TestReplyExporter::everyTypableCharacterSurvives()
{
    // Every CP437 character but the line end byte itself, which the format
    // reserves, in the text and in the header fields.
    QString all;
    for (int byte = 1; byte < 256; ++byte) {
        if (byte != 0xE3 && byte != '\r' && byte != '\n')
            all += marvik::text::Cp437Codec::toUnicode(uchar(byte));
        if (byte % 40 == 0)
            all += u"\r\n"_qs;
    }
    ReplyFixture f;
    const QString subject = u"Ünïcödé ░▒▓ ╔═╗ ½ ß"_qs;
    f.storeReply(all + u"\r\n"_qs, 5, subject);
    f.storeReply(u"Euro € and emoji 😀 go out as question marks"_qs, 5);
    QCOMPARE(exporter(f).run(Id), ReplyExporter::Outcome::Packed);
    const auto parsed = parse(f.packetMessageFile());
    QCOMPARE(parsed.size(), 2);
    QCOMPARE(parsed.at(0).header.subject, subject);
    QCOMPARE(parsed.at(0).text, all + u"\r\n"_qs);
    QCOMPARE(parsed.at(1).text, u"Euro ? and emoji ? go out as question marks\r\n"_qs);
}

void TestReplyExporter::failures_data()
{
    QTest::addColumn<QString>("damage");
    QTest::newRow("old packet is not a zip") << u"garbage"_qs;
    QTest::newRow("packet cannot be replaced") << u"folder"_qs;
    QTest::newRow("system name leads outside") << u"id"_qs;
}

void TestReplyExporter::failures()
{
    QFETCH(QString, damage);
    ReplyFixture f;
    f.storeReply(u"precious"_qs);
    QString qwkId = Id;
    QByteArray before;
    if (damage == u"garbage") {
        QFile file(f.packetPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("PK\x03\x04 not really a zip");
        file.close();
        before = ReplyFixture::readFile(f.packetPath());
    } else if (damage == u"folder") {
        QVERIFY(QDir().mkpath(f.packetPath()));
    } else {
        qwkId = u"../MYBBS"_qs;
        f.store().saveConferenceName(-2, qwkId, u"Replies"_qs);
        marvik::store::SystemRecord system;
        system.qwkId = qwkId;
        f.store().saveSystem(system);
        marvik::store::MessageRecord m;
        m.text = u"x"_qs;
        f.state->operations().storeWrittenMessage(qwkId, {m});
    }
    auto e = exporter(f);
    QCOMPARE(e.run(qwkId), ReplyExporter::Outcome::Failed);
    QVERIFY(!e.errorString().isEmpty());
    // The replies wait for the next try; the old packet is as it was.
    QCOMPARE(
        marvik::store::CountSelection(f.store(), marvik::store::Selections::replyMessages(qwkId)),
        1);
    QCOMPARE(ReplyFixture::readFile(f.packetPath()), before);
    QVERIFY(!QFile::exists(f.dir.filePath(u"MYBBS.REP"_qs)));
    QVERIFY(!f.progress.visible);
}

void TestReplyExporter::removalFailureIsReported()
{
    ReplyFixture f;
    f.storeReply(u"packed but kept"_qs);
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(f.store().path()).constData(), &db), SQLITE_OK);
    QCOMPARE(sqlite3_exec(db,
                 "CREATE TRIGGER keep BEFORE DELETE ON MESSAGES BEGIN "
                 "SELECT RAISE(ABORT, 'disk full'); END;",
                 nullptr, nullptr, nullptr),
        SQLITE_OK);
    sqlite3_close(db);
    f.prompts.defaultAnswer = true;
    QCOMPARE(ReplyExporter::ExportReplies(*f.state), ReplyExporter::Outcome::Packed);
    // The packet is whole; the user is told the replies would go out twice.
    QCOMPARE(parse(f.packetMessageFile()).size(), 1);
    QCOMPARE(f.prompts.errors.size(), 1);
    QVERIFY(f.prompts.errors.first().contains(u"disk full"_qs));
    QCOMPARE(f.replies(), 1);
    QCOMPARE(f.total(-2), 1);
    // The journal remembers them: once the store takes deletions again, the
    // next packing removes them instead of packing them twice.
    db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(f.store().path()).constData(), &db), SQLITE_OK);
    QCOMPARE(sqlite3_exec(db, "DROP TRIGGER keep", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    QCOMPARE(exporter(f).run(Id), ReplyExporter::Outcome::NothingToPack);
    QCOMPARE(parse(f.packetMessageFile()).size(), 1);
    QCOMPARE(f.replies(), 0);
    QCOMPARE(f.total(-2), 0);
}

void TestReplyExporter::longFieldsAsTheDoorReadsThem_data()
{
    QTest::addColumn<bool>("headersFile");
    QTest::addColumn<bool>("qwke");
    QTest::newRow("a plain door") << false << false;
    QTest::newRow("HEADERS.DAT") << true << false;
    QTest::newRow("QWKE lines") << false << true;
    QTest::newRow("both") << true << true;
}

// The header fields are cut to 25 bytes whatever the door reads; the whole
// fields go where the door's last packet showed it looks for them.
void TestReplyExporter::longFieldsAsTheDoorReadsThem()
{
    QFETCH(bool, headersFile);
    QFETCH(bool, qwke);
    ReplyFixture f;
    setReplyFormats(f, headersFile, qwke);
    marvik::store::MessageRecord answered;
    answered.qwkId = Id;
    answered.conferenceNumber = 5;
    answered.messageNumber = 77;
    answered.messageId = u"<77@harbor.example>"_qs;
    answered.text = u"x\r\n"_qs;
    f.store().appendMessage(answered);
    f.store().addToConferenceCounts(5, Id, 1, 1);
    const QString subject = u"Re: What the breakwater did to the boats"_qs;
    const QString to = u"Samantha Sysop of the Harbour"_qs;
    storeLongReply(f, subject, to, 77);
    storeLongReply(f, u"Short"_qs, u"All"_qs, 0);
    storeLongReply(f, u"Unknown message"_qs, u"All"_qs, 78);

    QCOMPARE(exporter(f).run(Id), ReplyExporter::Outcome::Packed);
    QCOMPARE(memberNames(f.packetPath()),
        headersFile ? QStringList({u"HEADERS.DAT"_qs, u"MYBBS.MSG"_qs})
                    : QStringList {u"MYBBS.MSG"_qs});
    const QByteArray file = f.packetMessageFile();
    const auto parsed = parse(file);
    QCOMPARE(parsed.size(), 3);
    QCOMPARE(parsed.at(0).header.subject, subject.left(25));
    QCOMPARE(parsed.at(0).header.to, to.left(25));
    const QString lines = u"To: "_qs + to + u"\r\nSubject: "_qs + subject + u"\r\n\r\n"_qs;
    QCOMPARE(parsed.at(0).text, (qwke ? lines : QString()) + u"Body\r\n"_qs);
    QCOMPARE(parsed.at(1).text, u"Body\r\n"_qs);
    if (!headersFile)
        return;

    const marvik::packet::HeadersFile headers(
        ReplyFixture::readFile(f.dir.filePath(u"check/HEADERS.DAT"_qs)));
    const QList<qint64> offsets = headerOffsets(file);
    QCOMPARE(headers.size(), 3);
    const auto first = headers.section(offsets.at(0));
    QVERIFY(first);
    QCOMPARE(first->subject.value_or(""), subject.toLatin1());
    QCOMPARE(first->to.value_or(""), to.toLatin1());
    QCOMPARE(first->from.value_or(""), QByteArray("John Smith"));
    QCOMPARE(first->inReplyTo.value_or(""), QByteArray("<77@harbor.example>"));
    QCOMPARE(headers.section(offsets.at(1))->subject.value_or(""), QByteArray("Short"));
    QVERIFY(!headers.section(offsets.at(1))->inReplyTo);
    QVERIFY(!headers.section(offsets.at(2))->inReplyTo); // no id stored for it
}

// Replies added to a packet that has a HEADERS.DAT: the old sections stay
// where they were, the new ones name the new headers.
void TestReplyExporter::addingToAPacketMergesItsHeaders()
{
    ReplyFixture f;
    setReplyFormats(f, true, false);
    storeLongReply(f, u"First of the long subjects, whole"_qs, u"All"_qs, 0);
    QCOMPARE(exporter(f).run(Id), ReplyExporter::Outcome::Packed);
    // The door stopped sending HEADERS.DAT: the old sections still stay.
    for (const bool headersFile : {true, false}) {
        setReplyFormats(f, headersFile, false);
        storeLongReply(f, u"Another long subject, number %1"_qs.arg(headersFile), u"All"_qs, 0);
        QCOMPARE(exporter(f).run(Id), ReplyExporter::Outcome::Packed);
    }
    const QList<qint64> offsets = headerOffsets(f.packetMessageFile());
    QCOMPARE(offsets.size(), 3);
    const marvik::packet::HeadersFile headers(
        ReplyFixture::readFile(f.dir.filePath(u"check/HEADERS.DAT"_qs)));
    QCOMPARE(headers.size(), 2);
    QCOMPARE(headers.section(offsets.at(0))->subject.value_or(""),
        QByteArray("First of the long subjects, whole"));
    QCOMPARE(headers.section(offsets.at(1))->subject.value_or(""),
        QByteArray("Another long subject, number 1"));
    QVERIFY(!headers.section(offsets.at(2)));
}

void TestReplyExporter::eraseAsksAndFollowsTheFile()
{
    ReplyFixture f;
    QVERIFY(!marvik::system::ReplyPacketEraser::EraseRepFile(*f.state));
    QVERIFY(f.prompts.questions.isEmpty()); // no packet, no question
    f.storeReply(u"x"_qs);
    QCOMPARE(exporter(f).run(Id), ReplyExporter::Outcome::Packed);
    QVERIFY(marvik::system::ReplyPacketPath::exists(f.state->folders(), Id));
    f.prompts.questions.clear();
    f.prompts.yesDefaults.clear();
    f.prompts.answers = {false, true};
    // An unfinished packing of this system goes with its file, another's stays.
    marvik::store::PackingJournal journal(f.store());
    journal.record(Id, f.packetPath(), 1, u"crc32:0"_qs, {});
    journal.record(u"OTHER"_qs, f.packetPath(), 1, u"crc32:0"_qs, {});
    QVERIFY(marvik::system::ReplyPacketEraser::EraseRepFile(*f.state));
    QCOMPARE(journal.entries().size(), 2); // answered No
    QVERIFY(!marvik::system::ReplyPacketEraser::EraseRepFile(*f.state));
    QCOMPARE(journal.entries().size(), 1);
    QCOMPARE(journal.entries().first().qwkId, u"OTHER"_qs);
    QCOMPARE(f.prompts.questions, QStringList(2, u"Delete MYBBS.REP?"_qs));
    QVERIFY(!f.prompts.yesDefaults.contains(true));
    QVERIFY(!QFile::exists(f.packetPath()));
}

void TestReplyExporter::filesNamedByTheIdAsStored()
{
    ReplyFixture f;
    const QString id = u"HarborBbs"_qs;
    marvik::store::SystemRecord system;
    system.qwkId = id;
    f.store().saveSystem(system);
    f.store().saveConferenceName(-2, id, u"Replies"_qs);
    marvik::store::MessageRecord m;
    m.text = u"x"_qs;
    f.state->operations().storeWrittenMessage(id, {m});
    QCOMPARE(exporter(f).run(id), ReplyExporter::Outcome::Packed);
    QCOMPARE(f.progress.captions.last(), u"Zipping HARBORBBS.REP"_qs);
    const QString packet = f.dir.filePath(u"WORK/HarborBbs.REP"_qs);
    QVERIFY(QFile::exists(packet));
    QString error;
    const QString out = f.dir.filePath(u"out"_qs);
    QVERIFY(QDir().mkpath(out));
    QVERIFY(marvik::packet::ZipArchive::extractAll(packet, out, {}, &error));
    QCOMPARE(ReplyFixture::readFile(out + u"/HarborBbs.MSG"_qs).left(9), QByteArray("HARBORBBS"));
}

QTEST_GUILESS_MAIN(TestReplyExporter)
#include "tst_replyexporter.moc"
