#include "reader/ReaderWindow.h"

#include "reader/EditorRequests.h"
#include "reader/MessageArchive.h"
#include "reader/MessageListColumns.h"
#include "reader/MessageListModel.h"
#include "reader/MessageListView.h"
#include "reader/MessageRowCache.h"
#include "reader/MessageView.h"
#include "reader/PrintLayout.h"
#include "reader/PrinterLineSink.h"
#include "reader/ThreadTreeModel.h"
#include "state/AppState.h"
#include "store/LiveQuery.h"
#include "store/StoreError.h"
#include "ui/FileDialogs.h"
#include "ui/HelpTopics.h"
#include "ui/Prompts.h"
#include "ui/WindowMemory.h"
#include "ui/WindowPlacement.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QSplitter>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace marvik::reader {

namespace {

const QString NoMoreUnread
    = QStringLiteral("There are no more unread messages in this conference.");

// Keys that read on or switch how the message is drawn, which the text view
// would otherwise keep for moving its caret.
bool isReadingKey(const QKeyEvent *event)
{
    if (event->modifiers() & ~(Qt::KeypadModifier))
        return false;
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_N:
    case Qt::Key_P:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_C:
    case Qt::Key_K:
    case Qt::Key_T:
    case Qt::Key_M:
    case Qt::Key_L:
        return true;
    default:
        return false;
    }
}

// Keys a thread tree keeps for itself: collapsing and expanding.
bool isTreeKey(const QKeyEvent *event)
{
    if (event->modifiers() & ~(Qt::KeypadModifier))
        return false;
    return event->key() == Qt::Key_Left || event->key() == Qt::Key_Right;
}

const QList<std::pair<store::ListSort, QString>> &sortCaptions()
{
    static const QList<std::pair<store::ListSort, QString>> captions {
        {store::ListSort::Store, QStringLiteral("&Store Order")},
        {store::ListSort::Number, QStringLiteral("&Number")},
        {store::ListSort::From, QStringLiteral("&From")},
        {store::ListSort::To, QStringLiteral("&To")},
        {store::ListSort::Subject, QStringLiteral("S&ubject")},
        {store::ListSort::Date, QStringLiteral("&Date")}};
    return captions;
}

} // namespace

