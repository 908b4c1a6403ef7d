#include "editor/EditorWindow.h"

#include "editor/ImportedText.h"
#include "editor/MessageSaver.h"
#include "state/AppState.h"
#include "store/StoreError.h"
#include "ui/FileDialogs.h"
#include "ui/HelpTopics.h"
#include "ui/Prompts.h"
#include "ui/WindowMemory.h"
#include "ui/WindowPlacement.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <QToolBar>
#include <QVBoxLayout>

namespace marvik::editor {

namespace {

// Typed header fields hold what a packet header can carry.
constexpr int FieldLength = 25;

QFont messageFont()
{
    QFont font(QStringLiteral("DejaVu Sans Mono"), 9);
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    return font;
}

} // namespace

EditorWindow::EditorWindow(state::AppState &state, QWidget *parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_state(state)
{
    setWindowTitle(tr("Marvik Message Editor"));

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    auto *header = new QGridLayout;
    layout->addLayout(header);

    m_conference = new QComboBox(central);
    m_conference->setEditable(true);
    m_conference->setInsertPolicy(QComboBox::NoInsert);
    m_from = new QLineEdit(central);
    m_to = new QLineEdit(central);
    m_subject = new QLineEdit(central);
    for (QLineEdit *edit : {m_from, m_to, m_subject})
        edit->setMaxLength(FieldLength);
    m_refersTo = new QLabel(central);
    m_date = new QLabel(central);
    m_private = new QCheckBox(central);

    const auto addField = [&](int row, int column, const QString &caption, QWidget *field) {
        auto *label = new QLabel(caption, central);
        label->setBuddy(field);
        header->addWidget(label, row, column);
        header->addWidget(field, row, column + 1);
    };
    addField(0, 0, tr("&Conference:"), m_conference);
    addField(0, 2, tr("Date:"), m_date);
    addField(1, 0, tr("F&rom:"), m_from);
    addField(1, 2, tr("Refers To:"), m_refersTo);
    addField(2, 0, tr("&To:"), m_to);
    addField(2, 2, tr("&Private:"), m_private);
    addField(3, 0, tr("&Subject:"), m_subject);
    header->setColumnStretch(1, 1);
    header->setColumnStretch(3, 1);

    m_text = new QTextEdit(central);
    m_text->setAcceptRichText(false);
    m_text->setFont(messageFont());
    m_text->setLineWrapMode(QTextEdit::FixedColumnWidth);
    m_text->setLineWrapColumnOrWidth(MessageParts::WrapColumn);
    m_text->setWordWrapMode(QTextOption::WordWrap);
    m_text->setTabChangesFocus(false);
    layout->addWidget(m_text, 1);
    setCentralWidget(central);
    // Tab from Subject goes on to the text: on the Private box, typing would
    // be lost and Space would tick it. Private comes after the text, and
    // has its Alt key.
    setTabOrder(m_conference, m_from);
    setTabOrder(m_from, m_to);
    setTabOrder(m_to, m_subject);
    setTabOrder(m_subject, m_text);
    setTabOrder(m_text, m_private);

    buildMenus();
    const QFontMetrics metrics(messageFont());
    resize(metrics.horizontalAdvance(QLatin1Char('M')) * (MessageParts::WrapColumn + 24),
        metrics.height() * 36);
    m_memory = new ui::WindowMemory(this, QStringLiteral("Editor"), state.layouts());
}

EditorWindow::~EditorWindow() = default;

void EditorWindow::buildMenus()
{
    m_saveAction = new QAction(tr("&Save Message"), this);
    m_saveAction->setShortcut(QKeySequence::Save);
    m_saveAction->setToolTip(tr("Save Message"));
    connect(m_saveAction, &QAction::triggered, this, &EditorWindow::SaveMessage1Click);
    m_abortAction = new QAction(tr("&Abort Message"), this);
    m_abortAction->setToolTip(tr("Abort Message"));
    connect(m_abortAction, &QAction::triggered, this, &EditorWindow::AbortMessage1Click);
    m_importAction = new QAction(tr("&Import File"), this);
    m_importAction->setToolTip(tr("Import File"));
    connect(m_importAction, &QAction::triggered, this, &EditorWindow::ImportFile1Click);

    QMenu *file = menuBar()->addMenu(tr("&File"));
    file->addAction(m_saveAction);
    file->addAction(m_abortAction);
    file->addAction(m_importAction);

    m_cutAction = new QAction(tr("Cu&t"), this);
    m_cutAction->setShortcut(QKeySequence::Cut);
    connect(m_cutAction, &QAction::triggered, m_text, &QTextEdit::cut);
    m_copyAction = new QAction(tr("&Copy"), this);
    m_copyAction->setShortcut(QKeySequence::Copy);
    connect(m_copyAction, &QAction::triggered, m_text, &QTextEdit::copy);
    m_pasteAction = new QAction(tr("&Paste"), this);
    m_pasteAction->setShortcut(QKeySequence::Paste);
    connect(m_pasteAction, &QAction::triggered, m_text, &QTextEdit::paste);
    m_deleteAction = new QAction(tr("&Delete"), this);
    m_deleteAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Delete));
    connect(m_deleteAction, &QAction::triggered, this,
        [this] { m_text->textCursor().removeSelectedText(); });
    m_selectAllAction = new QAction(tr("&Select All"), this);
    m_selectAllAction->setShortcut(QKeySequence::SelectAll);
    connect(m_selectAllAction, &QAction::triggered, m_text, &QTextEdit::selectAll);
    // The text editor has these keys itself; the menu only shows them.
    for (QAction *action :
        {m_cutAction, m_copyAction, m_pasteAction, m_deleteAction, m_selectAllAction})
        action->setShortcutContext(Qt::WidgetShortcut);

