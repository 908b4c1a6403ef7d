#include "packet/PacketImporter.h"

#include "packet/BulletinName.h"
#include "packet/ConferenceIndex.h"
#include "packet/ControlFile.h"
#include "packet/MessageBlocks.h"
#include "packet/MessageText.h"
#include "packet/PacketFolder.h"
#include "packet/QwkField.h"
#include "packet/TextFile.h"
#include "packet/ZipArchive.h"
#include "store/MessageStore.h"
#include "store/Records.h"
#include "store/StoreError.h"
#include "store/Transaction.h"
#include "ui/Progress.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace marvik::packet {

namespace {

constexpr int PersonalConference = -1;
constexpr int RepliesConference = -2;
constexpr int MaxProblems = 200;
constexpr int ProblemsShown = 15;
constexpr qint64 BatchMilliseconds = 500;
constexpr qint64 ProgressMilliseconds = 25;
// Far above any real control or door file; a member beyond these is not
// loaded into memory at all.
constexpr qint64 MaxControlBytes = 16 * 1024 * 1024;
// A door file is a few lines; split into lines, a big one would cost many
// times its size.
constexpr qint64 MaxDoorIdBytes = 256 * 1024;
constexpr qint64 MaxHeadersBytes = 48 * 1024 * 1024;
constexpr qint64 MaxIndexBytes = 64 * 1024 * 1024;
constexpr qint64 IndexChunkRecords = 64 * 1024;

int percent(qint64 done, qint64 total)
{
    return total > 0 ? int(std::clamp<qint64>(done * 100 / total, 0, 100)) : 0;
}

QString megabytes(qint64 bytes)
{
    return QStringLiteral("%1 MB").arg(bytes / (1024 * 1024));
}

} // namespace

// An error that ends the import; its text is the result's endReason.
class PacketImporter::Stop
{
public:
    ImportResult::Outcome outcome;
    QString reason;
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

PacketImporter::PacketImporter(
    store::MessageStore &store, ui::Progress &progress, const QString &tempFolder)
    : m_store(store)
    , m_progress(progress)
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
    else
        ++m_problemsDropped;
}

// Whether the progress window's text and bar are worth setting now: a window
// shows at most what the last event run painted, and setting a label for each
// of millions of records would cost more than the records.
bool PacketImporter::due(bool force)
{
    if (!force && m_shown.isValid() && m_shown.elapsed() < ProgressMilliseconds)
        return false;
    m_shown.start();
    return true;
}

void PacketImporter::skip(const QString &text)
{
    ++m_result.messagesSkipped;
    problem(text);
}