ReaderWindow::ReaderWindow(state::AppState &state, QWidget *parent)
    : QMainWindow(parent)
    , m_state(state)
    , m_navigator(state)
{
    setWindowTitle(QStringLiteral("Marvik Message Reader"));
    // No title-bar buttons: the reader is left through Exit Conference.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    resize(860, 700);
    m_memory = new ui::WindowMemory(this, QStringLiteral("Reader"), state.layouts());

    makeAction(First, QStringLiteral("&First Message"), QStringLiteral("First Message"), {},
        &ReaderWindow::SpeedButton3Click)
        ->setIconText(QStringLiteral("|\u25C0"));
    makeAction(Previous, QStringLiteral("&Previous Message\tP, Left"),
        QStringLiteral("Previous Message"), {Qt::Key_P, Qt::Key_Left},
        &ReaderWindow::SpeedButton2Click)
        ->setIconText(QStringLiteral("\u25C0"));
    makeAction(Next, QStringLiteral("&Next Message\tN, Right"), QStringLiteral("Next Message"),
        {Qt::Key_N, Qt::Key_Right}, &ReaderWindow::SpeedButton1Click)
        ->setIconText(QStringLiteral("\u25B6"));
    makeAction(Last, QStringLiteral("&Last Message"), QStringLiteral("Last Message"), {},
        &ReaderWindow::SpeedButton4Click)
        ->setIconText(QStringLiteral("\u25B6|"));
    makeAction(NextUnread, QStringLiteral("Next &Unread Message"),
        QStringLiteral("Next Unread Message"), {}, &ReaderWindow::SpeedButton5Click)
        ->setIconText(QStringLiteral("\u25B6\u25B6"));
    makeAction(ReadOn, QStringLiteral("Page &Down, Then Next Unread"),
        QStringLiteral("Page Down, Then Next Unread"), {Qt::Key_Space},
        &ReaderWindow::ReadOnKeyPress);
    makeAction(Reply, QStringLiteral("&Reply to Message"), QStringLiteral("Reply to Message"),
        {QKeySequence(Qt::CTRL | Qt::Key_R)}, &ReaderWindow::Reply1Click)
        ->setIconText(QStringLiteral("Reply"));
    makeAction(Delete, QStringLiteral("&Delete Message"), QStringLiteral("Delete Message"), {},
        &ReaderWindow::DeleteMessage1Click)
        ->setIconText(QStringLiteral("Delete"));
    makeAction(Forward, QStringLiteral("&Forward Message"), QStringLiteral("Forward Message"), {},
        &ReaderWindow::ForwardMessage1Click)
        ->setIconText(QStringLiteral("Forward"));
    makeAction(Save, QStringLiteral("&Save Message"), QStringLiteral("Save Message"),
        {QKeySequence(Qt::CTRL | Qt::Key_S)}, &ReaderWindow::SaveMessage1Click)
        ->setIconText(QStringLiteral("Save"));
    makeAction(Print, QStringLiteral("&Print Message"), QStringLiteral("Print Message"),
        {QKeySequence(Qt::CTRL | Qt::Key_P)}, &ReaderWindow::Print1Click)
        ->setIconText(QStringLiteral("Print"));
    makeAction(Exit, QStringLiteral("E&xit Conference"), QStringLiteral("Exit Conference"),
        {Qt::Key_Escape}, &ReaderWindow::Exit1Click)
        ->setIconText(QStringLiteral("Exit"));
    makeAction(Copy, QStringLiteral("&Copy"), QStringLiteral("Copy"),
        QKeySequence::keyBindings(QKeySequence::Copy), &ReaderWindow::Copy1Click);
    makeAction(SelectAll, QStringLiteral("&Select All"), QStringLiteral("Select All"),
        QKeySequence::keyBindings(QKeySequence::SelectAll), &ReaderWindow::SelectAll1Click);
    makeAction(Help, QStringLiteral("Reader &Help"), QStringLiteral("Reader Help"),
        QKeySequence::keyBindings(QKeySequence::HelpContents), &ReaderWindow::HelpKeyPress);

    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    makeAction(Mark, QStringLiteral("&Mark Message\tM"),
        QStringLiteral("Mark or unmark this message"), {Qt::Key_M}, &ReaderWindow::MarkClick)
        ->setIconText(QStringLiteral("Mark"));
    action(Mark)->setCheckable(true);
    for (Command command : {Reply, Forward, Save, Print, Delete, Mark})
        file->addAction(action(command));
    file->addSeparator();
    // Searching every message; its hits come back here as the selection.
    file->addAction(QStringLiteral("Se&arch Messages"), QKeySequence(Qt::CTRL | Qt::Key_F), this,
        &ReaderWindow::Search1Click);
    file->addSeparator();
    file->addAction(action(Exit));

    m_editMenu = menuBar()->addMenu(QStringLiteral("&Edit"));
    m_editMenu->addAction(action(Copy));
    m_editMenu->addAction(action(SelectAll));
    connect(m_editMenu, &QMenu::aboutToShow, this, &ReaderWindow::Edit1Click);

    // The reading keys, shown where users look for them.
    QMenu *go = menuBar()->addMenu(QStringLiteral("&Go"));
    for (Command command : {First, Previous, Next, Last, NextUnread})
        go->addAction(action(command));
    go->addSeparator();
    go->addAction(action(ReadOn));

    makeAction(ShowColours, QStringLiteral("Message &Colours\tC"),
        QStringLiteral("Follow the message's colour codes, or show them as written"), {Qt::Key_C},
        &ReaderWindow::ColoursClick);
    makeAction(ShowHidden, QStringLiteral("&Hidden Lines\tK"),
        QStringLiteral("Show the lines the mail network wrote for itself"), {Qt::Key_K},
        &ReaderWindow::HiddenLinesClick);
    makeAction(Rot13, QStringLiteral("&Rot13\tT"), QStringLiteral("Decode a rot13 text"),
        {Qt::Key_T}, &ReaderWindow::Rot13Click);
    QMenu *view = menuBar()->addMenu(QStringLiteral("&View"));
    for (Command command : {ShowColours, ShowHidden, Rot13}) {
        action(command)->setCheckable(true);
        view->addAction(action(command));
    }
    action(ShowColours)->setChecked(m_state.settings().messageColours());
    action(ShowHidden)->setChecked(m_state.settings().showHiddenLines());
    buildListMenus(view);

    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(action(Help));

    m_toolBar = addToolBar(QStringLiteral("Reader"));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_toolBar->toggleViewAction()->setEnabled(false);
    for (Command command :
        {First, Previous, Next, Last, NextUnread, Reply, Delete, Forward, Save, Print, Exit})
        m_toolBar->addAction(action(command));

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 4);
    m_splitter = new QSplitter(Qt::Vertical, central);
    m_splitter->setChildrenCollapsible(false);
    m_listPane = new QWidget(m_splitter);
    auto *listLayout = new QVBoxLayout(m_listPane);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->setSpacing(2);
    m_filter = new QLineEdit(m_listPane);
    m_filter->setPlaceholderText(QStringLiteral("Filter: From, To or Subject containing..."));
    m_filter->setClearButtonEnabled(true);
    m_filterDelay = new QTimer(this);
    m_filterDelay->setSingleShot(true);
    m_filterDelay->setInterval(250);
    connect(m_filter, &QLineEdit::textEdited, m_filterDelay, qOverload<>(&QTimer::start));
    connect(m_filter, &QLineEdit::returnPressed, this, &ReaderWindow::filterEdited);
    connect(m_filterDelay, &QTimer::timeout, this, &ReaderWindow::filterEdited);
    m_filter->installEventFilter(this);
    listLayout->addWidget(m_filter);
    m_list = new MessageListView(m_listPane);
    if (m_state.hasStore()) {
        m_rowCache = std::make_unique<MessageRowCache>(m_state.store(), m_state.messages());
        m_flat = new MessageListModel(*m_rowCache, m_state.messages(), this);
        m_tree = new ThreadTreeModel(*m_rowCache, this);
        // Threads the user closed stay closed when the tree is built again
        // (a delete, a new sort); every other one opens.
        connect(m_tree, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
            m_collapsed.clear();
            if (m_list->model() != m_tree)
                return;
            const auto &threads = m_tree->threads();
            for (int position = 0; position < int(threads.size()); ++position) {
                const QModelIndex node = m_tree->indexOfPosition(position);
                if (m_tree->hasChildren(node) && !m_list->isExpanded(node))
                    m_collapsed.insert(threads[size_t(position)].key);
            }
        });
        connect(m_tree, &QAbstractItemModel::modelReset, this, [this] {
            if (m_list->model() != m_tree)
                return;
            m_list->expandAll();
            const auto &threads = m_tree->threads();
            for (int position = 0; position < int(threads.size()) && !m_collapsed.isEmpty();
                 ++position) {
                if (m_collapsed.contains(threads[size_t(position)].key))
                    m_list->collapse(m_tree->indexOfPosition(position));
            }
        });
        m_list->setModel(m_flat);
        connect(m_list->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &ReaderWindow::listLineChosen);
    }
    m_list->installEventFilter(this);
    connect(m_list, &QAbstractItemView::activated, this, [this] { m_text->setFocus(); });
    connect(m_list->header(), &QHeaderView::sectionClicked, this, [this](int column) {
        const auto sort = MessageListColumns::sortOf(column);
        if (!sort) {
            updateListMenus();
            return;
        }
        sortList(*sort, *sort == m_order.sort ? !m_order.descending : false);
    });
    listLayout->addWidget(m_list, 1);
    m_memory->remember(m_list->header(), QStringLiteral("List"));
    m_memory->remember(m_splitter, QStringLiteral("Split"));
    m_view = new MessageView(m_splitter);
    m_view->setColours(m_state.settings().messageColours());
    m_view->setShowHidden(m_state.settings().showHiddenLines());
    m_text = m_view->textView();
    m_text->installEventFilter(this);
    connect(m_text, &QPlainTextEdit::copyAvailable, action(Copy), &QAction::setEnabled);
    action(Copy)->setEnabled(false);
    m_splitter->addWidget(m_listPane);
    m_splitter->addWidget(m_view);
    m_splitter->setStretchFactor(0, 1);
    m_splitter->setStretchFactor(1, 2);
    layout->addWidget(m_splitter, 1);
    setCentralWidget(central);
    m_listPane->setVisible(action(MessageList)->isChecked());
    updateListMenus();
}

