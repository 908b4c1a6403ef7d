#include "packet/PacketImporter.h"

#include "packet/BulletinName.h"
#include "packet/ConferenceIndex.h"
#include "packet/ControlFile.h"
#include "packet/MessageBlocks.h"
#include "packet/PacketFolder.h"
#include "packet/QwkField.h"
#include "packet/TextFile.h"
#include "packet/ZipArchive.h"
#include "store/MessageStore.h"
#include "store/Records.h"
#include "store/StoreError.h"
#include "store/Transaction.h"
#include "ui/DoorInfoDisplay.h"
#include "ui/Progress.h"
#include "ui/Prompts.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace marvik::packet {

namespace {

constexpr int PersonalConference = -1;
constexpr int RepliesConference = -2;
constexpr int MaxProblems = 200;
constexpr qint64 BatchMilliseconds = 500;
// Far above any real control file, screen or index; a member beyond these is
// not loaded into memory at all.
constexpr qint64 MaxTextFileBytes = 16 * 1024 * 1024;
constexpr qint64 MaxIndexBytes = 64 * 1024 * 1024;

int percent(qint64 done, qint64 total)
{
    return total > 0 ? int(std::clamp<qint64>(done * 100 / total, 0, 100)) : 0;
}

} // namespace

// An error that ends the import; its text goes into the error box.
class PacketImporter::Stop
{
public:
    ImportResult::Outcome outcome;
    QString reason;
    bool showError = true;
};

// Messages appended since the last commit, with the count changes they bring,
// so both are committed together.
struct PacketImporter::Batch
{
    explicit Batch(store::MessageStore &store)
        : transaction(store)
    {
        timer.start();
    }

    store::Transaction transaction;
    QHash<int, int> added; // conference -> messages (all unread)
    int personal = 0;
    int messages = 0;
    QElapsedTimer timer;
};

PacketImporter::PacketImporter(store::MessageStore &store, ui::Progress &progress,
    ui::Prompts &prompts, ui::DoorInfoDisplay &doorInfo, const QString &tempFolder)
    : m_store(store)
    , m_progress(progress)
    , m_prompts(prompts)
    , m_doorInfo(doorInfo)
    , m_tempFolder(tempFolder)
{ }

PacketImporter::~PacketImporter() = default;

QString PacketImporter::qwkIdFor(const QString &packetPath)
{
    const QString name = QFileInfo(packetPath).fileName();
    const qsizetype dot = name.indexOf(u'.');
    return (dot >= 0 ? name.left(dot) : name).toUpper();
}

void PacketImporter::problem(const QString &text)
{
    if (m_result.problems.size() < MaxProblems)
        m_result.problems.append(text);
}

void PacketImporter::skip(const QString &text)
{
    ++m_result.messagesSkipped;
    problem(text);
}

