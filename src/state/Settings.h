#pragma once

#include <QString>

namespace marvik::state {

// The program's settings, kept in MARVIK.INI in the base folder.
class Settings
{
public:
    explicit Settings(const QString &baseFolder = QString());

    static QString section() { return QStringLiteral("Miscellaneous"); }
    static QString archiveNameKey() { return QStringLiteral("Archive Name"); }
    static QString coloursKey() { return QStringLiteral("Message Colours"); }
    static QString hiddenLinesKey() { return QStringLiteral("Show Hidden Lines"); }

    // The text file saved messages are appended to.
    QString archiveName() const { return m_archiveName; }
    void setArchiveName(const QString &name) { m_archiveName = name; }
    QString defaultArchiveName() const;

    // How the reader draws a message: its colour codes followed (on unless
    // switched off) and the mail network's kludge lines shown (off).
    bool messageColours() const { return m_colours; }
    void setMessageColours(bool on) { m_colours = on; }
    bool showHiddenLines() const { return m_hiddenLines; }
    void setShowHiddenLines(bool on) { m_hiddenLines = on; }

    // A missing file, section or key (or an empty value, which names no
    // file) gives the default. False only when the file exists but cannot
    // be read; the default is used then too.
    bool load(const QString &iniPath, QString *error = nullptr);
    // Rewrites the file with the current values, keeping everything else in
    // it. A file that exists but cannot be read is left alone rather than
    // replaced by one holding only our key.
    bool save(const QString &iniPath, QString *error = nullptr) const;

private:
    QString m_base;
    QString m_archiveName;
    bool m_colours = true;
    bool m_hiddenLines = false;
};

} // namespace marvik::state
