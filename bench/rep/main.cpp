// Packing replies into a reply packet.
//
//   bench_rep --replies N [--existing K] [--runs R] [--store DIR] [--settled]
//
// Each run stores N generated replies (about 1.5 KB each, every CP437
// character, some private, some referring to a message) through the editor's
// storing class and packs them with the reply exporter. The floor, measured
// in the same run, writes the same message file bytes and zips them with
// libzip at the same level; when there is an older packet (--existing K
// replies packed first, or the packet already in DIR) both sides start from
// it, the floor reading its message file back out as the exporter does.
// With --store DIR the first system of the store in DIR is used and the last
// run's packet is left in DIR/WORK/<ID>.REP. The packing journal's share of
// the export (the packet's checksum and the entry's commit) is timed apart.
// The first write after the store has folded its log back restarts the log,
// and truncates it when it grew large (storing N replies at once makes it
// so): that write is the journal's entry now, the deletion before. With
// --settled the log is folded back and restarted before each packing, as it
// is when the replies were written a while before, so the journal's figure
// is its own.

#include "editor/MessageSaver.h"
#include "state/AppFolders.h"
#include "store/MessageStore.h"
#include "store/StoreOperations.h"
#include "support/FakePrompts.h"
#include "system/ReplyExporter.h"
#include "system/ReplyPacketPath.h"
#include "text/Cp437Codec.h"
#include "ui/Progress.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <zip.h>

#include <algorithm>
#include <cstdio>
#include <memory>

using namespace marvik;

namespace {

class QuietProgress : public ui::Progress
{
public:
    void setCaption(const QString &) override { }
    void setText(const QString &) override { }
    void setPosition(int) override { }
    void show() override { }
    void hide() override { }
    void processEvents() override { }
};

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0.0 : values.at(values.size() / 2);
}

// Characters a user can type that CP437 has: everything but the control
// range and the byte the packet reserves for line ends.
QString typableCharacters()
{
    QString chars;
    for (int byte = 0x20; byte < 0x100; ++byte) {
        if (byte != 0xE3 && byte != 0x7F)
            chars += text::Cp437Codec::toUnicode(uchar(byte));
    }
    return chars;
}

QList<editor::MessageSaver::Draft> makeDrafts(int count, quint32 randomStart)
{
    QRandomGenerator random(randomStart);
    const QString chars = typableCharacters();
    QList<editor::MessageSaver::Draft> drafts;
    for (int i = 0; i < count; ++i) {
        editor::MessageSaver::Draft d;
        d.from = QStringLiteral("Bench User");
        d.to = i % 3 ? QStringLiteral("All") : QStringLiteral("Sam Sysop");
        d.subject = QStringLiteral("Reply %1 ░▒▓ é").arg(i);
        d.refersTo = i % 2 ? QString::number(1000 + i) : QStringLiteral("0");
        d.isPrivate = i % 7 == 0;
        d.dateValue = QStringLiteral("12-24-96 18:05");
        QString body;
        while (body.size() < 1500) {
            QString line;
            const int length = 20 + int(random.bounded(50));
            for (int c = 0; c < length; ++c)
                line += random.bounded(6) == 0 ? QChar(u' ')
                                               : chars.at(int(random.bounded(chars.size())));
            body += line + u'\n';
        }
        d.text = body;
        drafts.append(d);
    }
    return drafts;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool copyOver(const QString &from, const QString &to)
{
    QFile::remove(to);
    return from.isEmpty() || QFile::copy(from, to);
}

// The floor: the old packet's message file read back (when there is one),
// the new bytes added, the file written and zipped at the same level, the
// archive renamed into place.
bool floorPack(const QString &oldPacket, const QString &memberName, const QByteArray &newBytes,
    const QString &folder)
{
    QByteArray file;
    if (!oldPacket.isEmpty()) {
        int code = 0;
        zip_t *old = zip_open(QFile::encodeName(oldPacket).constData(), ZIP_RDONLY, &code);
        if (!old)
            return false;
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat(old, memberName.toUtf8().constData(), ZIP_FL_NOCASE, &st) != 0) {
            zip_discard(old);
            return false;
        }
        zip_file_t *member = zip_fopen_index(old, st.index, 0);
        file.resize(qsizetype(st.size));
        const bool ok = member && zip_fread(member, file.data(), st.size) == zip_int64_t(st.size);
        if (member)
            zip_fclose(member);
        zip_discard(old);
        if (!ok)
            return false;
    }
    file += newBytes;
    const QString messagePath = QDir(folder).filePath(memberName);
    {
        QFile out(messagePath);
        if (!out.open(QIODevice::WriteOnly) || out.write(file) != file.size())
            return false;
    }
    const QString zipPath = QDir(folder).filePath(QStringLiteral("floor.zip"));
    const QString asidePath = zipPath + QStringLiteral(".new");
    int code = 0;
    zip_t *archive
        = zip_open(QFile::encodeName(asidePath).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!archive)
        return false;
    zip_source_t *source
        = zip_source_file(archive, QFile::encodeName(messagePath).constData(), 0, 0);
    const zip_int64_t index = source
        ? zip_file_add(archive, memberName.toUtf8().constData(), source, ZIP_FL_OVERWRITE)
        : -1;
    if (index < 0
        || zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_DEFLATE,
               zip_uint32_t(system::ReplyExporter::CompressionLevel))
            != 0
        || zip_close(archive) != 0) {
        zip_discard(archive);
        return false;
    }
    QFile::remove(zipPath);
    return QFile::rename(asidePath, zipPath);
}