ImportResult PacketImporter::importPacket(const QString &packetPath)
{
    m_result = ImportResult();
    m_conferenceNames.clear();
    m_batch.reset();
    const QString fileName = QFileInfo(packetPath).fileName().toUpper();
    m_result.qwkId = qwkIdFor(packetPath);

    try {
        if (m_result.qwkId.isEmpty())
            throw Stop {ImportResult::Outcome::NoSystemName,
                QStringLiteral("\"%1\" does not name a BBS system.").arg(fileName)};

        QString error;
        if (!PacketFolder::clear(m_tempFolder, &error))
            throw Stop {ImportResult::Outcome::Failed, error};

        m_progress.start(QStringLiteral("Unzipping ") + fileName);
        const bool unpacked = ZipArchive::extractAll(
            packetPath, m_tempFolder,
            [this](const QString &item, int percent) {
                m_progress.setText(item);
                m_progress.setPosition(percent);
                m_progress.processEvents();
            },
            &error);
        m_progress.hide();
        // A damaged or hostile archive says why, rather than ending silently.
        if (!unpacked)
            throw Stop {ImportResult::Outcome::ExtractionFailed,
                QStringLiteral("Could not unpack %1: %2").arg(fileName, error)};

        const PacketFolder folder(m_tempFolder);
        readDoorId(folder);

        QFile controlFile(folder.find(QStringLiteral("CONTROL.DAT")));
        if (controlFile.fileName().isEmpty() || !controlFile.open(QIODevice::ReadOnly)
            || controlFile.size() > MaxTextFileBytes)
            throw Stop {ImportResult::Outcome::ControlFileMissing,
                QStringLiteral("Couldn't open: CONTROL.DAT!")};
        const ControlFile control(controlFile.readAll());
        controlFile.close();
        m_controlLines = control.lines();
        if (!control.isAccepted())
            throw Stop {ImportResult::Outcome::ControlFileShort,
                QStringLiteral("CONTROL.DAT has fewer than %1 lines.")
                    .arg(ControlFile::MinimumLines),
                false};

        writeSystem(control);
        const qint64 conferences = writeConferences(control);

        QFile messagesFile(folder.find(QStringLiteral("MESSAGES.DAT")));
        if (messagesFile.fileName().isEmpty() || !messagesFile.open(QIODevice::ReadOnly))
            throw Stop {ImportResult::Outcome::MessagesFileMissing,
                QStringLiteral("Couldn't open: MESSAGES.DAT"), false};
        {
            MessageBlocks blocks(messagesFile);
            importMessages(folder, blocks);
        }
        messagesFile.close();

        storeScreens(folder, control, conferences);
        const QStringList bulletinErrors = storeBulletins(folder);

        if (!bulletinErrors.isEmpty())
            m_prompts.error(bulletinErrors.join(u'\n'));
        if (m_result.messagesSkipped > 0) {
            QStringList shown = m_result.problems.mid(0, 10);
            if (m_result.problems.size() > shown.size())
                shown.append(QStringLiteral("..."));
            m_prompts.inform(QStringLiteral("%1 messages of %2 could not be imported:\n%3")
                                 .arg(m_result.messagesSkipped)
                                 .arg(fileName, shown.join(u'\n')));
        }
        if (m_prompts.ask(QStringLiteral("Delete %1?").arg(fileName))) {
            m_result.packetDeleted = QFile::remove(packetPath);
            if (!m_result.packetDeleted)
                m_prompts.error(QStringLiteral("Couldn't delete %1").arg(packetPath));
        }
        return m_result;
    } catch (const Stop &stop) {
        m_result.outcome = stop.outcome;
        m_result.endReason = stop.reason;
        if (stop.showError)
            m_prompts.error(stop.reason);
    } catch (const store::StoreError &e) {
        m_result.outcome = ImportResult::Outcome::Failed;
        m_result.endReason = e.message();
        m_prompts.error(e.message());
    } catch (const std::exception &e) {
        m_result.outcome = ImportResult::Outcome::Failed;
        m_result.endReason = QString::fromLocal8Bit(e.what());
        m_prompts.error(m_result.endReason);
    }
    // A batch still open here did not finish: its rows and counts go together.
    if (m_batch) {
        m_result.messagesImported -= m_batch->messages;
        m_batch.reset();
    }
    m_result.endedEarly = true;
    m_progress.hide();
    return m_result;
}

void PacketImporter::readDoorId(const PacketFolder &folder)
{
    m_doorSettings.clear();
    QFile file(folder.find(QStringLiteral("DOOR.ID")));
    if (file.fileName().isEmpty() || !file.open(QIODevice::ReadOnly))
        return;
    if (file.size() > MaxTextFileBytes) {
        problem(QStringLiteral("DOOR.ID is too big to be a door file"));
        return;
    }
    m_doorSettings = DoorIdFile::parse(file.readAll());
    if (m_doorSettings.isEmpty())
        return;
    const auto value
        = [this](const char *key) { return DoorIdFile::value(m_doorSettings, QLatin1String(key)); };
    m_doorInfo.showDoorInfo(
        QStringLiteral("QWK packet was created by: ") + value("DOOR") + u' ' + value("VERSION"),
        QStringLiteral("BBS software used was: ") + value("SYSTEM"));
}

