#include "app/MainWindow.h"

#include "app/AboutBox.h"
#include "app/HelpWindow.h"
#include "app/ImportSummary.h"
#include "app/OpenQwkFileCommand.h"
#include "app/PacketCheck.h"
#include "editor/EditorWindow.h"
#include "maint/BulkDeleteDialog.h"
#include "maint/SettingsDialog.h"
#include "maint/SystemsListWindow.h"
#include "packet/PacketImporter.h"
#include "reader/ReaderWindow.h"
#include "screens/ScreenViewer.h"
#include "search/SearchWindow.h"
#include "state/AppState.h"
#include "store/MessageStore.h"
#include "store/SearchIndexer.h"
#include "system/ReadMessageCleanup.h"
#include "system/ReplyExporter.h"
#include "system/ReplyPacketEraser.h"
#include "system/SystemWindow.h"
#include "ui/DoorInfoWindow.h"
#include "ui/ProgressWindow.h"
#include "ui/Prompts.h"
#include "ui/QtFileDialogs.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QShortcut>
#include <QUrl>
#include <algorithm>

namespace marvik::app {

MainWindow::MainWindow(const state::AppFolders &folders, const state::Settings &settings,
    std::unique_ptr<store::MessageStore> store, const QStringList &taglines, ui::Prompts &prompts,
    QWidget *parent)
    : QMainWindow(parent)
    , m_state(std::make_unique<state::AppState>(folders, settings, std::move(store), taglines))
    , m_prompts(prompts)
{
    setWindowTitle(QStringLiteral("Marvik"));
    createMenus();

    // The other windows are top-level windows of their own: the main window
    // is a thin bar, and a child dialog would be placed over it.
    m_about = std::make_unique<AboutBox>();
    m_progress = std::make_unique<ui::ProgressWindow>();
    m_doorInfo = std::make_unique<ui::DoorInfoWindow>();
    m_fileDialogs = std::make_unique<ui::QtFileDialogs>(this);
    m_help = std::make_unique<HelpWindow>(m_state->layouts());
    m_screenViewer = std::make_unique<screens::ScreenViewer>(m_prompts);
    m_state->setServices({&m_prompts, m_progress.get(), m_fileDialogs.get(), m_help.get()});
    createWindows();

    auto *f1 = new QShortcut(QKeySequence::HelpContents, this);
    connect(f1, &QShortcut::activated, this,
        [this] { m_help->showTopic(HelpWindow::MainWindowTopic); });
    // F1 in the dialogs the main window opens.
    for (const auto &[dialog, topic] :
        {std::pair<QWidget *, int> {m_about.get(), HelpWindow::Contents},
            std::pair<QWidget *, int> {m_doorInfo.get(), HelpWindow::OpeningPacket}}) {
        auto *help = new QShortcut(QKeySequence::HelpContents, dialog);
        connect(help, &QShortcut::activated, this, [this, topic] { m_help->showTopic(topic); });
    }
    // F10 opens the menu, as on most desktops.
    auto *f10 = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(f10, &QShortcut::activated, this,
        [this] { menuBar()->setActiveAction(menuBar()->actions().value(0)); });

    // Below the menu: what the last import brought.
    m_status = new QLabel(QStringLiteral("Open a QWK packet with File > Open QWK File."), this);
    m_status->setContentsMargins(6, 2, 6, 2);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    setCentralWidget(m_status);

    // Packet files dropped on the window are imported.
    setAcceptDrops(true);
    m_waitingTimer.setSingleShot(true);
    m_waitingTimer.setInterval(150);
    connect(&m_waitingTimer, &QTimer::timeout, this, &MainWindow::importWaiting);

    placeAtTop();
}

MainWindow::~MainWindow()
{
    m_state->release();
}

void MainWindow::createWindows()
{
    state::AppState &state = *m_state;
    m_editor = std::make_unique<editor::EditorWindow>(state);
    m_reader = std::make_unique<reader::ReaderWindow>(state);
    m_bulkDelete = std::make_unique<maint::BulkDeleteDialog>(state);
    m_systemWindow = std::make_unique<system::SystemWindow>(state);
    m_systemsList
        = std::make_unique<maint::SystemsListWindow>(state, [this] { m_systemWindow->run(); });
    m_settings = std::make_unique<maint::SettingsDialog>(state);

    state::WindowCalls &calls = state.windows();
    calls.runReader = [this] {
        // A search's hits may lead the reader to other systems; the window
        // below it goes on with its own.
        const QString system = m_state->currentQwkId();
        m_reader->RunReader(m_state->openConference());
        m_state->setCurrentQwkId(system);
    };
    calls.runEditor = [this](const state::EditorRequest &request) { m_editor->RunEditor(request); };
    calls.runBulkDelete = [this](int entry) { m_bulkDelete->run(entry); };
    calls.showScreen = [this](const QString &title, const QString &text) {
        m_screenViewer->ShowScreen(title, text);
    };
    calls.exportReplies = [this] { system::ReplyExporter::ExportReplies(*m_state); };
    calls.cleanUpReadMessages
        = [this] { system::ReadMessageCleanup::CleanUpReadMessages(*m_state); };
    m_systemWindow->setEraseReplyPacket(
        [this] { system::ReplyPacketEraser::EraseRepFile(*m_state); });

    m_search = std::make_unique<search::SearchWindow>(
        state.store(), &state.searchIndexer(), m_help.get());
    m_search->setOpenHit(
        [this](const QList<qint64> &keys, int row) { return openSearchHit(keys, row); });
    calls.runSearch = [this](const QString &qwkId, std::optional<int> conference) {
        if (m_search->isShowingHit()) {
            // From a reader the search opened: back to its list.
            m_reader->Exit1Click();
            return;
        }
        m_search->run(qwkId, conference,
            conference            ? search::SearchSession::Scope::Conference
                : qwkId.isEmpty() ? search::SearchSession::Scope::AllSystems
                                  : search::SearchSession::Scope::System);
    };
    state.searchIndexer().start();
}

qint64 MainWindow::openSearchHit(const QList<qint64> &recordNumbers, int row)
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

void MainWindow::Search1Click()
{
    if (m_state->windows().runSearch)
        m_state->windows().runSearch(QString(), std::nullopt);
}

void MainWindow::createMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(
        QStringLiteral("&Open QWK File"), QKeySequence::Open, this, &MainWindow::OpenQWKFile1Click);
    file->addAction(QStringLiteral("Open &BBS System"), QKeySequence(Qt::CTRL | Qt::Key_B), this,
        &MainWindow::OpenBBSSystem1Click);
    file->addAction(QStringLiteral("Se&arch Messages"),
        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F), this, &MainWindow::Search1Click);
    file->addAction(QStringLiteral("&Settings"), this, &MainWindow::Options1Click);
    file->addSeparator();
    file->addAction(QStringLiteral("E&xit"), QKeySequence::Quit, this, &MainWindow::Exit1Click);

    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    // F1 is the window's own topic (a shortcut of the window), so Help
    // Topics, the contents, has none.
    help->addAction(QStringLiteral("&Help Topics"), this, &MainWindow::Help2Click);
    help->addAction(QStringLiteral("&About Marvik"), this, &MainWindow::AboutMarvik1Click);
}

