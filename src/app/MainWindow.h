#pragma once

#include "app/PacketQueue.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <QTimer>

class QLabel;

#include <functional>

namespace marvik::state {
class AppState;
}

namespace marvik::ui {
class DoorInfoWindow;
class HelpTopics;
class ProgressWindow;
class Prompts;
} // namespace marvik::ui

namespace marvik::app {

// The thin window across the top of the screen whose menu starts every
// command. It imports packets itself; the other commands it asks of the
// application controller by signals (direct connections: each returns when
// what it opened is closed).
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    MainWindow(state::AppState &state, ui::Prompts &prompts, ui::ProgressWindow &progress,
        ui::DoorInfoWindow &doorInfo, ui::HelpTopics &help, QWidget *parent = nullptr);
    ~MainWindow() override;

    // At the top left of the screen, as wide as it, the menu and a status line high.
    void placeAtTop();
    // The status line: what the last import brought.
    QString statusText() const;

    // Called once, the first time the window is shown (the splash goes then).
    void setFirstShownHandler(std::function<void()> handler);
    // The windows a running command stacks over one another, top first: an
    // exit refused while they are up brings the topmost one forward.
    void setWindowStack(const QList<QWidget *> &windows);

    // Packets from outside: named on the command line, dropped on the window
    // or handed over by a second start. Each is imported as "&Open QWK File"
    // does, one after another, as soon as Marvik is free (no command running,
    // no dialog open); what is not a packet is refused with its reason.
    void openPackets(const QStringList &paths);
    QStringList packetsWaiting() const { return m_packets.waiting(); }
    // A command or a dialog is up: packets handed over wait for it.
    bool isBusy() const;
    // Brings the window the user works in to the front.
    void comeForward();

Q_SIGNALS:
    void systemsListRequested();
    void searchRequested();
    void settingsRequested();
    void aboutRequested();
    // The window is closing for good: the other windows close with it.
    void closing();

public Q_SLOTS:
    void OpenQWKFile1Click();
    void OpenBBSSystem1Click();
    void Options1Click();
    void Search1Click();
    void Exit1Click();
    void Help2Click();
    void AboutMarvik1Click();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void createMenus();
    // The visible window highest in the stack the running command opened.
    QWidget *topmostOpenWindow() const;
    // Imports one packet with the main window disabled meanwhile;
    // `choosePacket` gives its path, or none when the user cancelled.
    void importPacket(const std::function<QString()> &choosePacket);
    // Refuses what is not a packet, then imports the first waiting one; runs
    // again until none waits, or later when Marvik is busy.
    void importWaiting();

    // Counts a command of this window for as long as it runs.
    struct Running
    {
        explicit Running(int &count)
            : m_count(count)
        {
            ++m_count;
        }
        ~Running() { --m_count; }
        Running(const Running &) = delete;
        Running &operator=(const Running &) = delete;
        int &m_count;
    };
    // Commands of this window still running (the systems list, an import):
    // the window may not close under them.
    int m_commandsRunning = 0;
    state::AppState &m_state;
    ui::Prompts &m_prompts;
    ui::ProgressWindow &m_progress;
    ui::DoorInfoWindow &m_doorInfo;
    ui::HelpTopics &m_help;
    QLabel *m_status = nullptr;
    QList<QPointer<QWidget>> m_windowStack;

    std::function<void()> m_firstShown;
    PacketQueue m_packets;
    // Looks again at the waiting packets while Marvik is busy.
    QTimer m_waitingTimer;
    bool m_closed = false;
};

} // namespace marvik::app
