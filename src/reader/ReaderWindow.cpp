#include "reader/ReaderWindow.h"

#include "reader/EditorRequests.h"
#include "reader/MessageArchive.h"
#include "reader/MessageView.h"
#include "reader/PrintLayout.h"
#include "reader/PrinterLineSink.h"
#include "state/AppState.h"
#include "store/StoreError.h"
#include "ui/FileDialogs.h"
#include "ui/HelpTopics.h"
#include "ui/Prompts.h"
#include "ui/WindowMemory.h"
#include "ui/WindowPlacement.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollBar>
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
        return true;
    default:
        return false;
    }
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
    resize(800, 580);
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
    for (Command command : {Reply, Forward, Save, Print, Delete})
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
    m_view = new MessageView(central);
    m_view->setColours(m_state.settings().messageColours());
    m_view->setShowHidden(m_state.settings().showHiddenLines());
    m_text = m_view->textView();
    m_text->installEventFilter(this);
    connect(m_text, &QPlainTextEdit::copyAvailable, action(Copy), &QAction::setEnabled);
    action(Copy)->setEnabled(false);
    layout->addWidget(m_view, 1);
    setCentralWidget(central);
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
        started = m_navigator.start(conferenceNumber, startRow);
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
    showCurrent();
    m_memory->restore();
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
    showOrLeave([&] { return m_navigator.start(conferenceNumber, row); });
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
    showOrLeave([this] { return m_navigator.reopen(m_navigator.index()); });
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
    showOrLeave([this] { return m_navigator.deleteCurrent(); });
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
    QString error;
    if (!settings.save(m_state.folders().iniFile(), &error))
        m_state.prompts().error(
            QStringLiteral("The reader's settings could not be saved: %1").arg(error));
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
    return QMainWindow::eventFilter(watched, event);
}

} // namespace marvik::reader
