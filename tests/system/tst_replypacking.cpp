// The packing journal end to end: packings cut short by SIGKILL at each step
// and at random moments, then the recovery the next start runs.

#include "packet/MessageBlocks.h"
#include "packet/ZipArchive.h"
#include "state/AppFolders.h"
#include "store/MessageStore.h"
#include "store/PackingJournal.h"
#include "store/Selections.h"
#include "store/Statement.h"
#include "store/StoreOperations.h"
#include "support/FakeProgress.h"
#include "support/FakePrompts.h"
#include "system/ReplyExporter.h"
#include "system/ReplyPacketRecovery.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace marvik;
using system::ReplyExporter;
using system::ReplyPacketRecovery;

namespace {

const QString Id = QStringLiteral("MYBBS");

// A base folder with system MYBBS; the store is opened anew by each process.
struct Base
{
    QTemporaryDir dir;
    state::AppFolders folders {dir.path()};

    Base()
    {
        QString error;
        folders.create(&error);
        store::MessageStore store(folders.storeFile());
        store::SystemRecord system;
        system.qwkId = Id;
        store.saveSystem(system);
        store.saveConferenceName(-2, Id, QStringLiteral("Replies"));
        store.saveConferenceName(5, Id, QStringLiteral("Five"));
    }

    QString packet() const { return QDir(folders.work()).filePath(QStringLiteral("MYBBS.REP")); }

    // Replies "Reply <first>" ... stored as the editor stores them.
    void storeReplies(int first, int count) const
    {
        store::MessageStore store(folders.storeFile());
        store::StoreOperations operations(store);
        for (int n = first; n < first + count; ++n) {
            store::MessageRecord m;
            m.to = QStringLiteral("ALL");
            m.from = QStringLiteral("ME");
            m.subject = QStringLiteral("Subject");
            m.text = QStringLiteral("Reply %1\r\n").arg(n);
            m.replyConferenceNumber = 5;
            operations.storeWrittenMessage(Id, {m});
        }
    }

    // Packs in this process; a hook may kill it at a step.
    ReplyExporter::Outcome pack(
        const ReplyExporter::StepHook &hook = {}, const std::function<void()> &opened = {}) const
    {
        store::MessageStore store(folders.storeFile());
        if (opened)
            opened();
        store::StoreOperations operations(store);
        testing::FakePrompts prompts;
        testing::FakeProgress progress;
        ReplyExporter exporter(store, operations, folders, prompts, progress);
        exporter.setStepHook(hook);
        return exporter.run(Id);
    }

    QStringList storedTexts() const
    {
        store::MessageStore store(folders.storeFile());
        QStringList texts;
        store::Statement &s = store.prepared(QStringLiteral(
            "SELECT \"Message\" FROM MESSAGES WHERE \"Conference Number\" = -2 ORDER BY rowid"));
        while (s.step())
            texts.append(s.text(0).trimmed());
        s.reset();
        return texts;
    }

    // The texts of the packet in place, read as a door reads them; false
    // when the packet is no whole zip or its message file is damaged.
    bool packetTexts(QStringList *texts) const
    {
        texts->clear();
        if (!QFile::exists(packet()))
            return true;
        const QString out = dir.filePath(QStringLiteral("check"));
        QDir(out).removeRecursively();
        QDir().mkpath(out);
        QString error;
        if (!packet::ZipArchive::extractAll(packet(), out, {}, &error))
            return false;
        QFile file(QDir(out).filePath(QStringLiteral("MYBBS.MSG")));
        if (!file.open(QIODevice::ReadOnly))
            return false;
        packet::MessageBlocks blocks(file);
        for (qint64 block = 1; block < blocks.blockCount();) {
            const auto header = blocks.readHeader(block, &error);
            if (!header)
                return false;
            texts->append(blocks.readText(block, *header).trimmed());
            block += header->blockCount;
        }
        return true;
    }

    QStringList temporaries() const
    {
        return QDir(folders.work())
            .entryList({QStringLiteral("MYBBS.REP.*")}, QDir::Files | QDir::Hidden);
    }

    int journalEntries() const
    {
        store::MessageStore store(folders.storeFile());
        return int(store::PackingJournal(store).entries().size());
    }

    void recover() const
    {
        store::MessageStore store(folders.storeFile());
        store::StoreOperations operations(store);
        ReplyPacketRecovery::recover(operations);
    }
};

QStringList replyNames(int first, int count)
{
    QStringList names;
    for (int n = first; n < first + count; ++n)
        names.append(QStringLiteral("Reply %1").arg(n));
    return names;
}

// Every reply once, in the store or in the packet: never both, never neither.
QStringList sorted(QStringList texts)
{
    texts.sort();
    return texts;
}

// Runs `work` in a child process. With a delay, the child is killed that
// long after it tells it has opened the store (a kill while the store's lock
// file is half written is another matter, not this test's).
int runChild(const std::function<void(const std::function<void()> &opened)> &work,
    int killAfterMicroseconds = -1)
{
    int ready[2];
    if (pipe(ready) != 0)
        return -1;
    const pid_t child = fork();
    if (child == 0) {
        ::close(ready[0]);
        work([&] {
            const char byte = 1;
            if (::write(ready[1], &byte, 1) != 1)
                _exit(2);
        });
        _exit(0);
    }
    ::close(ready[1]);
    char byte = 0;
    const bool opened = ::read(ready[0], &byte, 1) == 1;
    ::close(ready[0]);
    if (opened && killAfterMicroseconds >= 0) {
        usleep(useconds_t(killAfterMicroseconds));
        kill(child, SIGKILL);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return status;
}

} // namespace

class TestReplyPacking : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void killedAtEveryStep_data();
    void killedAtEveryStep();
    void killedAtRandomMoments();
    void stalePacketTemporariesGo();
};

