#include "packet/ZipArchive.h"

#include "packet/FileWriteError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStorageInfo>
#include <QTemporaryFile>

#include <zip.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/stat.h>

namespace marvik::packet {

namespace {

struct ZipDiscard
{
    void operator()(zip_t *archive) const { zip_discard(archive); }
};
using ZipHandle = std::unique_ptr<zip_t, ZipDiscard>;

struct ZipFileClose
{
    void operator()(zip_file_t *file) const { zip_fclose(file); }
};
using ZipFileHandle = std::unique_ptr<zip_file_t, ZipFileClose>;

QString openErrorText(int code)
{
    zip_error_t zipError;
    zip_error_init_with_code(&zipError, code);
    const QString text = QString::fromUtf8(zip_error_strerror(&zipError));
    zip_error_fini(&zipError);
    return text;
}

bool fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

// Only plain files are written: links and devices from an archive could point
// anywhere on the machine.
bool isPlainFileEntry(zip_t *archive, zip_uint64_t index)
{
    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(archive, index, 0, &system, &attributes) != 0)
        return true;
    if (system != ZIP_OPSYS_UNIX)
        return true;
    const mode_t type = (attributes >> 16) & S_IFMT;
    return type == 0 || type == S_IFREG;
}

struct Member
{
    zip_uint64_t index = 0;
    QString name;
    QString baseName;
    qint64 declaredSize = 0;
};

QString sizeText(qint64 bytes)
{
    constexpr qint64 MB = 1024 * 1024;
    if (bytes >= 1024 * MB)
        return QStringLiteral("%1 GB").arg(double(bytes) / (1024 * MB), 0, 'f', 1);
    if (bytes >= MB)
        return QStringLiteral("%1 MB").arg(double(bytes) / MB, 0, 'f', 1);
    return QStringLiteral("%1 KB").arg((bytes + 1023) / 1024);
}

int percentOf(qint64 part, qint64 whole)
{
    if (whole <= 0)
        return 100;
    return int(qMin<qint64>(100, part * 100 / whole));
}

// libzip refuses an archive that names one member twice; which copy the
// door meant cannot be known, so the archive is opened once more only to name
// the member in the message.
QString duplicateMemberText(const QString &zipPath)
{
    int code = 0;
    ZipHandle archive(zip_open(QFile::encodeName(zipPath).constData(), ZIP_RDONLY, &code));
    QString name;
    if (archive) {
        QSet<QString> seen;
        const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
        for (zip_int64_t i = 0; i < count && name.isEmpty(); ++i) {
            const char *raw = zip_get_name(archive.get(), zip_uint64_t(i), ZIP_FL_ENC_GUESS);
            const QString member = raw ? QString::fromUtf8(raw) : QString();
            if (seen.contains(member))
                name = member;
            seen.insert(member);
        }
    }
    if (name.size() > 60)
        name = name.left(60) + QStringLiteral("...");
    return name.isEmpty()
        ? QStringLiteral("%1 holds two files of the same name; it cannot be known which one "
                         "to use.")
              .arg(QFileInfo(zipPath).fileName())
        : QStringLiteral("%1 holds two files named %2; it cannot be known which one to use.")
              .arg(QFileInfo(zipPath).fileName(), name);
}

} // namespace

QString ZipArchive::safeBaseName(const QString &memberName)
{
    if (memberName.isEmpty() || memberName.startsWith(u'/') || memberName.startsWith(u'\\'))
        return {};
    if (memberName.size() >= 2 && memberName.at(1) == u':' && memberName.at(0).isLetter())
        return {};
    QString normalized = memberName;
    normalized.replace(u'\\', u'/');
    const QStringList parts = normalized.split(u'/');
    for (const QString &part : parts) {
        if (part == QLatin1String(".."))
            return {};
    }
    const QString base = parts.last();
    if (base.isEmpty() || base == QLatin1String(".") || base.contains(u':')
        || base.contains(QChar(0)))
        return {};
    return base;
}

