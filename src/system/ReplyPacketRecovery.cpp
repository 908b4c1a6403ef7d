#include "system/ReplyPacketRecovery.h"

#include "packet/FileFingerprint.h"
#include "store/PackingJournal.h"
#include "store/StoreOperations.h"
#include "system/ReplyPacketPath.h"

#include <QDir>
#include <QFile>

namespace marvik::system {

ReplyPacketRecovery::Settled ReplyPacketRecovery::settle(store::StoreOperations &operations,
    const store::PackingEntry &entry, int *repliesRemoved, QString *error)
{
    if (repliesRemoved)
        *repliesRemoved = 0;
    QString readError;
    const std::optional<packet::FileFingerprint> onDisk
        = packet::FileFingerprint::of(entry.packetPath, &readError);
    if (!readError.isEmpty()) {
        // Which packet is there cannot be told; removing the replies or
        // packing them again could each be wrong.
        if (error)
            *error = readError;
        return Settled::Unknown;
    }
    if (onDisk && onDisk->size == entry.size && onDisk->hash == entry.hash) {
        const int removed = operations.finishPacking(entry.entry);
        if (repliesRemoved)
            *repliesRemoved = removed;
        return Settled::Finished;
    }
    store::PackingJournal(operations.store()).drop(entry.entry);
    return Settled::Dropped;
}

ReplyPacketRecovery::Result ReplyPacketRecovery::recover(store::StoreOperations &operations)
{
    Result result;
    for (const store::PackingEntry &entry : store::PackingJournal(operations.store()).entries()) {
        int removed = 0;
        QString error;
        switch (settle(operations, entry, &removed, &error)) {
        case Settled::Finished:
            ++result.finished;
            result.repliesRemoved += removed;
            break;
        case Settled::Dropped:
            ++result.dropped;
            break;
        case Settled::Unknown:
            if (result.error.isEmpty())
                result.error = error;
            break;
        }
    }
    return result;
}

bool ReplyPacketRecovery::removeStaleTemporaries(
    const QString &workFolder, const QString &qwkId, QString *error)
{
    const QString prefix = ReplyPacketPath::packetName(qwkId) + u'.';
    const QFileInfoList files
        = QDir(workFolder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo &file : files) {
        if (!file.fileName().startsWith(prefix, Qt::CaseInsensitive)
            || file.fileName().size() == prefix.size())
            continue;
        if (!QFile::remove(file.absoluteFilePath())) {
            if (error)
                *error = QStringLiteral("Cannot delete %1, left by an earlier packing.")
                             .arg(file.absoluteFilePath());
            return false;
        }
    }
    return true;
}

} // namespace marvik::system
