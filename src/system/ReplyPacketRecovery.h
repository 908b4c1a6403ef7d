#pragma once

#include <QString>

namespace marvik::store {
class StoreOperations;
struct PackingEntry;
} // namespace marvik::store

namespace marvik::system {

// Settles what an interrupted packing left in the packing journal: the
// packet it wrote either made it into place, and then the replies it holds
// must leave the store, or it did not, and they stay to be packed again.
// Runs when the store opens and before every packing.
class ReplyPacketRecovery
{
public:
    enum class Settled
    {
        Finished, // the packet is in place: its replies were removed
        Dropped, // another packet or none is in place: the replies stay
        Unknown, // the packet could not be read: the entry stays
    };

    struct Result
    {
        int finished = 0;
        int dropped = 0;
        int repliesRemoved = 0;
        QString error; // the first packet that could not be read
    };

    static Settled settle(store::StoreOperations &operations, const store::PackingEntry &entry,
        int *repliesRemoved = nullptr, QString *error = nullptr);
    // Every entry of the journal, oldest first.
    static Result recover(store::StoreOperations &operations);

    // Deletes what an earlier packing of `qwkId` left in `workFolder`:
    // the packet written aside (`<ID>.REP.XXXXXX`) and libzip's own
    // temporary beside it. The packet itself is never touched.
    static bool removeStaleTemporaries(
        const QString &workFolder, const QString &qwkId, QString *error);
};

} // namespace marvik::system