    QMenu *edit = menuBar()->addMenu(tr("&Edit"));
    edit->addAction(m_cutAction);
    edit->addAction(m_copyAction);
    edit->addAction(m_pasteAction);
    edit->addAction(m_deleteAction);
    edit->addAction(m_selectAllAction);
    connect(edit, &QMenu::aboutToShow, this, &EditorWindow::Edit4Click);
    // Esc is Abort, with its question.
    m_escapeAction = new QAction(this);
    m_escapeAction->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(m_escapeAction, &QAction::triggered, this, &EditorWindow::AbortMessage1Click);
    addAction(m_escapeAction);
    auto *help = new QAction(this);
    help->setShortcut(QKeySequence::HelpContents);
    connect(help, &QAction::triggered, this,
        [this] { m_state.help().showTopic(ui::HelpTopics::EditorTopic); });
    addAction(help);

    QToolBar *tools = addToolBar(tr("Editor"));
    tools->setMovable(false);
    tools->addAction(m_saveAction);
    tools->addAction(m_abortAction);
    tools->addAction(m_importAction);
}

void EditorWindow::fill(const state::EditorRequest &request)
{
    m_conference->clear();
    for (const store::ConferenceEntry &entry : m_state.conferences().entries()) {
        if (entry.number >= 0)
            m_conference->addItem(entry.name);
    }
    m_conference->setEditText(request.conferenceName);
    m_from->setText(request.from);
    m_to->setText(request.to);
    m_subject->setText(request.subject);
    m_refersTo->setText(request.refersTo);
    m_private->setChecked(request.isPrivate);
    m_conferenceNumber = request.conferenceNumber;
    m_replacesRecord = request.replacesRecord;
    m_date->setText(MessageSaver::dateValue(QDateTime::currentDateTime()));
    // The last line end of a stored text only closes its last line; shown,
    // it would add an empty line at every re-edit.
    QString body = request.body;
    if (body.endsWith(QStringLiteral("\r\n")))
        body.chop(2);
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_text->setPlainText(body);
    m_text->moveCursor(QTextCursor::Start);
    m_saved = false;
}

void EditorWindow::RunEditor(const state::EditorRequest &request)
{
    if (m_wait.isWaiting()) {
        // The draft comes to the front as it is: the user finishes it first.
        raise();
        activateWindow();
        return;
    }
    // The keys go back to the window the message was started from.
    const QPointer<QWidget> caller = QApplication::activeWindow();
    fill(request);
    m_done = false;
    m_memory->restore();
    ui::WindowPlacement::fitIntoScreen(this);
    show();
    raise();
    activateWindow();
    m_text->setFocus();
    m_wait.wait(m_done);
    hide();
    if (caller && caller != this && caller->isVisible())
        caller->activateWindow();
}

