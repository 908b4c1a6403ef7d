#pragma once

#include "packet/DoorIdFile.h"
#include "packet/ImportResult.h"

#include <QHash>
#include <QList>
#include <QString>

#include <QStringList>
#include <functional>

#include <memory>
#include <optional>

namespace marvik::store {
class MessageStore;
class Transaction;
struct MessageRecord;
} // namespace marvik::store

namespace marvik::ui {
class Progress;
class Prompts;
class DoorInfoDisplay;
} // namespace marvik::ui

namespace marvik::packet {

class ControlFile;
class MessageBlocks;
class PacketFolder;
struct MessageHeader;

// Imports one QWK packet into the store: unpacks it into the TEMP folder,
// records the system and its conferences, appends every indexed message with
// its counts, stores the screens and bulletins and offers to delete the
// packet. Messages are committed in batches with their count changes, so a
// failure or a kill half-way leaves counts that agree with the rows kept.
class PacketImporter
{
public:
    PacketImporter(store::MessageStore &store, ui::Progress &progress, ui::Prompts &prompts,
        ui::DoorInfoDisplay &doorInfo, const QString &tempFolder);
    ~PacketImporter();

    // Errors that end the import are shown with prompts.error(...); the
    // result says how far it got.
    ImportResult importPacket(const QString &packetPath);

    const QList<DoorIdRecord> &doorSettings() const { return m_doorSettings; }
    const QStringList &controlLines() const { return m_controlLines; }
    ui::Prompts &prompts() const { return m_prompts; }

    // The system a packet belongs to: its file name up to the first ".", in
    // upper case (MYBBS.QWK and mybbs.qw2 are both MYBBS).
    static QString qwkIdFor(const QString &packetPath);

    // Messages per commit; also committed after about half a second.
    static constexpr int BatchSize = 2000;

private:
    struct Batch;
    class Stop;

    void readDoorId(const PacketFolder &folder);
    void writeSystem(const ControlFile &control);
    qint64 writeConferences(const ControlFile &control);
    void importMessages(const PacketFolder &folder, MessageBlocks &blocks);
    void importIndex(const QString &fileName, int conference, const QString &caption,
        const PacketFolder &folder, MessageBlocks &blocks);
    void walkMessages(MessageBlocks &blocks);
    void importMessage(int conference, qint64 headerBlock, const MessageHeader &header,
        MessageBlocks &blocks, const std::function<QString()> &where);
    void flushBatch();
    void storeScreens(const PacketFolder &folder, const ControlFile &control, qint64 conferences);
    QStringList storeBulletins(const PacketFolder &folder);
    QString readTextFile(const QString &path);
    void skip(const QString &problem);
    void problem(const QString &text);
    std::optional<QString> conferenceName(int number);

    store::MessageStore &m_store;
    ui::Progress &m_progress;
    ui::Prompts &m_prompts;
    ui::DoorInfoDisplay &m_doorInfo;
    QString m_tempFolder;

    QList<DoorIdRecord> m_doorSettings;
    QStringList m_controlLines;

    // State of the import under way.
    ImportResult m_result;
    QString m_yourName;
    std::unique_ptr<Batch> m_batch;
    QHash<int, std::optional<QString>> m_conferenceNames;
};

} // namespace marvik::packet
