#pragma once

#include "state/AppFolders.h"
#include "state/Settings.h"

#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

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

namespace marvik::search {
class SearchWindow;
}

namespace marvik::system {
class SystemWindow;
}

namespace marvik::maint {
class BulkDeleteDialog;
class SettingsDialog;
class SystemsListWindow;
} // namespace marvik::maint

namespace marvik::ui {
class DoorInfoWindow;
class FileDialogs;
class ProgressWindow;
class Prompts;
} // namespace marvik::ui

namespace marvik::app {

class AboutBox;
class HelpWindow;
class MainWindow;

// Owns what lives for the whole run, the application state and every
// window, made once at start-up, and wires the windows together: each
// window asks for another by a signal (the systems list for a system, the
// system window for a conference, the reader for the editor...), and the
// controller opens the one asked for, with the session data the signal
// carries. The connections are direct, so a request returns when the window
// it opened is closed, as the windows' wait loops need.
class AppController : public QObject
{
    Q_OBJECT

public:
    AppController(const state::AppFolders &folders, const state::Settings &settings,
        std::unique_ptr<store::MessageStore> store, const QStringList &taglines,
        ui::Prompts &prompts);
    // The windows go first, then the lists and the store.
    ~AppController() override;

    state::AppState &state() const { return *m_state; }
    MainWindow &mainWindow() const { return *m_main; }
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

private:
    void connectWindows();
    void setServices();
    // A request's work; a store error ends it with its message, the window
    // that asked goes on.
    void guarded(const std::function<void()> &request);
    void runReader(int conferenceNumber);
    void runSearch(const QString &qwkId, std::optional<int> conference);
    // Opens the reader on a search's hits at `row` (0-based); returns the
    // record number of the message shown last.
    qint64 openSearchHit(const QList<qint64> &recordNumbers, int row);
    void closeOtherWindows();

    ui::Prompts &m_prompts;
    std::unique_ptr<state::AppState> m_state;
    // The other windows are top-level windows of their own: the main window
    // is a thin bar, and a child dialog would be placed over it.
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
    std::unique_ptr<MainWindow> m_main;
};

} // namespace marvik::app
