#pragma once

#include <QString>

#include <optional>

namespace marvik::packet {

// What tells one file from another of the same name: its size and a
// checksum of every byte. Meant to tell the reply packet just written from
// the one it replaced, not to withstand someone forging a file.
struct FileFingerprint
{
    qint64 size = 0;
    QString hash; // "crc32:" and eight hex digits

    bool operator==(const FileFingerprint &) const = default;

    // The fingerprint of the file at `path`, or none with a reason in
    // `error` when it cannot be read (a file that is not there is no error:
    // none, and `error` left empty).
    static std::optional<FileFingerprint> of(const QString &path, QString *error = nullptr);
};

} // namespace marvik::packet