void EditorWindow::finish(bool saved)
{
    m_saved = saved;
    m_done = true;
    // Gone at once, also when a window opened meanwhile still waits above
    // this editor's wait.
    hide();
    m_wait.quit();
}

void EditorWindow::SaveMessage1Click()
{
    const auto conference = MessageSaver::conferenceNumber(
        m_state.conferences(), m_conference->currentText(), m_conferenceNumber);
    if (!conference) {
        m_state.prompts().inform(tr("Invalid Conference Name."));
        m_conference->setFocus();
        return;
    }
    MessageSaver::Draft draft;
    draft.from = m_from->text();
    draft.to = m_to->text();
    draft.subject = m_subject->text();
    draft.refersTo = m_refersTo->text();
    draft.text = m_text->toPlainText();
    draft.lines = displayedLines();
    draft.isPrivate = m_private->isChecked();
    draft.dateValue = m_date->text();
    draft.replacesRecord = m_replacesRecord;
    switch (MessageSaver::missing(draft)) {
    case MessageSaver::Missing::To:
        m_state.prompts().inform(tr("The message is not addressed to anyone. Enter a name in "
                                    "To, or ALL for everyone."));
        m_to->setFocus();
        return;
    case MessageSaver::Missing::Text:
        m_state.prompts().inform(
            tr("The message has no text. Write it, or abort the message to leave."));
        m_text->setFocus();
        return;
    case MessageSaver::Missing::Nothing:
        break;
    }
    try {
        MessageSaver::save(
            m_state.operations(), m_state.currentQwkId(), draft, *conference, m_state.taglines());
    } catch (const store::StoreError &error) {
        // Nothing was stored; the text stays in the editor to be saved again.
        m_state.prompts().error(error.message());
        return;
    }
    finish(true);
}

QStringList EditorWindow::displayedLines() const
{
    if (!m_text->isVisible())
        return {};
    QTextDocument *document = m_text->document();
    document->documentLayout()->documentSize(); // lays out what is still pending
    QStringList lines;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        const QTextLayout *layout = block.layout();
        const QString text = block.text();
        if (!layout || layout->lineCount() == 0) {
            lines += MessageParts::displayLines(text);
            continue;
        }
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            QString shown = text.mid(line.textStart(), line.textLength());
            // The blanks at which a line wrapped hang past its end, unseen.
            if (i + 1 < layout->lineCount()) {
                while (shown.endsWith(u' '))
                    shown.chop(1);
            }
            lines.append(shown);
        }
    }
    return lines;
}

void EditorWindow::AbortMessage1Click()
{
    if (m_state.prompts().ask(tr("Abort the message?")))
        finish(false);
}

void EditorWindow::ImportFile1Click()
{
    const QString path = m_state.fileDialogs().openFile(
        tr("Import File"), m_state.folders().base(), tr("All Files (*)"));
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return;
    bool tooLarge = false;
    const auto lines = ImportedText::readLines(path, &tooLarge);
    if (!lines) {
        if (tooLarge)
            m_state.prompts().inform(tr("%1 is too large to import.").arg(path));
        return;
    }
    QTextCursor cursor(m_text->document());
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    bool first = m_text->document()->isEmpty();
    for (const QString &line : *lines) {
        if (!first)
            cursor.insertBlock();
        first = false;
        cursor.insertText(line);
    }
    cursor.endEditBlock();
}

void EditorWindow::Edit4Click()
{
    const QMimeData *clip = QApplication::clipboard()->mimeData();
    m_pasteAction->setEnabled(clip && clip->hasText());
    const bool selection = m_text->textCursor().hasSelection();
    m_cutAction->setEnabled(selection);
    m_copyAction->setEnabled(selection);
    m_deleteAction->setEnabled(selection);
}

void EditorWindow::closeEvent(QCloseEvent *event)
{
    // Left only by Save or a confirmed Abort.
    event->ignore();
    if (!m_done)
        AbortMessage1Click();
}

} // namespace marvik::editor