ImportResult PacketImporter::importPacket(
    const QString &packetPath, const DoorLinesHandler &onDoorLines)
{
    m_result = ImportResult();
    m_problemsDropped = 0;
    m_conferenceNames.clear();
    m_conferencesWithNew.clear();
    m_headers = HeadersFile();
    m_seen.clear();
    m_personalBlocks.clear();
    m_badRecords = 0;
    m_indexesUnread = 0;
    m_batch.reset();
    // Named as it is on disk: the user looks for that name.
    const QString fileName = QFileInfo(packetPath).fileName();
    const QString fileId = qwkIdFor(packetPath);
    m_result.qwkId = fileId;

    try {
        QString error;
        m_progress.start(QStringLiteral("Unzipping ") + fileName);
        if (!PacketFolder::clear(m_tempFolder, &error, [this] { m_progress.processEvents(); }))
            throw Stop {ImportResult::Outcome::Failed, error};
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
                QStringLiteral("%1 Nothing was imported.").arg(error)};

        const PacketFolder folder(m_tempFolder);
        for (const QString &shadowed : folder.shadowed())
            problem(shadowed);
        readDoorId(folder, onDoorLines);
        m_headersFile = !folder.find(QStringLiteral("HEADERS.DAT")).isEmpty();
        m_qwke = !folder.find(QStringLiteral("TOREADER.EXT")).isEmpty()
            || DoorIdFile::namesQwke(m_doorSettings);
        m_textHeaderLines = false;

        // CONTROL.DAT names the BBS and its conferences: without it, the
        // file is not a packet that can be read.
        QFile controlFile(folder.find(QStringLiteral("CONTROL.DAT")));
        if (controlFile.fileName().isEmpty())
            throw Stop {ImportResult::Outcome::ControlFileMissing,
                QStringLiteral("%1 is not a QWK packet that Marvik can read: it holds no "
                               "CONTROL.DAT, the file that names the BBS and its conferences. "
                               "Nothing was imported.")
                    .arg(fileName)};
        if (!controlFile.open(QIODevice::ReadOnly))
            throw Stop {ImportResult::Outcome::ControlFileMissing,
                QStringLiteral("The CONTROL.DAT of %1 could not be read (%2). Nothing was "
                               "imported.")
                    .arg(fileName, controlFile.errorString())};
        if (controlFile.size() > MaxControlBytes)
            throw Stop {ImportResult::Outcome::ControlFileMissing,
                QStringLiteral("The CONTROL.DAT of %1 is %2, far too big to be a real one; the "
                               "packet is damaged. Nothing was imported.")
                    .arg(fileName, megabytes(controlFile.size()))};
        const ControlFile control(controlFile.readAll());
        controlFile.close();
        m_progress.processEvents();
        m_controlLines = control.lines();
        // Said aloud, not ended in silence: the user would take an empty
        // system for an empty packet.
        if (!control.isAccepted())
            throw Stop {ImportResult::Outcome::ControlFileShort,
                QStringLiteral("The CONTROL.DAT of %1 has fewer than %2 lines, too few to name "
                               "the BBS and its conferences; the packet is damaged or not a QWK "
                               "packet. Nothing was imported.")
                    .arg(fileName)
                    .arg(ControlFile::MinimumLines)};
        if (control.linesDropped())
            problem(QStringLiteral("CONTROL.DAT is far longer than a real one; only its first %1 "
                                   "lines were read, so conferences listed further down may be "
                                   "missing.")
                        .arg(ControlFile::MaxLines));

        // The BBS names itself; a renamed or re-downloaded file ("mybbs(1).qwk")
        // must not make a new system, nor head replies with an id it rejects.
        const QString bbsId = control.bbsId();
        if (!bbsId.isEmpty())
            m_result.qwkId = bbsId;
        if (m_result.qwkId.isEmpty())
            throw Stop {ImportResult::Outcome::NoSystemName,
                QStringLiteral("%1 cannot be imported: neither its CONTROL.DAT nor its file "
                               "name gives the id of the BBS, under which its messages are "
                               "kept. Rename the file after the BBS (for example MYBBS.QWK) "
                               "and open it again.")
                    .arg(QwkField::quoted(fileName))};

        writeSystem(control);
        const ControlFile::ConferenceList list = control.conferenceList();
        for (const QString &text : list.problems)
            problem(text);
        QList<std::pair<int, QString>> conferences;
        for (const ControlFile::Conference &c : list.conferences)
            conferences.append({c.number, c.name});
        writeConferences(conferences);

        QFile messagesFile(folder.find(QStringLiteral("MESSAGES.DAT")));
        if (messagesFile.fileName().isEmpty() || !messagesFile.open(QIODevice::ReadOnly))
            throw Stop {ImportResult::Outcome::MessagesFileMissing,
                QStringLiteral("%1 holds no readable MESSAGES.DAT, the file with the messages%2. "
                               "The BBS and its conferences were recorded, but no messages were "
                               "imported.")
                    .arg(fileName,
                        messagesFile.fileName().isEmpty()
                            ? QString()
                            : QStringLiteral(" (%1)").arg(messagesFile.errorString()))};
        {
            MessageBlocks blocks(messagesFile);
            importMessages(folder, blocks);
        }
        messagesFile.close();
        // The door wrote QWKE's lines at the top of its texts: it reads them
        // in replies too.
        if (m_textHeaderLines && !m_qwke) {
            m_qwke = true;
            if (std::optional<store::SystemRecord> system = m_store.findSystem(m_result.qwkId)) {
                system->qwke = true;
                m_store.saveSystem(*system);
            }
        }

        storeScreens(folder, control, list.firstScreenLine);
        storeBulletins(folder);
        emptyTemp();

        m_result.conferencesWithNewMessages = int(m_conferencesWithNew.size());
        m_result.problemsReport = problemsReport(fileName);
        return m_result;
    } catch (const Stop &stop) {
        m_result.outcome = stop.outcome;
        m_result.endReason = stop.reason;
    } catch (const store::StoreError &e) {
        m_result.outcome = ImportResult::Outcome::Failed;
        m_result.endReason = e.message();
    } catch (const std::exception &e) {
        m_result.outcome = ImportResult::Outcome::Failed;
        m_result.endReason = QString::fromLocal8Bit(e.what());
    }
    // A batch still open here did not finish: its rows and counts go together.
    if (m_batch) {
        m_result.messagesImported -= m_batch->messages;
        m_result.personalImported -= m_batch->personal;
        m_batch.reset();
    }
    m_result.conferencesWithNewMessages = int(m_conferencesWithNew.size());
    m_result.endedEarly = true;
    emptyTemp();
    m_progress.hide();
    return m_result;
}

