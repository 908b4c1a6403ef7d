#pragma once

#include <QString>

#include <optional>

namespace marvik::state {

// What the editor is opened with: the seven values of a new message, and
// what a reply or a re-edited reply keeps of the message it comes from.
struct EditorRequest
{
    QString conferenceName;
    QString from;
    QString to = QStringLiteral("ALL"); // a new message is to everyone
    QString subject;
    QString refersTo; // message number as text, "0" for none
    QString body;
    bool isPrivate = false;
    // The conference the name stands for while the name is left as it is:
    // two conferences may share one name. Unset: found by the name.
    std::optional<int> conferenceNumber;
    // A stored reply the message takes the place of when it is saved (a
    // re-edit); 0 for a new message.
    qint64 replacesRecord = 0;
};

} // namespace marvik::state