bool ZipArchive::memberNames(const QString &zipPath, QStringList *names, QString *error)
{
    const QString zipName = QFileInfo(zipPath).fileName();
    int code = 0;
    ZipHandle archive(zip_open(QFile::encodeName(zipPath).constData(), ZIP_RDONLY, &code));
    if (!archive && code == ZIP_ER_EXISTS)
        return fail(error, duplicateMemberText(zipPath));
    if (!archive)
        return fail(error,
            QStringLiteral("%1 is not a zip archive, or it is damaged (%2).")
                .arg(zipName, openErrorText(code)));
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    if (count < 0 || count > MaxMembers)
        return fail(error, QStringLiteral("%1 cannot be read as a zip archive.").arg(zipName));
    names->clear();
    for (zip_int64_t i = 0; i < count; ++i) {
        const char *raw = zip_get_name(archive.get(), zip_uint64_t(i), ZIP_FL_ENC_GUESS);
        if (raw)
            names->append(QString::fromUtf8(raw));
    }
    return true;
}

QString ZipArchive::refusal(const QString &zipName, qint64 archiveBytes, qint64 unpackedBytes,
    const QString &destFolder, qint64 freeBytes)
{
    if (unpackedBytes > MaxTotalBytes
        || (unpackedBytes > MaxExpandedBytes && unpackedBytes / MaxExpansion > archiveBytes)) {
        return QStringLiteral("%1 would unpack to %2 from only %3, far more than a QWK packet "
                              "holds: it is damaged, or made to fill the disk.")
            .arg(zipName, sizeText(unpackedBytes), sizeText(archiveBytes));
    }
    if (freeBytes >= 0 && unpackedBytes + SpareDiskBytes > freeBytes) {
        return QStringLiteral("%1 unpacks to %2, but the disk holding %3 has only %4 free. Free "
                              "some space on it and try again.")
            .arg(zipName, sizeText(unpackedBytes), QDir::toNativeSeparators(destFolder),
                sizeText(freeBytes));
    }
    return {};
}

