#include "app/OpenQwkFileCommand.h"

#include "packet/PacketImporter.h"
#include "ui/DoorInfoDisplay.h"
#include "ui/FileDialogs.h"
#include "ui/Prompts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <exception>

namespace marvik::app {

namespace {

// Enables the main window again on every way out of the command.
class EnableOnExit
{
public:
    explicit EnableOnExit(const std::function<void(bool)> &setEnabled)
        : m_setEnabled(setEnabled)
    { }
    ~EnableOnExit()
    {
        if (m_setEnabled)
            m_setEnabled(true);
    }
    EnableOnExit(const EnableOnExit &) = delete;
    EnableOnExit &operator=(const EnableOnExit &) = delete;

private:
    const std::function<void(bool)> &m_setEnabled;
};

} // namespace

std::optional<packet::ImportResult> OpenQwkFileCommand::run(ui::FileDialogs &dialogs,
    packet::PacketImporter &importer, ui::Prompts &prompts, ui::DoorInfoDisplay &doorInfo,
    const QString &workFolder, std::function<void(bool)> setMainWindowEnabled)
{
    return run([&] { return askForPacket(dialogs, workFolder); }, importer, prompts, doorInfo,
        std::move(setMainWindowEnabled));
}

QString OpenQwkFileCommand::askForPacket(ui::FileDialogs &dialogs, const QString &workFolder)
{
    // The folder is passed as it is: upper-casing it would name another
    // folder on a case-sensitive file system.
    return dialogs.openFile(QStringLiteral("Open QWK File"), workFolder, filter());
}

std::optional<packet::ImportResult> OpenQwkFileCommand::run(
    const std::function<QString()> &choosePacket, packet::PacketImporter &importer,
    ui::Prompts &prompts, ui::DoorInfoDisplay &doorInfo,
    std::function<void(bool)> setMainWindowEnabled)
{
    if (setMainWindowEnabled)
        setMainWindowEnabled(false);
    const EnableOnExit enableOnExit(setMainWindowEnabled);
    try {
        const QString packet = choosePacket();
        if (packet.isEmpty())
            return std::nullopt;
        packet::ImportResult result = importer.importPacket(
            packet, [&](const QString &firstLine, const QString &secondLine) {
                doorInfo.showDoorInfo(firstLine, secondLine);
            });
        finish(result, packet, prompts);
        return result;
    } catch (const std::exception &e) {
        prompts.error(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        prompts.error(QStringLiteral("The packet could not be imported."));
    }
    return std::nullopt;
}

void OpenQwkFileCommand::finish(
    packet::ImportResult &result, const QString &packetPath, ui::Prompts &prompts)
{
    if (result.endedEarly) {
        prompts.error(result.endReason);
        return;
    }
    if (!result.problemsReport.isEmpty())
        prompts.inform(result.problemsReport);
    // Named as it is on disk: the user looks for that name.
    const QString fileName = QFileInfo(packetPath).fileName();
    // No is the default: deleting the packet cannot be undone, and one that
    // lost messages is worth keeping.
    if (!prompts.ask(QStringLiteral("Delete %1?").arg(fileName)))
        return;
    QFile packet(packetPath);
    result.packetDeleted = packet.remove();
    if (!result.packetDeleted)
        prompts.error(QStringLiteral("%1 could not be deleted (%2); it is still in %3.")
                          .arg(fileName, packet.errorString(),
                              QDir::toNativeSeparators(QFileInfo(packetPath).absolutePath())));
}

} // namespace marvik::app
