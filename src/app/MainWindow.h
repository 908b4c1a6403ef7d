#pragma once

#include "app/PacketQueue.h"
#include "state/AppFolders.h"
#include "state/Settings.h"

#include <QMainWindow>
#include <QStringList>
#include <QTimer>

class QLabel;

#include <functional>
#include <memory>

namespace marvik::store {
class MessageStore;
}

namespace marvik::state {
class AppState;
}

namespace marvik::screens {
class ScreenViewer;
}

namespace marvik::editor {
class EditorWindow;
}

namespace marvik::reader {
class ReaderWindow;
}

namespace marvik::system {
class SystemWindow;
}

namespace marvik::maint {
class BulkDeleteDialog;
class SettingsDialog;
class SystemsListWindow;
} // namespace marvik::maint

namespace marvik::search {
class SearchWindow;
}

namespace marvik::ui {
class DoorInfoWindow;
class FileDialogs;
class ProgressWindow;
class Prompts;
} // namespace marvik::ui

namespace marvik::app {

class AboutBox;
class HelpWindow;

// The thin window across the top of the screen whose menu starts every
// command. It owns what lives for the whole run: the application state
// handed to every window, and the windows created once at start-up.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    MainWindow(const state::AppFolders &folders, const state::Settings &settings,
        std::unique_ptr<store::MessageStore> store, const QStringList &taglines,
        ui::Prompts &prompts, QWidget *parent = nullptr);
    ~MainWindow() override;

    // At the top left of the screen, as wide as it, the menu and a status line high.
    void placeAtTop();
    // The status line: what the last import brought.
    QString statusText() const;

    state::AppState &state() const { return *m_state; }

    ui::Prompts &prompts() const { return m_prompts; }
    ui::ProgressWindow &progress() const { return *m_progress; }
    ui::DoorInfoWindow &doorInfo() const { return *m_doorInfo; }
    ui::FileDialogs &fileDialogs() const { return *m_fileDialogs; }
    // Tests answer the file dialogs in advance.
    void setFileDialogs(std::unique_ptr<ui::FileDialogs> dialogs);
    HelpWindow &help() const { return *m_help; }
    AboutBox &aboutBox() const { return *m_about; }
    screens::ScreenViewer &screenViewer() const { return *m_screenViewer; }
    maint::SystemsListWindow &systemsList() const { return *m_systemsList; }
    system::SystemWindow &systemWindow() const { return *m_systemWindow; }
    reader::ReaderWindow &reader() const { return *m_reader; }
    editor::EditorWindow &editor() const { return *m_editor; }
    maint::BulkDeleteDialog &bulkDelete() const { return *m_bulkDelete; }
    maint::SettingsDialog &settingsDialog() const { return *m_settings; }
    search::SearchWindow &searchWindow() const { return *m_search; }

    // Called once, the first time the window is shown (the splash goes then).
    void setFirstShownHandler(std::function<void()> handler);

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
    // Makes the windows that open one another and tells the application
    // state how each is opened.
    void createWindows();
    // Opens the reader on a search's hits at `row` (0-based); returns the
    // record number of the message shown last.
    qint64 openSearchHit(const QList<qint64> &recordNumbers, int row);
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
    std::unique_ptr<state::AppState> m_state;
    QLabel *m_status = nullptr;

    ui::Prompts &m_prompts;
    std::unique_ptr<AboutBox> m_about;
    std::unique_ptr<ui::ProgressWindow> m_progress;
    std::unique_ptr<ui::DoorInfoWindow> m_doorInfo;
    std::unique_ptr<ui::FileDialogs> m_fileDialogs;
    std::unique_ptr<HelpWindow> m_help;
    std::unique_ptr<screens::ScreenViewer> m_screenViewer;
    std::unique_ptr<editor::EditorWindow> m_editor;
    std::unique_ptr<reader::ReaderWindow> m_reader;
    std::unique_ptr<maint::BulkDeleteDialog> m_bulkDelete;
    std::unique_ptr<system::SystemWindow> m_systemWindow;
    std::unique_ptr<maint::SystemsListWindow> m_systemsList;
    std::unique_ptr<maint::SettingsDialog> m_settings;
    std::unique_ptr<search::SearchWindow> m_search;

    std::function<void()> m_firstShown;
    PacketQueue m_packets;
    // Looks again at the waiting packets while Marvik is busy.
    QTimer m_waitingTimer;
    bool m_closed = false;
};

} // namespace marvik::app
