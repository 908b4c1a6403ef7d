#pragma once

#include "reader/DisplayedMessage.h"
#include "state/WindowCalls.h"

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
    // naming the date and author, then every line quoted with ">".
    static state::EditorRequest reply(const DisplayedMessage &message, const QString &yourName);
    // A stored reply opened again: its own text (tag block included) and
    // addressing, unchanged.
    static state::EditorRequest reEdit(const DisplayedMessage &message);
    // The message passed on to someone still to be named, with a note of
    // when, by whom and to whom it was first written.
    static state::EditorRequest forward(
        const DisplayedMessage &message, const QString &yourName, const QDateTime &now);

    static QString quoteLine(const QString &line);
};

} // namespace marvik::reader
