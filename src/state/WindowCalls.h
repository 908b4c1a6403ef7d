#pragma once

#include <QString>

#include <functional>
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

// How one window opens another. The windows do not know each other: the
// application fills these in when it makes the windows, tests fill in fakes.
// Each call returns when the window it opened is closed.
struct WindowCalls
{
    // The reader on the open message selection.
    std::function<void()> runReader;
    // The editor; stores what the user saves.
    std::function<void(const EditorRequest &request)> runEditor;
    // The bulk delete dialog for conference list entry `entryIndex` (1-based).
    std::function<void(int entryIndex)> runBulkDelete;
    // The screen viewer with a title and a CP437-as-Unicode text.
    std::function<void(const QString &title, const QString &text)> showScreen;
    // Close-time steps of a system: pack the replies, then offer to delete
    // the read messages.
    std::function<void()> exportReplies;
    std::function<void()> cleanUpReadMessages;
    // The search window, opened from a system and conference (either may be
    // missing: from the main window, all systems).
    std::function<void(const QString &qwkId, std::optional<int> conference)> runSearch;
};

} // namespace marvik::state
