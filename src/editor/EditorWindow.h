#pragma once

#include "state/EditorRequest.h"
#include "ui/WaitLoop.h"

#include <QMainWindow>

#include <optional>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QTextEdit;

namespace marvik::state {
class AppState;
}

namespace marvik::ui {
class WindowMemory;
}

namespace marvik::editor {

// "Marvik Message Editor": where a new message, a reply or a forwarded
// message is written. One window lives for the whole run and is hidden
// between uses. It holds widgets only: MessageSaver builds and stores the
// parts, MessageParts splits the text.
class EditorWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit EditorWindow(state::AppState &state, QWidget *parent = nullptr);
    ~EditorWindow() override;

    // Fills the window from `request`, shows it and returns once the message
    // is saved or the user confirmed Abort. What was stored is in the store.
    // While a message is being written, a second call never replaces it:
    // the editor comes to the front with it, and the call returns at once.
    void RunEditor(const state::EditorRequest &request);
    bool isOpen() const { return m_wait.isWaiting(); }

    // For the caller and tests: whether the last RunEditor ended by Save.
    bool saved() const { return m_saved; }
    // Fills the window as RunEditor does, without waiting.
    void fill(const state::EditorRequest &request);
    // The text's lines as the editor shows them wrapped; empty while the
    // editor is not shown.
    QStringList displayedLines() const;

    QComboBox *conferenceBox() const { return m_conference; }
    QLineEdit *fromEdit() const { return m_from; }
    QLineEdit *toEdit() const { return m_to; }
    QLineEdit *subjectEdit() const { return m_subject; }
    QLabel *refersToLabel() const { return m_refersTo; }
    QLabel *dateLabel() const { return m_date; }
    QCheckBox *privateBox() const { return m_private; }
    QTextEdit *textEdit() const { return m_text; }
    QAction *saveAction() const { return m_saveAction; }
    QAction *abortAction() const { return m_abortAction; }
    QAction *importAction() const { return m_importAction; }
    QAction *cutAction() const { return m_cutAction; }
    QAction *copyAction() const { return m_copyAction; }
    QAction *pasteAction() const { return m_pasteAction; }
    QAction *deleteAction() const { return m_deleteAction; }
    QAction *escapeAction() const { return m_escapeAction; }

public Q_SLOTS:
    void SaveMessage1Click();
    void AbortMessage1Click();
    void ImportFile1Click();
    // Enables the Edit menu's commands for the clipboard and the selection.
    void Edit4Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    void finish(bool saved);

    state::AppState &m_state;
    QComboBox *m_conference = nullptr;
    QLineEdit *m_from = nullptr;
    QLineEdit *m_to = nullptr;
    QLineEdit *m_subject = nullptr;
    QLabel *m_refersTo = nullptr;
    QLabel *m_date = nullptr;
    QCheckBox *m_private = nullptr;
    QTextEdit *m_text = nullptr;
    QAction *m_saveAction = nullptr;
    QAction *m_abortAction = nullptr;
    QAction *m_importAction = nullptr;
    QAction *m_cutAction = nullptr;
    QAction *m_copyAction = nullptr;
    QAction *m_pasteAction = nullptr;
    QAction *m_deleteAction = nullptr;
    QAction *m_selectAllAction = nullptr;
    QAction *m_escapeAction = nullptr;
    ui::WaitLoop m_wait;
    ui::WindowMemory *m_memory = nullptr;
    // Of the request being edited: see EditorRequest.
    std::optional<int> m_conferenceNumber;
    qint64 m_replacesRecord = 0;
    bool m_done = true;
    bool m_saved = false;
};

} // namespace marvik::editor
