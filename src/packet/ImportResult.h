#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace marvik::packet {

// What one import did, for the caller and the tests.
struct ImportResult
{
    enum class Outcome
    {
        Completed, // every step ran, bulletins included
        NoSystemName, // neither CONTROL.DAT nor the file name gives a QwkID
        ExtractionFailed,
        ControlFileMissing, // "Couldn't open: CONTROL.DAT!"
        ControlFileShort, // fewer lines than a control file has
        MessagesFileMissing, // ended after the conferences
        Failed, // an error box ended it; rows already posted stay
    };

    // The BBS's own id from CONTROL.DAT, or the file name's when it has none.
    QString qwkId;
    Outcome outcome = Outcome::Completed;
    bool endedEarly = false;
    QString endReason; // why it ended early, for the error box; "" when it completed
    int messagesImported = 0; // new rows
    int messagesSkipped = 0; // index records or headers that gave no row
    int bulletinsStored = 0;
    bool packetDeleted = false; // set by whoever asks to delete it
    // Where the packet was faulty: file, record or block, and why. Capped, so
    // a packet of garbage does not fill memory with complaints.
    QStringList problems;
    // The box that lists them for a completed import: what was lost, the
    // first problems and how many more; "" when there were none.
    QString problemsReport;
    // The door window's two lines, when DOOR.ID names its door; else empty.
    QStringList doorLines;

    // Messages the store held already (an earlier import of the same packet):
    // not added again, not counted again.
    int alreadyStored = 0;
    // Index records naming a message this import had already taken: the
    // message is stored once.
    int repeatsIgnored = 0;
    // Of messagesImported: those marked personal.
    int personalImported = 0;
    // Conferences that received new messages (the personal one not counted).
    int conferencesWithNewMessages = 0;
    // Conference rows made as "Conference N" for messages of conferences that
    // CONTROL.DAT does not list.
    QList<int> conferencesCreated;
};

} // namespace marvik::packet
