#include "app/OpenQwkFileCommand.h"
#include "packet/PacketImporter.h"
#include "store/MessageStore.h"
#include "support/FakeDoorInfo.h"
#include "support/FakeFileDialogs.h"
#include "support/FakeProgress.h"
#include "support/FakePrompts.h"
#include "support/PacketWriter.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

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
        packet::PacketImporter importer(store, progress, prompts, doorInfo, dir.filePath("TEMP"));

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
        const std::optional<packet::ImportResult> result = app::OpenQwkFileCommand::run(
            dialogs, importer, dir.filePath("work"), [&](bool on) { enabled.append(on); });

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
};

QTEST_GUILESS_MAIN(TestOpenQwkFileCommand)
#include "tst_openqwkfilecommand.moc"
