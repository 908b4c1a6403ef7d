#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace marvik::packet {

// The unpacked packet in the TEMP folder. Doors write member names in any
// case (control.dat, 000.ndx), so names are looked up without regard to it,
// and only among the files really there: a name taken from CONTROL.DAT can
// never reach outside the folder.
//
// When several files differ only in case (CONTROL.DAT and control.dat), the
// one whose name sorts first byte by byte is used, which puts upper case
// first; the others are set aside and listed by shadowed().
class PacketFolder
{
public:
    explicit PacketFolder(const QString &path);

    const QString &path() const { return m_path; }
    // Full path of the file named `name` in any case, or "" when absent.
    QString find(const QString &name) const;
    // File names (without folder) ending in `suffix`, in any case, sorted.
    QStringList namesEndingWith(const QString &suffix) const;
    QStringList names() const { return m_names; }
    QString filePath(const QString &name) const;

    // For each file set aside, a sentence naming it and the one used.
    QStringList shadowed() const { return m_shadowed; }

    // Deletes every file in `path`, leaving subfolders. False with `error`
    // naming the first file that would not go. `tick` runs after each file:
    // deleting a big one takes a while.
    static bool clear(const QString &path, QString *error, const std::function<void()> &tick = {});

private:
    QString m_path;
    QStringList m_names;
    QStringList m_shadowed;
};

} // namespace marvik::packet