qint64 memberSize(const QString &archivePath, const QString &memberName)
{
    int code = 0;
    zip_t *archive = zip_open(QFile::encodeName(archivePath).constData(), ZIP_RDONLY, &code);
    if (!archive)
        return 0;
    zip_stat_t st;
    zip_stat_init(&st);
    qint64 size = 0;
    if (zip_stat(archive, memberName.toUtf8().constData(), ZIP_FL_NOCASE, &st) == 0)
        size = qint64(st.size);
    zip_discard(archive);
    return size;
}

int usage(bool asked = false)
{
    std::fprintf(asked ? stdout : stderr,
        "usage: bench_rep --replies N [--existing K] [--runs R] [--store DIR] [--settled]\n"
        "Stores N replies through the editor's saver and packs them with the exporter, against\n"
        "libzip writing the same message file; --existing adds them to a packet of K replies;\n"
        "--settled restarts the store's log before each packing.\n");
    return asked ? 0 : 2;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    int replies = 0;
    int existing = 0;
    int runs = 3;
    QString storeDir;
    bool settled = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--replies" && hasValue)
            replies = QByteArray(argv[++i]).toInt();
        else if (arg == "--existing" && hasValue)
            existing = QByteArray(argv[++i]).toInt();
        else if (arg == "--runs" && hasValue)
            runs = qMax(1, QByteArray(argv[++i]).toInt());
        else if (arg == "--settled")
            settled = true;
        else if (arg == "--store" && hasValue)
            storeDir = QFileInfo(QString::fromLocal8Bit(argv[++i])).absoluteFilePath();
        else
            return usage(arg == "--help" || arg == "-h");
    }
    if (replies <= 0)
        return usage();

    QTemporaryDir scratch;
    const QString base = storeDir.isEmpty() ? scratch.path() : storeDir;
    const state::AppFolders folders(base);
    QString error;
    if (!folders.create(&error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    if (!storeDir.isEmpty() && !QFileInfo::exists(folders.storeFile())) {
        std::fprintf(stderr, "There is no store %s.\n", qPrintable(folders.storeFile()));
        return 1;
    }
    std::unique_ptr<store::MessageStore> store;
    try {
        store = std::make_unique<store::MessageStore>(folders.storeFile());
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    QString qwkId = QStringLiteral("BENCH");
    if (storeDir.isEmpty()) {
        store::SystemRecord system;
        system.qwkId = qwkId;
        store->saveSystem(system);
        store->saveConferenceName(-2, qwkId, QStringLiteral("Replies"));
        store->saveConferenceName(-1, qwkId, QStringLiteral("Personal"));
        for (int c = 0; c < 20; ++c)
            store->saveConferenceName(c, qwkId, QStringLiteral("Conference %1").arg(c));
    } else {
        const QStringList ids = store->systemIds();
        if (ids.isEmpty()) {
            std::fprintf(stderr, "The store in %s holds no system.\n", qPrintable(storeDir));
            return 1;
        }
        qwkId = ids.first();
    }
    QList<int> conferences;
    for (const store::ConferenceRecord &c : store->conferences(qwkId)) {
        if (c.number >= 0)
            conferences.append(c.number);
    }
    if (conferences.isEmpty()) {
        std::fprintf(stderr, "System %s has no conference to write to.\n", qPrintable(qwkId));
        return 1;
    }

    store::StoreOperations operations(*store);
    testing::FakePrompts prompts;
    QuietProgress progress;
    const QString packet = system::ReplyPacketPath::packetPath(folders, qwkId);
    const QString memberName = system::ReplyPacketPath::messageFileName(qwkId);
    const QString messageFile = QDir(folders.temp()).filePath(memberName);
    const QString floorDir = QDir(base).filePath(QStringLiteral("bench-rep-floor"));
    QDir().mkpath(floorDir);
    const QString oldPacket = QDir(floorDir).filePath(QStringLiteral("old.REP"));

    const auto storeDrafts = [&](const QList<editor::MessageSaver::Draft> &drafts) {
        for (int i = 0; i < drafts.size(); ++i)
            editor::MessageSaver::save(operations, qwkId, drafts.at(i),
                conferences.at(i % conferences.size()), {QStringLiteral("Bench tagline")});
    };
    double journalSeconds = 0;
    double removalSeconds = 0;
    const auto exportAll = [&] {
        system::ReplyExporter exporter(*store, operations, folders, prompts, progress);
        QElapsedTimer journal;
        exporter.setStepHook([&](system::ReplyExporter::Step step) {
            if (step == system::ReplyExporter::Step::PacketWrittenAside)
                journal.start();
            else if (step == system::ReplyExporter::Step::Recorded)
                journalSeconds = journal.nsecsElapsed() / 1e9;
            else if (step == system::ReplyExporter::Step::PacketInPlace)
                journal.restart();
            else if (step == system::ReplyExporter::Step::RepliesRemoved)
                removalSeconds = journal.nsecsElapsed() / 1e9;
        });
        const auto outcome = exporter.run(qwkId);
        if (outcome != system::ReplyExporter::Outcome::Packed
            || !exporter.errorString().isEmpty()) {
            std::fprintf(stderr, "export failed: %s\n", qPrintable(exporter.errorString()));
            return false;
        }
        return true;
    };

    // The packet every run starts from.
    if (existing > 0) {
        QFile::remove(packet);
        storeDrafts(makeDrafts(existing, 7));
        if (!exportAll())
            return 1;
    }
    const bool hasOld = QFileInfo(packet).isFile();
    if (hasOld && !copyOver(packet, oldPacket))
        return 1;
    // The old message file the exporter finds; this run's bytes follow it.
    const qint64 oldMessageBytes = hasOld ? memberSize(oldPacket, memberName) : 0;

    QList<double> stores, exports, floors, journals, removals;
    qint64 packetBytes = 0;
    for (int run = 0; run < runs; ++run) {
        if (!copyOver(hasOld ? oldPacket : QString(), packet))
            return 1;
        const auto drafts = makeDrafts(replies, 100 + run);
        QElapsedTimer timer;
        timer.start();
        storeDrafts(drafts);
        stores.append(timer.nsecsElapsed() / 1e9);
        if (settled) {
            store->waitForCheckpoint();
            // A write, undone by the next: the log restarts with them.
            const int lastReply = store->findSystem(qwkId)->lastReply;
            store->setLastReply(qwkId, lastReply + 1);
            store->setLastReply(qwkId, lastReply);
            store->waitForCheckpoint();
        }

        timer.restart();
        if (!exportAll())
            return 1;
        exports.append(timer.nsecsElapsed() / 1e9);
        journals.append(journalSeconds);
        removals.append(removalSeconds);
        packetBytes = QFileInfo(packet).size();

        // The bytes this run added to the message file, for the floor.
        const QByteArray whole = readFile(messageFile);
        const QByteArray added = whole.mid(oldMessageBytes);
        timer.restart();
        if (!floorPack(hasOld ? oldPacket : QString(), memberName, added, floorDir)) {
            std::fprintf(stderr, "floor failed\n");
            return 1;
        }
        floors.append(timer.nsecsElapsed() / 1e9);
        std::printf("run %d: store %.3f s, export %.3f s (journal %.1f ms), floor %.3f s\n",
            run + 1, stores.last(), exports.last(), journals.last() * 1000, floors.last());
    }
    QDir(floorDir).removeRecursively();

    const double storeMedian = median(stores);
    const double exportMedian = median(exports);
    const double floorMedian = median(floors);
    std::printf("%d replies%s, system %s, packet %lld bytes\n", replies,
        hasOld ? qPrintable(QStringLiteral(" added to an existing packet")) : "", qPrintable(qwkId),
        static_cast<long long>(packetBytes));
    std::printf("medians of %d runs: store %.3f s (%.0f replies/s), export %.3f s, floor %.3f s\n",
        runs, storeMedian, storeMedian > 0 ? replies / storeMedian : 0.0, exportMedian,
        floorMedian);
    std::printf("export vs floor: %.3f s / %.3f s, ratio %.2f\n", exportMedian, floorMedian,
        floorMedian > 0 ? exportMedian / floorMedian : 0.0);
    std::printf("packing journal: %.1f ms, removing the packed replies: %.1f ms (medians)\n",
        median(journals) * 1000, median(removals) * 1000);
    return 0;
}
