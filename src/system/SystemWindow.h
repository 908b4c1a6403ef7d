#pragma once

#include "state/EditorRequest.h"
#include "ui/WaitLoop.h"

#include "system/SystemBrowser.h"

#include <QMainWindow>

#include <functional>

class QAction;
class QTableView;

namespace marvik::state {
class AppState;
}

namespace marvik::ui {
class WindowMemory;
}

namespace marvik::system {

class BulletinTableModel;
class ConferenceTableModel;

// The window of one BBS system: its conferences with their counts and its
// bulletins, the four screens, compose, bulk delete, erasing the reply
// packet. It has no close box: "&Close BBS System" is the way out, after
// which the replies are packed and the read messages offered for deletion.
//
// Made once at start-up; the application connects its requests (the
// signals below) to the windows and steps they ask for, and runs it when
// a system is chosen in the systems list:
//     window.run(qwkId);
// Each request returns when what it opened is closed (direct connections);
// the window hides itself meanwhile where the other takes its place.
class SystemWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit SystemWindow(state::AppState &state, QWidget *parent = nullptr);
    ~SystemWindow() override;

    // Opens the current system, waits until the user closes it, then runs
    // the reply export and the read-message clean-up, in that order. Returns
    // at once, showing nothing, when the store has no such system.
    void run();
    // The same for the system `qwkId`, which becomes the current system.
    void run(const QString &qwkId);

    // The parts of run(): opening (false: nothing shown), and the close
    // sequence after the wait.
    bool openSystem();
    void closeSystem();
    bool isClosing() const { return m_closing; }

    QTableView *conferenceView() const { return m_conferenceView; }
    QTableView *bulletinView() const { return m_bulletinView; }
    ConferenceTableModel *conferenceModel() const { return m_conferenceModel; }
    BulletinTableModel *bulletinModel() const { return m_bulletinModel; }
    // 0-based conference list entry of the active row; -1 when none.
    int activeEntry() const;

    QAction *welcomeAction() const { return m_welcome; }
    QAction *goodbyeAction() const { return m_goodbye; }
    QAction *newsletterAction() const { return m_newsletter; }
    QAction *newFilesAction() const { return m_newFiles; }
    QAction *composeAction() const { return m_compose; }
    QAction *nextAction() const { return m_next; }
    QAction *bulkDeleteAction() const { return m_bulkDelete; }
    QAction *eraseRepAction() const { return m_eraseRep; }
    QAction *closeAction() const { return m_close; }

Q_SIGNALS:
    // The reader on the selection openConference() made for `conferenceNumber`.
    void readerRequested(int conferenceNumber);
    void editorRequested(const marvik::state::EditorRequest &request);
    // The bulk delete dialog for conference list entry `entryIndex` (1-based).
    void bulkDeleteRequested(int entryIndex);
    // The screen viewer with a title and a CP437-as-Unicode text.
    void screenRequested(const QString &title, const QString &text);
    // The search window over this system.
    void searchRequested(const QString &qwkId);
    // "&Erase REP File" for the current system.
    void replyPacketEraseRequested();
    // The close-time steps, in this order: pack the replies, then offer to
    // delete the read messages.
    void repliesExportRequested();
    void readMessagesCleanupRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void ShowScreenClick(SystemBrowser::Screen screen);
    void ComposeNewMessage1Click();
    void NextConferenceWithMessages1Click();
    void BulkDeleteMessages1Click();
    void SearchMessages1Click();
    void EraseREPFile1Click();
    void CloseBBSSystem1Click();
    void OpenConference();
    void AddConferenceRequest();
    void OpenBulletin();

    void activeRowChanged();
    void selectEntry(int entry);
    void updateEraseRep();
    // Runs a command; a store error is shown instead of ending the program.
    void guarded(const std::function<void()> &command);

    state::AppState &m_state;
    SystemBrowser m_browser;
    ConferenceTableModel *m_conferenceModel = nullptr;
    BulletinTableModel *m_bulletinModel = nullptr;
    QTableView *m_conferenceView = nullptr;
    QTableView *m_bulletinView = nullptr;
    QAction *m_welcome = nullptr;
    QAction *m_goodbye = nullptr;
    QAction *m_newsletter = nullptr;
    QAction *m_newFiles = nullptr;
    QAction *m_compose = nullptr;
    QAction *m_next = nullptr;
    QAction *m_bulkDelete = nullptr;
    QAction *m_eraseRep = nullptr;
    QAction *m_close = nullptr;
    ui::WaitLoop m_wait;
    ui::WindowMemory *m_memory = nullptr;
    bool m_closing = true;
};

} // namespace marvik::system