// The unpacked packet is in the store now, or never will be: its files, as
// big as the packet unpacked, do not stay behind.
void PacketImporter::emptyTemp()
{
    QString error;
    if (!PacketFolder::clear(m_tempFolder, &error, [this] { m_progress.processEvents(); }))
        problem(QStringLiteral("The TEMP folder could not be emptied after the import (%1); the "
                               "unpacked files stay there until the next import.")
                    .arg(error));
}

QString PacketImporter::problemsReport(const QString &fileName) const
{
    if (m_result.problems.isEmpty())
        return {};
    QStringList lines;
    if (m_result.messagesSkipped > 0)
        lines.append(QStringLiteral("%1 messages of %2 could not be imported: the packet is "
                                    "damaged. Downloading it again from the BBS may bring them.")
                         .arg(m_result.messagesSkipped)
                         .arg(fileName));
    else
        lines.append(QStringLiteral("%1 was imported, with these problems:").arg(fileName));
    lines.append(QString());
    lines.append(m_result.problems.mid(0, ProblemsShown));
    const qsizetype more = m_result.problems.size() - ProblemsShown + m_problemsDropped;
    if (more > 0)
        lines.append(QStringLiteral("... and %1 more.").arg(more));
    return lines.join(u'\n');
}

void PacketImporter::readDoorId(const PacketFolder &folder, const DoorLinesHandler &onDoorLines)
{
    m_doorSettings.clear();
    QFile file(folder.find(QStringLiteral("DOOR.ID")));
    if (file.fileName().isEmpty() || !file.open(QIODevice::ReadOnly))
        return;
    if (file.size() > MaxDoorIdBytes) {
        problem(QStringLiteral("DOOR.ID is too big to be a door file (%1 bytes) and was not "
                               "read; the packet's door and BBS software are not known.")
                    .arg(file.size()));
        return;
    }
    m_doorSettings = DoorIdFile::parse(file.readAll());
    if (m_doorSettings.isEmpty())
        return;
    const auto value
        = [this](const char *key) { return DoorIdFile::value(m_doorSettings, QLatin1String(key)); };
    m_result.doorLines
        = {QStringLiteral("QWK packet was created by: ") + value("DOOR") + u' ' + value("VERSION"),
            QStringLiteral("BBS software used was: ") + value("SYSTEM")};
    if (onDoorLines)
        onDoorLines(m_result.doorLines.at(0), m_result.doorLines.at(1));
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
    system.headersFile = m_headersFile;
    system.qwke = m_qwke;
    m_store.saveSystem(system);
    m_yourName = system.yourName;
}