void PacketImporter::writeSystem(const ControlFile &control)
{
    store::SystemRecord system;
    if (const auto existing = m_store.findSystem(m_result.qwkId))
        system = *existing; // keeps "Last Reply" and, until replaced, the screens
    const auto door
        = [this](const char *key) { return DoorIdFile::value(m_doorSettings, QLatin1String(key)); };
    system.qwkId = m_result.qwkId;
    system.bbsName = control.bbsName();
    system.bbsLocation = control.bbsLocation();
    system.sysopName = control.sysopName();
    system.yourName = control.yourName();
    system.mailDoor = door("DOOR");
    system.mailDoorVersion = door("VERSION");
    system.system = door("SYSTEM");
    system.controlName = door("CONTROLNAME");
    system.add = door("ADD");
    system.drop = door("DROP");
    system.reset = door("RESET");
    system.request = door("REQUEST");
    system.receipt = door("RECEIPT");
    system.mixedCase = door("MIXEDCASE");
    system.fidoTag = door("FIDOTAG");
    m_store.saveSystem(system);
    m_yourName = system.yourName;
}

qint64 PacketImporter::writeConferences(const ControlFile &control)
{
    QString error;
    const std::optional<qint64> count = control.conferenceCount(&error);
    if (!count)
        throw Stop {ImportResult::Outcome::Failed, error};

    m_progress.start(QStringLiteral("Updating Conferences"));
    // One transaction for the list; on a bad line what was written is kept.
    store::Transaction transaction(m_store);
    m_store.saveConferenceName(RepliesConference, m_result.qwkId, QStringLiteral("Replies"));
    m_store.saveConferenceName(PersonalConference, m_result.qwkId, QStringLiteral("Personal"));
    for (qint64 i = 0; i < *count; ++i) {
        const std::optional<ControlFile::Conference> conference = control.conference(i, &error);
        if (!conference) {
            transaction.commit();
            throw Stop {ImportResult::Outcome::Failed, error};
        }
        m_progress.setText(QStringLiteral("Conference: ") + conference->name);
        m_progress.setPosition(percent(i + 1, *count));
        m_progress.processEvents();
        // The reserved numbers belong to this program; a packet may not
        // rename them or fill them.
        if (conference->number < 0) {
            problem(QStringLiteral("CONTROL.DAT: conference %1 \"%2\" has a reserved number")
                        .arg(conference->number)
                        .arg(conference->name));
            continue;
        }
        m_store.saveConferenceName(conference->number, m_result.qwkId, conference->name);
    }
    transaction.commit();
    m_progress.hide();
    return *count;
}

std::optional<QString> PacketImporter::conferenceName(int number)
{
    const auto cached = m_conferenceNames.constFind(number);
    if (cached != m_conferenceNames.constEnd())
        return *cached;
    std::optional<QString> name;
    if (number >= 0) {
        if (const auto row = m_store.findConference(number, m_result.qwkId))
            name = row->name;
    }
    m_conferenceNames.insert(number, name);
    return name;
}

void PacketImporter::importMessages(const PacketFolder &folder, MessageBlocks &blocks)
{
    QStringList indexes;
    for (const QString &name : folder.namesEndingWith(QStringLiteral(".NDX"))) {
        if (name.compare(QLatin1String("PERSONAL.NDX"), Qt::CaseInsensitive) != 0)
            indexes.append(name);
    }
    try {
        // Many doors leave the indexes out; the headers then say where each
        // message belongs.
        if (indexes.isEmpty()) {
            walkMessages(blocks);
        } else {
            for (const QString &name : std::as_const(indexes)) {
                const std::optional<int> number
                    = QwkField::decimalText(name.left(name.indexOf(u'.')));
                if (!number)
                    throw Stop {ImportResult::Outcome::Failed,
                        QStringLiteral("\"%1\" is not a conference index name").arg(name)};
                const std::optional<QString> confName = conferenceName(*number);
                if (!confName) {
                    problem(QStringLiteral("%1: conference %2 is not in CONTROL.DAT")
                                .arg(name)
                                .arg(*number));
                    continue;
                }
                importIndex(name, *number, QStringLiteral("Importing Messages Into ") + *confName,
                    folder, blocks);
            }
        }
    } catch (const Stop &) {
        flushBatch();
        throw;
    }
    flushBatch();
}

