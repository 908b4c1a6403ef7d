#pragma once

#include <QString>
#include <QStringList>

namespace marvik::packet {

// What one import did, for the caller and the tests.
struct ImportResult
{
    enum class Outcome
    {
        Completed, // every step ran, bulletins and the delete question included
        NoSystemName, // the file name gives no QwkID
        ExtractionFailed,
        ControlFileMissing, // "Couldn't open: CONTROL.DAT!"
        ControlFileShort, // fewer lines than a control file has
        MessagesFileMissing, // ended after the conferences
        Failed, // an error box ended it; rows already posted stay
    };

    QString qwkId;
    Outcome outcome = Outcome::Completed;
    bool endedEarly = false;
    QString endReason; // why it ended early; "" when it completed
    int messagesImported = 0;
    int messagesSkipped = 0; // index records or headers that gave no row
    int bulletinsStored = 0;
    bool packetDeleted = false;
    // Where the packet was faulty: file, record or block, and why. Capped, so
    // a packet of garbage does not fill memory with complaints.
    QStringList problems;
};

} // namespace marvik::packet