ReaderWindow::~ReaderWindow() = default;

QAction *ReaderWindow::makeAction(Command command, const QString &text, const QString &hint,
    const QList<QKeySequence> &keys, void (ReaderWindow::*handler)())
{
    auto *action = new QAction(text, this);
    action->setToolTip(hint);
    action->setStatusTip(hint);
    action->setShortcuts(keys);
    addAction(action);
    connect(action, &QAction::triggered, this, handler);
    m_actions.insert(command, action);
    return action;
}

QLabel *ReaderWindow::headerValue(const QString &caption) const
{
    return m_view->headerValue(caption);
}

void ReaderWindow::RunReader(int conferenceNumber, int startRow)
{
    if (m_wait.isWaiting()) {
        raise();
        activateWindow();
        return;
    }
    if (!openConference(conferenceNumber, startRow))
        return;
    m_wait.wait(m_leave);
    closeConference();
}

bool ReaderWindow::openConference(int conferenceNumber, int startRow)
{
    m_leave = false;
    bool started = false;
    try {
        started = startInListOrder(conferenceNumber, startRow);
    } catch (const store::StoreError &error) {
        m_state.prompts().error(error.message());
    }
    if (!started) {
        m_leave = true;
        return false;
    }
    m_open = true;
    m_saidNothingUnread = false;
    const bool canForward = !m_navigator.isRepliesConference();
    action(Forward)->setEnabled(canForward);
    m_memory->restore();
    showCurrent();
    ui::WindowPlacement::fitIntoScreen(this);
    show();
    raise();
    activateWindow();
    m_text->setFocus();
    return true;
}