void PacketImporter::importIndex(const QString &fileName, int conference, const QString &caption,
    const PacketFolder &folder, MessageBlocks &blocks)
{
    m_progress.start(caption);
    QFile file(folder.filePath(fileName));
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxIndexBytes) {
        problem(QStringLiteral("%1: %2").arg(fileName,
            file.isOpen() ? QStringLiteral("too big to be an index") : file.errorString()));
        m_progress.hide();
        return;
    }
    const QList<qint64> records = ConferenceIndex::blockNumbers(file.readAll());
    file.close();
    const qint64 total = records.size();
    int shownPercent = 0;
    for (qint64 count = 1; count <= total; ++count) {
        m_progress.setText(QStringLiteral("Importing %1 of %2 messages.").arg(count).arg(total));
        const int now = percent(count, total);
        if (now != shownPercent) {
            shownPercent = now;
            m_progress.setPosition(now);
        }
        m_progress.processEvents();

        // Named only when something goes wrong: formatting it for every
        // message would cost more than the look-up itself.
        const auto where = [&] { return QStringLiteral("%1 record %2").arg(fileName).arg(count); };
        const qint64 headerBlock = records.at(count - 1) - 1;
        QString error;
        const std::optional<MessageHeader> header = blocks.readHeader(headerBlock, &error);
        if (!header) {
            skip(QStringLiteral("%1: %2").arg(where(), error));
            continue;
        }
        importMessage(conference, headerBlock, *header, blocks, where);
    }
    m_progress.hide();
}

void PacketImporter::walkMessages(MessageBlocks &blocks)
{
    m_progress.start(QStringLiteral("Importing Messages"));
    const qint64 total = blocks.blockCount();
    int shownPercent = 0;
    int seen = 0;
    bool inGarbage = false;
    for (qint64 block = 1; block < total;) {
        QString error;
        const std::optional<MessageHeader> header = blocks.readHeader(block, &error);
        if (!header) {
            // Step one block at a time until a header turns up again.
            if (!inGarbage)
                skip(error);
            inGarbage = true;
            ++block;
            continue;
        }
        inGarbage = false;
        ++seen;
        m_progress.setText(QStringLiteral("Importing message %1.").arg(seen));
        const int now = percent(block, total);
        if (now != shownPercent) {
            shownPercent = now;
            m_progress.setPosition(now);
        }
        m_progress.processEvents();
        const auto where = [&] { return QStringLiteral("MESSAGES.DAT block %1").arg(block + 1); };
        if (conferenceName(header->conference))
            importMessage(header->conference, block, *header, blocks, where);
        else
            skip(QStringLiteral("%1: conference %2 is not in CONTROL.DAT")
                     .arg(where())
                     .arg(header->conference));
        block += header->blockCount;
    }
    m_progress.hide();
}

void PacketImporter::importMessage(int conference, qint64 headerBlock, const MessageHeader &header,
    MessageBlocks &blocks, const std::function<QString()> &where)
{
    const std::optional<int> number = header.messageNumber();
    if (!number) {
        skip(QStringLiteral("%1: \"%2\" is not a message number")
                 .arg(where(), QwkField::text(header.numberField)));
        return;
    }
    const std::optional<int> reference = header.referenceNumber();
    if (!reference) {
        skip(QStringLiteral("%1: \"%2\" is not a reference number")
                 .arg(where(), QwkField::text(header.referenceField)));
        return;
    }
    store::MessageRecord message;
    message.conferenceNumber = conference;
    message.qwkId = m_result.qwkId;
    message.messageNumber = *number;
    message.status = header.status;
    message.date = header.date;
    message.time = header.time;
    message.to = header.to;
    message.from = header.from;
    message.subject = header.subject;
    message.referenceNumber = *reference;
    message.read = false;
    message.replyConferenceNumber = 0;
    message.personal = header.to.toUpper() == m_yourName;
    bool cut = false;
    message.text = blocks.readText(headerBlock, header, &cut);
    if (cut)
        problem(QStringLiteral("%1: text cut short at the end of MESSAGES.DAT").arg(where()));

    if (!m_batch)
        m_batch = std::make_unique<Batch>(m_store);
    try {
        m_store.appendMessage(message);
    } catch (const store::StoreError &e) {
        // SQLite drops the whole transaction on some failures (disk full);
        // then the batch is gone and the import cannot go on.
        if (!m_store.inTransaction())
            throw;
        skip(QStringLiteral("%1: %2").arg(where(), e.message()));
        return;
    }
    ++m_result.messagesImported;
    ++m_batch->messages;
    ++m_batch->added[conference];
    if (message.personal)
        ++m_batch->personal;
    if (m_batch->messages >= BatchSize || m_batch->timer.elapsed() >= BatchMilliseconds)
        flushBatch();
}

