#pragma once

#include "packet/DoorIdFile.h"
#include "packet/HeadersFile.h"
#include "packet/ImportResult.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace marvik::store {
class MessageStore;
class Transaction;
struct MessageRecord;
} // namespace marvik::store

namespace marvik::ui {
class Progress;
} // namespace marvik::ui

namespace marvik::packet {

class ControlFile;
class MessageBlocks;
class PacketFolder;
struct MessageHeader;

// Imports one QWK packet into the store: unpacks it into the TEMP folder,
// records the system and its conferences, appends every indexed message with
// its counts and stores the screens and bulletins. It asks nothing: what the
// user is to see comes back in the result. Messages are committed in batches with their count
// changes, so a failure or a kill half-way leaves counts that agree with the rows kept.
//
// Nothing is dropped without a word: every fault of the packet is listed in
// the result's problem report, messages only PERSONAL.NDX names are
// imported, and so are those of conferences CONTROL.DAT does not list. A
// message already stored (the same packet opened again) is not added twice,
// and a header block named more than once is stored once.
class PacketImporter
{
public:
    // Called with the two lines of the door window as soon as DOOR.ID is
    // read, so the window shows before the rest of the import runs.
    using DoorLinesHandler
        = std::function<void(const QString &firstLine, const QString &secondLine)>;

    PacketImporter(store::MessageStore &store, ui::Progress &progress, const QString &tempFolder);
    ~PacketImporter();

    // An error that ends the import is the result's endReason; the result
    // says how far it got.
    ImportResult importPacket(const QString &packetPath, const DoorLinesHandler &onDoorLines = {});

    const QList<DoorIdRecord> &doorSettings() const { return m_doorSettings; }
    const QStringList &controlLines() const { return m_controlLines; }

    // The system a packet file names: its file name up to the first ".", in
    // upper case (MYBBS.QWK and mybbs.qw2 are both MYBBS). Used only when
    // CONTROL.DAT gives no usable BBS id.
    static QString qwkIdFor(const QString &packetPath);

    // Messages per commit; also committed after about half a second.
    static constexpr int BatchSize = 2000;
    // Screens, bulletins and NEWFILES.DAT above this are not stored (and are
    // reported): it keeps the import's memory small whatever the packet holds.
    static constexpr qint64 MaxScreenBytes = 2 * 1024 * 1024;

private:
    struct Batch;
    class Stop;

    void readDoorId(const PacketFolder &folder, const DoorLinesHandler &onDoorLines);
    void writeSystem(const ControlFile &control);
    void writeConferences(const QList<std::pair<int, QString>> &conferences);
    bool ensureConference(int number, const QString &source);
    void importMessages(const PacketFolder &folder, MessageBlocks &blocks);
    void readHeadersFile(const PacketFolder &folder, qint64 messagesSize);
    // `report`: a file that cannot be read is listed among the problems.
    bool readIndex(const PacketFolder &folder, const QString &fileName,
        const std::function<void(qint64 total, const QList<qint64> &chunk)> &take,
        bool report = true);
    void importIndex(const PacketFolder &folder, const QString &fileName, int conference,
        const QString &caption, MessageBlocks &blocks);
    void importPersonalLeftovers(
        const PacketFolder &folder, const QString &fileName, MessageBlocks &blocks);
    void walkMessages(MessageBlocks &blocks, bool onlyUnseen);
    void importMessage(int conference, qint64 headerBlock, const MessageHeader &header,
        MessageBlocks &blocks, const std::function<QString()> &where);
    // The header an index names, marked seen; none, counted and reported as
    // a skipped record, when it cannot be read.
    std::optional<MessageHeader> takeHeader(
        MessageBlocks &blocks, qint64 headerBlock, const QString &indexName, qint64 entry);
    bool seen(qint64 headerBlock) const;
    void markSeen(qint64 headerBlock);
    void flushBatch();
    void storeScreens(const PacketFolder &folder, const ControlFile &control, qint64 firstLine);
    void storeBulletins(const PacketFolder &folder);
    QString readTextFile(const QString &path);
    QString problemsReport(const QString &fileName) const;
    void emptyTemp();
    bool due(bool force);
    void skip(const QString &problem);
    void problem(const QString &text);
    std::optional<QString> conferenceName(int number);

    store::MessageStore &m_store;
    ui::Progress &m_progress;
    QString m_tempFolder;

    QList<DoorIdRecord> m_doorSettings;
    // What the packet shows its door reads in a reply packet.
    bool m_headersFile = false;
    bool m_qwke = false;
    bool m_textHeaderLines = false; // a text began with QWKE's header lines
    QStringList m_controlLines;

    // State of the import under way.
    ImportResult m_result;
    int m_problemsDropped = 0;
    QString m_yourName;
    std::unique_ptr<Batch> m_batch;
    QHash<int, std::optional<QString>> m_conferenceNames;
    QSet<int> m_conferencesWithNew;
    HeadersFile m_headers;
    // One bit per block of MESSAGES.DAT: headers taken by this import, and
    // headers PERSONAL.NDX names.
    std::vector<bool> m_seen;
    std::vector<bool> m_personalBlocks;
    int m_badRecords = 0; // index records that named no header
    int m_indexesUnread = 0;
    QElapsedTimer m_shown;
};

} // namespace marvik::packet
