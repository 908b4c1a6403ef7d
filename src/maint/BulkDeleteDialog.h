#pragma once

#include "ui/WaitLoop.h"

#include <QDialog>

class QPushButton;
class QRadioButton;

namespace marvik::state {
class AppState;
}

namespace marvik::maint {

// "Delete Messages - <system>: <conference>": deletes the read messages, or
// all messages, of one conference or of every conference of the open
// system. Written replies are never deleted. Cancel, Esc and the title
// bar's close button all leave without deleting anything.
//
// Made once at start-up:
//     BulkDeleteDialog dialog(state);
// and run when the system window asks for it (bulkDeleteRequested):
//     dialog.run(entryIndex);   // 1-based conference list entry
class BulkDeleteDialog : public QDialog
{
    Q_OBJECT

public:
    explicit BulkDeleteDialog(state::AppState &state, QWidget *parent = nullptr);
    ~BulkDeleteDialog() override;

    // Shows the dialog for conference list entry `entryIndex` (1-based) and
    // returns when it is done; an index beyond the list does nothing.
    void run(int entryIndex);

    // The parts of run() around the wait, for tests.
    bool openFor(int entryIndex);
    bool isDone() const { return m_done; }

    QRadioButton *thisConferenceButton() const { return m_thisConference; }
    QRadioButton *allConferencesButton() const { return m_allConferences; }
    QRadioButton *readMessagesButton() const { return m_readMessages; }
    QRadioButton *allMessagesButton() const { return m_allMessages; }
    QPushButton *okButton() const { return m_ok; }
    QPushButton *cancelButton() const { return m_cancel; }

public Q_SLOTS:
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void Button1Click();
    void Button2Click();
    void finish();

    state::AppState &m_state;
    QRadioButton *m_thisConference = nullptr;
    QRadioButton *m_allConferences = nullptr;
    QRadioButton *m_readMessages = nullptr;
    QRadioButton *m_allMessages = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
    ui::WaitLoop m_wait;
    int m_conference = 0;
    bool m_done = true;
};

} // namespace marvik::maint
