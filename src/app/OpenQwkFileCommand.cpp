#include "app/OpenQwkFileCommand.h"

#include "packet/PacketImporter.h"
#include "ui/FileDialogs.h"
#include "ui/Prompts.h"

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
    packet::PacketImporter &importer, const QString &workFolder,
    std::function<void(bool)> setMainWindowEnabled)
{
    return run([&] { return askForPacket(dialogs, workFolder); }, importer,
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
    std::function<void(bool)> setMainWindowEnabled)
{
    if (setMainWindowEnabled)
        setMainWindowEnabled(false);
    const EnableOnExit enableOnExit(setMainWindowEnabled);
    try {
        const QString packet = choosePacket();
        if (packet.isEmpty())
            return std::nullopt;
        return importer.importPacket(packet);
    } catch (const std::exception &e) {
        importer.prompts().error(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        importer.prompts().error(QStringLiteral("The packet could not be imported."));
    }
    return std::nullopt;
}

} // namespace marvik::app