void ReaderWindow::showSelection(int conferenceNumber, int row)
{
    if (!m_open)
        return;
    showOrLeave([&] { return startInListOrder(conferenceNumber, row); });
    action(Forward)->setEnabled(!m_navigator.isRepliesConference());
}

void ReaderWindow::Search1Click()
{
    if (!m_open)
        return;
    // The search takes the reader's place; a hit opened there comes back
    // as this window's selection (showSelection).
    hide();
    Q_EMIT searchRequested(m_state.currentQwkId(), m_navigator.conference());
    if (!m_open)
        return;
    show();
    raise();
    activateWindow();
    m_text->setFocus();
}

void ReaderWindow::closeConference()
{
    m_open = false;
    m_leave = true;
    hide();
}

void ReaderWindow::leave()
{
    m_leave = true;
    // Gone at once, also while an editor opened from here is still up: the
    // wait ends when that editor's does.
    hide();
    m_wait.quit();
}

void ReaderWindow::guarded(const std::function<void()> &command)
{
    try {
        command();
    } catch (const store::StoreError &error) {
        m_state.prompts().error(error.message());
    }
    if (m_open && m_navigator.count() > 0)
        showCurrent();
}

void ReaderWindow::showCurrent()
{
    m_view->setMessage(m_navigator.current());
    action(Rot13)->setChecked(false);

    action(First)->setEnabled(m_navigator.canGoBack());
    action(Previous)->setEnabled(m_navigator.canGoBack());
    action(Next)->setEnabled(m_navigator.canGoOn());
    action(Last)->setEnabled(m_navigator.canGoOn());
    action(NextUnread)->setEnabled(m_navigator.nextUnreadEnabled());
    action(Mark)->setChecked(m_navigator.currentMarked());
    selectCurrentLine();
}

void ReaderWindow::SpeedButton1Click()
{
    guarded([this] { m_navigator.next(); });
}

void ReaderWindow::SpeedButton2Click()
{
    guarded([this] { m_navigator.prior(); });
}

void ReaderWindow::SpeedButton3Click()
{
    guarded([this] { m_navigator.first(); });
}

