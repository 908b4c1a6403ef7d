#pragma once

#include "reader/ReaderNavigator.h"
#include "state/EditorRequest.h"
#include "ui/WaitLoop.h"

#include <QHash>
#include <QMainWindow>
#include <QSet>

#include <functional>
#include <memory>

class QAction;
class QActionGroup;
class QLabel;
class QLineEdit;
class QSplitter;
class QTimer;
class QMenu;
class QPlainTextEdit;
class QPrinter;
class QToolBar;

namespace marvik::state {
class AppState;
}

namespace marvik::ui {
class WindowMemory;
}

namespace marvik::reader {

class MessageListModel;
class MessageListPositions;
class MessageListView;
class MessageRowCache;
class MessageView;
class ThreadTreeModel;

// The message reader: one message of the open conference at a time, its
// header above a read-only text view, with the commands that act on it. It
// holds widgets only; the navigator does the moving and read marking.
//
// Made once and kept hidden between uses. It has no close box: Exit
// Conference (Esc) leaves it, and so does deleting its last message.
class ReaderWindow : public QMainWindow
{
    Q_OBJECT

public:
    enum Command
    {
        First,
        Previous,
        Next,
        Last,
        NextUnread,
        Reply,
        Delete,
        Forward,
        Save,
        Print,
        Exit,
        ReadOn, // Space: page down, then the next unread message
        Copy,
        SelectAll,
        Help,
        ShowColours, // C: colour codes followed, or shown as written
        ShowHidden, // K: the kludge lines, dimmed
        Rot13, // T
        Mark, // M: the user's own mark on the message
        MessageList, // L: the list of messages beside the message
        Threads,
        Filter,
    };

    explicit ReaderWindow(state::AppState &state, QWidget *parent = nullptr);
    ~ReaderWindow() override;

    // Reads conference `conferenceNumber` (-2 replies, -1 personal) of the
    // current system on the selection the system window opened in
    // state.messages(). Returns when the user leaves the conference; the
    // counts in state.conferences() then say what was read and deleted.
    // Called while the reader already waits, it only raises it: one wait
    // inside another could never let the first one end. `startRow` (1-based)
    // opens on that row of the selection instead of the first unread one (a
    // search's hit).
    void RunReader(int conferenceNumber, int startRow = 0);
    // While reading: goes on with the selection now open in the state (a
    // search's hits), on row `row`.
    void showSelection(int conferenceNumber, int row);
    bool isReading() const { return m_open; }

    // The parts of RunReader around its wait loop. openConference shows the
    // window on the first unread message; false when there is nothing to read.
    bool openConference(int conferenceNumber, int startRow = 0);
    void closeConference();
    bool isLeaving() const { return m_leave; }

    // Prints the current message on `printer`; a failure is reported.
    bool printTo(QPrinter &printer);
    // How Forward learns the time; tests fix it.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

    ReaderNavigator &navigator() { return m_navigator; }
    QAction *action(Command command) const { return m_actions.value(command); }
    QPlainTextEdit *textView() const { return m_text; }
    MessageListView *listView() const { return m_list; }
    QLineEdit *filterBox() const { return m_filter; }
    // Sorts the list (the header's click and the Sort menu).
    void sortList(store::ListSort sort, bool descending);
    // Shows all, unread or marked messages (the Show menu).
    void showView(store::ListView view);
    MessageView *messageView() const { return m_view; }
    QToolBar *toolBar() const { return m_toolBar; }
    QMenu *editMenu() const { return m_editMenu; }
    // Header values by caption: "Conference", "Message No", "Position",
    // "From", "To", "Subject", "Date", "Private", "Refers To".
    QLabel *headerValue(const QString &caption) const;

public Q_SLOTS:
    void SpeedButton1Click(); // next
    void SpeedButton2Click(); // previous
    void SpeedButton3Click(); // first
    void SpeedButton4Click(); // last
    void SpeedButton5Click(); // next unread
    void Exit1Click();
    void Reply1Click();
    void ForwardMessage1Click();
    void SaveMessage1Click();
    void Print1Click();
    void DeleteMessage1Click();
    void Edit1Click();
    void Copy1Click();
    void SelectAll1Click();
    void ReadOnKeyPress();
    void HelpKeyPress();
    void ColoursClick();
    void HiddenLinesClick();
    void Rot13Click();
    void Search1Click();
    void MarkClick();
    void MessageListClick();
    void ThreadsClick();
    void FilterClick();

Q_SIGNALS:
    // The editor on a reply, re-edit or forward; returns when it is closed
    // (the application connects it directly).
    void editorRequested(const marvik::state::EditorRequest &request);
    // The search window over the system, from the conference being read.
    void searchRequested(const QString &qwkId, std::optional<int> conference);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QAction *makeAction(Command command, const QString &text, const QString &hint,
        const QList<QKeySequence> &keys, void (ReaderWindow::*handler)());
    void rememberViewSettings();
    // Runs a command; a store failure is reported and the view shows where
    // the reader now stands.
    void guarded(const std::function<void()> &command);
    void showCurrent();
    void leave();
    // Runs a step that may leave the conference's selection changed (a
    // delete, a re-open): shows the current message, or leaves when none is
    // left. A store error is shown and what is left decides.
    void showOrLeave(const std::function<bool()> &step);
    void callEditor(const state::EditorRequest &request);
    void buildListMenus(QMenu *view);
    // Starts reading the selection in the list's order (the user's sort,
    // every message, no filter); `startRow` names a row of the selection as
    // opened (a search's hit).
    bool startInListOrder(int conferenceNumber, int startRow);
    // Puts the selection in the list's order and view and shows it in the
    // list; false (nothing changed) when no message is in that view.
    bool applyList(const store::ListOrder &order, bool threads);
    // Shows the arranged selection in the list, flat or as threads.
    void showList(bool threads, std::vector<ThreadRow> rows);
    // Puts the current message's line in view and selected.
    void selectCurrentLine();
    void listLineChosen(const QModelIndex &index);
    void filterEdited();
    void rememberListSettings();
    void updateListMenus();

    state::AppState &m_state;
    ReaderNavigator m_navigator;
    ui::WaitLoop m_wait;
    ui::WindowMemory *m_memory = nullptr;
    bool m_leave = true;
    bool m_open = false;
    bool m_saidNothingUnread = false;
    std::function<QDateTime()> m_clock;

    QHash<int, QAction *> m_actions;
    QToolBar *m_toolBar = nullptr;
    QMenu *m_editMenu = nullptr;
    MessageView *m_view = nullptr;
    QPlainTextEdit *m_text = nullptr; // the view's text

    // The message list: the selection's lines, flat or threaded.
    std::unique_ptr<MessageRowCache> m_rowCache;
    MessageListModel *m_flat = nullptr;
    ThreadTreeModel *m_tree = nullptr;
    MessageListPositions *m_model = nullptr; // the one shown
    MessageListView *m_list = nullptr;
    QSplitter *m_splitter = nullptr;
    QWidget *m_listPane = nullptr;
    QLineEdit *m_filter = nullptr;
    QTimer *m_filterDelay = nullptr;
    QActionGroup *m_sortGroup = nullptr;
    QActionGroup *m_viewGroup = nullptr;
    QAction *m_descending = nullptr;
    store::ListOrder m_order;
    bool m_threads = false;
    QSet<qint64> m_collapsed; // threads closed by the user, by their first message
    bool m_syncing = false; // the list follows the reader: no message is chosen
};

// The name the rest of the program knows the window by.
using TForm10 = ReaderWindow;

} // namespace marvik::reader
