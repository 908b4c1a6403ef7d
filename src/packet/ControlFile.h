#pragma once

#include <QByteArrayView>
#include <QList>
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
    // Header lines, two per conference for every number a message header can
    // hold, the screen names and room for trailers. Lines past this are not
    // kept, so a file of millions of empty lines costs no more than its bytes.
    static constexpr qsizetype MaxLines = 11 + 2 * 65536 + 64;

    ControlFile() = default;
    explicit ControlFile(QByteArrayView bytes);

    const QStringList &lines() const { return m_lines; }
    bool isAccepted() const { return m_lines.size() >= MinimumLines; }
    // True when the file had more lines than MaxLines.
    bool linesDropped() const { return m_linesDropped; }

    QString bbsName() const { return line(0); }
    QString bbsLocation() const { return line(1); }
    // Upper case, cut before its first comma ("Sam Sysop, Sysop").
    QString sysopName() const;
    // Upper case: also what decides whether a message is personal.
    QString yourName() const;
    // The BBS's own id from line 5 ("serial,BBSID"), upper case, or "" when
    // it is missing or not 1 to 8 letters and digits (not a usable file name).
    QString bbsId() const;

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

    // The conference list as far as it can be read, where the screen names
    // start, and what was wrong with it. A bad count, a bad number line or a
    // list shorter than its count costs only the conferences it hides; a list
    // of names without their number lines is numbered 0, 1, 2... in order.
    struct ConferenceList
    {
        QList<Conference> conferences;
        qint64 firstScreenLine = MinimumLines;
        QStringList problems;
    };
    ConferenceList conferenceList() const;

    // Screen file names follow the conference list; a missing line gives "".
    QString welcomeScreen(qint64 conferenceCount) const { return line(2 * conferenceCount + 11); }
    QString newsletter(qint64 conferenceCount) const { return line(2 * conferenceCount + 12); }
    QString goodbyeScreen(qint64 conferenceCount) const { return line(2 * conferenceCount + 13); }

    QString line(qint64 index) const;

private:
    bool isNamesOnlyList(qint64 count) const;

    QStringList m_lines;
    bool m_linesDropped = false;
};

} // namespace marvik::packet
