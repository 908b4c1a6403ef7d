#include "app/LaunchOptions.h"

#include <QCommandLineParser>
#include <QDir>
#include <QUrl>

namespace marvik::app {

LaunchOptions LaunchOptions::parse(const QStringList &arguments, const QString &currentFolder)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Marvik, an offline mail reader for bulletin-board systems: reads QWK packets, writes "
        "REP packets. Works in the current folder."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(QCommandLineOption(desktopOption(),
        QStringLiteral("Work in the folder Marvik in your home folder (made when missing), as "
                       "a start from the desktop menu or a file manager does.")));
    parser.addPositionalArgument(QStringLiteral("packets"),
        QStringLiteral("QWK packets to import once Marvik is up."), QStringLiteral("[FILE...]"));
    parser.process(arguments);

    LaunchOptions options;
    options.m_fromDesktop = parser.isSet(desktopOption());
    const QDir here(currentFolder);
    for (const QString &argument : parser.positionalArguments()) {
        // A file manager may pass file:// addresses.
        const QUrl url(argument);
        const QString path = url.isLocalFile() ? url.toLocalFile() : argument;
        options.m_files << QDir::cleanPath(here.absoluteFilePath(path));
    }
    return options;
}

QString LaunchOptions::desktopFolder(const QString &homeFolder)
{
    return QDir(homeFolder).filePath(QStringLiteral("Marvik"));
}

} // namespace marvik::app
