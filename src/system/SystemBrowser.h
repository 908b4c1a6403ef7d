#pragma once

#include "state/EditorRequest.h"
#include "store/Records.h"

#include <QDateTime>
#include <QString>

#include <optional>

namespace marvik::state {
class AppState;
}

namespace marvik::system {

// What the system window does, without the window: fills the open system's
// lists, finds its screens and bulletins, opens a conference as the open
// message selection, and builds compose and add-conference requests. Entries
// are addressed by their 0-based index in the conference list; index 0 is
// the replies conference and index 1 the personal one.
class SystemBrowser
{
public:
    enum class Screen
    {
        Welcome,
        Goodbye,
        Newsletter,
        NewFiles
    };

    struct Bulletin
    {
        QString title;
        QString text;
    };

    explicit SystemBrowser(state::AppState &state);

    static QString screenTitle(Screen screen);
    static bool isReserved(int entry) { return entry == 0 || entry == 1; }

    // Fills the conference and bulletin lists of the current system and
    // returns its row. None when the store holds no such system; the lists
    // are left alone then.
    std::optional<store::SystemRecord> load();

    // The screen's text as stored; empty when the system has none.
    static QString screenText(const store::SystemRecord &system, Screen screen);
    QString screenText(Screen screen) const;

    // WORK/<QwkID>.REP, where the reply packet of the system is written.
    QString replyPacketPath() const;
    bool replyPacketExists() const;

    bool isEntry(int entry) const;

    // Opens the messages of the entry's conference, chosen by its number (a
    // real conference named "Replies" is not the replies conference), as the
    // open message selection and stores the count as the conference's total.
    // Returns the count; 0 means there is nothing for the reader.
    int openConference(int entry);

    // The first entry after `entry`, wrapping round to the start, whose total
    // is not 0; `entry` itself when none is.
    int nextConferenceWithMessages(int entry) const;

    // What the editor is opened with to write a new message in the entry's
    // conference; none for the reserved entries.
    std::optional<state::EditorRequest> composeRequest(int entry) const;

    // What the user is told around a request to add a conference: either
    // why none can be sent, or the question asked first and what is said
    // once it is queued.
    struct AddRequestTexts
    {
        QString refusal;
        QString question;
        QString queued;
    };
    // None for the reserved entries or no entry: the key does nothing there.
    std::optional<AddRequestTexts> addRequestTexts(int entry) const;

    // Stores a request to add the entry's conference, addressed to the
    // system's control name with its ADD subject, as a reply dated `now`.
    // False (nothing stored) for the reserved entries or no entry, and for a
    // mail door that names no ADD command: a request with an empty subject
    // would mean nothing to it.
    bool addConferenceRequest(int entry, const QDateTime &now);

    // The bulletin of bulletin-list entry `entry` with the viewer's title;
    // none when the entry or its row is gone.
    std::optional<Bulletin> bulletin(int entry) const;

private:
    std::optional<store::SystemRecord> system() const;
    static bool takesRequests(const store::SystemRecord &system);

    state::AppState &m_state;
};

} // namespace marvik::system
