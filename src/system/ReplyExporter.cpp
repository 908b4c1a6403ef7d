#include "system/ReplyExporter.h"

#include "packet/FileFingerprint.h"
#include "packet/FileWriteError.h"
#include "packet/HeadersFileWriter.h"
#include "packet/ReplyBlocks.h"
#include "packet/ZipArchive.h"
#include "state/AppFolders.h"
#include "state/AppState.h"
#include "store/MessageStore.h"
#include "store/PackingJournal.h"
#include "store/Rewind.h"
#include "store/RowMapper.h"
#include "store/Selection.h"
#include "store/Selections.h"
#include "store/Statement.h"
#include "store/StoreError.h"
#include "store/StoreOperations.h"
#include "system/ReplyPacketPath.h"
#include "system/ReplyPacketRecovery.h"
#include "ui/Progress.h"
#include "ui/Prompts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace marvik::system {

namespace {

// The progress window is hidden however a step ends.
class ShownProgress
{
public:
    ShownProgress(ui::Progress &progress, const QString &caption)
        : m_progress(progress)
    {
        m_progress.start(caption);
    }
    ~ShownProgress() { m_progress.hide(); }
    ShownProgress(const ShownProgress &) = delete;
    ShownProgress &operator=(const ShownProgress &) = delete;

    packet::ZipArchive::ProgressCallback callback()
    {
        return [this](const QString &item, int percent) {
            m_progress.setText(item);
            m_progress.setPosition(percent);
            m_progress.processEvents();
        };
    }

private:
    ui::Progress &m_progress;
};

// The fields a packed reply needs, read straight from its row by column:
// packing should cost little more than writing the file.
class ReplyColumns
{
public:
    explicit ReplyColumns(const store::Statement &row)
    {
        const QList<std::pair<QString, int *>> wanted {{QStringLiteral("Record Number"), &m_record},
            {QStringLiteral("Message Status"), &m_status}, {QStringLiteral("Date"), &m_date},
            {QStringLiteral("Time"), &m_time}, {QStringLiteral("To"), &m_to},
            {QStringLiteral("From"), &m_from}, {QStringLiteral("Subject"), &m_subject},
            {QStringLiteral("Reference Number"), &m_reference},
            {QStringLiteral("Message"), &m_text},
            {QStringLiteral("Reply Conference Number"), &m_conference}};
        for (int column = 0; column < row.columnCount(); ++column) {
            for (const auto &[name, index] : wanted) {
                if (row.columnName(column).compare(name, Qt::CaseInsensitive) == 0)
                    *index = column;
            }
        }
        m_complete = std::all_of(
            wanted.begin(), wanted.end(), [](const auto &field) { return *field.second >= 0; });
    }

