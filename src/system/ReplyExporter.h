#pragma once

#include <QString>

#include <functional>

namespace marvik::state {
class AppFolders;
class AppState;
} // namespace marvik::state

namespace marvik::store {
class MessageStore;
class StoreOperations;
} // namespace marvik::store

namespace marvik::ui {
class Progress;
class Prompts;
} // namespace marvik::ui

namespace marvik::system {

// Packs a system's stored replies into its reply packet WORK/<QWKID>.REP,
// adding to a packet that is already there, and then removes them from the
// store. The new packet is complete on disk before any reply leaves the
// store, and it replaces the old one in a single rename, so a failure at any
// step loses neither the replies nor the packet that was there. Before the
// rename the packing journal records the new packet's fingerprint and the
// replies it holds, so a packing cut short after the rename is finished by
// the next start or packing (ReplyPacketRecovery): no reply goes out twice.
class ReplyExporter
{
public:
    enum class Outcome
    {
        NothingToPack, // no replies conference or no replies: nothing asked
        Declined, // the user answered No to "Pack Up Replies?"
        Failed, // the replies stay in the store; errorString() says why
        Packed, // packet written; see errorString() for a failed removal
    };

    // The moments between the steps of a packing that cannot be undone, for
    // tests that cut a packing short there.
    enum class Step
    {
        MessageFileWritten,
        PacketWrittenAside, // whole and on disk, not yet recorded
        Recorded, // the journal holds the entry
        PacketInPlace, // renamed over the old packet
        RepliesRemoved,
    };
    using StepHook = std::function<void(Step)>;

    // Compression level of the reply packet.
    static constexpr int CompressionLevel = 6;

    ReplyExporter(store::MessageStore &store, store::StoreOperations &operations,
        const state::AppFolders &folders, ui::Prompts &prompts, ui::Progress &progress);

    Outcome run(const QString &qwkId);

    // Why the last run failed, or why its packed replies are still stored.
    QString errorString() const { return m_error; }
    int packedCount() const { return m_packed; }
    void setStepHook(StepHook hook) { m_stepHook = std::move(hook); }

    // The close-time step for the current system: runs the export and shows
    // what went wrong with Prompts::error.
    static Outcome ExportReplies(state::AppState &state);

private:
    Outcome pack(const QString &qwkId);
    bool emptyTemp();
    void reached(Step step) const;
    Outcome fail(const QString &error);

    store::MessageStore &m_store;
    store::StoreOperations &m_operations;
    const state::AppFolders &m_folders;
    ui::Prompts &m_prompts;
    ui::Progress &m_progress;
    QString m_error;
    int m_packed = 0;
    StepHook m_stepHook;
};

} // namespace marvik::system
