#pragma once

#include "reader/DisplayedMessage.h"
#include "reader/ThreadOrder.h"
#include "store/ListOrder.h"
#include "store/Records.h"

#include <QHash>
#include <QString>

#include <optional>
#include <vector>

namespace marvik::state {
class AppState;
}

namespace marvik::reader {

// The reader's navigation and read marking over the open message selection
// (the application state's live query), without any widget: which message is
// current, what its header shows, which moves are possible, and marking each
// shown message read through the store so the conference counts follow.
//
// Store errors (StoreError) pass through to the caller, which reports them;
// the navigator's state stays usable afterwards.
class ReaderNavigator
{
public:
    explicit ReaderNavigator(state::AppState &state);

    // Begins reading conference `conference` (-2 replies, -1 personal) on the
    // selection already open in the state: on the first unread message, or
    // on the first message when all are read, with no notice either way.
    // False when the selection is empty (nothing is shown then).
    // With `startRow` (1-based), on that row instead (a search's hit).
    bool start(int conference, int startRow = 0);

    int conference() const { return m_conference; }
    bool isRepliesConference() const { return m_conference == -2; }
    int count() const;
    int index() const;

    bool canGoBack() const { return index() > 1; }
    bool canGoOn() const { return index() < count(); }
    // Whether Next Unread has anywhere to go: some message other than the
    // one shown is unread. Never with a single message.
    bool nextUnreadEnabled() const { return m_nextUnreadEnabled; }

    const DisplayedMessage &current() const { return m_current; }
    store::MessageRecord currentRecord() const;

    void first();
    // Shows row `row` (1-based) of the selection in its order: a line picked
    // in the message list.
    void showRow(int row);
    void prior(); // nothing on the first message
    void next(); // nothing on the last message
    void last();

    // Goes to the next unread message after the current one, wrapping to the
    // start once. False when there is none: the current message stays and
    // Next Unread is disabled. The current message itself counts when it
    // has not been shown yet (at start).
    bool findNextUnread();

    // Deletes the current message with its counts; the following one (or the
    // new last one) is shown. False when the selection is now empty.
    bool deleteCurrent();

    // Opens the selection again (a written reply may have joined it) and
    // shows the message at `index`, or the last one when fewer are left.
    // False when it is empty or cannot be read.
    bool reopen(int index);

    // Puts the selection in `order`, and in thread order when `threads`
    // (whose rows are then returned, else none). The current message stays
    // current when it is in view; else the first row is shown. Nothing
    // changes, and nullopt comes back, when no message is in that view.
    std::optional<std::vector<ThreadRow>> arrange(const store::ListOrder &order, bool threads);
    // The same before start(), showing nothing.
    std::optional<std::vector<ThreadRow>> prepareOrder(const store::ListOrder &order, bool threads);

    // Whether the current message carries the user's mark.
    bool currentMarked() const;
    // Sets or clears the user's mark on the current message; its new state.
    bool toggleMarked();

    // "Your Name" of the open system.
    QString yourName() const;

    // Fills the header values from the current message, marks it read and
    // sets the button states.
    void displayCurrent();

private:
    QString conferenceName(int number);
    bool otherUnread() const;

    state::AppState &m_state;
    int m_conference = 0;
    bool m_nextUnreadEnabled = true;
    DisplayedMessage m_current;
    QHash<int, QString> m_names; // conference names, for this conference's run
};

} // namespace marvik::reader