void PacketImporter::writeConferences(const QList<std::pair<int, QString>> &conferences)
{
    m_progress.start(QStringLiteral("Updating Conferences"));
    store::Transaction transaction(m_store);
    m_store.saveConferenceName(RepliesConference, m_result.qwkId, QStringLiteral("Replies"));
    m_store.saveConferenceName(PersonalConference, m_result.qwkId, QStringLiteral("Personal"));
    const qint64 total = conferences.size();
    for (qint64 i = 0; i < total; ++i) {
        const auto &[number, name] = conferences.at(i);
        if (due(i == 0 || i + 1 == total)) {
            m_progress.setText(QStringLiteral("Conference: ") + name);
            m_progress.setPosition(percent(i + 1, total));
        }
        m_progress.processEvents();
        // The reserved numbers belong to this program; a packet may not
        // rename them or fill them.
        if (number < 0) {
            problem(QStringLiteral("CONTROL.DAT lists conference %1 %2, a number Marvik keeps for "
                                   "its own use; it was left out.")
                        .arg(number)
                        .arg(QwkField::quoted(name)));
            continue;
        }
        m_store.saveConferenceName(number, m_result.qwkId, name);
    }
    transaction.commit();
    m_progress.hide();
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

// Messages of a conference CONTROL.DAT does not list still have a home: a
// row named after its number. False for the reserved numbers.
bool PacketImporter::ensureConference(int number, const QString &source)
{
    if (number < 0)
        return false;
    if (conferenceName(number))
        return true;
    const QString name = QStringLiteral("Conference %1").arg(number);
    m_store.saveConferenceName(number, m_result.qwkId, name);
    m_conferenceNames.insert(number, name);
    m_result.conferencesCreated.append(number);
    problem(QStringLiteral("Conference %1 is not in CONTROL.DAT's list, yet the packet has "
                           "messages for it (%2); they were put in a new conference \"%3\".")
                .arg(number)
                .arg(source, name));
    return true;
}

bool PacketImporter::seen(qint64 headerBlock) const
{
    return headerBlock >= 0 && headerBlock < qint64(m_seen.size()) && m_seen[headerBlock];
}

void PacketImporter::markSeen(qint64 headerBlock)
{
    if (headerBlock >= 0 && headerBlock < qint64(m_seen.size()))
        m_seen[headerBlock] = true;
}

void PacketImporter::readHeadersFile(const PacketFolder &folder, qint64 messagesSize)
{
    QFile file(folder.find(QStringLiteral("HEADERS.DAT")));
    if (file.fileName().isEmpty() || !file.open(QIODevice::ReadOnly))
        return;
    if (file.size() > MaxHeadersBytes) {
        problem(QStringLiteral("HEADERS.DAT, which holds the full names and subjects, is too big "
                               "to be a real one (%1) and was not read; names and subjects are "
                               "as the message headers give them, up to 25 characters.")
                    .arg(megabytes(file.size())));
        return;
    }
    m_headers = HeadersFile(file, messagesSize, [this] { m_progress.processEvents(); });
    if (m_headers.sectionsDropped() > 0)
        problem(QStringLiteral("HEADERS.DAT holds more names and subjects than Marvik keeps; "
                               "%1 messages have them as their headers give them, up to 25 "
                               "characters.")
                    .arg(m_headers.sectionsDropped()));
}

// Hands an index's block numbers to `take` a chunk at a time, so a big index
// never sits in memory whole. An index that cannot be read is reported.
bool PacketImporter::readIndex(const PacketFolder &folder, const QString &fileName,
    const std::function<void(qint64 total, const QList<qint64> &chunk)> &take, bool report)
{
    QFile file(folder.filePath(fileName));
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxIndexBytes) {
        // What it lists is looked for along the headers of MESSAGES.DAT.
        ++m_indexesUnread;
        if (report)
            problem(QStringLiteral("The index file %1 could not be read (%2); its messages were "
                                   "looked for in MESSAGES.DAT instead.")
                        .arg(fileName,
                            file.isOpen() ? QStringLiteral("%1, too big to be a real one")
                                                .arg(megabytes(file.size()))
                                          : file.errorString()));
        return false;
    }
    const qint64 total = file.size() / ConferenceIndex::RecordSize;
    for (;;) {
        const QByteArray chunk = file.read(IndexChunkRecords * ConferenceIndex::RecordSize);
        if (chunk.size() < ConferenceIndex::RecordSize)
            break;
        take(total, ConferenceIndex::blockNumbers(chunk));
    }
    return true;
}