void ReaderWindow::SpeedButton4Click()
{
    guarded([this] { m_navigator.last(); });
}

void ReaderWindow::SpeedButton5Click()
{
    bool found = true;
    guarded([&] { found = m_navigator.findNextUnread(); });
    if (!found)
        m_state.prompts().inform(NoMoreUnread);
}

void ReaderWindow::Exit1Click()
{
    leave();
}

void ReaderWindow::Reply1Click()
{
    if (!m_open)
        return;
    const DisplayedMessage shown = m_navigator.current();
    if (!m_navigator.isRepliesConference()) {
        state::EditorRequest request;
        try {
            // A quote takes the text as read, without its codes.
            request = EditorRequests::reply(m_view->quoted(), m_navigator.yourName());
        } catch (const store::StoreError &error) {
            m_state.prompts().error(error.message());
            return;
        }
        callEditor(request);
        return;
    }

    // The stored reply stays until the edited one is saved in its place;
    // aborting the editor leaves it as it was. It is the user's own text,
    // edited as stored: codes and all.
    callEditor(EditorRequests::reEdit(shown));
    // The user may have read on meanwhile.
    showOrLeave([this] {
        if (!m_navigator.reopen(m_navigator.index()))
            return false;
        // The saved reply took the old one's place: its line and its thread.
        const auto rows = m_navigator.arrange(m_order, m_threads);
        if (rows)
            showList(m_threads, *rows);
        else if (m_model)
            m_model->reload();
        return true;
    });
}

void ReaderWindow::ForwardMessage1Click()
{
    if (!m_open || m_navigator.isRepliesConference())
        return;
    const QDateTime now = m_clock ? m_clock() : QDateTime::currentDateTime();
    state::EditorRequest request;
    try {
        request = EditorRequests::forward(m_view->quoted(), m_navigator.yourName(), now);
    } catch (const store::StoreError &error) {
        m_state.prompts().error(error.message());
        return;
    }
    callEditor(request);
}

void ReaderWindow::callEditor(const state::EditorRequest &request)
{
    // The editor stores what the user saves; a store failure there ends
    // that command, not the reader.
    try {
        Q_EMIT editorRequested(request);
    } catch (const store::StoreError &error) {
        m_state.prompts().error(error.message());
    }
}

void ReaderWindow::SaveMessage1Click()
{
    if (!m_open)
        return;
    const QString path
        = m_state.fileDialogs().saveFile(QStringLiteral("Save Message: Append to File"),
            m_state.folders().base(), QStringLiteral("All Files (*)"),
            m_state.settings().archiveName(), ui::FileDialogs::Existing::Append);
    if (path.isEmpty())
        return;
    m_state.settings().setArchiveName(path);
    QString error;
    if (!MessageArchive::append(path, m_view->shown(), &error))
        m_state.prompts().error(error);
}

void ReaderWindow::Print1Click()
{
    if (!m_open)
        return;
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    printTo(printer);
}

bool ReaderWindow::printTo(QPrinter &printer)
{
    PrinterLineSink sink(printer);
    if (!sink.begin()) {
        m_state.prompts().error(sink.errorString());
        return false;
    }
    PrintLayout layout(sink);
    layout.printMessage(m_view->shown());
    if (!sink.end()) {
        m_state.prompts().error(sink.errorString());
        return false;
    }
    return true;
}

void ReaderWindow::DeleteMessage1Click()
{
    if (!m_open)
        return;
    showOrLeave([this] {
        const int position = m_navigator.index() - 1;
        const int before = m_navigator.count();
        const auto removed = [&] {
            if (m_model && m_navigator.count() < before)
                m_model->rowRemoved(position);
        };
        try {
            const bool any = m_navigator.deleteCurrent();
            removed();
            return any;
        } catch (...) {
            removed();
            throw;
        }
    });
}

void ReaderWindow::showOrLeave(const std::function<bool()> &step)
{
    bool any = false;
    try {
        any = step();
    } catch (const store::StoreError &error) {
        m_state.prompts().error(error.message());
        any = m_navigator.count() > 0;
    }
    if (any)
        showCurrent();
    else
        leave();
}

