#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace marvik::packet {

// Packets and reply packets are zip archives. Extraction flattens every member
// into one folder under its base name, since QWK files never use folders and a
// name from someone else's archive must never reach outside the destination.
class ZipArchive
{
public:
    // Item text and percentage, for the progress window's text line and bar.
    using ProgressCallback = std::function<void(const QString &item, int percent)>;

    // Generous bounds: a real packet is far below them, a zip bomb is not.
    static constexpr qint64 MaxMembers = 100000;
    static constexpr qint64 MaxTotalBytes = qint64(4) * 1024 * 1024 * 1024;
    // Packets are text, which deflates some three to ten times. An archive
    // that claims to unpack to more than this many times its size, and to
    // more than MaxExpandedBytes in all, is a zip bomb or damaged.
    static constexpr qint64 MaxExpansion = 200;
    static constexpr qint64 MaxExpandedBytes = 64 * 1024 * 1024;
    // Kept free on the disk beyond what the members take.
    static constexpr qint64 SpareDiskBytes = 16 * 1024 * 1024;

    // Writes every member into `destFolder` under its base name. Members named
    // with "..", a drive, an absolute path, and links or devices are skipped.
    // A truncated or corrupt archive, an encrypted member or a size beyond the
    // bounds fails with a reason in `error`; a member is written under a
    // temporary name and renamed only once it is whole.
    // An archive that would expand too far (see MaxExpansion), or beyond the
    // free space of the destination's disk, is refused before anything is
    // written.
    static bool extractAll(const QString &zipPath, const QString &destFolder,
        const ProgressCallback &progress, QString *error);

    // Why an archive of `archiveBytes` that unpacks to `unpackedBytes` may
    // not be unpacked into `destFolder` with `freeBytes` free there; empty
    // when it may.
    static QString refusal(const QString &zipName, qint64 archiveBytes, qint64 unpackedBytes,
        const QString &destFolder, qint64 freeBytes);

    // Runs on the finished archive written aside, just before it is renamed
    // into place; false (with a reason) stops the rename and fails.
    using BeforeReplace = std::function<bool(const QString &asidePath, QString *error)>;

    // Creates the archive, or updates an existing one (its other members kept,
    // same-named ones replaced), with `files` stored under their base names.
    // The result is written aside as `<archive name>.XXXXXX` and renamed into
    // place, so a failure leaves an existing archive as it was; libzip's own
    // temporary file sits beside it while it writes. `compressionLevel` is 0
    // (store) to 9.
    static bool addFiles(const QString &zipPath, const QStringList &files, int compressionLevel,
        const ProgressCallback &progress, QString *error, const BeforeReplace &beforeReplace = {});

    // The names of the archive's members as stored, read from its directory
    // alone; false with a reason in `error` when it is no zip archive or a
    // damaged one.
    static bool memberNames(const QString &zipPath, QStringList *names, QString *error);

    // The member's base name, or an empty text when the name is unsafe to
    // write anywhere (traversal, drive, absolute, empty).
    static QString safeBaseName(const QString &memberName);
};

} // namespace marvik::packet
