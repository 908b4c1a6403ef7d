#pragma once

#include "reader/ReaderNavigator.h"
#include "state/EditorRequest.h"
#include "ui/WaitLoop.h"

#include <QHash>
#include <QMainWindow>

#include <functional>

class QAction;
class QLabel;
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

class MessageView;

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
};

// The name the rest of the program knows the window by.
using TForm10 = ReaderWindow;

} // namespace marvik::reader
