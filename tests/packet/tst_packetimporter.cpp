#include "packet/MessageBlocks.h"
#include "packet/PacketImporter.h"
#include "packet/ZipArchive.h"
#include "store/MessageStore.h"
#include "store/Statement.h"
#include "support/FakeProgress.h"
#include "support/PacketWriter.h"
#include "text/Cp437Codec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using marvik::packet::ImportResult;
using marvik::packet::MessageBlocks;
using marvik::packet::PacketImporter;
using marvik::store::MessageStore;
using marvik::testing::FakeProgress;
using marvik::testing::PacketWriter;
using Outcome = ImportResult::Outcome;
using Message = PacketWriter::Message;

namespace {

struct Row
{
    int conference;
    int number;
    QString to;
    QString subject;
    QString text;
    bool personal;
    int reference;
};

// A small, complete packet: two conferences, personal mail, screens,
// bulletins and a door file.
PacketWriter samplePacket()
{
    PacketWriter w;
    w.addConference(0, "Main Board");
    w.addConference(1000, "Big \"Quoted\" Conference");
    w.setDoorId("DOOR = TestDoor\r\nVERSION = 2.1\r\nSYSTEM = TestBBS\r\nCONTROLNAME = QMAIL\r\n"
                "CONTROLTYPE = ADD\r\nCONTROLTYPE = DROP\r\nreceipt\r\n");
    w.setWelcome("\x1B[1mWelcome\r\n");
    w.setNews("News line\r\n");
    w.setGoodbye("Bye\r\n");
    w.setNewFiles("FILE.ZIP  A file\r\n");
    w.addBulletin(0, 1, "Bulletin one\r\n");
    w.addBulletin(1000, 2, "Bulletin two\r\n");
    Message m;
    m.subject = "First";
    m.text = "Hello all\nsecond line\n";
    w.addMessage(m);
    m.to = "john smith";
    m.subject = "Say \"hi\"";
    m.text = "For you";
    m.reference = "1";
    w.addMessage(m);
    m.conference = 1000;
    m.to = "ALL";
    m.subject = "Big";
    m.text = "In the big one";
    m.reference = "";
    w.addMessage(m);
    return w;
}

} // namespace

