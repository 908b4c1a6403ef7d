#include "state/AppFolders.h"

#include <QDir>
#include <QFile>

#include <filesystem>
#include <system_error>

namespace marvik::state {

namespace {

bool makeFolder(const QString &path, QString *error)
{
    const std::filesystem::path native(QFile::encodeName(path).toStdString());
    std::error_code code;
    std::filesystem::create_directory(native, code);
    // A plain file of that name is no folder: report it rather than carry on.
    if (!code && !std::filesystem::is_directory(native, code) && !code)
        code = std::make_error_code(std::errc::not_a_directory);
    if (!code)
        return true;
    if (error)
        *error = QStringLiteral("Cannot create the folder %1: %2")
                     .arg(path, QString::fromLocal8Bit(code.message()));
    return false;
}

} // namespace

AppFolders::AppFolders(const QString &currentFolder)
    : m_base(baseFolderFor(currentFolder))
{ }

QString AppFolders::baseFolderFor(const QString &folder)
{
    QString base = QDir::toNativeSeparators(folder);
    if (!base.endsWith(QDir::separator()))
        base += QDir::separator();
    return base;
}

bool AppFolders::create(QString *error) const
{
    return makeFolder(temp(), error) && makeFolder(work(), error);
}

} // namespace marvik::state
