#pragma once

#include "reader/DisplayedMessage.h"
#include "state/EditorRequest.h"

#include <QDateTime>

namespace marvik::reader {

// What the editor is opened with for the reader's Reply, re-edit and
// Forward, built from the message as displayed.
class EditorRequests
{
public:
    // Longest quoted line, the ">" included.
    static constexpr int QuoteWidth = 72;

    // A reply to the author, to the message's own conference: a heading
    // naming the date and author, then every line but the kludges quoted
    // with ">".
    static state::EditorRequest reply(const DisplayedMessage &message, const QString &yourName);
    // A stored reply opened again: its own text (tag block included) and
    // addressing (conference, To, Private and the message it refers to),
    // unchanged; saving it takes the stored reply's place.
    static state::EditorRequest reEdit(const DisplayedMessage &message);
    // The message passed on to someone still to be named, with a note of
    // when, by whom and to whom it was first written; kludges left out.
    static state::EditorRequest forward(
        const DisplayedMessage &message, const QString &yourName, const QDateTime &now);

    static QString quoteLine(const QString &line);
    // A control line of a networked message (Ctrl+A, @MSGID:, SEEN-BY:...),
    // which only the network reads.
    static bool isKludgeLine(const QString &line);
};

} // namespace marvik::reader
