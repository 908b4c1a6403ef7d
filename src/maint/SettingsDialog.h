#pragma once

#include <QDialog>

class QPlainTextEdit;
class QTabWidget;

namespace marvik::state {
class AppState;
}

namespace marvik::ui {
class WindowMemory;
}

namespace marvik::maint {

// "Configure Settings": the taglines file in a fixed-pitch editor. Ok saves the settings, writes
// MARVIK.TAG and reloads the taglines, so the next message can use a new one at once; Cancel
// changes nothing.
class SettingsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit SettingsDialog(state::AppState &state, QWidget *parent = nullptr);

    // Loads the taglines file and shows the dialog modally. Returns true
    // when it was closed with Ok and everything was written. A taglines
    // file that exists but cannot be read is reported and the dialog does
    // not open.
    bool run();

    // The parts of run() around the modal loop.
    bool load();

    QTabWidget *tabs() const { return m_tabs; }
    QPlainTextEdit *taglinesEdit() const { return m_taglines; }

public Q_SLOTS:
    // Ok: writes, then closes; a failed write keeps the dialog open so the
    // text is not lost.
    void accept() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    state::AppState &m_state;
    QTabWidget *m_tabs = nullptr;
    QPlainTextEdit *m_taglines = nullptr;
    ui::WindowMemory *m_memory = nullptr;
};

} // namespace marvik::maint
