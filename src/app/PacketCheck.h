#pragma once

#include <QString>

namespace marvik::app {

// Whether a file that reached Marvik from outside (named on the command line,
// dropped on the main window, handed over by a second start) is a QWK packet
// to import. Anything else is refused before any work starts, with a reason
// that names the file, so nothing is imported half.
class PacketCheck
{
public:
    // Empty when `path` is a QWK packet: a zip archive holding CONTROL.DAT.
    static QString refusal(const QString &path);
};

} // namespace marvik::app
