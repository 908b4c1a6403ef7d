#include "app/OpenQwkFileCommand.h"
#include "packet/PacketImporter.h"
#include "store/MessageStore.h"
#include "support/FakeDoorInfo.h"
#include "support/FakeFileDialogs.h"
#include "support/FakeProgress.h"
#include "support/FakePrompts.h"
#include "support/PacketWriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <stdexcept>

using namespace marvik;

namespace {

class ThrowingDialogs : public testing::FakeFileDialogs
{
public:
    QString openFile(const QString &, const QString &, const QString &) override
    {
        throw std::runtime_error("File not found");
    }
};

// Every window the command opens, in order: "door: <first line>",
// "inform", "ask: <question> (<default button>)", "error".
class LoggedPrompts : public testing::FakePrompts
{
public:
    QStringList &log;
    explicit LoggedPrompts(QStringList &log)
        : log(log)
    { }
    bool ask(const QString &question, bool yesIsDefault) override
    {
        log.append(QStringLiteral("ask: %1 (%2)").arg(question, yesIsDefault ? "Yes" : "No"));
        return FakePrompts::ask(question, yesIsDefault);
    }
    void inform(const QString &text) override
    {
        log.append("inform");
        FakePrompts::inform(text);
    }
    void error(const QString &text) override
    {
        log.append("error");
        FakePrompts::error(text);
    }
};

class LoggedDoorInfo : public testing::FakeDoorInfo
{
public:
    QStringList &log;
    std::function<void()> whileShown;
    explicit LoggedDoorInfo(QStringList &log)
        : log(log)
    { }
    void showDoorInfo(const QString &firstLine, const QString &secondLine) override
    {
        log.append("door: " + firstLine);
        FakeDoorInfo::showDoorInfo(firstLine, secondLine);
        if (whileShown)
            whileShown();
    }
};

} // namespace