bool ZipArchive::extractAll(const QString &zipPath, const QString &destFolder,
    const ProgressCallback &progress, QString *error)
{
    const QString zipName = QFileInfo(zipPath).fileName();
    int code = 0;
    ZipHandle archive(
        zip_open(QFile::encodeName(zipPath).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &code));
    if (!archive && code == ZIP_ER_EXISTS)
        return fail(error, duplicateMemberText(zipPath));
    if (!archive && code == ZIP_ER_NOENT)
        return fail(error, QStringLiteral("%1 is not there any more.").arg(zipPath));
    if (!archive)
        return fail(error,
            QStringLiteral("%1 is not a zip archive, or it is damaged (%2).")
                .arg(zipName, openErrorText(code)));

    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    if (count < 0)
        return fail(error, QStringLiteral("%1 cannot be read as a zip archive.").arg(zipName));
    if (count > MaxMembers)
        return fail(error,
            QStringLiteral("%1 holds %2 files, far more than a QWK packet (at most %3): it is "
                           "damaged or not a packet.")
                .arg(zipName)
                .arg(count)
                .arg(MaxMembers));

    // First the whole directory is checked, so a bad archive fails before a
    // single file is written.
    QList<Member> members;
    qint64 declaredTotal = 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(archive.get(), zip_uint64_t(i), ZIP_FL_ENC_GUESS, &stat) != 0)
            return fail(error,
                QStringLiteral("File %1 in %2 cannot be read (%3): the archive is damaged.")
                    .arg(i + 1)
                    .arg(zipName, QString::fromUtf8(zip_strerror(archive.get()))));
        const QString name
            = (stat.valid & ZIP_STAT_NAME) ? QString::fromUtf8(stat.name) : QString();
        if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE)
            return fail(error,
                QStringLiteral("%1 in %2 is locked with a password; Marvik cannot read it.")
                    .arg(name, zipName));
        if (name.endsWith(u'/') || !isPlainFileEntry(archive.get(), zip_uint64_t(i)))
            continue;
        const QString base = safeBaseName(name);
        if (base.isEmpty())
            continue;
        const qint64 size = (stat.valid & ZIP_STAT_SIZE)
            ? qint64(qMin<zip_uint64_t>(stat.size, zip_uint64_t(MaxTotalBytes) + 1))
            : 0;
        declaredTotal += size;
        if (declaredTotal > MaxTotalBytes)
            return fail(error, refusal(zipName, QFileInfo(zipPath).size(), declaredTotal, {}, -1));
        members.append({zip_uint64_t(i), name, base, size});
    }
    // A zip bomb, or a packet the disk has no room for, is refused before the
    // first byte is written: a full disk would stop more than this import.
    const QStorageInfo disk(destFolder);
    const QString refused = refusal(zipName, QFileInfo(zipPath).size(), declaredTotal, destFolder,
        disk.isValid() ? disk.bytesAvailable() : -1);
    if (!refused.isEmpty())
        return fail(error, refused);

    const QDir dest(destFolder);
    qint64 written = 0;
    char buffer[64 * 1024];
    for (const Member &member : std::as_const(members)) {
        if (progress)
            progress(member.baseName, percentOf(written, declaredTotal));
        const QString target = dest.filePath(member.baseName);
        // A link left in the folder would make the rename land elsewhere.
        if (QFileInfo(target).isSymLink())
            QFile::remove(target);

        ZipFileHandle in(zip_fopen_index(archive.get(), member.index, 0));
        if (!in)
            return fail(error,
                QStringLiteral("%1 in %2 cannot be read (%3): the archive is damaged.")
                    .arg(member.name, zipName, QString::fromUtf8(zip_strerror(archive.get()))));
        // Written under a temporary name and renamed when whole. No sync to
        // disk: the folder holds a scratch copy, and syncing a big member
        // would freeze the window for no gain.
        QTemporaryFile out(target + QStringLiteral(".XXXXXX"));
        if (!out.open())
            return fail(error, FileWriteError::text(target, out));
        qint64 memberBytes = 0;
        for (;;) {
            const zip_int64_t got = zip_fread(in.get(), buffer, sizeof buffer);
            if (got < 0)
                return fail(error,
                    QStringLiteral("%1 in %2 is damaged (%3).")
                        .arg(member.name, zipName, QString::fromUtf8(zip_file_strerror(in.get()))));
            if (got == 0)
                break;
            memberBytes += got;
            written += got;
            // Declared sizes can lie; the bytes actually produced cannot.
            if (memberBytes > member.declaredSize || written > MaxTotalBytes)
                return fail(error,
                    QStringLiteral("%1 in %2 unpacks to more than the archive says it holds: the "
                                   "archive is damaged, or made to fill the disk.")
                        .arg(member.name, zipName));
            if (out.write(buffer, got) != got)
                return fail(error, FileWriteError::text(target, out));
            // A big MESSAGES.DAT takes a while: keep the window alive meanwhile.
            if (progress && memberBytes % (1024 * 1024) < got)
                progress(member.baseName, percentOf(written, declaredTotal));
        }
        if (zip_fclose(in.release()) != 0)
            return fail(error, QStringLiteral("%1 in %2 is damaged.").arg(member.name, zipName));
        out.close();
        if (out.error() != QFileDevice::NoError)
            return fail(error, FileWriteError::text(target, out));
        if (std::rename(QFile::encodeName(out.fileName()).constData(),
                QFile::encodeName(target).constData())
            != 0)
            return fail(error,
                QStringLiteral("Cannot write %1: %2")
                    .arg(target, QString::fromLocal8Bit(std::strerror(errno))));
    }
    if (progress)
        progress(QString(), 100);
    return true;
}

namespace {

struct CloseProgress
{
    const ZipArchive::ProgressCallback *callback;
    QString item;
};

void reportCloseProgress(zip_t *, double done, void *state)
{
    auto *progress = static_cast<CloseProgress *>(state);
    if (progress->callback && *progress->callback)
        (*progress->callback)(progress->item, int(qBound(0.0, done, 1.0) * 100));
}

// `to` is a scratch copy of `from`: a failure to write it is told as one to
// write `from`, the file the user knows.
bool copyFile(const QString &from, QFile &to, QString *error)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        return fail(error, QStringLiteral("Cannot read %1: %2").arg(from, in.errorString()));
    char buffer[64 * 1024];
    for (;;) {
        const qint64 got = in.read(buffer, sizeof buffer);
        if (got < 0)
            return fail(error, QStringLiteral("Cannot read %1: %2").arg(from, in.errorString()));
        if (got == 0)
            return true;
        if (to.write(buffer, got) != got)
            return fail(error, FileWriteError::text(from, to));
    }
}

} // namespace

