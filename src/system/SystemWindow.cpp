#include "system/SystemWindow.h"

#include "state/AppState.h"
#include "store/StoreError.h"
#include "system/BulletinTableModel.h"
#include "system/ConferenceTableModel.h"
#include "ui/HelpTopics.h"
#include "ui/Prompts.h"
#include "ui/WindowMemory.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QTableView>
#include <QToolBar>

namespace marvik::system {

namespace {

// Shows the busy cursor for as long as it lives.
class BusyCursor
{
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

// Shows the window again however the window that took its place ends, so a
// failure there never leaves the user without a window to close.
class ShowAgain
{
public:
    explicit ShowAgain(QWidget *window)
        : m_window(window)
    {
        m_window->hide();
    }
    ~ShowAgain()
    {
        m_window->show();
        m_window->raise();
        m_window->activateWindow();
    }
    ShowAgain(const ShowAgain &) = delete;
    ShowAgain &operator=(const ShowAgain &) = delete;

private:
    QWidget *m_window;
};

QTableView *makeGrid(QAbstractItemModel *model, const QList<int> &widths, QWidget *parent)
{
    auto *view = new QTableView(parent);
    view->setModel(model);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    view->setWordWrap(false);
    view->setTabKeyNavigation(false);
    view->verticalHeader()->hide();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
    QHeaderView *header = view->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setSectionsClickable(false);
    header->setHighlightSections(false);
    int width = 2 * view->frameWidth() + view->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    for (int column = 0; column < widths.size(); ++column) {
        // Never narrower than the heading, which a larger font would cut short.
        const int columnWidth = qMax(widths.at(column), header->sectionSizeHint(column));
        view->setColumnWidth(column, columnWidth);
        width += columnWidth;
    }
    view->setMinimumWidth(width);
    return view;
}

// Widens the columns that their heading or their texts (the counts of a
// large conference) would not fit; narrows none. Returns the width that
// shows every column.
int fitColumns(QTableView *view)
{
    QHeaderView *header = view->horizontalHeader();
    int width = 2 * view->frameWidth() + view->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    for (int column = 0; column < header->count(); ++column) {
        // Public through the base class: the texts of the rows in view.
        const int texts = static_cast<const QAbstractItemView *>(view)->sizeHintForColumn(column);
        const int wanted = qMax(texts, header->sectionSizeHint(column));
        if (view->columnWidth(column) < wanted)
            view->setColumnWidth(column, wanted);
        width += view->columnWidth(column);
    }
    return width;
}

// Centres the window on the available screen (the screen less panels and
// docks), shrunk to fit there, title bar and frame included.
void placeOnScreen(QWidget *window)
{
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    QSize frame = window->frameGeometry().size() - window->geometry().size();
    // Before the first showing the frame is not known yet: room for a title
    // bar. Qt then also places the inside of the window where it is moved to,
    // not its frame.
    const bool frameKnown = !frame.isEmpty();
    if (!frameKnown)
        frame = QSize(8, 40);
    const QPoint inside = frameKnown ? QPoint() : QPoint(frame.width() / 2, frame.height() * 3 / 4);
    window->resize(window->size().boundedTo(area.size() - frame));
    const QSize outer = window->size() + frame;
    window->move(QPoint(qMax(area.left(), area.center().x() - outer.width() / 2),
                     qMax(area.top(), area.center().y() - outer.height() / 2))
        + inside);
}

bool isEnterKey(const QKeyEvent *key)
{
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

} // namespace

SystemWindow::SystemWindow(state::AppState &state, QWidget *parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_state(state)
    , m_browser(state)
{
    resize(431, 450);

    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    QToolBar *bar = addToolBar(QStringLiteral("Commands"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setContextMenuPolicy(Qt::PreventContextMenu);
    bar->setIconSize(QSize(16, 16));

    m_welcome = file->addAction(QStringLiteral("Display &Welcome Screen"), this,
        [this] { ShowScreenClick(SystemBrowser::Screen::Welcome); });
    m_goodbye = file->addAction(QStringLiteral("Display &Goodbye Screen"), this,
        [this] { ShowScreenClick(SystemBrowser::Screen::Goodbye); });
    m_newsletter = file->addAction(QStringLiteral("Display &BBS Newsletter"), this,
        [this] { ShowScreenClick(SystemBrowser::Screen::Newsletter); });
    m_newFiles = file->addAction(QStringLiteral("Display &New Files List"), this,
        [this] { ShowScreenClick(SystemBrowser::Screen::NewFiles); });
    m_compose = file->addAction(
        QStringLiteral("&Compose New Message"), this, &SystemWindow::ComposeNewMessage1Click);
    m_next = file->addAction(QStringLiteral("Ne&xt Conference With Messages"), this,
        &SystemWindow::NextConferenceWithMessages1Click);
    m_bulkDelete = file->addAction(
        QStringLiteral("Bul&k Delete Messages"), this, &SystemWindow::BulkDeleteMessages1Click);
    file->addAction(QStringLiteral("Se&arch Messages"), QKeySequence(Qt::CTRL | Qt::Key_F), this,
        &SystemWindow::SearchMessages1Click);
    file->addSeparator();
    m_eraseRep = file->addAction(
        QStringLiteral("&Erase REP File"), this, &SystemWindow::EraseREPFile1Click);
    file->addSeparator();
    m_close = file->addAction(
        QStringLiteral("C&lose BBS System"), this, &SystemWindow::CloseBBSSystem1Click);

    // A menu command and its button are one action: enabled together, one
    // handler. The buttons run in their own order, with their own hints.
    const struct
    {
        QAction *action;
        const char *hint;
        QStyle::StandardPixmap icon;
    } buttons[] = {
        {m_welcome, "Display Welcome Screen", QStyle::SP_MessageBoxInformation},
        {m_goodbye, "Display Goodbye Screen", QStyle::SP_DialogNoButton},
        {m_newsletter, "Display BBS Newsletter", QStyle::SP_FileDialogContentsView},
        {m_newFiles, "Display New Files List", QStyle::SP_FileDialogDetailedView},
        {m_eraseRep, "Erase REP File", QStyle::SP_DialogDiscardButton},
        {m_bulkDelete, "Bulk Delete Messages", QStyle::SP_TrashIcon},
        {m_compose, "Compose New Message", QStyle::SP_FileIcon},
        {m_next, "Next Conference With Mail", QStyle::SP_ArrowRight},
        {m_close, "Close BBS System", QStyle::SP_DialogCloseButton},
    };
    for (const auto &button : buttons) {
        button.action->setToolTip(QString::fromLatin1(button.hint));
        button.action->setStatusTip(QString::fromLatin1(button.hint));
        button.action->setIcon(style()->standardIcon(button.icon));
        bar->addAction(button.action);
    }

    auto *central = new QWidget(this);
    auto *grid = new QGridLayout(central);
    grid->setContentsMargins(6, 6, 6, 6);
    m_conferenceModel = new ConferenceTableModel(state.conferences(), this);
    m_bulletinModel = new BulletinTableModel(state.bulletins(), this);
    m_conferenceView = makeGrid(m_conferenceModel, {50, 119, 54}, central);
    m_bulletinView = makeGrid(m_bulletinModel, {66, 66}, central);
    m_memory = new ui::WindowMemory(this, QStringLiteral("SystemWindow"), state.layouts());
    m_memory->remember(m_conferenceView->horizontalHeader(), QStringLiteral("Conferences"));
    m_memory->remember(m_bulletinView->horizontalHeader(), QStringLiteral("Bulletins"));
    auto *conferencesLabel = new QLabel(QStringLiteral("Conferences:"), central);
    conferencesLabel->setBuddy(m_conferenceView);
    auto *bulletinsLabel = new QLabel(QStringLiteral("Bulletins:"), central);
    bulletinsLabel->setBuddy(m_bulletinView);
    grid->addWidget(conferencesLabel, 0, 0);
    grid->addWidget(bulletinsLabel, 0, 1);
    grid->addWidget(m_conferenceView, 1, 0);
    grid->addWidget(m_bulletinView, 1, 1);
    grid->setColumnStretch(0, 1);
    setCentralWidget(central);

    m_conferenceView->installEventFilter(this);
    m_bulletinView->installEventFilter(this);
    connect(m_conferenceView, &QTableView::doubleClicked, this, &SystemWindow::OpenConference);
    connect(m_bulletinView, &QTableView::doubleClicked, this, &SystemWindow::OpenBulletin);
    connect(m_conferenceView->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
        &SystemWindow::activeRowChanged);
    activeRowChanged();

    // Esc is "&Close BBS System", with the questions that follow it.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &SystemWindow::CloseBBSSystem1Click);
    auto *help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this,
        [this] { m_state.help().showTopic(ui::HelpTopics::SystemWindowTopic); });
}

SystemWindow::~SystemWindow() = default;

void SystemWindow::run(const QString &qwkId)
{
    // While a system is open, another is not opened inside it.
    if (!m_wait.isWaiting())
        m_state.setCurrentQwkId(qwkId);
    run();
}

void SystemWindow::run()
{
    if (m_wait.isWaiting()) {
        raise();
        activateWindow();
        return;
    }
    if (!openSystem())
        return;
    m_wait.wait(m_closing);
    closeSystem();
}

bool SystemWindow::openSystem()
{
    std::optional<store::SystemRecord> system;
    {
        BusyCursor busy;
        setWindowTitle(m_state.currentQwkId());
        try {
            system = m_browser.load();
        } catch (const store::StoreError &error) {
            m_state.prompts().error(error.message());
            return false;
        }
        if (!system)
            return false;
        const std::pair<QAction *, SystemBrowser::Screen> screens[] = {
            {m_welcome, SystemBrowser::Screen::Welcome},
            {m_goodbye, SystemBrowser::Screen::Goodbye},
            {m_newsletter, SystemBrowser::Screen::Newsletter},
            {m_newFiles, SystemBrowser::Screen::NewFiles},
        };
        for (const auto &[action, screen] : screens)
            action->setEnabled(!SystemBrowser::screenText(*system, screen).isEmpty());
        updateEraseRep();

        // The personal conference is active at first, so compose and bulk
        // delete start disabled.
        selectEntry(qMin(1, m_state.conferences().count() - 1));
        m_conferenceView->scrollToTop();
        if (m_state.bulletins().count() > 0)
            m_bulletinView->setCurrentIndex(m_bulletinModel->index(0, 0));
        m_bulletinView->scrollToTop();
        m_closing = false;
    }
    // Where the user left it (this run or the last), else centred.
    const bool placed = m_memory->restore();
    const int conferencesWidth = fitColumns(m_conferenceView);
    const int bulletinsWidth = fitColumns(m_bulletinView);
    if (!placed) {
        // The first time ever: wide enough for every column.
        m_conferenceView->setMinimumWidth(qMax(m_conferenceView->minimumWidth(), conferencesWidth));
        m_bulletinView->setMinimumWidth(qMax(m_bulletinView->minimumWidth(), bulletinsWidth));
        resize(size().expandedTo(minimumSizeHint()));
        placeOnScreen(this);
    }
    show();
    raise();
    activateWindow();
    m_conferenceView->setFocus();
    return true;
}

void SystemWindow::closeSystem()
{
    m_closing = true;
    hide();
    guarded([this] { Q_EMIT repliesExportRequested(); });
    guarded([this] { Q_EMIT readMessagesCleanupRequested(); });
}

int SystemWindow::activeEntry() const
{
    const QModelIndex current = m_conferenceView->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void SystemWindow::selectEntry(int entry)
{
    if (entry < 0 || entry >= m_conferenceModel->rowCount())
        return;
    m_conferenceView->setCurrentIndex(m_conferenceModel->index(entry, 0));
}

void SystemWindow::activeRowChanged()
{
    const int entry = activeEntry();
    const bool real = entry >= 0 && !SystemBrowser::isReserved(entry);
    m_compose->setEnabled(real);
    m_bulkDelete->setEnabled(real);
}

void SystemWindow::updateEraseRep()
{
    m_eraseRep->setEnabled(m_browser.replyPacketExists());
}

void SystemWindow::guarded(const std::function<void()> &command)
{
    try {
        command();
    } catch (const store::StoreError &error) {
        m_state.prompts().error(error.message());
    }
}

void SystemWindow::ShowScreenClick(SystemBrowser::Screen screen)
{
    guarded([this, screen] {
        const QString text = m_browser.screenText(screen);
        if (text.isEmpty())
            return;
        Q_EMIT screenRequested(SystemBrowser::screenTitle(screen), text);
    });
}

void SystemWindow::ComposeNewMessage1Click()
{
    guarded([this] {
        const auto request = m_browser.composeRequest(activeEntry());
        if (!request)
            return;
        Q_EMIT editorRequested(*request);
        m_conferenceView->viewport()->update();
    });
}

void SystemWindow::NextConferenceWithMessages1Click()
{
    const int entry = activeEntry();
    if (entry < 0)
        return;
    selectEntry(m_browser.nextConferenceWithMessages(entry));
}

void SystemWindow::BulkDeleteMessages1Click()
{
    const int entry = activeEntry();
    if (SystemBrowser::isReserved(entry) || !m_browser.isEntry(entry))
        return;
    guarded([this, entry] {
        ShowAgain showAgain(this);
        Q_EMIT bulkDeleteRequested(entry + 1);
    });
}

void SystemWindow::EraseREPFile1Click()
{
    guarded([this] { Q_EMIT replyPacketEraseRequested(); });
    updateEraseRep();
}

void SystemWindow::CloseBBSSystem1Click()
{
    m_closing = true;
    m_wait.quit();
}

void SystemWindow::OpenConference()
{
    guarded([this] {
        if (m_browser.openConference(activeEntry()) == 0)
            return;
        {
            ShowAgain showAgain(this);
            Q_EMIT readerRequested(m_state.openConference());
        }
        m_conferenceView->viewport()->update();
    });
}

void SystemWindow::SearchMessages1Click()
{
    guarded([this] {
        {
            ShowAgain showAgain(this);
            Q_EMIT searchRequested(m_state.currentQwkId());
        }
        m_conferenceView->viewport()->update();
    });
}

void SystemWindow::AddConferenceRequest()
{
    // One key queues a message for the BBS: ask first, then say what went.
    guarded([this] {
        const int entry = activeEntry();
        const auto texts = m_browser.addRequestTexts(entry);
        if (!texts)
            return;
        ui::Prompts &prompts = m_state.prompts();
        if (!texts->refusal.isEmpty()) {
            prompts.inform(texts->refusal);
            return;
        }
        if (!prompts.ask(texts->question))
            return;
        if (m_browser.addConferenceRequest(entry, QDateTime::currentDateTime()))
            prompts.inform(texts->queued);
    });
}

void SystemWindow::OpenBulletin()
{
    const QModelIndex current = m_bulletinView->currentIndex();
    if (!current.isValid())
        return;
    guarded([this, row = current.row()] {
        const auto bulletin = m_browser.bulletin(row);
        if (!bulletin)
            return;
        ShowAgain showAgain(this);
        Q_EMIT screenRequested(bulletin->title, bulletin->text);
    });
}

bool SystemWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QMainWindow::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    if (watched == m_bulletinView && isEnterKey(key)) {
        OpenBulletin();
        return true;
    }
    if (watched != m_conferenceView)
        return QMainWindow::eventFilter(watched, event);
    if (isEnterKey(key)) {
        OpenConference();
        return true;
    }
    const QString text = key->text();
    if (text.compare(QLatin1String("c"), Qt::CaseInsensitive) == 0) {
        ComposeNewMessage1Click();
        return true;
    }
    if (text == QLatin1String("+")) {
        NextConferenceWithMessages1Click();
        return true;
    }
    if (text.compare(QLatin1String("a"), Qt::CaseInsensitive) == 0) {
        AddConferenceRequest();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void SystemWindow::closeEvent(QCloseEvent *event)
{
    // The window has no close box; a close from elsewhere (the desktop's
    // keyboard shortcut) is taken as "&Close BBS System".
    if (!m_closing) {
        event->ignore();
        CloseBBSSystem1Click();
        return;
    }
    QMainWindow::closeEvent(event);
}

} // namespace marvik::system