class TestPacketImporter : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<MessageStore> m_store;
    FakeProgress m_progress;
    // What the last import left for the user: the error that ended it and
    // the problems box; the door windows announced, over all imports.
    QStringList m_errors;
    QStringList m_reports;
    QList<QStringList> m_doorShown;
    std::unique_ptr<PacketImporter> m_importer;

    QString tempFolder() const { return m_dir->filePath("TEMP"); }

    QString writePacket(const PacketWriter &w, const QString &name = "MYBBS.QWK")
    {
        const QString path = m_dir->filePath(name);
        QString error;
        if (!w.write(path, &error))
            qWarning() << error;
        return path;
    }
    QString writeMembers(const PacketWriter::Members &members, const QString &name = "MYBBS.QWK")
    {
        const QString path = m_dir->filePath(name);
        QString error;
        if (!PacketWriter::writeZip(path, members, &error))
            qWarning() << error;
        return path;
    }
    ImportResult import(const QString &path)
    {
        const qsizetype doorsBefore = m_doorShown.size();
        const ImportResult result
            = m_importer->importPacket(path, [this](const QString &first, const QString &second) {
                  m_doorShown.append({first, second});
              });
        m_errors = result.endedEarly ? QStringList {result.endReason} : QStringList();
        m_reports
            = result.problemsReport.isEmpty() ? QStringList() : QStringList {result.problemsReport};
        // Announced at most once, with the lines the result keeps.
        [&] {
            QCOMPARE(m_doorShown.mid(doorsBefore),
                result.doorLines.isEmpty() ? QList<QStringList>()
                                           : QList<QStringList> {result.doorLines});
        }();
        // Only a finished import lists its problems; an error says it all.
        [&] { QVERIFY(!result.endedEarly || result.problemsReport.isEmpty()); }();
        verifyCounts();
        [&] { QVERIFY(!m_progress.visible); }();
        // Whatever the outcome, the unpacked packet does not stay behind.
        [&] {
            QCOMPARE(QDir(tempFolder()).entryList(QDir::Files | QDir::Hidden), QStringList());
        }();
        return result;
    }

    QList<Row> rows(const QString &qwkId = "MYBBS")
    {
        auto &s = m_store->prepared(
            "SELECT \"Conference Number\", \"Message Number\", \"To\", \"Subject\", \"Message\", "
            "\"Personal\", \"Reference Number\" FROM MESSAGES WHERE \"QwkID\" = ? "
            "ORDER BY \"Record Number\"");
        s.bind(1, qwkId);
        QList<Row> out;
        while (s.step())
            out.append({s.integer(0), s.integer(1), s.text(2), s.text(3), s.text(4),
                s.integer(5) != 0, s.integer(6)});
        s.reset();
        return out;
    }
    int scalar(const QString &sql, const QString &qwkId = "MYBBS")
    {
        auto &s = m_store->prepared(sql);
        s.bind(1, qwkId);
        const int value = s.step() ? s.integer(0) : -1;
        s.reset();
        return value;
    }
    QList<int> conferenceNumbers(const QString &qwkId = "MYBBS")
    {
        auto &s = m_store->prepared("SELECT \"Conference Number\" FROM CONFS WHERE \"QwkID\" = ? "
                                    "ORDER BY \"Conference Number\"");
        s.bind(1, qwkId);
        QList<int> out;
        while (s.step())
            out.append(s.integer(0));
        s.reset();
        return out;
    }
    std::pair<int, int> counts(int conference, const QString &qwkId = "MYBBS")
    {
        const auto row = m_store->findConference(conference, qwkId);
        return row ? std::pair {row->totalMsgs, row->unreadMsgs} : std::pair {-1, -1};
    }

    // Each conference's counts equal what its rows say; the personal
    // conference counts the personal rows.
    void verifyCounts()
    {
        auto &s = m_store->prepared("SELECT \"Conference Number\", \"QwkID\", \"Total Msgs\", "
                                    "\"Unread Msgs\" FROM CONFS");
        QList<std::tuple<int, QString, int, int>> confs;
        while (s.step())
            confs.append({s.integer(0), s.text(1), s.integer(2), s.integer(3)});
        s.reset();
        for (const auto &[number, qwkId, total, unread] : confs) {
            const QString where = number == -1
                ? QStringLiteral("\"Personal\" <> 0 AND \"QwkID\" = ?")
                : QStringLiteral("\"Conference Number\" = %1 AND \"QwkID\" = ?").arg(number);
            QCOMPARE(scalar("SELECT COUNT(*) FROM MESSAGES WHERE " + where, qwkId), total);
            QCOMPARE(
                scalar("SELECT COUNT(*) FROM MESSAGES WHERE \"Read Flag\" = 0 AND " + where, qwkId),
                unread);
        }
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        QVERIFY(QDir(m_dir->path()).mkdir("TEMP"));
        m_store = std::make_unique<MessageStore>(m_dir->filePath("MARVIK.db"));
        m_progress = FakeProgress();
        m_errors.clear();
        m_reports.clear();
        m_doorShown.clear();
        m_importer = std::make_unique<PacketImporter>(*m_store, m_progress, tempFolder());
    }
    void cleanup()
    {
        m_importer.reset();
        m_store.reset();
        m_dir.reset();
    }

    void fullImport()
    {
        const QString path = writePacket(samplePacket());
        // Stale files of an earlier packet go before the new one is unpacked.
        QFile stale(tempFolder() + "/5.NDX");
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write(PacketWriter::indexRecord(2, 5));
        stale.close();

        const ImportResult result = import(path);
        QCOMPARE(result.outcome, Outcome::Completed);
        QVERIFY(!result.endedEarly);
        QCOMPARE(result.qwkId, "MYBBS");
        QCOMPARE(result.messagesImported, 3);
        QCOMPARE(result.messagesSkipped, 0);
        QCOMPARE(result.bulletinsStored, 2);
        QVERIFY(m_errors.isEmpty());
        QVERIFY(m_reports.isEmpty());

        const auto system = m_store->findSystem("MYBBS");
        QVERIFY(system);
        QCOMPARE(system->bbsName, "Marvik Test BBS");
        QCOMPARE(system->bbsLocation, "Springfield, OR");
        QCOMPARE(system->sysopName, "SAM SYSOP");
        QCOMPARE(system->yourName, "JOHN SMITH");
        QCOMPARE(system->mailDoor, "TestDoor");
        QCOMPARE(system->mailDoorVersion, "2.1");
        QCOMPARE(system->system, "TestBBS");
        QCOMPARE(system->controlName, "QMAIL");
        QCOMPARE(system->add, "ADD");
        QCOMPARE(system->drop, "DROP");
        QCOMPARE(system->receipt, "YES");
        QCOMPARE(system->reset, "");
        QCOMPARE(system->lastReply, 0);
        QCOMPARE(system->welcomeScreen, "\x1B[1mWelcome\r\n");
        QCOMPARE(system->newsletter, "News line\r\n");
        QCOMPARE(system->goodbyeScreen, "Bye\r\n");
        QCOMPARE(system->newFiles, "FILE.ZIP  A file\r\n");

        QCOMPARE(conferenceNumbers(), QList<int>({-2, -1, 0, 1000}));
        QCOMPARE(m_store->findConference(-2, "MYBBS")->name, "Replies");
        QCOMPARE(m_store->findConference(-1, "MYBBS")->name, "Personal");
        QCOMPARE(m_store->findConference(1000, "MYBBS")->name, "Big \"Quoted\" Conference");
        QCOMPARE(counts(0), std::pair(2, 2));
        QCOMPARE(counts(1000), std::pair(1, 1));
        QCOMPARE(counts(-1), std::pair(1, 1));
        QCOMPARE(counts(-2), std::pair(0, 0));

        const QList<Row> got = rows();
        QCOMPARE(got.size(), 3);
        QCOMPARE(got.at(0).text, "Hello all\r\nsecond line\r\n");
        QCOMPARE(got.at(0).personal, false);
        QCOMPARE(got.at(1).subject, "Say \"hi\"");
        QCOMPARE(got.at(1).to, "john smith");
        QCOMPARE(got.at(1).personal, true); // any letter case
        QCOMPARE(got.at(1).reference, 1);
        QCOMPARE(got.at(2).conference, 1000);
        QCOMPARE(got.at(2).number, 3);
        const auto message = m_store->findMessage(1);
        QVERIFY(message);
        QCOMPARE(message->date, "03-14-96");
        QCOMPARE(message->time, "20:15");
        QCOMPARE(message->from, "SAM SYSOP");
        QCOMPARE(message->read, false);
        QCOMPARE(message->replyConferenceNumber, 0);

        QCOMPARE(m_store->findBulletin("MYBBS", 1000, 2)->text, "Bulletin two\r\n");
        QCOMPARE(m_doorShown.size(), 1);
        QCOMPARE(m_doorShown.at(0),
            QStringList(
                {"QWK packet was created by: TestDoor 2.1", "BBS software used was: TestBBS"}));
        QCOMPARE(m_importer->controlLines().at(6), "JOHN SMITH");
        QCOMPARE(m_importer->doorSettings().size(), 7);

        QVERIFY(m_progress.captions.contains("Unzipping MYBBS.QWK"));
        QVERIFY(m_progress.captions.contains("Updating Conferences"));
        QVERIFY(m_progress.captions.contains("Importing Messages Into Main Board"));
        QVERIFY(m_progress.captions.contains("Saving File"));
        QVERIFY(m_progress.texts.contains("Conference: Main Board"));
        QVERIFY(m_progress.texts.contains("Importing 2 of 2 messages."));
        QVERIFY(m_progress.texts.contains("BLT-0.1"));
        QVERIFY(m_progress.eventRuns > 0);

        // Deleting it is for the command to ask.
        QVERIFY(QFile::exists(path));
        QVERIFY(!result.packetDeleted);
    }

    void qwkIdFor_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("qwkId");
        QTest::newRow("upper") << "/x/MYBBS.QWK"
                               << "MYBBS";
        QTest::newRow("lower") << "/x/mybbs.qw2"
                               << "MYBBS";
        QTest::newRow("two dots") << "/x.y/my.bbs.qwk"
                                  << "MY";
        QTest::newRow("no dot") << "mybbs"
                                << "MYBBS";
        QTest::newRow("leading dot") << "/x/.qwk"
                                     << "";
    }
    void qwkIdFor()
    {
        QFETCH(QString, path);
        QFETCH(QString, qwkId);
        QCOMPARE(PacketImporter::qwkIdFor(path), qwkId);
    }

    // MYBBS.QWK and mybbs.qw2 are one system; opening it again adds no
    // message twice, updates the system and conference rows in place and
    // replaces bulletins.
    void importTwice()
    {
        PacketWriter w = samplePacket();
        import(writePacket(w, "MYBBS.QWK"));
        auto system = *m_store->findSystem("MYBBS");
        system.lastReply = 7;
        m_store->saveSystem(system);

        PacketWriter second = samplePacket();
        second.addBulletin(0, 1, "Bulletin one, again\r\n");
        second.control().bbsName = "Renamed BBS";
        Message edited; // same number and date, another subject: a new message
        edited.number = "1";
        edited.subject = "First, edited";
        second.addMessage(edited);
        const ImportResult result = import(writePacket(second, "mybbs(1).qw2"));
        QCOMPARE(result.qwkId, "MYBBS");
        QCOMPARE(result.alreadyStored, 3);
        QCOMPARE(result.messagesImported, 1);
        QCOMPARE(result.conferencesWithNewMessages, 1);
        QCOMPARE(m_store->systemIds(), QStringList({"MYBBS"}));
        QCOMPARE(m_store->findSystem("MYBBS")->bbsName, "Renamed BBS");
        QCOMPARE(m_store->findSystem("MYBBS")->lastReply, 7);
        QCOMPARE(conferenceNumbers(), QList<int>({-2, -1, 0, 1000}));
        QCOMPARE(rows().size(), 4);
        QCOMPARE(counts(0), std::pair(3, 3));
        QCOMPARE(counts(-1), std::pair(1, 1));
        QCOMPARE(scalar("SELECT COUNT(*) FROM BULLETIN WHERE \"QwkID\" = ?"), 2);
        QCOMPARE(m_store->findBulletin("MYBBS", 0, 1)->text, "Bulletin one, again\r\n");
    }

    // Every row of the failure table, and how far each import got.
    void failures_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("error"); // "" = no error box; otherwise a part of it
        QTest::addColumn<bool>("systemRow");
        QTest::addColumn<QList<int>>("conferences");
        QTest::addColumn<int>("messages");
        QTest::addColumn<bool>("deleteAsked");

        const QList<int> none;
        const QList<int> all {-2, -1, 0, 1000};
        QTest::newRow("not a zip") << "garbage" << int(Outcome::ExtractionFailed) << "MYBBS.QWK"
                                   << false << none << 0 << false;
        QTest::newRow("no CONTROL.DAT")
            << "no control" << int(Outcome::ControlFileMissing)
            << "MYBBS.QWK is not a QWK packet that Marvik can read: it holds no CONTROL.DAT"
            << false << none << 0 << false;
        QTest::newRow("CONTROL.DAT under 11 lines")
            << "short control" << int(Outcome::ControlFileShort) << "fewer than 11 lines" << false
            << none << 0 << false;
        QTest::newRow("no MESSAGES.DAT")
            << "no messages" << int(Outcome::MessagesFileMissing)
            << "MYBBS.QWK holds no readable MESSAGES.DAT" << true << all << 0 << false;
        // A conference list that cannot be read whole costs only the names
        // it hides: the messages still come in.
        QTest::newRow("conference count not decimal")
            << "bad count" << int(Outcome::Completed) << "" << true << all << 3 << true;
        QTest::newRow("conference number not decimal")
            << "bad conference" << int(Outcome::Completed) << "" << true << all << 3 << true;
        QTest::newRow("CONTROL.DAT shorter than its count")
            << "count too big" << int(Outcome::Completed) << "" << true
            << QList<int> {-2, -1, 0, 7, 1000} << 3 << true;
        QTest::newRow("index name not decimal")
            << "bad index name" << int(Outcome::Completed) << "" << true << all << 3 << true;
        QTest::newRow("only a badly named index")
            << "only bad index" << int(Outcome::Completed) << "" << true << all << 3 << true;
        QTest::newRow("index of unknown conference")
            << "unknown index" << int(Outcome::Completed) << "" << true
            << QList<int> {-2, -1, 0, 77, 1000} << 4 << true;
        QTest::newRow("bad message and reference numbers")
            << "bad numbers" << int(Outcome::Completed) << "" << true << all << 3 << true;
        QTest::newRow("index records pointing anywhere")
            << "bad records" << int(Outcome::Completed) << "" << true << all << 3 << true;
        QTest::newRow("bad bulletin name")
            << "bad bulletin" << int(Outcome::Completed) << "" << true << all << 3 << true;
    }
    void failures()
    {
        QFETCH(QString, damage);
        QFETCH(int, outcome);
        QFETCH(QString, error);
        QFETCH(bool, systemRow);
        QFETCH(QList<int>, conferences);
        QFETCH(int, messages);
        QFETCH(bool, deleteAsked);

        PacketWriter w = samplePacket();
        if (damage == "short control")
            w.control().conferenceCountLine = "0";
        if (damage == "bad count")
            w.control().conferenceCountLine = "two";
        if (damage == "count too big") {
            // The screen lines read as one more conference, then run out.
            w.control().conferenceCountLine = "3";
            w.control().welcomeName = "7";
            w.control().newsName = "Seven";
            w.control().goodbyeName = "8";
        }
        if (damage == "bad numbers") {
            Message m;
            m.number = "12x";
            w.addMessage(m);
            m.number = "13";
            m.reference = "none";
            w.addMessage(m);
        }
        PacketWriter::Members members = w.members();
        if (damage == "short control") {
            QByteArrayList lines = members["CONTROL.DAT"].split('\n').mid(0, 10);
            members["CONTROL.DAT"] = lines.join('\n');
        }
        if (damage == "no control")
            members.remove("CONTROL.DAT");
        if (damage == "no messages")
            members.remove("MESSAGES.DAT");
        if (damage == "bad conference")
            members["CONTROL.DAT"].replace("\r\n1000\r\n", "\r\nthousand\r\n");
        if (damage == "bad index name") // sorts after 000.NDX and before 1000.NDX
            members.insert("0A.NDX", PacketWriter::indexRecord(2, 0));
        if (damage == "only bad index") { // the headers then say where messages go
            members.remove("000.NDX");
            members.remove("1000.NDX");
            members.insert("X.NDX", PacketWriter::indexRecord(2, 0));
        }
        if (damage == "unknown index") {
            Message m;
            m.conference = 77;
            const quint32 block = quint32(members["MESSAGES.DAT"].size() / 128 + 1);
            members["MESSAGES.DAT"] += PacketWriter::messageBlocks(m, "9");
            members.insert("77.NDX", PacketWriter::indexRecord(block, 77));
        }
        if (damage == "bad records") {
            QByteArray &index = members["000.NDX"];
            const qint64 blocks = members["MESSAGES.DAT"].size() / 128;
            for (quint32 block : {0u, 1u, 3u, quint32(blocks + 1), quint32(blocks + 100)})
                index += PacketWriter::indexRecord(block, 0);
            index += QByteArray::fromHex("000000ff00"); // absurd real
            index += "\x01\x02"; // partial record
        }
        if (damage == "bad bulletin")
            members.insert("BLT-X.1", "Text\r\n");
        const QString path
            = damage == "garbage" ? m_dir->filePath("MYBBS.QWK") : writeMembers(members);
        if (damage == "garbage") {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("this is not a zip archive");
        }

        const ImportResult result = import(path);
        QCOMPARE(int(result.outcome), outcome);
        QCOMPARE(result.endedEarly, outcome != int(Outcome::Completed));
        if (error.isEmpty()) {
            QCOMPARE(m_errors, QStringList());
        } else {
            QCOMPARE(m_errors.size(), 1);
            QVERIFY2(m_errors.at(0).contains(error), qPrintable(m_errors.at(0)));
        }
        QCOMPARE(m_store->findSystem("MYBBS").has_value(), systemRow);
        QCOMPARE(conferenceNumbers(), conferences);
        QCOMPARE(rows().size(), messages);
        QCOMPARE(result.messagesImported, messages);
        QCOMPARE(!result.endedEarly, deleteAsked); // the command asks only then
        if (damage == "short control") // the door window still came first
            QCOMPARE(m_doorShown.size(), 1);
        if (damage == "bad numbers" || damage == "bad records") {
            QVERIFY(result.messagesSkipped >= 2);
            QCOMPARE(m_reports.size(), 1);
        }
        if (damage == "bad bulletin")
            QCOMPARE(result.bulletinsStored, 2);
        // Whatever went wrong is in the one box shown before the delete question.
        const QString problemName = QMap<QString, QString> {
            {"bad count", "does not say how many conferences"},
            {"bad conference", "reads \"thousand\" where a conference number belongs"},
            {"count too big", "3 of 4"}, {"bad index name", "0A.NDX"}, {"only bad index", "X.NDX"},
            {"unknown index", "Conference 77"},
            {"bad bulletin", "BLT-X.1"}}.value(damage);
        if (!problemName.isEmpty()) {
            QCOMPARE(m_reports.size(), 1);
            QVERIFY2(m_reports.at(0).contains(problemName), qPrintable(m_reports.at(0)));
        }
    }

    // Packets as real doors and generators write them.
    void packetShapes_data()
    {
        QTest::addColumn<QString>("shape");
        QTest::newRow("lower-case member names") << "lower";
        QTest::newRow("plain index names") << "plain";
        QTest::newRow("without PERSONAL.NDX") << "no personal";
        QTest::newRow("ctrl-z and extra CONTROL.DAT lines") << "trailer";
        QTest::newRow("no index files at all") << "no indexes";
        QTest::newRow("NUL padded texts") << "nul padding";
        QTest::newRow("compressed") << "deflate";
    }
    void packetShapes()
    {
        QFETCH(QString, shape);
        PacketWriter w = samplePacket();
        if (shape == "lower")
            w.setLowerCaseNames(true);
        if (shape == "plain")
            w.setIndexNaming(PacketWriter::IndexNaming::Plain);
        if (shape == "no personal")
            w.setPersonalIndex(false);
        if (shape == "trailer")
            w.control().trailer = {"\x1A", "EXTRA LINE", ""};
        if (shape == "deflate")
            w.setCompressionLevel(9);
        if (shape == "nul padding") {
            Message m;
            m.text = "padded";
            m.padding = '\0';
            w.addMessage(m);
        }
        PacketWriter::Members members = w.members();
        if (shape == "no indexes") {
            for (const QString &name : members.keys()) {
                if (name.endsWith(".NDX") && name != "PERSONAL.NDX")
                    members.remove(name);
            }
        }
        const ImportResult result = import(writeMembers(members));
        QCOMPARE(result.outcome, Outcome::Completed);
        QCOMPARE(m_errors, QStringList());
        const QList<Row> got = rows();
        QCOMPARE(got.size(), shape == "nul padding" ? 4 : 3);
        QCOMPARE(counts(0).first, shape == "nul padding" ? 3 : 2);
        QCOMPARE(counts(1000), std::pair(1, 1));
        QCOMPARE(counts(-1), std::pair(1, 1));
        QCOMPARE(got.at(1).text, "For you");
        if (shape == "nul padding")
            QCOMPARE(got.at(2).text, "padded"); // conference 0 comes first
        const auto system = m_store->findSystem("MYBBS");
        QCOMPARE(system->welcomeScreen, "\x1B[1mWelcome\r\n");
        QCOMPARE(system->goodbyeScreen, "Bye\r\n");
        QCOMPARE(system->mailDoor, "TestDoor");
        QCOMPARE(m_store->findBulletin("MYBBS", 0, 1)->text, "Bulletin one\r\n");
    }

    void edgeMessages()
    {
        PacketWriter w;
        w.control().userName = "JOHN SMITH";
        w.addConference(0, "Main");
        w.addConference(1, "Second");
        w.addConference(5, "No index");
        Message m;
        m.subject = "not indexed";
        m.indexed = false;
        w.addMessage(m);
        m.indexed = true;
        m.subject = "number zero";
        m.number = "0";
        m.to = "  JoHn SmItH ";
        const qint64 twice = w.addMessage(m);
        m.to = "ALL";
        m.number = "";
        m.subject = "header only";
        m.text = "";
        w.addMessage(m);
        m.subject = "spaces and a line end";
        m.text = "x\xE3" + QByteArray(200, ' ');
        m.rawText = true;
        w.addMessage(m);
        PacketWriter::Members members = w.members();
        members["001.NDX"] = PacketWriter::indexRecord(quint32(twice), 1);
        members["005.NDX"] = QByteArray(); // 0-byte index

        const ImportResult result = import(writeMembers(members));
        QCOMPARE(result.outcome, Outcome::Completed);
        const QList<Row> got = rows();
        QStringList subjects;
        for (const Row &row : got)
            subjects.append(row.subject);
        // The message both indexes name is stored once, where it was named first.
        QCOMPARE(subjects, QStringList({"number zero", "header only", "spaces and a line end"}));
        QCOMPARE(result.repeatsIgnored, 1);
        QCOMPARE(got.at(0).number, 0);
        QVERIFY(got.at(0).personal);
        QCOMPARE(got.at(1).text, "");
        QCOMPARE(got.at(2).text, "x\r\n");
        QCOMPARE(counts(0), std::pair(3, 3));
        QCOMPARE(counts(1), std::pair(0, 0));
        QCOMPARE(counts(5), std::pair(0, 0));
        QCOMPARE(counts(-1), std::pair(1, 1));
    }

    // The text arrives as the CP437 characters of its bytes, nothing else.
    void everyByteReachesTheStore()
    {
        PacketWriter w;
        w.addConference(0, "Main");
        QByteArray text;
        QString expected;
        for (int b = 0; b < 256; ++b) {
            text += char(b);
            // A lone LF is a line end too, as some doors write them.
            expected += b == 0xE3 || b == 0x0A
                ? QStringLiteral("\r\n")
                : QString(marvik::text::Cp437Codec::toUnicode(uchar(b)));
        }
        text += "END";
        expected += "END";
        Message m;
        m.text = text;
        m.rawText = true;
        m.subject = "\x80\x01\xFF";
        w.addMessage(m);
        import(writePacket(w));
        const QList<Row> got = rows();
        QCOMPARE(got.size(), 1);
        QCOMPARE(got.at(0).text, expected);
        QCOMPARE(
            got.at(0).subject, marvik::text::Cp437Codec::toUnicode(QByteArray("\x80\x01\xFF")));
    }

    void blockCounts_data()
    {
        QTest::addColumn<QByteArray>("blockCount");
        QTest::addColumn<int>("imported");
        QTest::addColumn<QString>("text");
        QTest::newRow("true count") << QByteArray() << 2 << "abc";
        QTest::newRow("past the end: cut") << QByteArray("3") << 2 << "abc";
        QTest::newRow("larger than the file") << QByteArray("999999") << 1 << "";
        QTest::newRow("zero") << QByteArray("0") << 1 << "";
        QTest::newRow("not decimal") << QByteArray("xyz") << 1 << "";
    }
    void blockCounts()
    {
        QFETCH(QByteArray, blockCount);
        QFETCH(int, imported);
        QFETCH(QString, text);
        PacketWriter w;
        w.addConference(0, "Main");
        Message m;
        m.text = "first";
        w.addMessage(m);
        m.text = "abc";
        m.blockCount = blockCount; // the last message: nothing follows it
        w.addMessage(m);
        const ImportResult result = import(writePacket(w));
        QCOMPARE(result.outcome, Outcome::Completed);
        const QList<Row> got = rows();
        QCOMPARE(got.size(), imported);
        QCOMPARE(result.messagesSkipped, 2 - imported);
        if (imported == 2)
            QCOMPARE(got.at(1).text, text);
    }

    void emptyMembers()
    {
        PacketWriter w;
        w.addConference(0, "Main");
        w.setDoorId("");
        w.setWelcome("");
        w.setNewFiles("");
        w.addBulletin(0, 1, "");
        PacketWriter::Members members = w.members();
        members["MESSAGES.DAT"] = QByteArray();
        members["000.NDX"] = QByteArray();
        const ImportResult result = import(writeMembers(members));
        QCOMPARE(result.outcome, Outcome::Completed);
        QCOMPARE(m_doorShown.size(), 0);
        QCOMPARE(rows().size(), 0);
        QCOMPARE(m_store->findSystem("MYBBS")->welcomeScreen, "");
        QCOMPARE(scalar("SELECT COUNT(*) FROM BULLETIN WHERE \"QwkID\" = ?"), 0);
    }

    // A later packet without NEWFILES.DAT clears the list; an empty bulletin
    // leaves the stored one alone.
    void laterPacketScreensAndBulletins()
    {
        import(writePacket(samplePacket()));
        PacketWriter w;
        w.addConference(0, "Main Board");
        w.setWelcome("New welcome\r\n");
        w.addBulletin(0, 1, "");
        import(writePacket(w));
        const auto system = m_store->findSystem("MYBBS");
        QCOMPARE(system->newFiles, "");
        QCOMPARE(system->newsletter, "");
        QCOMPARE(system->welcomeScreen, "New welcome\r\n");
        QCOMPARE(m_store->findBulletin("MYBBS", 0, 1)->text, "Bulletin one\r\n");
        QCOMPARE(counts(1000), std::pair(1, 1)); // not in this packet: kept
    }

    // A member far bigger than any real one is not loaded into memory.
    void oversizedMembers()
    {
        PacketWriter w = samplePacket();
        w.setNewFiles(QByteArray(17 * 1024 * 1024, 'x'));
        w.setDoorId(QByteArray(1024 * 1024, '\n')); // a million empty lines
        w.setCompressionLevel(1);
        const ImportResult result = import(writePacket(w));
        QCOMPARE(result.outcome, Outcome::Completed);
        QCOMPARE(result.messagesImported, 3);
        QCOMPARE(m_store->findSystem("MYBBS")->newFiles, "");
        QVERIFY(result.problems.join('\n').contains("NEWFILES.DAT is too big"));
        QVERIFY(result.problems.join('\n').contains("DOOR.ID is too big"));
        QCOMPARE(m_doorShown.size(), 0);
    }

    // A packet may not rename or fill the conferences this program keeps.
    void reservedNumbersInPacket()
    {
        PacketWriter w;
        w.addConference(0, "Main");
        w.addConference(-2, "Hijack");
        Message m;
        w.addMessage(m);
        PacketWriter::Members members = w.members();
        members["-2.NDX"] = PacketWriter::indexRecord(2, 0);
        members["-1.NDX"] = PacketWriter::indexRecord(2, 0);
        const ImportResult result = import(writeMembers(members));
        QCOMPARE(result.outcome, Outcome::Completed);
        QCOMPARE(m_store->findConference(-2, "MYBBS")->name, "Replies");
        QCOMPARE(rows().size(), 1);
        QCOMPARE(rows().at(0).conference, 0);
    }

    // More messages than one commit holds.
    void batches()
    {
        PacketWriter w;
        w.addConference(0, "Main");
        w.addConference(1, "Other");
        Message m;
        m.text = "short";
        const int total = PacketImporter::BatchSize * 2 + 17;
        for (int i = 0; i < total; ++i) {
            m.conference = i % 2;
            m.to = i % 3 == 0 ? "JOHN SMITH" : "ALL";
            w.addMessage(m);
        }
        const ImportResult result = import(writePacket(w));
        QCOMPARE(result.messagesImported, total);
        QCOMPARE(counts(0).first + counts(1).first, total);
        QCOMPARE(counts(-1).first, (total + 2) / 3);
        QVERIFY(!m_store->inTransaction());
    }

    void hostileArchive()
    {
        // Built by hand: the packet writer only writes honest names.
        const QString path = m_dir->filePath("EVIL.QWK");
        PacketWriter w = samplePacket();
        PacketWriter::Members members = w.members();
        members.insert("../../ESCAPED.TXT", "x");
        QVERIFY(PacketWriter::writeZip(path, members));
        const ImportResult result = import(path);
        QCOMPARE(result.outcome, Outcome::Completed);
        QCOMPARE(result.messagesImported, 3);
        QVERIFY(!QFile::exists(m_dir->filePath("ESCAPED.TXT")));
        QVERIFY(!QFile::exists(QDir(m_dir->path()).absoluteFilePath("../ESCAPED.TXT")));
    }

    // Small malformed packets from another program: their conference list
    // has names without numbers, and one index points between headers. They
    // import what they can and say what they cannot.
    void malformedSamples_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("qwkId");
        QTest::addColumn<QList<int>>("conferences");
        QTest::addColumn<QStringList>("subjects");
        QTest::addColumn<int>("skipped");
        QTest::newRow("demo") << "qwknet_DEMO1.QWK"
                              << "DEMO1" << QList<int> {-2, -1, 0} << QStringList {"TEST MESSAGE"}
                              << 0;
        QTest::newRow("ansi") << "qwknet_ANSI_DEMO.QWK"
                              << "ANSIDEMO" << QList<int> {-2, -1, 0}
                              << QStringList {"ANSI in body"} << 0;
        QTest::newRow("multiple conferences") << "qwknet_MULTICNF.QWK"
                                              << "MULTICNF" << QList<int> {-2, -1, 0, 1}
                                              << QStringList {"Welcome", "Hello", "Re: Hello"} << 0;
    }
    void malformedSamples()
    {
        QFETCH(QString, file);
        QFETCH(QString, qwkId);
        QFETCH(QList<int>, conferences);
        QFETCH(QStringList, subjects);
        QFETCH(int, skipped);
        QString data = qEnvironmentVariable("MARVIK_TEST_DATA");
        if (data.isEmpty())
            data = QStringLiteral(MARVIK_SOURCE_TEST_DATA);
        const QString source = data + "/packet/" + file;
        const QString path = m_dir->filePath(file);
        QVERIFY(QFile::copy(source, path));
        const ImportResult result = import(path);
        QCOMPARE(result.outcome, Outcome::Completed);
        QCOMPARE(m_errors, QStringList());
        QCOMPARE(result.qwkId, qwkId);
        QCOMPARE(conferenceNumbers(qwkId), conferences);
        QCOMPARE(m_store->findConference(0, qwkId)->name, "Main Board");
        QStringList got;
        for (const Row &row : rows(qwkId))
            got.append(row.subject);
        QCOMPARE(got, subjects);
        QCOMPARE(result.messagesSkipped, skipped);
        // The list without numbers is reported, with the rest, in one box.
        QCOMPARE(m_reports.size(), 1);
        QVERIFY(m_reports.at(0).contains("CONTROL.DAT lists its conference"));
        if (file.contains("MULTICNF")) // found by the header chain, not the broken index
            QVERIFY(m_reports.at(0).contains(
                "The index 001.NDX points to a message that is not there (entry 2: block 9"));
    }

    // Messages a door lists only in PERSONAL.NDX, or indexes for a conference
    // CONTROL.DAT lacks, still come in; nothing goes without a word.
    void nothingLost_data()
    {
        QTest::addColumn<QString>("shape");
        QTest::addColumn<int>("messages");
        QTest::addColumn<int>("personal");
        QTest::addColumn<QList<int>>("created");
        QTest::addColumn<QString>("reported"); // "" = no box
        QTest::newRow("e-mail only in PERSONAL.NDX")
            << "personal only" << 3 << 2 << QList<int> {} << "";
        QTest::newRow("e-mail of an unlisted conference")
            << "personal unlisted" << 3 << 2 << QList<int> {9} << "Conference 9";
        QTest::newRow("index of an unlisted conference")
            << "unlisted index" << 51 << 0 << QList<int> {3} << "Conference 3";
        QTest::newRow("conference count of -1")
            << "no conferences" << 51 << 0 << QList<int> {0, 3} << "lists no conferences";
    }
    void nothingLost()
    {
        QFETCH(QString, shape);
        QFETCH(int, messages);
        QFETCH(int, personal);
        QFETCH(QList<int>, created);
        QFETCH(QString, reported);
        PacketWriter w;
        w.addConference(0, "Main");
        Message m;
        w.addMessage(m);
        if (shape.startsWith("personal")) {
            const int email = shape == "personal only" ? 5 : 9;
            if (email == 5)
                w.addConference(5, "E-mail");
            m.conference = email;
            m.indexed = false;
            m.inPersonalIndex = true;
            m.to = "JOHN SMITH";
            w.addMessage(m);
            m.to = "Johnny"; // the door says it is his
            w.addMessage(m);
        } else {
            m.conference = 3;
            for (int i = 0; i < 50; ++i)
                w.addMessage(m);
        }
        if (shape == "no conferences")
            w.control().conferenceCountLine = "-1";
        const ImportResult result = import(writePacket(w));
        QCOMPARE(result.outcome, Outcome::Completed);
        QCOMPARE(result.messagesImported, messages);
        QCOMPARE(result.personalImported, personal);
        QCOMPARE(rows().size(), messages);
        QCOMPARE(counts(-1), std::pair(personal, personal));
        QCOMPARE(result.conferencesCreated, created);
        for (int number : created)
            QCOMPARE(m_store->findConference(number, "MYBBS")->name,
                QStringLiteral("Conference %1").arg(number));
        if (reported.isEmpty()) {
            QCOMPARE(m_reports, QStringList());
        } else {
            QCOMPARE(m_reports.size(), 1);
            QVERIFY2(m_reports.at(0).contains(reported), qPrintable(m_reports.at(0)));
        }
    }

    // The problems box leads with what was lost, if anything, then lists
    // the first problems and counts the rest.
    void problemsReport_data()
    {
        QTest::addColumn<int>("lost");
        QTest::addColumn<int>("bigBulletins");
        QTest::addColumn<QString>("lead");
        QTest::addColumn<QString>("more");
        QTest::newRow("sound packet, one problem")
            << 0 << 1 << "MYBBS.QWK was imported, with these problems:"
            << "";
        QTest::newRow("a message lost")
            << 1 << 1
            << "1 messages of MYBBS.QWK could not be imported: the packet is damaged. "
               "Downloading it again from the BBS may bring them."
            << "";
        QTest::newRow("more than the box shows")
            << 0 << 17 << "MYBBS.QWK was imported, with these problems:"
            << "... and 2 more.";
    }
    void problemsReport()
    {
        QFETCH(int, lost);
        QFETCH(int, bigBulletins);
        QFETCH(QString, lead);
        QFETCH(QString, more);
        PacketWriter w = samplePacket();
        for (int i = 0; i < bigBulletins; ++i)
            w.addBulletin(7, i + 1, QByteArray(PacketImporter::MaxScreenBytes + 1, 'x'));
        w.setCompressionLevel(1);
        PacketWriter::Members members = w.members();
        for (int i = 0; i < lost; ++i)
            members["000.NDX"] += PacketWriter::indexRecord(9999, 0);
        const ImportResult result = import(writeMembers(members));
        QCOMPARE(result.messagesSkipped, lost);
        const QStringList lines = result.problemsReport.split('\n');
        QCOMPARE(lines.value(0), lead);
        QCOMPARE(lines.value(1), QString());
        QVERIFY2(lines.value(2 + lost).startsWith("BLT-7.1 is too big"),
            qPrintable(lines.value(2 + lost)));
        QCOMPARE(lines.size(), 2 + qMin(lost + bigBulletins, 15) + (more.isEmpty() ? 0 : 1));
        if (!more.isEmpty())
            QCOMPARE(lines.last(), more);
    }

    // The system is the one CONTROL.DAT names, whatever the file is called.
    void systemId_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("serialLine");
        QTest::addColumn<QString>("qwkId");
        QTest::newRow("saved twice by a browser")
            << "mybbs(1).qwk" << QByteArray("1,MYBBS") << "MYBBS";
        QTest::newRow("renamed") << "download.zip" << QByteArray("4471,harbor") << "HARBOR";
        QTest::newRow("unusable id: the file name")
            << "OTHER.QWK" << QByteArray("4471,TOO LONG ID") << "OTHER";
    }
    void systemId()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, serialLine);
        QFETCH(QString, qwkId);
        PacketWriter w = samplePacket();
        w.control().serialLine = serialLine;
        const ImportResult result = import(writePacket(w, file));
        QCOMPARE(result.qwkId, qwkId);
        QCOMPARE(m_store->systemIds(), QStringList({qwkId}));
        QCOMPARE(rows(qwkId).size(), 3);
    }

    // QWKE doors: whole names and subjects from HEADERS.DAT or the lines at
    // the top of the text, UTF-8 where marked, LF line ends as CR LF.
    void qwke_data()
    {
        QTest::addColumn<QByteArray>("headers"); // HEADERS.DAT lines; "" = none
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QString>("expectedText");
        const QByteArray longSubject = "Meeting minutes of the March committee session";
        const QString subject = QString::fromLatin1(longSubject);
        QTest::newRow("HEADERS.DAT") << "Subject: " + longSubject
                + "\r\nSender: Samuel Sysop-Longname The Third\r\nTo: Everyone On The Whole "
                  "Network\r\n" << QByteArray("Text")
                                     << "Everyone On The Whole Network"
                                     << "Samuel Sysop-Longname The Third" << subject << "Text";
        QTest::newRow("lines at the top")
            << QByteArray()
            << "Subject: " + longSubject
                + "\nFrom: Samuel "
                  "Sysop-Longname The "
                  "Third\nBody\n"
            << "Everyone On The Whole Net"
            << "Samuel Sysop-Longname The Third" << subject << "Body\r\n";
        QTest::newRow("utf8 text and fields")
            << QByteArray("Utf8: true\r\nSubject: Caf\xC3\xA9 au lait, one more time please\r\n")
            << QByteArray("caf\xC3\xA9\xE3") << "Everyone On The Whole Net"
            << "Samuel Sysop-Longname The"
            << QString::fromUtf8("Café au lait, one more time please")
            << QString::fromUtf8("café\r\n");
        // Doors write "Utf8 = true" beside "Key: value" lines.
        QTest::newRow("utf8 marked with an equals sign")
            << QByteArray("Utf8 = true\nSender: Sam\nTo: Caf\xC3\xA9 Society\n")
            << QByteArray("caf\xC3\xA9\xE3") << QString::fromUtf8("Café Society") << "Sam"
            << subject.left(25) << QString::fromUtf8("café\r\n");
        QTest::newRow("utf8 marked but not")
            << QByteArray("Utf8: true\r\n") << QByteArray("caf\x82") << "Everyone On The Whole Net"
            << "Samuel Sysop-Longname The" << subject.left(25) << QString::fromUtf8("café");
    }
    void qwke()
    {
        QFETCH(QByteArray, headers);
        QFETCH(QByteArray, text);
        QFETCH(QString, to);
        QFETCH(QString, from);
        QFETCH(QString, subject);
        QFETCH(QString, expectedText);
        PacketWriter w;
        w.addConference(0, "Main");
        Message plain; // a message before it moves its header off block 2
        w.addMessage(plain);
        Message m;
        m.to = "Everyone On The Whole Network";
        m.from = "Samuel Sysop-Longname The Third";
        m.subject = "Meeting minutes of the March committee session";
        m.text = text;
        m.rawText = true;
        const qint64 block = w.addMessage(m);
        if (!headers.isEmpty())
            w.addHeadersSection(block, headers);
        const ImportResult result = import(writePacket(w));
        QCOMPARE(result.messagesImported, 2);
        const auto message = m_store->findMessage(2);
        QVERIFY(message);
        QCOMPARE(message->to, to);
        QCOMPARE(message->from, from);
        QCOMPARE(message->subject, subject);
        QCOMPARE(message->text, expectedText);
        QCOMPARE(m_store->findMessage(1)->subject, "Hello"); // no section of its own

        // Opening it again finds the long fields stored and adds nothing.
        const ImportResult again = import(writePacket(w));
        QCOMPARE(again.alreadyStored, 2);
        QCOMPARE(rows().size(), 2);
    }

    // What the door's packet shows it reads is kept for the reply packet,
    // and a later packet without it says so again.
    void replyFormatsFollowTheLastPacket_data()
    {
        QTest::addColumn<QString>("shows");
        QTest::addColumn<bool>("headersFile");
        QTest::addColumn<bool>("qwke");
        QTest::newRow("a plain packet") << "" << false << false;
        QTest::newRow("HEADERS.DAT") << "headers" << true << false;
        QTest::newRow("TOREADER.EXT") << "toreader" << false << true;
        QTest::newRow("DOOR.ID naming QWKE") << "door.id" << false << true;
        QTest::newRow("DOOR.ID naming something else") << "other door" << false << false;
        QTest::newRow("QWKE lines at the top of a text") << "lines" << false << true;
    }
    void replyFormatsFollowTheLastPacket()
    {
        QFETCH(QString, shows);
        QFETCH(bool, headersFile);
        QFETCH(bool, qwke);
        PacketWriter w;
        w.addConference(0, "Main");
        Message m;
        m.subject = "Meeting minutes of the March";
        if (shows == "lines") {
            m.text = "Subject: Meeting minutes of the March committee\nBody\n";
            m.rawText = true;
        }
        const qint64 block = w.addMessage(m);
        if (shows == "headers")
            w.addHeadersSection(block, "Subject: Meeting minutes of the March committee\r\n");
        if (shows == "door.id")
            w.setDoorId("DOOR = Harbor\r\nCONTROLTYPE = QWKE\r\n");
        if (shows == "other door")
            w.setDoorId("DOOR = QWKEMAIL\r\nCONTROLTYPE = ADD\r\n");
        PacketWriter::Members members = w.members();
        if (shows == "toreader")
            members.insert("TOREADER.EXT", "ALIAS Somebody\r\n");
        import(writeMembers(members));
        auto system = m_store->findSystem("MYBBS");
        QVERIFY(system);
        QCOMPARE(system->headersFile, headersFile);
        QCOMPARE(system->qwke, qwke);

        PacketWriter plain;
        plain.addConference(0, "Main");
        Message later;
        later.subject = "Later";
        plain.addMessage(later);
        import(writePacket(plain));
        system = m_store->findSystem("MYBBS");
        QVERIFY(!system->headersFile && !system->qwke);
    }

    // The ids that let the reader thread by HEADERS.DAT are kept with the
    // message; a message without a section has none.
    void messageIdsStored()
    {
        PacketWriter w;
        w.addConference(0, "Main");
        w.addMessage(Message());
        const qint64 block = w.addMessage(Message());
        w.addHeadersSection(block,
            "Message-ID: <2.main@bbs.example>\r\n"
            "In-Reply-To: <1.main@bbs.example>\r\n");
        QCOMPARE(import(writePacket(w)).messagesImported, 2);
        QCOMPARE(m_store->findMessage(1)->messageId, QString());
        QCOMPARE(m_store->findMessage(2)->messageId, QStringLiteral("<2.main@bbs.example>"));
        QCOMPARE(m_store->findMessage(2)->inReplyTo, QStringLiteral("<1.main@bbs.example>"));
    }

    // Packets that do not mark UTF-8: two modern writers send it anyway.
    // What the bytes say decides, for the text and then its fields.
    void unmarkedUtf8_data()
    {
        QTest::addColumn<QByteArray>("from"); // the header's 25 bytes
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("headers"); // unmarked HEADERS.DAT lines, or none
        QTest::addColumn<QString>("expectedFrom");
        QTest::addColumn<QString>("expectedText");
        QTest::addColumn<bool>("personal"); // addressed to "Zo\xC3\xAB" as CONTROL.DAT names her

        QTest::newRow("UTF-8 text and name") << QByteArray("Zo\xC3\xAB")
                                             << QByteArray("Gr\xC3\xBC\xC3\x9F"
                                                           "e \xE2\x82\xAC\n")
                                             << QByteArray() << QStringLiteral("Zo\u00eb")
                                             << QString::fromUtf8("Grüße €\r\n") << true;
        QTest::newRow("CP437 art stays CP437")
            << QByteArray("J\x81rgen") << QByteArray("\xC9\xCD\xBB\n\xC8\xCD\xBC\n") << QByteArray()
            << QString::fromUtf8("Jürgen") << QString::fromUtf8("╔═╗\r\n╚═╝\r\n") << true;
        QTest::newRow("CP437 text keeps a UTF-8-looking name CP437")
            << QByteArray("Zo\xC3\xAB") << QByteArray("caf\x82\n") << QByteArray()
            << QString::fromUtf8("Zo├½") << QString::fromUtf8("café\r\n") << true;
        QTest::newRow("ASCII text, the name decides")
            << QByteArray("Zo\xC3\xAB") << QByteArray("plain\n") << QByteArray()
            << QStringLiteral("Zo\u00eb") << QStringLiteral("plain\r\n") << true;
        QTest::newRow("name cut at byte 25 inside a character")
            << QByteArray("Fran\xC3\xA7ois Lef\xC3\xA8vre-\xC3\x94t\xC3\xA9\xC3")
            << QByteArray("text\n") << QByteArray() << QString::fromUtf8("François Lefèvre-Ôté")
            << QStringLiteral("text\r\n") << true;
        QTest::newRow("the whole name from HEADERS.DAT")
            << QByteArray("Fran\xC3\xA7ois Lef\xC3\xA8vre-\xC3\x94t\xC3\xA9\xC3")
            << QByteArray("text\n")
            << QByteArray("Sender: Fran\xC3\xA7ois Lef\xC3\xA8vre-\xC3\x94t\xC3\xA9\xC3\xA7\r\n")
            << QString::fromUtf8("François Lefèvre-Ôtéç") << QStringLiteral("text\r\n") << true;
    }
    void unmarkedUtf8()
    {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, headers);
        QFETCH(QString, expectedFrom);
        QFETCH(QString, expectedText);
        QFETCH(bool, personal);
        PacketWriter w;
        w.control().userName = "ZO\xC3\xAB";
        w.addConference(0, "Main");
        Message m;
        m.to = "Zo\xC3\xAB";
        m.from = from;
        m.text = text;
        m.rawText = true;
        const qint64 block = w.addMessage(m);
        if (!headers.isEmpty())
            w.addHeadersSection(block, headers);
        const ImportResult result = import(writePacket(w));
        QCOMPARE(result.messagesImported, 1);
        const auto message = m_store->findMessage(1);
        QVERIFY(message);
        QCOMPARE(message->from, expectedFrom);
        QCOMPARE(message->text, expectedText);
        QCOMPARE(message->personal, personal);
    }

    // One header block named again and again is stored once, however it is
    // named: one index, several, or aliases of one conference's index.
    void repeatedHeaderBlocks_data()
    {
        QTest::addColumn<QStringList>("indexes");
        QTest::addColumn<int>("timesEach");
        QTest::addColumn<int>("repeats");
        QTest::newRow("500 times in one index") << QStringList {"000.NDX"} << 500 << 499;
        QTest::newRow("in two indexes") << QStringList {"000.NDX", "001.NDX"} << 1 << 1;
        QTest::newRow("aliased names")
            << QStringList {"000.NDX", "00.NDX", "+0.NDX", "0.NDX"} << 2 << 7;
    }
    void repeatedHeaderBlocks()
    {
        QFETCH(QStringList, indexes);
        QFETCH(int, timesEach);
        QFETCH(int, repeats);
        PacketWriter w;
        w.addConference(0, "Main");
        w.addConference(1, "Other");
        Message m;
        m.text = QByteArray(256 * 1024, 'x');
        m.indexed = false;
        const qint64 block = w.addMessage(m);
        PacketWriter::Members members = w.members();
        for (const QString &name : indexes)
            members[name] = PacketWriter::indexRecord(quint32(block), 0).repeated(timesEach);
        const ImportResult result = import(writeMembers(members));
        QCOMPARE(result.messagesImported, 1);
        QCOMPARE(result.repeatsIgnored, repeats);
        QCOMPARE(rows().size(), 1);
        QCOMPARE(counts(0).first + counts(1).first, 1);
        QVERIFY(m_reports.value(0).contains("stored once"));
        QVERIFY(QFileInfo(m_dir->filePath("MARVIK.db")).size() < 4 * 1024 * 1024);
    }

    // Of two members differing only in case, the upper-case one is used and
    // the other reported; two of one name end the import with a clear word.
    // An archive that would fill the disk is refused before a byte of it is
    // written, and says so in words the user can act on.
    void zipBombRefused()
    {
        PacketWriter w = samplePacket();
        PacketWriter::Members members = w.members();
        members["MESSAGES.DAT"] += QByteArray(80 * 1024 * 1024, ' ');
        const QString path = writeMembers(members);
        QVERIFY(QFileInfo(path).size() < 1024 * 1024);
        const ImportResult result = import(path);
        QCOMPARE(result.outcome, Outcome::ExtractionFailed);
        QCOMPARE(m_errors.size(), 1);
        QVERIFY2(m_errors.at(0).startsWith("MYBBS.QWK would unpack to 80.0 MB from only "),
            qPrintable(m_errors.at(0)));
        QVERIFY2(m_errors.at(0).endsWith("Nothing was imported."), qPrintable(m_errors.at(0)));
        QVERIFY(m_store->systemIds().isEmpty());
    }

    void memberNameClashes()
    {
        PacketWriter w = samplePacket();
        PacketWriter::Members members = w.members();
        QByteArray other = members["CONTROL.DAT"];
        other.replace("Marvik Test BBS", "Impostor BBS");
        members["control.dat"] = other;
        members["000.ndx"] = PacketWriter::indexRecord(2, 0).repeated(3);
        import(writeMembers(members));
        QCOMPARE(m_store->findSystem("MYBBS")->bbsName, "Marvik Test BBS");
        QCOMPARE(rows().size(), 3);
        const QString box = m_reports.value(0);
        QVERIFY2(box.contains("both CONTROL.DAT and control.dat"), qPrintable(box));
        QVERIFY2(box.contains("both 000.NDX and 000.ndx"), qPrintable(box));

        // The writer replaces same-named members, so the second name is
        // patched in afterwards (stored, so the name bytes stand as written).
        members = w.members();
        members.remove("control.dat");
        members["CONTROL.DAX"] = "x";
        const QString path = writeMembers(members, "TWICE.QWK");
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QByteArray bytes = file.readAll();
        bytes.replace("CONTROL.DAX", "CONTROL.DAT");
        file.seek(0);
        file.write(bytes);
        file.close();
        const ImportResult result = import(path);
        QCOMPARE(result.outcome, Outcome::ExtractionFailed);
        QCOMPARE(m_errors.size(), 1);
        QVERIFY2(
            m_errors.at(0).contains("two files named CONTROL.DAT"), qPrintable(m_errors.at(0)));
        QVERIFY(!m_errors.at(0).contains("already exists"));
    }

    // Events run while MESSAGES.DAT is walked, whatever its blocks hold.
    void eventsRunOverZeroBlocks()
    {
        PacketWriter w;
        w.addConference(0, "Main");
        Message m;
        w.addMessage(m);
        PacketWriter::Members members = w.members();
        members.remove("000.NDX");
        members.remove("PERSONAL.NDX");
        constexpr int zeroBlocks = 20000;
        members["MESSAGES.DAT"] += QByteArray(zeroBlocks * 128, '\0');
        const ImportResult result = import(writeMembers(members));
        QCOMPARE(result.messagesImported, 1);
        QVERIFY2(
            m_progress.eventRuns >= zeroBlocks, qPrintable(QString::number(m_progress.eventRuns)));
    }

    // A message's text is bounded, and so is what an error quotes.
    void hostileSizes()
    {
        PacketWriter w;
        w.addConference(0, "Main");
        Message m;
        m.text = QByteArray(MessageBlocks::MaxTextBytes + 1000, 'y');
        w.addMessage(m);
        m.text = "short";
        m.number = "12x";
        w.addMessage(m);
        w.control().conferenceCountLine = QByteArray(5000, 'z');
        const ImportResult result = import(writePacket(w));
        QCOMPARE(result.messagesImported, 1);
        QCOMPARE(rows().at(0).text.size(), MessageBlocks::MaxTextBytes);
        const QString box = m_reports.value(0);
        QVERIFY2(box.contains("is longer than 4 MB"), qPrintable(box));
        QVERIFY(box.contains(QString(60, 'z')));
        QVERIFY(!box.contains(QString(61, 'z')));
    }

    // Packets damaged at random, member by member: every import ends, with
    // or without an error box, and leaves counts that agree with the rows.
    void randomlyDamagedPackets()
    {
        QRandomGenerator random(20261208);
        const PacketWriter::Members pristine = samplePacket().members();
        for (int round = 0; round < 120; ++round) {
            PacketWriter::Members members = pristine;
            const QStringList names = members.keys();
            const int damages = 1 + int(random.bounded(4));
            for (int d = 0; d < damages; ++d) {
                QByteArray &bytes = members[names.at(int(random.bounded(names.size())))];
                if (bytes.isEmpty())
                    continue;
                switch (random.bounded(3)) {
                case 0: // flip a few bytes
                    for (int i = 0; i < 1 + int(random.bounded(8)); ++i)
                        bytes[int(random.bounded(bytes.size()))] = char(random.bounded(256));
                    break;
                case 1: // cut short
                    bytes.truncate(int(random.bounded(bytes.size())));
                    break;
                default: // digits where counts and numbers stand
                    bytes[int(random.bounded(bytes.size()))] = char('0' + random.bounded(10));
                    break;
                }
            }
            const QString path = writeMembers(members, QStringLiteral("R%1.QWK").arg(round));
            import(path);
            if (QTest::currentTestFailed())
                QFAIL(qPrintable(QStringLiteral("round %1").arg(round)));
        }
    }
};

QTEST_GUILESS_MAIN(TestPacketImporter)
#include "tst_packetimporter.moc"