void ReaderWindow::Edit1Click()
{
    action(Copy)->setEnabled(m_text->textCursor().hasSelection());
}

void ReaderWindow::Copy1Click()
{
    m_text->copy();
}

void ReaderWindow::SelectAll1Click()
{
    m_text->selectAll();
}

void ReaderWindow::ReadOnKeyPress()
{
    QScrollBar *bar = m_text->verticalScrollBar();
    if (bar->value() < bar->maximum()) {
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        return;
    }
    if (action(NextUnread)->isEnabled()) {
        SpeedButton5Click();
    } else if (!m_saidNothingUnread) {
        // Once, rather than doing nothing: a held Space must not bring box
        // after box.
        m_saidNothingUnread = true;
        m_state.prompts().inform(NoMoreUnread);
    }
}

void ReaderWindow::ColoursClick()
{
    m_view->setColours(action(ShowColours)->isChecked());
    rememberViewSettings();
}

void ReaderWindow::HiddenLinesClick()
{
    m_view->setShowHidden(action(ShowHidden)->isChecked());
    rememberViewSettings();
}

void ReaderWindow::Rot13Click()
{
    m_view->setRot13(action(Rot13)->isChecked());
}

void ReaderWindow::rememberViewSettings()
{
    state::Settings &settings = m_state.settings();
    settings.setMessageColours(m_view->colours());
    settings.setShowHiddenLines(m_view->showsHidden());
    settings.setMessageList(action(MessageList)->isChecked());
    settings.setListThreads(m_threads);
    settings.setListSort(m_order.sort);
    settings.setListDescending(m_order.descending);
    QString error;
    if (!settings.save(m_state.folders().iniFile(), &error))
        m_state.prompts().error(
            QStringLiteral("The reader's settings could not be saved: %1").arg(error));
}

void ReaderWindow::buildListMenus(QMenu *view)
{
    view->addSeparator();
    makeAction(MessageList, QStringLiteral("Message &List\tL"),
        QStringLiteral("Show or hide the list of messages"), {Qt::Key_L},
        &ReaderWindow::MessageListClick)
        ->setCheckable(true);
    action(MessageList)->setChecked(m_state.settings().messageList());
    view->addAction(action(MessageList));
    makeAction(Threads, QStringLiteral("&Threads"),
        QStringLiteral("Show each message under the one it answers"),
        {QKeySequence(Qt::CTRL | Qt::Key_T)}, &ReaderWindow::ThreadsClick)
        ->setCheckable(true);
    action(Threads)->setChecked(m_state.settings().listThreads());
    view->addAction(action(Threads));

    QMenu *sort = view->addMenu(QStringLiteral("&Sort By"));
    m_sortGroup = new QActionGroup(this);
    for (const auto &[kind, caption] : sortCaptions()) {
        QAction *item = sort->addAction(caption);
        item->setCheckable(true);
        item->setData(int(kind));
        m_sortGroup->addAction(item);
        connect(item, &QAction::triggered, this,
            [this, kind] { sortList(kind, m_descending->isChecked()); });
    }
    sort->addSeparator();
    m_descending = sort->addAction(QStringLiteral("&Descending"));
    m_descending->setCheckable(true);
    connect(
        m_descending, &QAction::triggered, this, [this](bool on) { sortList(m_order.sort, on); });

    QMenu *show = view->addMenu(QStringLiteral("Sho&w"));
    m_viewGroup = new QActionGroup(this);
    const QList<std::pair<store::ListView, QString>> views {
        {store::ListView::All, QStringLiteral("&All Messages")},
        {store::ListView::Unread, QStringLiteral("&Unread Only")},
        {store::ListView::Marked, QStringLiteral("&Marked Only")}};
    for (const auto &[kind, caption] : views) {
        QAction *item = show->addAction(caption);
        item->setCheckable(true);
        item->setData(int(kind));
        m_viewGroup->addAction(item);
        connect(item, &QAction::triggered, this, [this, kind] { showView(kind); });
    }
    makeAction(Filter, QStringLiteral("&Filter..."),
        QStringLiteral("Show the messages whose From, To or Subject holds a text"),
        {QKeySequence(Qt::CTRL | Qt::Key_L)}, &ReaderWindow::FilterClick);
    show->addSeparator();
    show->addAction(action(Filter));

    m_order.sort = m_state.settings().listSort();
    m_order.descending = m_state.settings().listDescending();
    m_threads = m_state.settings().listThreads();
}