void MainWindow::placeAtTop()
{
    const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
    // The menu bar and one status line: the window is a launcher, the work
    // happens in the windows it opens below it. It is placed by its frame, so
    // the window manager's title bar stays on the screen.
    const int height = menuBar()->sizeHint().height() + m_status->sizeHint().height();
    setFixedHeight(height);
    setMinimumWidth(0);
    const int frameWidth = frameGeometry().width() - geometry().width();
    resize(area.width() - qMax(0, frameWidth), height);
    move(area.topLeft());
}

QString MainWindow::statusText() const
{
    return m_status->text();
}

void MainWindow::setFileDialogs(std::unique_ptr<ui::FileDialogs> dialogs)
{
    m_fileDialogs = std::move(dialogs);
    m_state->setServices({&m_prompts, m_progress.get(), m_fileDialogs.get(), m_help.get()});
}

void MainWindow::setFirstShownHandler(std::function<void()> handler)
{
    m_firstShown = std::move(handler);
}

void MainWindow::OpenQWKFile1Click()
{
    importPacket([this] {
        return OpenQwkFileCommand::askForPacket(*m_fileDialogs, m_state->folders().work());
    });
}

void MainWindow::importPacket(const std::function<QString()> &choosePacket)
{
    if (!m_state->hasStore() || m_commandsRunning > 0)
        return;
    const Running running(m_commandsRunning);
    packet::PacketImporter importer(
        m_state->store(), *m_progress, m_prompts, *m_doorInfo, m_state->folders().temp());
    const std::optional<packet::ImportResult> result = OpenQwkFileCommand::run(
        choosePacket, importer, [this](bool enabled) { setEnabled(enabled); });
    if (!result)
        return;
    m_status->setText(ImportSummary::text(*result));
    if (result->qwkId.isEmpty())
        return;
    m_state->setCurrentQwkId(result->qwkId);
    m_state->doorSettings() = importer.doorSettings();
    m_state->controlLines() = importer.controlLines();
}

void MainWindow::openPackets(const QStringList &paths)
{
    if (m_closed)
        return;
    m_packets.add(paths);
    comeForward();
    if (m_packets.hasWaiting())
        QTimer::singleShot(0, this, &MainWindow::importWaiting);
}

