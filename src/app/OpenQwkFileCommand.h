#pragma once

#include "packet/ImportResult.h"

#include <QString>

#include <functional>
#include <optional>

namespace marvik::ui {
class DoorInfoDisplay;
class FileDialogs;
class Prompts;
} // namespace marvik::ui

namespace marvik::packet {
class PacketImporter;
}

namespace marvik::app {

// "&Open QWK File": asks for a packet and imports it, with the main window
// disabled meanwhile and enabled again however the import ends. The command
// holds the conversation: the door window while the import runs, then the
// error that ended it, or the packet's problems and whether to delete it.
class OpenQwkFileCommand
{
public:
    static QString filter() { return QStringLiteral("QWK Files (*.QW*);;All Files (*.*)"); }
    // The open dialog, starting in the WORK folder; empty when cancelled.
    static QString askForPacket(ui::FileDialogs &dialogs, const QString &workFolder);

    // No value when the user cancelled the dialog or an error ended the
    // command before the import could report.
    static std::optional<packet::ImportResult> run(ui::FileDialogs &dialogs,
        packet::PacketImporter &importer, ui::Prompts &prompts, ui::DoorInfoDisplay &doorInfo,
        const QString &workFolder, std::function<void(bool)> setMainWindowEnabled);
    // The same with the packet given by `choosePacket` (which may ask the
    // user; an empty path means cancelled), for packets named from outside.
    static std::optional<packet::ImportResult> run(const std::function<QString()> &choosePacket,
        packet::PacketImporter &importer, ui::Prompts &prompts, ui::DoorInfoDisplay &doorInfo,
        std::function<void(bool)> setMainWindowEnabled);

private:
    static void finish(
        packet::ImportResult &result, const QString &packetPath, ui::Prompts &prompts);
};

} // namespace marvik::app