void PacketImporter::importMessages(const PacketFolder &folder, MessageBlocks &blocks)
{
    m_seen.assign(size_t(blocks.blockCount()), false);
    m_personalBlocks.assign(size_t(blocks.blockCount()), false);
    readHeadersFile(folder, blocks.blockCount() * MessageHeader::BlockSize);

    QStringList indexes;
    QString personalName;
    for (const QString &name : folder.namesEndingWith(QStringLiteral(".NDX"))) {
        if (name.compare(QLatin1String("PERSONAL.NDX"), Qt::CaseInsensitive) == 0)
            personalName = name;
        else
            indexes.append(name);
    }
    // The door knows its user's mail: what PERSONAL.NDX lists is personal,
    // whatever its To says.
    if (!personalName.isEmpty()) {
        readIndex(folder, personalName, [this](qint64, const QList<qint64> &chunk) {
            for (const qint64 block : chunk) {
                if (block - 1 >= 0 && block - 1 < qint64(m_personalBlocks.size()))
                    m_personalBlocks[block - 1] = true;
            }
        });
    }

    try {
        int indexesRead = 0;
        for (const QString &name : std::as_const(indexes)) {
            const std::optional<int> number = QwkField::decimalText(name.left(name.indexOf(u'.')));
            if (!number) {
                problem(QStringLiteral("The index file %1 is not named after a conference number, "
                                       "so it cannot say where its messages belong; it was not "
                                       "read.")
                            .arg(QwkField::quoted(name)));
                continue;
            }
            if (*number < 0) {
                problem(QStringLiteral("The index file %1 names conference %2, a number Marvik "
                                       "keeps for its own use; it was not read.")
                            .arg(name)
                            .arg(*number));
                continue;
            }
            if (!ensureConference(*number, name))
                continue;
            ++indexesRead;
            importIndex(folder, name, *number,
                QStringLiteral("Importing Messages Into ") + *conferenceName(*number), blocks);
        }
        if (indexesRead == 0) {
            // Many doors leave the indexes out; the headers then say where
            // each message belongs.
            walkMessages(blocks, false);
        } else {
            if (!personalName.isEmpty())
                importPersonalLeftovers(folder, personalName, blocks);
            // Index records that pointed nowhere may hide sound messages; the
            // chain of headers in MESSAGES.DAT finds them.
            if (m_badRecords > 0 || m_indexesUnread > 0)
                walkMessages(blocks, true);
        }
    } catch (const Stop &) {
        flushBatch();
        throw;
    }
    flushBatch();
}

