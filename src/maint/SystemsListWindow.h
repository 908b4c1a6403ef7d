#pragma once

#include "ui/WaitLoop.h"

#include <QMainWindow>

#include <functional>

class QAction;
class QTreeWidget;

namespace marvik::state {
class AppState;
}

namespace marvik::ui {
class WindowMemory;
}

namespace marvik::maint {

// "BBS Systems": every system held in the store, by BBS id, with its BBS
// name and unread total. Opening one (Enter or double-click) makes it the
// current system and runs the system window; "&Delete BBS System" deletes it
// with everything it holds. The window has no close box; "&Close" (or Esc)
// is the way out, and it closes itself once the last system is deleted.
//
// Made once at start-up; the application runs the system window when it
// asks for one (systemRequested), and the list by "Open &BBS System":
//     list.run();
class SystemsListWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit SystemsListWindow(state::AppState &state, QWidget *parent = nullptr);
    ~SystemsListWindow() override;

    // Fills the list and waits until it is closed; with no system stored it
    // says so and returns at once.
    void run();

    // The parts of run() around the wait, for tests.
    bool openList();
    bool isClosing() const { return m_closing; }

    // Columns: BBS id, BBS name, unread messages.
    QTreeWidget *list() const { return m_list; }
    QAction *deleteAction() const { return m_delete; }
    QAction *closeAction() const { return m_close; }

    // Fills the list from the store; sets the closing flag when it is empty.
    void fillList();
    void OpenSelectedSystem();
    void DeleteBBSSystem1Click();
    void Close1Click();

Q_SIGNALS:
    // The system window on `qwkId`; returns when it is closed.
    void systemRequested(const QString &qwkId);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QString selectedSystem() const;
    // Wide enough for every column's text, within the screen.
    void fitToContents();

    state::AppState &m_state;
    QTreeWidget *m_list = nullptr;
    QAction *m_delete = nullptr;
    QAction *m_close = nullptr;
    ui::WaitLoop m_wait;
    ui::WindowMemory *m_memory = nullptr;
    bool m_closing = true;
};

} // namespace marvik::maint
