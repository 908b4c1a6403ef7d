#include "app/MainWindow.h"

#include "app/ImportSummary.h"
#include "app/OpenQwkFileCommand.h"
#include "app/PacketCheck.h"
#include "packet/PacketImporter.h"
#include "state/AppState.h"
#include "ui/DoorInfoWindow.h"
#include "ui/HelpTopics.h"
#include "ui/ProgressWindow.h"
#include "ui/Prompts.h"

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

MainWindow::MainWindow(state::AppState &state, ui::Prompts &prompts, ui::ProgressWindow &progress,
    ui::DoorInfoWindow &doorInfo, ui::HelpTopics &help, QWidget *parent)
    : QMainWindow(parent)
    , m_state(state)
    , m_prompts(prompts)
    , m_progress(progress)
    , m_doorInfo(doorInfo)
    , m_help(help)
{
    setWindowTitle(QStringLiteral("Marvik"));
    createMenus();

    auto *f1 = new QShortcut(QKeySequence::HelpContents, this);
    connect(f1, &QShortcut::activated, this,
        [this] { m_help.showTopic(ui::HelpTopics::MainWindowTopic); });
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

MainWindow::~MainWindow() = default;

void MainWindow::setWindowStack(const QList<QWidget *> &windows)
{
    m_windowStack.clear();
    for (QWidget *window : windows)
        m_windowStack.append(window);
}

void MainWindow::Search1Click()
{
    if (!m_state.hasStore() || m_commandsRunning > 0)
        return;
    // The search holds the store while it is up, as the systems list does.
    const Running running(m_commandsRunning);
    Q_EMIT searchRequested();
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

void MainWindow::setFirstShownHandler(std::function<void()> handler)
{
    m_firstShown = std::move(handler);
}

void MainWindow::OpenQWKFile1Click()
{
    importPacket([this] {
        return OpenQwkFileCommand::askForPacket(m_state.fileDialogs(), m_state.folders().work());
    });
}

void MainWindow::importPacket(const std::function<QString()> &choosePacket)
{
    if (!m_state.hasStore() || m_commandsRunning > 0)
        return;
    const Running running(m_commandsRunning);
    packet::PacketImporter importer(m_state.store(), m_progress, m_state.folders().temp());
    const std::optional<packet::ImportResult> result = OpenQwkFileCommand::run(choosePacket,
        importer, m_prompts, m_doorInfo, [this](bool enabled) { setEnabled(enabled); });
    if (!result)
        return;
    m_status->setText(ImportSummary::text(*result));
    if (result->qwkId.isEmpty())
        return;
    m_state.setCurrentQwkId(result->qwkId);
    m_state.doorSettings() = importer.doorSettings();
    m_state.controlLines() = importer.controlLines();
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
    return m_commandsRunning > 0 || !m_state.hasStore() || QApplication::activeModalWidget()
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
    if (!m_state.hasStore() || m_commandsRunning > 0)
        return;
    const Running running(m_commandsRunning);
    const QString status = m_status->text();
    // The main window waits while the systems list and what it opens are up.
    setEnabled(false);
    Q_EMIT systemsListRequested();
    setEnabled(true);
    m_status->setText(status);
}

void MainWindow::Options1Click()
{
    Q_EMIT settingsRequested();
}

void MainWindow::Exit1Click()
{
    close();
}

void MainWindow::Help2Click()
{
    m_help.showTopic(ui::HelpTopics::Contents);
}

void MainWindow::AboutMarvik1Click()
{
    Q_EMIT aboutRequested();
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
    for (const QPointer<QWidget> &window : m_windowStack) {
        if (window && window->isVisible())
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
    // Closing the main window ends the run. The store and its lock stay
    // until the controller goes, after the event loop has returned.
    Q_EMIT closing();
    m_closed = true;
    m_waitingTimer.stop();
    event->accept();
}

} // namespace marvik::app