    // The reply as the packet carries it; its record number in `record`.
    packet::ReplyMessage read(const store::Statement &row, qint64 *record) const
    {
        if (!m_complete) {
            const store::MessageRecord stored
                = store::RowMapper::message(store::RowMapper::read(row, store::Table::Messages));
            *record = stored.recordNumber;
            return {stored.status, stored.replyConferenceNumber, stored.date, stored.time,
                stored.to, stored.from, stored.subject, stored.referenceNumber, stored.text};
        }
        *record = row.int64(m_record);
        return {row.text(m_status), row.integer(m_conference), row.text(m_date), row.text(m_time),
            row.text(m_to), row.text(m_from), row.text(m_subject), row.integer(m_reference),
            row.text(m_text)};
    }

private:
    int m_record = -1, m_status = -1, m_date = -1, m_time = -1, m_to = -1, m_from = -1,
        m_subject = -1, m_reference = -1, m_text = -1, m_conference = -1;
    bool m_complete = false;
};

void syncPath(const QString &path, int flags)
{
#ifdef Q_OS_UNIX
    const int file = ::open(QFile::encodeName(path).constData(), flags);
    if (file >= 0) {
        ::fsync(file);
        ::close(file);
    }
#else
    Q_UNUSED(path);
    Q_UNUSED(flags);
#endif
}

// The packet written aside is on the disk, not only in the cache, before
// the journal names it and the rename puts it in place.
void syncFile(const QString &path)
{
#ifdef Q_OS_UNIX
    syncPath(path, O_RDONLY);
#else
    Q_UNUSED(path);
#endif
}

// ...and the rename itself is on the disk before the replies go.
void syncFolderOf(const QString &path)
{
#ifdef Q_OS_UNIX
    syncPath(QFileInfo(path).absolutePath(), O_RDONLY | O_DIRECTORY);
#else
    Q_UNUSED(path);
#endif
}

QFileInfoList filesIn(const QString &folder)
{
    return QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// The file of that name in the folder whatever the case of its name, or
// where it would go.
QString fileNamed(const QString &folder, const QString &name)
{
    for (const QFileInfo &file : filesIn(folder)) {
        if (file.fileName().compare(name, Qt::CaseInsensitive) == 0)
            return file.absoluteFilePath();
    }
    return QDir(folder).filePath(name);
}

// The Message-ID of the message a reply answers, when the import kept one.
QString answeredMessageId(
    const store::MessageStore &store, const QString &qwkId, const packet::ReplyMessage &reply)
{
    if (reply.referenceNumber <= 0)
        return {};
    store::Statement &s = store.prepared(
        QStringLiteral("SELECT \"Message-ID\" FROM MESSAGES WHERE \"QwkID\" = ? AND "
                       "\"Conference Number\" = ? AND \"Message Number\" = ? AND "
                       "IFNULL(\"Message-ID\", '') <> '' ORDER BY rowid DESC LIMIT 1"));
    store::Rewind rewind(s);
    s.bind(1, qwkId);
    s.bind(2, reply.conference);
    s.bind(3, reply.referenceNumber);
    return s.step() ? s.text(0) : QString();
}

bool writeWhole(const QString &path, const QByteArray &bytes, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()
        || !file.flush()) {
        *error = packet::FileWriteError::text(path, file);
        return false;
    }
    return true;
}

} // namespace

ReplyExporter::ReplyExporter(store::MessageStore &store, store::StoreOperations &operations,
    const state::AppFolders &folders, ui::Prompts &prompts, ui::Progress &progress)
    : m_store(store)
    , m_operations(operations)
    , m_folders(folders)
    , m_prompts(prompts)
    , m_progress(progress)
{ }

ReplyExporter::Outcome ReplyExporter::ExportReplies(state::AppState &state)
{
    if (!state.hasStore())
        return Outcome::NothingToPack;
    ReplyExporter exporter(
        state.store(), state.operations(), state.folders(), state.prompts(), state.progress());
    const Outcome outcome = exporter.run(state.currentQwkId());
    if (!exporter.errorString().isEmpty())
        state.prompts().error(exporter.errorString());
    return outcome;
}

ReplyExporter::Outcome ReplyExporter::fail(const QString &error)
{
    m_error = error;
    return Outcome::Failed;
}

ReplyExporter::Outcome ReplyExporter::run(const QString &qwkId)
{
    m_error.clear();
    m_packed = 0;
    try {
        return pack(qwkId);
    } catch (const store::StoreError &error) {
        return fail(error.message());
    }
}

void ReplyExporter::reached(Step step) const
{
    if (m_stepHook)
        m_stepHook(step);
}

bool ReplyExporter::emptyTemp()
{
    const QString temp = m_folders.temp();
    if (!QDir().mkpath(temp)) {
        m_error = QStringLiteral("Cannot create the folder %1").arg(temp);
        return false;
    }
    // A file left behind could be an old message file, whose replies would
    // then go to the BBS twice.
    for (const QFileInfo &file : filesIn(temp)) {
        if (!QFile::remove(file.absoluteFilePath())) {
            m_error = QStringLiteral("Cannot delete %1").arg(file.absoluteFilePath());
            return false;
        }
    }
    return true;
}

