#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>

namespace marvik::packet {

// CONTROL.DAT: the system's description and its conference list. Lines are
// kept trimmed; the conference list and screen names are found from the
// conference count, which is never trusted beyond the lines really there.
class ControlFile
{
public:
    static constexpr int MinimumLines = 11;

    ControlFile() = default;
    explicit ControlFile(QByteArrayView bytes);

    const QStringList &lines() const { return m_lines; }
    bool isAccepted() const { return m_lines.size() >= MinimumLines; }

    QString bbsName() const { return line(0); }
    QString bbsLocation() const { return line(1); }
    // Upper case, cut before its first comma ("Sam Sysop, Sysop").
    QString sysopName() const;
    // Upper case: also what decides whether a message is personal.
    QString yourName() const;

    // Number of conferences (line 10 plus one); no value, with `error` set,
    // when that line is not a decimal number or is below -1.
    std::optional<qint64> conferenceCount(QString *error) const;

    struct Conference
    {
        int number = 0;
        QString name;
    };
    // Conference `i` (from 0); no value, with `error` set, when its lines are
    // missing or its number is not decimal.
    std::optional<Conference> conference(qint64 i, QString *error) const;

    // Screen file names follow the conference list; a missing line gives "".
    QString welcomeScreen(qint64 conferenceCount) const { return line(2 * conferenceCount + 11); }
    QString newsletter(qint64 conferenceCount) const { return line(2 * conferenceCount + 12); }
    QString goodbyeScreen(qint64 conferenceCount) const { return line(2 * conferenceCount + 13); }

    QString line(qint64 index) const;

private:
    QStringList m_lines;
};

} // namespace marvik::packet
