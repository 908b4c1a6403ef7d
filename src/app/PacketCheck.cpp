#include "app/PacketCheck.h"

#include "packet/ZipArchive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace marvik::app {

namespace {

bool startsLikeZip(const QByteArray &head)
{
    // A local file header, or the end record of an archive with no members.
    return head.startsWith("PK\x03\x04") || head.startsWith("PK\x05\x06");
}

} // namespace

QString PacketCheck::refusal(const QString &path)
{
    const QString shown = QDir::toNativeSeparators(path);
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("%1 does not exist.").arg(shown);
    if (info.isDir())
        return QStringLiteral("%1 is a folder, not a QWK packet.").arg(shown);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("Cannot read %1: %2").arg(shown, file.errorString());
    if (!startsLikeZip(file.read(4)))
        return QStringLiteral("%1 is not a QWK packet: a packet is a zip archive, and this file "
                              "is not one.")
            .arg(shown);
    file.close();

    QStringList members;
    QString error;
    if (!packet::ZipArchive::memberNames(path, &members, &error))
        return QStringLiteral("%1 cannot be opened as a QWK packet: %2").arg(shown, error);
    bool hasControlFile = false;
    bool hasMessageFile = false;
    for (const QString &member : members) {
        const QString base = packet::ZipArchive::safeBaseName(member);
        hasControlFile |= base.compare(QLatin1String("CONTROL.DAT"), Qt::CaseInsensitive) == 0;
        hasMessageFile |= base.endsWith(QLatin1String(".MSG"), Qt::CaseInsensitive);
    }
    if (hasControlFile)
        return {};
    if (hasMessageFile)
        return QStringLiteral("%1 is a reply packet: it goes to the BBS on your next call. "
                              "Marvik opens the QWK packets the BBS sends.")
            .arg(shown);
    return QStringLiteral("%1 is a zip archive but not a QWK packet: it holds no CONTROL.DAT.")
        .arg(shown);
}

} // namespace marvik::app
