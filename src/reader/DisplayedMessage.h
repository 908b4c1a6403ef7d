#pragma once

#include <QString>
#include <QStringList>

namespace marvik::reader {

// The message as the reader shows it: the header values as displayed and the
// text as view lines. Reply, forward, save and print work from these, so what
// they produce is what the user saw.
struct DisplayedMessage
{
    QString conference;
    int conferenceNumber = 0; // the conference that name stands for
    qint64 recordNumber = 0; // the stored row shown
    QString messageNumber;
    QString position; // "3 of 12"
    QString from;
    QString to;
    QString subject;
    QString date; // date, one space, time
    QString privateText; // "Yes" or "No"
    QString refersTo; // a number or "None"
    QStringList lines;

    bool isPrivate() const { return privateText == QLatin1String("Yes"); }
};

} // namespace marvik::reader