void PacketImporter::importIndex(const PacketFolder &folder, const QString &fileName,
    int conference, const QString &caption, MessageBlocks &blocks)
{
    m_progress.start(caption);
    int repeats = 0;
    qint64 count = 0;
    readIndex(folder, fileName, [&](qint64 total, const QList<qint64> &records) {
        for (const qint64 record : records) {
            ++count;
            if (due(count == 1 || count == total)) {
                m_progress.setText(
                    QStringLiteral("Importing %1 of %2 messages.").arg(count).arg(total));
                m_progress.setPosition(percent(count, total));
            }
            m_progress.processEvents();

            const qint64 headerBlock = record - 1;
            if (seen(headerBlock)) {
                ++repeats;
                continue;
            }
            // Named only when something goes wrong: formatting it for every
            // message would cost more than the look-up itself.
            const auto where = [&] {
                return QStringLiteral("listed in %1 (entry %2)").arg(fileName).arg(count);
            };
            const std::optional<MessageHeader> header
                = takeHeader(blocks, headerBlock, fileName, count);
            if (!header)
                continue;
            importMessage(conference, headerBlock, *header, blocks, where);
        }
    });
    if (repeats > 0) {
        m_result.repeatsIgnored += repeats;
        problem(QStringLiteral("%1 lists %2 messages a second time (in itself or another index); "
                               "each was stored once.")
                    .arg(fileName)
                    .arg(repeats));
    }
    m_progress.hide();
}

std::optional<MessageHeader> PacketImporter::takeHeader(
    MessageBlocks &blocks, qint64 headerBlock, const QString &indexName, qint64 entry)
{
    QString error;
    std::optional<MessageHeader> header = blocks.readHeader(headerBlock, &error);
    if (!header) {
        ++m_badRecords;
        skip(QStringLiteral("The index %1 points to a message that is not there (entry %2: %3).")
                 .arg(indexName)
                 .arg(entry)
                 .arg(error));
        return std::nullopt;
    }
    markSeen(headerBlock);
    return header;
}

// A door may list e-mail only in PERSONAL.NDX, with no index of its own
// conference: those messages go where their headers say.
void PacketImporter::importPersonalLeftovers(
    const PacketFolder &folder, const QString &fileName, MessageBlocks &blocks)
{
    bool started = false;
    qint64 count = 0;
    readIndex(
        folder, fileName,
        [&](qint64 total, const QList<qint64> &records) {
            for (const qint64 record : records) {
                ++count;
                const qint64 headerBlock = record - 1;
                if (seen(headerBlock)) {
                    m_progress.processEvents();
                    continue;
                }
                if (!started) {
                    m_progress.start(QStringLiteral("Importing Personal Messages"));
                    started = true;
                }
                if (due(count == total)) {
                    m_progress.setText(
                        QStringLiteral("Importing %1 of %2 messages.").arg(count).arg(total));
                    m_progress.setPosition(percent(count, total));
                }
                m_progress.processEvents();
                const auto where = [&] {
                    return QStringLiteral("listed in %1 (entry %2)").arg(fileName).arg(count);
                };
                const std::optional<MessageHeader> header
                    = takeHeader(blocks, headerBlock, fileName, count);
                if (!header)
                    continue;
                if (ensureConference(header->conference, QStringLiteral("the message ") + where()))
                    importMessage(header->conference, headerBlock, *header, blocks, where);
            }
        },
        false);
    if (started)
        m_progress.hide();
}