ReplyExporter::Outcome ReplyExporter::pack(const QString &qwkId)
{
    // A packing cut short is settled first: the replies it holds may be in
    // the packet already, and must then not be packed again.
    const ReplyPacketRecovery::Result settled = ReplyPacketRecovery::recover(m_operations);
    if (!settled.error.isEmpty()) {
        for (const store::PackingEntry &entry : store::PackingJournal(m_store).entries()) {
            if (entry.qwkId == qwkId)
                return fail(QStringLiteral("Cannot tell whether the replies of an earlier packing "
                                           "are in the reply packet: %1")
                                .arg(settled.error));
        }
    }
    if (!m_store.findConference(-2, qwkId))
        return Outcome::NothingToPack;
    const store::Selection selection = store::Selections::replyMessages(qwkId);
    const int count = store::CountSelection(m_store, selection);
    if (count == 0)
        return Outcome::NothingToPack;
    m_operations.setConferenceTotal(qwkId, -2, count);

    // Packing loses nothing, so Yes is the default answer.
    if (!m_prompts.ask(QStringLiteral("Pack Up Replies?"), true))
        return Outcome::Declined;
    if (!ReplyPacketPath::isUsableId(qwkId))
        return fail(QStringLiteral("The system name %1 cannot name a reply packet.").arg(qwkId));
    if (!emptyTemp())
        return Outcome::Failed;

    const QString packetName = ReplyPacketPath::packetName(qwkId).toUpper();
    const QString packetPath = ReplyPacketPath::packetPath(m_folders, qwkId);
    if (!QDir().mkpath(m_folders.work()))
        return fail(QStringLiteral("Cannot create the folder %1").arg(m_folders.work()));
    {
        QString error;
        if (!ReplyPacketRecovery::removeStaleTemporaries(m_folders.work(), qwkId, &error))
            return fail(error);
    }
    const bool packetExists = QFileInfo(packetPath).isFile();
    if (packetExists) {
        ShownProgress shown(m_progress, QStringLiteral("Unzipping ") + packetName);
        QString error;
        if (!packet::ZipArchive::extractAll(packetPath, m_folders.temp(), shown.callback(), &error))
            return fail(QStringLiteral("Cannot unpack %1: %2").arg(packetPath, error));
    }

    // The old packet's files, whatever the case of their names.
    const QString messagePath
        = fileNamed(m_folders.temp(), ReplyPacketPath::messageFileName(qwkId));
    const QString headersPath = fileNamed(m_folders.temp(), QStringLiteral("HEADERS.DAT"));

    // What the door showed it reads beyond the 25-byte fields.
    const std::optional<store::SystemRecord> system = m_store.findSystem(qwkId);
    const bool writeHeaders = system && system->headersFile;
    const bool longFieldLines = system && system->qwke;
    packet::HeadersFileWriter headers;

    // Only their keys are kept: the texts are in the file.
    QList<qint64> exported;
    exported.reserve(count);
    {
        QFile file(messagePath);
        if (!file.open(QIODevice::ReadWrite | QIODevice::Append))
            return fail(packet::FileWriteError::text(messagePath, file));
        // Written out a megabyte at a time into a buffer allocated once.
        constexpr qsizetype FlushBytes = 1024 * 1024;
        QByteArray buffer;
        buffer.reserve(FlushBytes + 64 * 1024);
        using packet::ReplyBlocks;
        const qint64 oldSize = file.size();
        if (oldSize == 0)
            buffer.append(ReplyBlocks::firstBlock(qwkId));
        else if (oldSize % ReplyBlocks::BlockSize != 0)
            // A damaged old file: new replies still start on a block.
            buffer.fill(' ', ReplyBlocks::BlockSize - oldSize % ReplyBlocks::BlockSize);
        if (writeHeaders || QFileInfo(headersPath).isFile()) {
            QFile old(headersPath);
            if (old.exists() && !old.open(QIODevice::ReadOnly))
                return fail(
                    QStringLiteral("Cannot read %1: %2").arg(headersPath, old.errorString()));
            if (old.isOpen())
                headers.keep(old.readAll(), oldSize);
        }
        qint64 flushed = oldSize; // bytes of the file before the buffer

        const auto flush = [&] {
            if (file.write(buffer) != buffer.size())
                return false;
            flushed += buffer.size();
            buffer.truncate(0);
            return true;
        };
        ShownProgress shown(m_progress, QStringLiteral("Exporting Messages"));
        // One pass over the replies in key order, the order they were written.
        // The keys are sorted, not the rows: sorting whole rows would copy
        // every reply's text before the first one came back.
        store::Statement &rows = m_store.prepared(
            QStringLiteral("SELECT * FROM MESSAGES WHERE rowid IN (%1) ORDER BY rowid")
                .arg(selection.sql(QStringLiteral("rowid"))));
        store::Rewind rewind(rows);
        store::bindSelection(rows, selection);
        const ReplyColumns columns(rows);
        for (int position = 1; position <= count && rows.step(); ++position) {
            m_progress.setText(
                QStringLiteral("Exporting %1 of %2 messages.").arg(position).arg(count));
            m_progress.setPosition(int(qint64(position) * 100 / count));
            m_progress.processEvents();
            qint64 record = 0;
            const packet::ReplyMessage reply = columns.read(rows, &record);
            if (writeHeaders)
                headers.add(
                    flushed + buffer.size(), reply, answeredMessageId(m_store, qwkId, reply));
            ReplyBlocks::appendMessageBlocks(buffer, reply, longFieldLines);
            exported.append(record);
            if (buffer.size() >= FlushBytes && !flush())
                return fail(packet::FileWriteError::text(messagePath, file));
        }
        if (!flush() || !file.flush())
            return fail(packet::FileWriteError::text(messagePath, file));
        file.close();
    }
    if (exported.isEmpty())
        return Outcome::NothingToPack;
    // Sections of the old packet kept, the new ones added.
    if (writeHeaders || QFileInfo(headersPath).isFile()) {
        QString error;
        if (!writeWhole(headersPath, headers.bytes(), &error))
            return fail(error);
    }
    reached(Step::MessageFileWritten);

    // Recorded in the journal once whole on disk, just before the rename:
    // from then on the next run can tell which packet is in place.
    qint64 entry = 0;
    const auto record = [&](const QString &aside, QString *error) {
        syncFile(aside);
        reached(Step::PacketWrittenAside);
        const std::optional<packet::FileFingerprint> fingerprint
            = packet::FileFingerprint::of(aside, error);
        if (!fingerprint) {
            if (error->isEmpty())
                *error = QStringLiteral("Cannot read %1").arg(aside);
            return false;
        }
        try {
            entry = store::PackingJournal(m_store).record(
                qwkId, packetPath, fingerprint->size, fingerprint->hash, exported);
        } catch (const store::StoreError &e) {
            *error = QStringLiteral("Cannot record the packing of %1: %2")
                         .arg(packetPath, e.message());
            return false;
        }
        reached(Step::Recorded);
        return true;
    };
    {
        ShownProgress shown(m_progress, QStringLiteral("Zipping ") + packetName);
        QStringList files;
        for (const QFileInfo &file : filesIn(m_folders.temp()))
            files.append(file.absoluteFilePath());
        QString error;
        if (!packet::ZipArchive::addFiles(
                packetPath, files, CompressionLevel, shown.callback(), &error, record)) {
            // Recorded but not renamed: the old packet is in place, so the
            // entry is dropped and the replies stay.
            for (const store::PackingEntry &recorded : store::PackingJournal(m_store).entries()) {
                if (recorded.entry == entry)
                    ReplyPacketRecovery::settle(m_operations, recorded);
            }
            return fail(error); // names the packet and says why
        }
    }
    syncFolderOf(packetPath);
    reached(Step::PacketInPlace);
    m_packed = int(exported.size());

    // One transaction: every packed reply leaves the store with its count,
    // and the entry goes with them.
    try {
        m_operations.finishPacking(entry);
        reached(Step::RepliesRemoved);
    } catch (const store::StoreError &error) {
        m_error = QStringLiteral(
            "The replies were packed into %1 but are still stored; they will be removed "
            "when Marvik next starts or packs replies: %2")
                      .arg(packetPath, error.message());
    }
    return Outcome::Packed;
}

} // namespace marvik::system