bool MainWindow::isBusy() const
{
    return m_commandsRunning > 0 || !m_state->hasStore() || QApplication::activeModalWidget()
        || QApplication::activePopupWidget();
}

void MainWindow::comeForward()
{
    // While a command runs, its topmost window is where the user works; a
    // dialog it opened stays above it.
    QWidget *window = QApplication::activeModalWidget();
    if (!window)
        window = topmostOpenWindow();
    if (!window)
        window = this;
    if (window->isMinimized())
        window->showNormal();
    window->raise();
    window->activateWindow();
}

void MainWindow::importWaiting()
{
    if (m_closed || !m_packets.hasWaiting())
        return;
    if (isBusy()) {
        const QStringList waiting = m_packets.waiting();
        QStringList names;
        for (const QString &path : waiting)
            names << QFileInfo(path).fileName();
        m_status->setText(QStringLiteral("Waiting to import %1: it follows as soon as the "
                                         "window or question open now is closed.")
                              .arg(names.join(QStringLiteral(", "))));
        m_waitingTimer.start();
        return;
    }
    // Everything that is no packet is said at once, in one box, before the
    // first import asks anything.
    QStringList refusals;
    QString next;
    while (next.isEmpty() && m_packets.hasWaiting()) {
        const QString path = m_packets.takeNext();
        const QString refusal = PacketCheck::refusal(path);
        if (refusal.isEmpty()) {
            next = path;
            break;
        }
        refusals << refusal;
        m_packets.finished();
    }
    if (!refusals.isEmpty()) {
        m_prompts.error(refusals.size() == 1
                ? refusals.first()
                : QStringLiteral("These files were not imported:\n\n") + refusals.join(u'\n'));
    }
    if (!next.isEmpty()) {
        importPacket([&next] { return next; });
        m_packets.finished();
    }
    if (m_packets.hasWaiting())
        QTimer::singleShot(0, this, &MainWindow::importWaiting);
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    // Files only; what they are is said when they are dropped.
    const QList<QUrl> urls = event->mimeData()->urls();
    const bool files = !urls.isEmpty()
        && std::all_of(
            urls.cbegin(), urls.cend(), [](const QUrl &url) { return url.isLocalFile(); });
    if (files)
        event->acceptProposedAction();
    else
        event->ignore();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    QStringList paths;
    for (const QUrl &url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            paths << url.toLocalFile();
    }
    if (paths.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    openPackets(paths);
}

void MainWindow::OpenBBSSystem1Click()
{
    if (!m_state->hasStore() || m_commandsRunning > 0)
        return;
    const Running running(m_commandsRunning);
    const QString status = m_status->text();
    // The main window waits while the systems list and what it opens are up.
    setEnabled(false);
    m_systemsList->run();
    setEnabled(true);
    m_status->setText(status);
}

void MainWindow::Options1Click()
{
    m_settings->run();
}

void MainWindow::Exit1Click()
{
    close();
}

void MainWindow::Help2Click()
{
    m_help->showTopic(HelpWindow::Contents);
}

void MainWindow::AboutMarvik1Click()
{
    m_about->exec();
}

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_firstShown) {
        // Moved out first: the handler may be the last owner of what it destroys.
        auto handler = std::move(m_firstShown);
        m_firstShown = nullptr;
        handler();
    }
}

QWidget *MainWindow::topmostOpenWindow() const
{
    // The windows that a running command stacks over one another, top first.
    const QList<QWidget *> stack {static_cast<QWidget *>(m_editor.get()), m_bulkDelete.get(),
        m_reader.get(), m_systemWindow.get(), m_systemsList.get(), m_progress->window()};
    for (QWidget *window : stack) {
        if (window->isVisible())
            return window;
    }
    return nullptr;
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // While the systems list, an import or what they opened still run, their
    // wait loops sit on the stack below this event and use the store: ending
    // now would pull it from under them (and drop the lock while their
    // windows stay up). The user closes those first.
    if (m_commandsRunning > 0) {
        event->ignore();
        if (QWidget *top = topmostOpenWindow()) {
            top->raise();
            top->activateWindow();
        }
        m_status->setText(QStringLiteral("Marvik is still in use: close its other windows "
                                         "first, then exit."));
        return;
    }
    // The other windows are top-level too; closing the main window ends the
    // run. The store and its lock stay until the window itself goes, after
    // the event loop has returned.
    m_help->close();
    m_about->close();
    m_progress->hide();
    m_doorInfo->close();
    m_screenViewer->close();
    m_settings->close();
    m_closed = true;
    m_waitingTimer.stop();
    event->accept();
}

} // namespace marvik::app