void PacketImporter::walkMessages(MessageBlocks &blocks, bool onlyUnseen)
{
    m_progress.start(QStringLiteral("Importing Messages"));
    const qint64 total = blocks.blockCount();
    const int importedBefore = m_result.messagesImported + m_result.alreadyStored;
    int found = 0;
    bool inGarbage = false;
    const auto showProgress = [&](qint64 block) {
        if (due(false)) {
            if (found > 0)
                m_progress.setText(QStringLiteral("Importing message %1.").arg(found));
            m_progress.setPosition(percent(block, total));
        }
        // Also between headers: a file of zero blocks must not freeze the window.
        m_progress.processEvents();
    };
    blocks.setReadAhead(true);
    for (qint64 block = 1; block < total;) {
        QString error;
        const std::optional<MessageHeader> header = blocks.readHeader(block, &error);
        if (!header) {
            // Step one block at a time until a header turns up again.
            if (!inGarbage && !onlyUnseen)
                skip(QStringLiteral("Part of MESSAGES.DAT could not be read as messages and was "
                                    "skipped; a message there may be lost (%1).")
                         .arg(error));
            inGarbage = true;
            ++block;
            showProgress(block);
            continue;
        }
        inGarbage = false;
        if (onlyUnseen && seen(block)) {
            block += header->blockCount;
            showProgress(block);
            continue;
        }
        ++found;
        showProgress(block);
        markSeen(block);
        const auto where
            = [&] { return QStringLiteral("at block %1 of MESSAGES.DAT").arg(block + 1); };
        if (ensureConference(header->conference, QStringLiteral("the message ") + where()))
            importMessage(header->conference, block, *header, blocks, where);
        block += header->blockCount;
    }
    // Each sound message found stands for one of the records that missed it.
    if (onlyUnseen)
        m_result.messagesSkipped = qMax(0, m_result.messagesSkipped - qMin(found, m_badRecords));
    if (onlyUnseen && found > 0)
        problem(QStringLiteral("Marvik read MESSAGES.DAT through and found %1 messages that no "
                               "index entry pointed to correctly; they were imported (%2 of them "
                               "new).")
                    .arg(found)
                    .arg(m_result.messagesImported + m_result.alreadyStored - importedBefore));
    blocks.setReadAhead(false);
    m_progress.hide();
}