class TestOpenQwkFileCommand : public QObject
{
    Q_OBJECT

private slots:
    // However the command ends, the main window is enabled again afterwards.
    void run_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<bool>("hasResult");
        QTest::addColumn<QString>("error");
        QTest::newRow("cancelled") << "cancel" << false << "";
        QTest::newRow("imported") << "good" << true << "";
        QTest::newRow("import fails") << "garbage" << true << "MYBBS.QWK is not a zip archive";
        QTest::newRow("dialog throws") << "throw" << false << "File not found";
    }
    void run()
    {
        QFETCH(QString, choice);
        QFETCH(bool, hasResult);
        QFETCH(QString, error);

        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("TEMP"));
        QVERIFY(QDir(dir.path()).mkdir("work"));
        store::MessageStore store(dir.filePath("MARVIK.db"));
        testing::FakeProgress progress;
        testing::FakePrompts prompts;
        prompts.defaultAnswer = false;
        testing::FakeDoorInfo doorInfo;
        packet::PacketImporter importer(store, progress, dir.filePath("TEMP"));

        const QString packetPath = dir.filePath("work/MYBBS.QWK");
        if (choice == "good") {
            testing::PacketWriter w;
            w.addConference(0, "Main");
            w.addMessage({});
            QVERIFY(w.write(packetPath));
        } else if (choice == "garbage") {
            QFile f(packetPath);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("not a zip");
        }
        testing::FakeFileDialogs fake;
        ThrowingDialogs throwing;
        testing::FakeFileDialogs &dialogs = choice == "throw" ? throwing : fake;
        if (choice != "cancel")
            fake.nextFileNames = {packetPath};

        QList<bool> enabled;
        const std::optional<packet::ImportResult> result
            = app::OpenQwkFileCommand::run(dialogs, importer, prompts, doorInfo,
                dir.filePath("work"), [&](bool on) { enabled.append(on); });

        QCOMPARE(enabled, QList<bool>({false, true}));
        QCOMPARE(result.has_value(), hasResult);
        if (error.isEmpty())
            QCOMPARE(prompts.errors, QStringList());
        else
            QVERIFY(prompts.errors.size() == 1 && prompts.errors.at(0).contains(error));
        if (choice != "throw") {
            QCOMPARE(fake.folders, QStringList({dir.filePath("work")}));
            QCOMPARE(fake.filters, QStringList({"QWK Files (*.QW*);;All Files (*.*)"}));
        }
        if (choice == "good") {
            QCOMPARE(result->messagesImported, 1);
            QCOMPARE(result->qwkId, "MYBBS");
        }
        if (choice == "cancel")
            QCOMPARE(store.systemIds(), QStringList());
    }

    // The door window shows while the import runs; then either the error
    // that ended it, or the problems box once and the delete question.
    void questions_data()
    {
        const QString door = "door: QWK packet was created by: TestDoor 2.1";
        const QString ask = "ask: Delete MYBBS.QWK? (No)";
        QTest::addColumn<QString>("packet");
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<QString>("error");
        QTest::addColumn<bool>("deleted");
        QTest::newRow("kept") << "sound"
                              << "MYBBS.QWK" << false << QStringList {door, ask} << "" << false;
        QTest::newRow("deleted") << "sound"
                                 << "MYBBS.QWK" << true << QStringList {door, ask} << "" << true;
        QTest::newRow("named as on disk")
            << "sound"
            << "mybbs.qw1" << true << QStringList {door, "ask: Delete mybbs.qw1? (No)"} << ""
            << true;
        QTest::newRow("problems before the question")
            << "big bulletin"
            << "MYBBS.QWK" << false << QStringList {door, "inform", ask} << "" << false;
        QTest::newRow("a message lost, kept")
            << "lost message"
            << "MYBBS.QWK" << false << QStringList {door, "inform", ask} << "" << false;
        QTest::newRow("a message lost, deleted all the same")
            << "lost message"
            << "MYBBS.QWK" << true << QStringList {door, "inform", ask} << "" << true;
        QTest::newRow("not a zip archive") << "garbage"
                                           << "MYBBS.QWK" << true << QStringList {"error"}
                                           << "MYBBS.QWK is not a zip archive" << false;
        QTest::newRow("ended after the door window")
            << "no control"
            << "MYBBS.QWK" << true << QStringList {door, "error"} << "holds no CONTROL.DAT"
            << false;
        QTest::newRow("cannot be deleted")
            << "gone"
            << "MYBBS.QWK" << true << QStringList {door, ask, "error"}
            << "MYBBS.QWK could not be deleted (" << false;
    }
    void questions()
    {
        QFETCH(QString, packet);
        QFETCH(QString, file);
        QFETCH(bool, answer);
        QFETCH(QStringList, log);
        QFETCH(QString, error);
        QFETCH(bool, deleted);

        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("TEMP"));
        store::MessageStore store(dir.filePath("MARVIK.db"));
        testing::FakeProgress progress;
        QStringList shown;
        LoggedPrompts prompts(shown);
        prompts.answers = {answer};
        LoggedDoorInfo doorInfo(shown);
        packet::PacketImporter importer(store, progress, dir.filePath("TEMP"));

        const QString path = dir.filePath(file);
        testing::PacketWriter w;
        w.addConference(0, "Main");
        w.setDoorId("DOOR = TestDoor\r\nVERSION = 2.1\r\nSYSTEM = TestBBS\r\n");
        w.addMessage({});
        if (packet == "big bulletin")
            w.addBulletin(0, 1, QByteArray(packet::PacketImporter::MaxScreenBytes + 1, 'x'));
        testing::PacketWriter::Members members = w.members();
        if (packet == "lost message")
            members["000.NDX"] += testing::PacketWriter::indexRecord(9999, 0);
        if (packet == "no control")
            members.remove("CONTROL.DAT");
        QVERIFY(testing::PacketWriter::writeZip(path, members));
        if (packet == "garbage") {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write("not a zip");
        }
        // Gone by the time the question is answered: the delete must fail.
        if (packet == "gone")
            doorInfo.whileShown = [&] { QFile::remove(path); };

        const std::optional<packet::ImportResult> result
            = app::OpenQwkFileCommand::run([&] { return path; }, importer, prompts, doorInfo, {});

        QVERIFY(result);
        QCOMPARE(shown, log);
        QCOMPARE(prompts.errors.size(), error.isEmpty() ? 0 : 1);
        if (!error.isEmpty()) {
            QVERIFY2(prompts.errors.at(0).contains(error), qPrintable(prompts.errors.at(0)));
            QCOMPARE(result->endedEarly, packet != "gone");
        }
        if (packet == "gone")
            QVERIFY2(prompts.errors.at(0).endsWith(
                         "; it is still in " + QDir::toNativeSeparators(dir.path()) + "."),
                qPrintable(prompts.errors.at(0)));
        if (log.contains("inform"))
            QVERIFY(prompts.informations.at(0).startsWith(packet == "lost message"
                    ? "1 messages of MYBBS.QWK could not be imported"
                    : "MYBBS.QWK was imported, with these problems:"));
        QCOMPARE(result->packetDeleted, deleted);
        if (packet != "gone")
            QCOMPARE(QFile::exists(path), !deleted);
        QCOMPARE(doorInfo.shown.size(), packet == "garbage" ? 0 : 1);
        if (!doorInfo.shown.isEmpty())
            QCOMPARE(doorInfo.shown.at(0).value(1), "BBS software used was: TestBBS");
    }
};

QTEST_GUILESS_MAIN(TestOpenQwkFileCommand)
#include "tst_openqwkfilecommand.moc"