void TestReplyPacking::killedAtEveryStep_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<bool>("oldPacket");
    const QList<std::pair<ReplyExporter::Step, const char *>> steps {
        {ReplyExporter::Step::MessageFileWritten, "message file written"},
        {ReplyExporter::Step::PacketWrittenAside, "packet written aside"},
        {ReplyExporter::Step::Recorded, "recorded"},
        {ReplyExporter::Step::PacketInPlace, "packet in place"},
        {ReplyExporter::Step::RepliesRemoved, "replies removed"}};
    for (const auto &[step, name] : steps) {
        for (const bool old : {false, true})
            QTest::addRow("%s, %s", name, old ? "adding to a packet" : "new packet")
                << int(step) << old;
    }
}

void TestReplyPacking::killedAtEveryStep()
{
    QFETCH(int, step);
    QFETCH(bool, oldPacket);
    Base base;
    int first = 1;
    if (oldPacket) {
        base.storeReplies(first, 30);
        QCOMPARE(base.pack(), ReplyExporter::Outcome::Packed);
        first += 30;
    }
    base.storeReplies(first, 50);
    const QStringList all = replyNames(1, first + 49);

    const int status = runChild([&](const std::function<void()> &opened) {
        base.pack(
            [step](ReplyExporter::Step reached) {
                if (int(reached) == step)
                    raise(SIGKILL);
            },
            opened);
    });
    QVERIFY(WIFSIGNALED(status));

    base.recover();
    QCOMPARE(base.journalEntries(), 0);
    QStringList packed;
    QVERIFY(base.packetTexts(&packed)); // old or new, but whole
    QCOMPARE(sorted(base.storedTexts() + packed), sorted(all));
    // Cut before the rename: the old packet (or none) is still in place.
    if (step < int(ReplyExporter::Step::PacketInPlace))
        QCOMPARE(packed.size(), oldPacket ? 30 : 0);
    else
        QCOMPARE(packed.size(), all.size());

    // The next packing sends what is left, and leaves nothing behind.
    const ReplyExporter::Outcome next = base.pack();
    QVERIFY(
        next == ReplyExporter::Outcome::Packed || next == ReplyExporter::Outcome::NothingToPack);
    QVERIFY(base.packetTexts(&packed));
    QCOMPARE(packed, all);
    QCOMPARE(base.storedTexts(), QStringList());
    QCOMPARE(base.temporaries(), QStringList());
}

void TestReplyPacking::killedAtRandomMoments()
{
    Base base;
    constexpr int Batch = 400;
    // How long a whole packing takes here, so the kills fall inside one.
    base.storeReplies(1, Batch);
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(runChild([&](const std::function<void()> &opened) { base.pack({}, opened); }), 0);
    const qint64 whole = std::max<qint64>(timer.nsecsElapsed() / 1000, 1000);
    int next = Batch + 1;

    QRandomGenerator random(20261209);
    int cut = 0;
    for (int trial = 0; trial < 24; ++trial) {
        base.storeReplies(next, Batch);
        next += Batch;
        const int status
            = runChild([&](const std::function<void()> &opened) { base.pack({}, opened); },
                int(random.bounded(quint32(whole * 3 / 2))));
        cut += WIFSIGNALED(status) ? 1 : 0;
        base.recover();
        QStringList packed;
        QVERIFY2(base.packetTexts(&packed), qPrintable(QStringLiteral("trial %1").arg(trial)));
        QCOMPARE(sorted(base.storedTexts() + packed), sorted(replyNames(1, next - 1)));
    }
    QVERIFY(cut > 0);
    QCOMPARE(base.pack() == ReplyExporter::Outcome::Failed, false);
    QCOMPARE(base.temporaries(), QStringList());
    QCOMPARE(base.journalEntries(), 0);
}

void TestReplyPacking::stalePacketTemporariesGo()
{
    Base base;
    const QStringList stale {"MYBBS.REP.a1B2c3", "MYBBS.REP.a1B2c3.Xy9z0Q", "mybbs.rep.old1"};
    const QStringList kept {"MYBBS.REP.", "OTHER.REP.a1B2c3", "MYBBS.QWK", "XMYBBS.REP.a1"};
    for (const QString &name : stale + kept) {
        QFile file(QDir(base.folders.work()).filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    base.storeReplies(1, 1);
    QCOMPARE(base.pack(), ReplyExporter::Outcome::Packed);
    QStringList left = QDir(base.folders.work()).entryList(QDir::Files);
    QStringList expected = kept + QStringList {"MYBBS.REP"};
    left.sort();
    expected.sort();
    QCOMPARE(left, expected);
}

QTEST_GUILESS_MAIN(TestReplyPacking)
#include "tst_replypacking.moc"