void PacketImporter::importMessage(int conference, qint64 headerBlock, const MessageHeader &header,
    MessageBlocks &blocks, const std::function<QString()> &where)
{
    const std::optional<int> number = header.messageNumber();
    if (!number) {
        skip(QStringLiteral("The message %1 was not imported: its number reads %2, which is not "
                            "a number; the packet is damaged there.")
                 .arg(where(), QwkField::quoted(QwkField::text(header.numberField))));
        return;
    }
    const std::optional<int> reference = header.referenceNumber();
    if (!reference) {
        skip(QStringLiteral("The message %1 was not imported: the number of the message it "
                            "answers reads %2, which is not a number; the packet is damaged "
                            "there.")
                 .arg(where(), QwkField::quoted(QwkField::text(header.referenceField))));
        return;
    }
    const std::optional<HeadersFile::Section> extra
        = m_headers.section(headerBlock * MessageHeader::BlockSize);
    const bool utf8 = extra && extra->utf8;

    store::MessageRecord message;
    message.conferenceNumber = conference;
    message.qwkId = m_result.qwkId;
    message.messageNumber = *number;
    message.status = header.status;
    message.date = header.date;
    message.time = header.time;
    message.referenceNumber = *reference;
    message.read = false;
    message.replyConferenceNumber = 0;

    bool cut = false;
    bool capped = false;
    bool fellBack = false;
    const QByteArray bytes = blocks.readTextBytes(headerBlock, header, &cut, &capped);
    // Unmarked texts are UTF-8 when their bytes say so; the fields follow.
    MessageText::Guess guess = MessageText::Guess::Utf8;
    if (utf8)
        message.text = MessageText::decode(bytes, true, &fellBack);
    else
        message.text = MessageText::decodeUnmarked(bytes, &guess);
    const auto decodeField = [&](QByteArrayView field) {
        return utf8 ? MessageText::decodeField(field, true)
                    : MessageText::decodeUnmarkedField(field, guess);
    };
    if (cut)
        problem(QStringLiteral("The message %1 is cut short: MESSAGES.DAT ends before its text "
                               "does. What there was of it was imported.")
                    .arg(where()));
    if (capped)
        problem(QStringLiteral("The text of the message %1 is longer than %2; it was imported "
                               "up to there.")
                    .arg(where(), megabytes(MessageBlocks::MaxTextBytes)));
    if (fellBack)
        problem(QStringLiteral("The message %1 is marked as UTF-8 but is not; it was read as "
                               "CP437, so a few of its characters may look wrong.")
                    .arg(where()));

    MessageText::Fields fields {decodeField(header.toBytes), decodeField(header.fromBytes),
        decodeField(header.subjectBytes)};
    const QString headerTo = fields.to;
    const qsizetype textSize = message.text.size();
    MessageText::takeHeaderLines(message.text, fields);
    m_textHeaderLines = m_textHeaderLines || message.text.size() != textSize;
    if (extra) {
        const auto take = [&](const std::optional<QByteArray> &value, QString &field) {
            if (value && !value->isEmpty())
                field = decodeField(*value);
        };
        take(extra->to, fields.to);
        take(extra->from, fields.from);
        take(extra->subject, fields.subject);
        take(extra->messageId, message.messageId);
        take(extra->inReplyTo, message.inReplyTo);
    }
    message.to = fields.to;
    message.from = fields.from;
    message.subject = fields.subject;
    // The user's name comes from CONTROL.DAT, read byte for byte as CP437:
    // an unmarked UTF-8 name matches it the same way.
    message.personal
        = (headerBlock < qint64(m_personalBlocks.size()) && m_personalBlocks[headerBlock])
        || headerTo.toUpper() == m_yourName || message.to.toUpper() == m_yourName
        || header.to.toUpper() == m_yourName;

    if (!m_batch)
        m_batch = std::make_unique<Batch>(m_store);
    try {
        if (m_store.holdsMessage(message)) {
            ++m_result.alreadyStored;
            return;
        }
        m_store.appendMessage(message);
    } catch (const store::StoreError &e) {
        // SQLite drops the whole transaction on some failures (disk full);
        // then the batch is gone and the import cannot go on. Nor can it in
        // a damaged store, where each further message would fail the same.
        if (!m_store.inTransaction() || e.isDamage())
            throw;
        skip(QStringLiteral("The message %1 could not be stored: %2").arg(where(), e.message()));
        return;
    }
    ++m_result.messagesImported;
    ++m_batch->messages;
    ++m_batch->added[conference];
    m_conferencesWithNew.insert(conference);
    if (message.personal) {
        ++m_batch->personal;
        ++m_result.personalImported;
    }
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
    if (file.size() > MaxScreenBytes) {
        problem(QStringLiteral("%1 is too big to be stored (%2; Marvik keeps files of up to %3) "
                               "and was left out.")
                    .arg(QFileInfo(path).fileName(), megabytes(file.size()),
                        megabytes(MaxScreenBytes)));
        return {};
    }
    m_progress.setCaption(QStringLiteral("Saving File"));
    m_progress.setText(QFileInfo(path).fileName().toUpper());
    m_progress.setPosition(0);
    m_progress.show();
    int position = 0;
    const QString text = TextFile::decode(file.readAll(), [&] {
        position = (position + 5) % 100;
        if (due(false))
            m_progress.setPosition(position);
        m_progress.processEvents();
    });
    m_progress.hide();
    return text;
}

void PacketImporter::storeScreens(
    const PacketFolder &folder, const ControlFile &control, qint64 firstLine)
{
    try {
        const QString welcome = readTextFile(folder.find(control.line(firstLine)));
        const QString newsletter = readTextFile(folder.find(control.line(firstLine + 1)));
        const QString goodbye = readTextFile(folder.find(control.line(firstLine + 2)));
        const QString newFiles = readTextFile(folder.find(QStringLiteral("NEWFILES.DAT")));
        m_store.saveScreens(m_result.qwkId, welcome, newsletter, goodbye, newFiles);
    } catch (const std::exception &e) {
        // The screens are a nicety; the import goes on without them.
        m_progress.hide();
        problem(QStringLiteral("The welcome, news and goodbye screens could not be stored (%1); "
                               "the messages are not affected.")
                    .arg(QString::fromLocal8Bit(e.what())));
    }
}

void PacketImporter::storeBulletins(const PacketFolder &folder)
{
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
            problem(
                QStringLiteral("The bulletin %1 could not be stored: %2").arg(name, e.message()));
        }
    }
}

} // namespace marvik::packet
