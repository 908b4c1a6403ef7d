#pragma once

#include "packet/ImportResult.h"

#include <QString>

#include <functional>
#include <optional>

namespace marvik::ui {
class FileDialogs;
}

namespace marvik::packet {
class PacketImporter;
}

namespace marvik::app {

// "&Open QWK File": asks for a packet and imports it, with the main window
// disabled meanwhile and enabled again however the import ends.
class OpenQwkFileCommand
{
public:
    static QString filter() { return QStringLiteral("QWK Files (*.QW*);;All Files (*.*)"); }

    // No value when the user cancelled the dialog or an error ended the
    // command before the import could report.
    static std::optional<packet::ImportResult> run(ui::FileDialogs &dialogs,
        packet::PacketImporter &importer, const QString &workFolder,
        std::function<void(bool)> setMainWindowEnabled);
};

} // namespace marvik::app