void PacketImporter::flushBatch()
{
    if (!m_batch)
        return;
    for (auto it = m_batch->added.constBegin(); it != m_batch->added.constEnd(); ++it)
        m_store.addToConferenceCounts(it.key(), m_result.qwkId, it.value(), it.value());
    if (m_batch->personal > 0)
        m_store.addToConferenceCounts(
            PersonalConference, m_result.qwkId, m_batch->personal, m_batch->personal);
    m_batch->transaction.commit();
    m_batch.reset();
}

QString PacketImporter::readTextFile(const QString &path)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};
    if (file.size() > MaxTextFileBytes) {
        problem(QStringLiteral("%1 is too big to be stored").arg(QFileInfo(path).fileName()));
        return {};
    }
    m_progress.setCaption(QStringLiteral("Saving File"));
    m_progress.setText(QFileInfo(path).fileName().toUpper());
    m_progress.setPosition(0);
    m_progress.show();
    int position = 0;
    const QString text = TextFile::decode(file.readAll(), [&] {
        position = (position + 5) % 100;
        m_progress.setPosition(position);
        m_progress.processEvents();
    });
    m_progress.hide();
    return text;
}

void PacketImporter::storeScreens(
    const PacketFolder &folder, const ControlFile &control, qint64 conferences)
{
    try {
        const QString welcome = readTextFile(folder.find(control.welcomeScreen(conferences)));
        const QString newsletter = readTextFile(folder.find(control.newsletter(conferences)));
        const QString goodbye = readTextFile(folder.find(control.goodbyeScreen(conferences)));
        const QString newFiles = readTextFile(folder.find(QStringLiteral("NEWFILES.DAT")));
        m_store.saveScreens(m_result.qwkId, welcome, newsletter, goodbye, newFiles);
    } catch (const std::exception &e) {
        // The screens are a nicety; the import goes on without them.
        m_progress.hide();
        problem(QStringLiteral("Screens not stored: %1").arg(QString::fromLocal8Bit(e.what())));
    }
}

QStringList PacketImporter::storeBulletins(const PacketFolder &folder)
{
    QStringList errors;
    for (const QString &name : folder.names()) {
        if (!BulletinName::matches(name))
            continue;
        const QString text = readTextFile(folder.filePath(name));
        if (text.isEmpty())
            continue;
        QString error;
        const std::optional<BulletinName::Numbers> numbers = BulletinName::parse(name, &error);
        // One badly named bulletin costs only itself.
        if (!numbers) {
            errors.append(error);
            problem(error);
            continue;
        }
        try {
            store::BulletinRecord bulletin;
            if (const auto existing
                = m_store.findBulletin(m_result.qwkId, numbers->conference, numbers->bulletin))
                bulletin = *existing;
            bulletin.qwkId = m_result.qwkId;
            bulletin.conferenceNumber = numbers->conference;
            bulletin.bulletinNumber = numbers->bulletin;
            bulletin.text = text;
            m_store.saveBulletin(bulletin);
            ++m_result.bulletinsStored;
        } catch (const store::StoreError &e) {
            errors.append(QStringLiteral("%1: %2").arg(name, e.message()));
            problem(errors.last());
        }
    }
    return errors;
}

} // namespace marvik::packet