bool ReaderWindow::startInListOrder(int conferenceNumber, int startRow)
{
    m_order.view = store::ListView::All;
    m_order.filter.clear();
    m_filter->clear();
    m_filter->setStyleSheet(QString());
    store::LiveQuery &messages = m_state.messages();
    const qint64 hit = startRow > 0 ? messages.key(startRow) : 0;
    auto rows = m_navigator.prepareOrder(m_order, m_threads);
    if (hit != 0)
        startRow = messages.rowOfKey(hit);
    if (!m_navigator.start(conferenceNumber, startRow))
        return false;
    showList(m_threads, rows ? std::move(*rows) : std::vector<ThreadRow>());
    return true;
}

bool ReaderWindow::applyList(const store::ListOrder &order, bool threads)
{
    if (!m_open) {
        m_order = order;
        m_threads = threads;
        updateListMenus();
        return true;
    }
    std::optional<std::vector<ThreadRow>> rows;
    try {
        rows = m_navigator.arrange(order, threads);
    } catch (const store::StoreError &error) {
        m_state.prompts().error(error.message());
        rows.reset();
    }
    if (!rows) {
        updateListMenus();
        return false;
    }
    m_order = order;
    m_threads = threads;
    showList(threads, std::move(*rows));
    showCurrent();
    return true;
}

void ReaderWindow::showList(bool threads, std::vector<ThreadRow> rows)
{
    if (!m_rowCache)
        return;
    QAbstractItemModel *wanted = threads ? static_cast<QAbstractItemModel *>(m_tree) : m_flat;
    const bool switching = m_list->model() != wanted;
    if (threads)
        m_tree->setThreads(std::move(rows));
    else
        m_flat->reload();
    m_model = threads ? static_cast<MessageListPositions *>(m_tree) : m_flat;
    if (switching) {
        QItemSelectionModel *old = m_list->selectionModel();
        m_list->setModel(wanted);
        delete old;
        connect(m_list->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &ReaderWindow::listLineChosen);
    }
    m_list->setRootIsDecorated(threads);
    // Threads are drawn where a reader follows them: in the subjects.
    m_list->setTreePosition(threads ? MessageListColumns::Subject : 0);
    // A tree already shown opened its threads as it was rebuilt.
    if (threads && switching)
        m_list->expandAll();
    if (!m_memory->hasKept(QStringLiteral("List"))) {
        static const int widths[] = {56, 22, 22, 22, 22, 130, 130, 240, 110};
        for (int column = 0; column < MessageListColumns::Count; ++column)
            m_list->setColumnWidth(column, widths[column]);
    }
    updateListMenus();
    selectCurrentLine();
}

