#include "packet/FileFingerprint.h"

#include <QFile>

#include <zlib.h>

namespace marvik::packet {

std::optional<FileFingerprint> FileFingerprint::of(const QString &path, QString *error)
{
    if (error)
        error->clear();
    QFile file(path);
    if (!file.exists())
        return std::nullopt;
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Cannot read %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    // A packet just written is in the cache: large reads keep this close to
    // the checksum's own speed.
    constexpr qint64 ChunkBytes = 1024 * 1024;
    QByteArray buffer(ChunkBytes, Qt::Uninitialized);
    uLong crc = crc32(0L, Z_NULL, 0);
    qint64 size = 0;
    for (;;) {
        const qint64 got = file.read(buffer.data(), ChunkBytes);
        if (got < 0) {
            if (error)
                *error = QStringLiteral("Cannot read %1: %2").arg(path, file.errorString());
            return std::nullopt;
        }
        if (got == 0)
            break;
        crc = crc32(crc, reinterpret_cast<const Bytef *>(buffer.constData()), uInt(got));
        size += got;
    }
    return FileFingerprint {
        size, QStringLiteral("crc32:%1").arg(quint32(crc), 8, 16, QLatin1Char('0'))};
}

} // namespace marvik::packet
