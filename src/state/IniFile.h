#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

namespace marvik::state {

// A small INI reader and writer. QSettings is not used because it escapes
// spaces in key names ("Archive%20Name"), which other programs reading the
// file would not understand. Lines are kept as read, so sections, keys and
// comments this program does not know survive a save.
class IniFile
{
public:
    // A missing file is not an error: it reads as empty. A file that exists
    // but cannot be read is, and `error` says why.
    bool load(const QString &path, QString *error = nullptr);
    void parse(const QString &text);

    // Section and key names match without regard to case, as INI files do.
    std::optional<QString> value(const QString &section, const QString &key) const;
    void setValue(const QString &section, const QString &key, const QString &value);
    // The section's entries (key, value) in the order of the file.
    QList<std::pair<QString, QString>> entries(const QString &section) const;

    QString text() const;
    // Written aside and renamed into place, so a failed save keeps the old file.
    bool save(const QString &path, QString *error = nullptr) const;

private:
    // Index of the "[section]" line, or -1.
    qsizetype findSection(const QString &section) const;
    // First line after the section's header that starts another section.
    qsizetype sectionEnd(qsizetype header) const;
    static bool isSectionHeader(const QString &line, QString *name = nullptr);
    static bool isEntry(const QString &line, QString *key = nullptr, QString *value = nullptr);

    QStringList m_lines;
    QString m_lineEnd = QStringLiteral("\n");
};

} // namespace marvik::state
