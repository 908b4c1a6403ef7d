#pragma once

#include <QString>
#include <QStringList>

namespace marvik::app {

// What Marvik was started with: the packets to import once it is up, and
// whether the start came from the desktop (the menu, a file manager), which
// works in a folder of its own instead of the current one.
class LaunchOptions
{
public:
    // The desktop entry starts `marvik --desktop %F`.
    static QString desktopOption() { return QStringLiteral("desktop"); }

    // Reads the arguments (the program name first); --help and --version
    // print their text and end the program, as an unknown option does.
    static LaunchOptions parse(const QStringList &arguments, const QString &currentFolder);

    bool fromDesktop() const { return m_fromDesktop; }
    // Absolute, so they mean the same to a Marvik running elsewhere.
    QStringList files() const { return m_files; }

    // Where a desktop start keeps its files: Marvik in the home folder.
    static QString desktopFolder(const QString &homeFolder);

private:
    bool m_fromDesktop = false;
    QStringList m_files;
};

} // namespace marvik::app
