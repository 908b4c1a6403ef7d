#include "app/AppController.h"

#include "app/AboutBox.h"
#include "app/HelpWindow.h"
#include "app/MainWindow.h"
#include "editor/EditorWindow.h"
#include "maint/BulkDeleteDialog.h"
#include "maint/SettingsDialog.h"
#include "maint/SystemsListWindow.h"
#include "reader/ReaderWindow.h"
#include "screens/ScreenViewer.h"
#include "search/SearchWindow.h"
#include "state/AppState.h"
#include "store/MessageStore.h"
#include "store/SearchIndexer.h"
#include "store/StoreError.h"
#include "system/ReadMessageCleanup.h"
#include "system/ReplyExporter.h"
#include "system/ReplyPacketEraser.h"
#include "system/SystemWindow.h"
#include "ui/DoorInfoWindow.h"
#include "ui/ProgressWindow.h"
#include "ui/Prompts.h"
#include "ui/QtFileDialogs.h"

#include <QShortcut>

namespace marvik::app {

AppController::AppController(const state::AppFolders &folders, const state::Settings &settings,
    std::unique_ptr<store::MessageStore> store, const QStringList &taglines, ui::Prompts &prompts)
    : m_prompts(prompts)
    , m_state(std::make_unique<state::AppState>(folders, settings, std::move(store), taglines))
{
    m_about = std::make_unique<AboutBox>();
    m_progress = std::make_unique<ui::ProgressWindow>();
    m_doorInfo = std::make_unique<ui::DoorInfoWindow>();
    m_help = std::make_unique<HelpWindow>(m_state->layouts());
    m_main = std::make_unique<MainWindow>(*m_state, m_prompts, *m_progress, *m_doorInfo, *m_help);
    m_fileDialogs = std::make_unique<ui::QtFileDialogs>(m_main.get());
    setServices();

    state::AppState &state = *m_state;
    m_screenViewer = std::make_unique<screens::ScreenViewer>(m_prompts);
    m_editor = std::make_unique<editor::EditorWindow>(state);
    m_reader = std::make_unique<reader::ReaderWindow>(state);
    m_bulkDelete = std::make_unique<maint::BulkDeleteDialog>(state);
    m_systemWindow = std::make_unique<system::SystemWindow>(state);
    m_systemsList = std::make_unique<maint::SystemsListWindow>(state);
    m_settings = std::make_unique<maint::SettingsDialog>(state);
    m_search = std::make_unique<search::SearchWindow>(
        state.store(), &state.searchIndexer(), m_help.get());
    connectWindows();
    state.searchIndexer().start();
}

AppController::~AppController()
{
    m_main.reset();
    m_search.reset();
    m_settings.reset();
    m_systemsList.reset();
    m_systemWindow.reset();
    m_bulkDelete.reset();
    m_reader.reset();
    m_editor.reset();
    m_screenViewer.reset();
    m_state->release();
}

void AppController::setServices()
{
    m_state->setServices({&m_prompts, m_progress.get(), m_fileDialogs.get(), m_help.get()});
}

void AppController::setFileDialogs(std::unique_ptr<ui::FileDialogs> dialogs)
{
    m_fileDialogs = std::move(dialogs);
    setServices();
}

void AppController::guarded(const std::function<void()> &request)
{
    try {
        request();
    } catch (const store::StoreError &error) {
        m_prompts.error(error.message());
    }
}

void AppController::connectWindows()
{
    // The main window's commands.
    connect(m_main.get(), &MainWindow::systemsListRequested, this,
        [this] { guarded([this] { m_systemsList->run(); }); });
    connect(m_main.get(), &MainWindow::settingsRequested, this, [this] { m_settings->run(); });
    connect(m_main.get(), &MainWindow::aboutRequested, this, [this] { m_about->exec(); });
    connect(m_main.get(), &MainWindow::searchRequested, this,
        [this] { guarded([this] { runSearch(QString(), std::nullopt); }); });
    connect(m_main.get(), &MainWindow::closing, this, &AppController::closeOtherWindows);
    // The windows a running command stacks over one another, top first: a
    // refused exit brings the topmost forward.
    m_main->setWindowStack({m_editor.get(), m_bulkDelete.get(), m_reader.get(), m_search.get(),
        m_systemWindow.get(), m_systemsList.get(), m_progress->window()});
    // F1 in the dialogs the main window opens.
    for (const auto &[dialog, topic] :
        {std::pair<QWidget *, int> {m_about.get(), HelpWindow::Contents},
            std::pair<QWidget *, int> {m_doorInfo.get(), HelpWindow::OpeningPacket}}) {
        auto *help = new QShortcut(QKeySequence::HelpContents, dialog);
        connect(help, &QShortcut::activated, this, [this, topic] { m_help->showTopic(topic); });
    }

    connect(m_systemsList.get(), &maint::SystemsListWindow::systemRequested, this,
        [this](const QString &qwkId) { guarded([&] { m_systemWindow->run(qwkId); }); });

    system::SystemWindow *systemWindow = m_systemWindow.get();
    connect(systemWindow, &system::SystemWindow::readerRequested, this,
        [this](int conference) { guarded([&] { runReader(conference); }); });
    connect(systemWindow, &system::SystemWindow::editorRequested, this,
        [this](const state::EditorRequest &request) {
            guarded([&] { m_editor->RunEditor(request); });
        });
    connect(systemWindow, &system::SystemWindow::bulkDeleteRequested, this,
        [this](int entry) { guarded([&] { m_bulkDelete->run(entry); }); });
    connect(systemWindow, &system::SystemWindow::screenRequested, this,
        [this](const QString &title, const QString &text) {
            m_screenViewer->ShowScreen(title, text);
        });
    connect(systemWindow, &system::SystemWindow::searchRequested, this,
        [this](const QString &qwkId) { guarded([&] { runSearch(qwkId, std::nullopt); }); });
    connect(systemWindow, &system::SystemWindow::replyPacketEraseRequested, this,
        [this] { guarded([this] { system::ReplyPacketEraser::EraseRepFile(*m_state); }); });
    connect(systemWindow, &system::SystemWindow::repliesExportRequested, this,
        [this] { guarded([this] { system::ReplyExporter::ExportReplies(*m_state); }); });
    connect(systemWindow, &system::SystemWindow::readMessagesCleanupRequested, this,
        [this] { guarded([this] { system::ReadMessageCleanup::CleanUpReadMessages(*m_state); }); });

    connect(m_reader.get(), &reader::ReaderWindow::editorRequested, this,
        [this](const state::EditorRequest &request) {
            guarded([&] { m_editor->RunEditor(request); });
        });
    connect(m_reader.get(), &reader::ReaderWindow::searchRequested, this,
        [this](const QString &qwkId, std::optional<int> conference) {
            guarded([&] { runSearch(qwkId, conference); });
        });

    m_search->setOpenHit(
        [this](const QList<qint64> &keys, int row) { return openSearchHit(keys, row); });
}

void AppController::runReader(int conferenceNumber)
{
    // A search's hits may lead the reader to other systems; the window
    // below it goes on with its own.
    const QString system = m_state->currentQwkId();
    m_reader->RunReader(conferenceNumber);
    m_state->setCurrentQwkId(system);
}

void AppController::runSearch(const QString &qwkId, std::optional<int> conference)
{
    if (m_search->isShowingHit()) {
        // From a reader the search opened: back to its list.
        m_reader->Exit1Click();
        return;
    }
    m_search->run(qwkId, conference,
        conference            ? search::SearchSession::Scope::Conference
            : qwkId.isEmpty() ? search::SearchSession::Scope::AllSystems
                              : search::SearchSession::Scope::System);
}

qint64 AppController::openSearchHit(const QList<qint64> &recordNumbers, int row)
{
    // The hits become the reader's selection, in the list's order; each
    // shows the conference it is in (as the personal conference does).
    m_state->messages().openKeys(recordNumbers);
    if (m_state->messageCount() == 0)
        return 0;
    if (m_reader->isReading()) {
        // Searched from the reader: it goes on with the hits, and the
        // search window leaves.
        m_state->setOpenConference(-1);
        m_reader->showSelection(-1, row + 1);
        m_search->close();
        return 0;
    }
    const QString system = m_state->currentQwkId();
    const int conference = m_state->openConference();
    m_state->setOpenConference(-1);
    m_reader->RunReader(-1, row + 1);
    const qint64 last
        = m_state->messageCount() > 0 ? m_state->messages().message().recordNumber : 0;
    m_state->setCurrentQwkId(system);
    m_state->setOpenConference(conference);
    return last;
}

void AppController::closeOtherWindows()
{
    // The other windows are top-level too; closing the main window ends the
    // run. The store and its lock stay until the controller goes, after the
    // event loop has returned.
    m_help->close();
    m_about->close();
    m_progress->hide();
    m_doorInfo->close();
    m_screenViewer->close();
    m_settings->close();
    m_search->close();
}

} // namespace marvik::app