bool ZipArchive::addFiles(const QString &zipPath, const QStringList &files, int compressionLevel,
    const ProgressCallback &progress, QString *error, const BeforeReplace &beforeReplace)
{
    if (files.isEmpty())
        return fail(error, QStringLiteral("No files to add to %1").arg(zipPath));
    const QFileInfo target(zipPath);
    const bool updating = target.exists();

    // The work is done on a copy beside the archive; only a finished archive
    // replaces the original.
    QTemporaryFile aside(
        target.absolutePath() + u'/' + target.fileName() + QStringLiteral(".XXXXXX"));
    if (!aside.open())
        return fail(error, FileWriteError::text(zipPath, aside));
    if (updating && !copyFile(zipPath, aside, error))
        return false;
    if (!aside.flush())
        return fail(error, FileWriteError::text(zipPath, aside));
    aside.close();

    int code = 0;
    const QByteArray asidePath = QFile::encodeName(aside.fileName());
    zip_t *raw = zip_open(
        asidePath.constData(), updating ? ZIP_CHECKCONS : ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!raw)
        return fail(error, QStringLiteral("Cannot open %1: %2").arg(zipPath, openErrorText(code)));
    ZipHandle archive(raw);

    const int level = qBound(0, compressionLevel, 9);
    for (const QString &file : files) {
        const QFileInfo info(file);
        if (!info.isFile())
            return fail(error, QStringLiteral("Cannot read %1").arg(file));
        zip_source_t *source = zip_source_file(
            archive.get(), QFile::encodeName(info.absoluteFilePath()).constData(), 0, 0);
        if (!source)
            return fail(error,
                QStringLiteral("Cannot read %1: %2")
                    .arg(file, QString::fromUtf8(zip_strerror(archive.get()))));
        // A member of the same name goes, and the file comes in as a new
        // member: libzip rewrites a replaced member several times slower.
        const QByteArray name = info.fileName().toUtf8();
        const zip_int64_t old = zip_name_locate(archive.get(), name.constData(), 0);
        if (old >= 0 && zip_delete(archive.get(), zip_uint64_t(old)) != 0) {
            zip_source_free(source);
            return fail(error,
                QStringLiteral("Cannot replace %1: %2")
                    .arg(file, QString::fromUtf8(zip_strerror(archive.get()))));
        }
        const zip_int64_t index
            = zip_file_add(archive.get(), name.constData(), source, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(source);
            return fail(error,
                QStringLiteral("Cannot add %1: %2")
                    .arg(file, QString::fromUtf8(zip_strerror(archive.get()))));
        }
        if (zip_set_file_compression(archive.get(), zip_uint64_t(index),
                level == 0 ? ZIP_CM_STORE : ZIP_CM_DEFLATE, zip_uint32_t(level))
            != 0)
            return fail(error,
                QStringLiteral("Cannot compress %1: %2")
                    .arg(file, QString::fromUtf8(zip_strerror(archive.get()))));
    }

    CloseProgress state {&progress, target.fileName()};
    zip_register_progress_callback_with_state(
        archive.get(), 0.01, reportCloseProgress, nullptr, &state);
    if (zip_close(archive.get()) != 0)
        return fail(error,
            QStringLiteral("Cannot write %1: %2")
                .arg(zipPath, QString::fromUtf8(zip_strerror(archive.get()))));
    archive.release();

    // The temporary copy was made readable by its owner only; the archive
    // keeps the permissions it had, or a new one gets the usual ones.
    struct stat original
    {
    };
    mode_t mode = 0;
    if (updating
        && ::stat(QFile::encodeName(target.absoluteFilePath()).constData(), &original) == 0) {
        mode = original.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::chmod(asidePath.constData(), mode);
    if (beforeReplace && !beforeReplace(aside.fileName(), error))
        return false;
    if (std::rename(asidePath.constData(), QFile::encodeName(target.absoluteFilePath()).constData())
        != 0)
        return fail(error,
            QStringLiteral("Cannot write %1: %2")
                .arg(zipPath, QString::fromLocal8Bit(std::strerror(errno))));
    return true;
}

} // namespace marvik::packet
