#pragma once

#include <QString>

class QFileDevice;

namespace marvik::packet {

// Why a write to a file failed, in the system's words. Qt reports bytes it
// had buffered and could not write out as "Unknown error"; errno, read
// straight after the failing call, still says why ("No space left on
// device" when the disk is full).
class FileWriteError
{
public:
    // The reason for the write, flush or close of `file` that just failed.
    // Call it before anything else can change errno.
    static QString reason(const QFileDevice &file);
    // "Cannot write <path>: <reason>".
    static QString text(const QString &path, const QFileDevice &file);

    // The reason given what errno held and what Qt said.
    static QString reason(const QString &qtText, int savedErrno);
};

} // namespace marvik::packet
