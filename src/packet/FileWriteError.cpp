#include "packet/FileWriteError.h"

#include <QFile>

#include <cerrno>
#include <cstring>

namespace marvik::packet {

QString FileWriteError::reason(const QString &qtText, int savedErrno)
{
    // Qt's text when it has none of its own, as a file that never failed gives it.
    static const QString unknown = QFile().errorString();
    if (!qtText.isEmpty() && qtText != unknown)
        return qtText;
    if (savedErrno != 0)
        return QString::fromLocal8Bit(std::strerror(savedErrno));
    return qtText.isEmpty() ? unknown : qtText;
}

QString FileWriteError::reason(const QFileDevice &file)
{
    const int savedErrno = errno;
    return reason(
        file.error() == QFileDevice::NoError ? QString() : file.errorString(), savedErrno);
}

QString FileWriteError::text(const QString &path, const QFileDevice &file)
{
    const int savedErrno = errno;
    return QStringLiteral("Cannot write %1: %2")
        .arg(path,
            reason(
                file.error() == QFileDevice::NoError ? QString() : file.errorString(), savedErrno));
}

} // namespace marvik::packet