void ReaderWindow::selectCurrentLine()
{
    if (!m_model)
        return;
    const int position = m_navigator.index() - 1;
    // Its line is read again only when reading or marking changed it.
    const store::MessageListRow &shown = m_rowCache->row(position);
    const store::LiveQuery &messages = m_state.messages();
    if (shown.key != messages.key(position + 1)
        || shown.read != messages.value(QStringLiteral("Read Flag")).toBool()
        || shown.marked != m_navigator.currentMarked())
        m_model->rowChanged(position);
    const QModelIndex line = m_model->indexOfPosition(position);
    if (!line.isValid())
        return;
    m_syncing = true;
    m_list->selectionModel()->setCurrentIndex(
        line, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    // A line leaving the view brings it back to the middle, not to the
    // edge: reading on then scrolls the list once a half page, not at
    // every message.
    const QRect visible = m_list->viewport()->rect();
    const QRect at = m_list->visualRect(line);
    if (!visible.contains(QRect(visible.left(), at.top(), 1, at.height())))
        m_list->scrollTo(line, QAbstractItemView::PositionAtCenter);
    m_syncing = false;
}

void ReaderWindow::listLineChosen(const QModelIndex &line)
{
    if (m_syncing || !m_open || !m_model)
        return;
    const int position = m_model->positionOf(line);
    if (position < 0 || position + 1 == m_navigator.index())
        return;
    guarded([&] { m_navigator.showRow(position + 1); });
}

void ReaderWindow::sortList(store::ListSort sort, bool descending)
{
    store::ListOrder order = m_order;
    order.sort = sort;
    order.descending = descending;
    if (applyList(order, m_threads))
        rememberViewSettings();
}

void ReaderWindow::showView(store::ListView view)
{
    store::ListOrder order = m_order;
    order.view = view;
    if (applyList(order, m_threads))
        return;
    if (view == store::ListView::Unread)
        m_state.prompts().inform(QStringLiteral("No message in this conference is unread."));
    else if (view == store::ListView::Marked)
        m_state.prompts().inform(QStringLiteral("No message in this conference is marked."));
}

void ReaderWindow::filterEdited()
{
    m_filterDelay->stop();
    const QString text = m_filter->text().trimmed();
    if (text == m_order.filter)
        return;
    store::ListOrder order = m_order;
    order.filter = text;
    // No line matches: the list stays as it was and the box says so.
    const bool shown = applyList(order, m_threads);
    m_filter->setStyleSheet(shown ? QString() : QStringLiteral("QLineEdit { color: #b00000; }"));
    m_filter->setToolTip(shown ? QString() : QStringLiteral("No message matches."));
}

void ReaderWindow::MarkClick()
{
    guarded([this] { m_navigator.toggleMarked(); });
}

void ReaderWindow::MessageListClick()
{
    const bool shown = action(MessageList)->isChecked();
    m_listPane->setVisible(shown);
    if (shown)
        selectCurrentLine();
    else
        m_text->setFocus();
    rememberViewSettings();
}

void ReaderWindow::ThreadsClick()
{
    if (applyList(m_order, action(Threads)->isChecked()))
        rememberViewSettings();
}

void ReaderWindow::FilterClick()
{
    if (!action(MessageList)->isChecked()) {
        action(MessageList)->setChecked(true);
        MessageListClick();
    }
    m_filter->setFocus();
    m_filter->selectAll();
}

void ReaderWindow::updateListMenus()
{
    for (QAction *item : m_sortGroup->actions())
        item->setChecked(item->data().toInt() == int(m_order.sort));
    m_descending->setChecked(m_order.descending);
    for (QAction *item : m_viewGroup->actions())
        item->setChecked(item->data().toInt() == int(m_order.view));
    action(Threads)->setChecked(m_threads);
    const int column = MessageListColumns::columnOf(m_order.sort);
    m_list->header()->setSortIndicator(
        column, m_order.descending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void ReaderWindow::HelpKeyPress()
{
    m_state.help().showTopic(ui::HelpTopics::ReaderTopic);
}

void ReaderWindow::closeEvent(QCloseEvent *event)
{
    if (!m_open) {
        event->accept();
        return;
    }
    // A close request from the desktop leaves the conference the usual way.
    event->ignore();
    leave();
}

bool ReaderWindow::eventFilter(QObject *watched, QEvent *event)
{
    // Let the reading keys reach their commands instead of moving the caret.
    if (watched == m_text && event->type() == QEvent::ShortcutOverride
        && isReadingKey(static_cast<QKeyEvent *>(event)))
        return true;
    if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const bool override = event->type() == QEvent::ShortcutOverride;
        // A thread tree opens and closes threads with Left and Right.
        if (watched == m_list && override && m_threads && isTreeKey(key)) {
            event->accept();
            return true;
        }
        // Esc in the filter box clears it before it leaves the conference.
        if (watched == m_filter && key->key() == Qt::Key_Escape && !m_filter->text().isEmpty()) {
            event->accept();
            if (!override) {
                m_filter->clear();
                filterEdited();
                m_list->setFocus();
            }
            return true;
        }
        if (watched == m_filter && !override && key->key() == Qt::Key_Down) {
            m_list->setFocus();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace marvik::reader
