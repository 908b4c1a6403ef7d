#include "maint/SettingsDialog.h"

#include "maint/OnScreen.h"
#include "maint/TaglinesDocument.h"
#include "state/AppState.h"
#include "state/TaglinesFile.h"
#include "ui/HelpTopics.h"
#include "ui/Prompts.h"
#include "ui/WindowMemory.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace marvik::maint {

SettingsDialog::SettingsDialog(state::AppState &state, QWidget *parent)
    : QDialog(parent)
    , m_state(state)
{
    setWindowTitle(tr("Configure Settings"));
    resize(639, 400);
    m_memory = new ui::WindowMemory(this, QStringLiteral("Settings"), state.layouts());

    auto *layout = new QVBoxLayout(this);
    m_tabs = new QTabWidget(this);
    m_taglines = new QPlainTextEdit(m_tabs);
    QFont font(QStringLiteral("DejaVu Sans Mono"), 9);
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    m_taglines->setFont(font);
    m_taglines->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Typing inserts, as in every other text box of the desktop: a tagline
    // typed in front of another must not eat it.
    m_taglines->setOverwriteMode(false);
    m_tabs->addTab(m_taglines, tr("Taglines"));
    layout->addWidget(m_tabs, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto *ok = new QPushButton(tr("&Ok"), this);
    ok->setDefault(true);
    auto *cancel = new QPushButton(tr("&Cancel"), this);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &SettingsDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &SettingsDialog::reject);
}

bool SettingsDialog::load()
{
    m_tabs->setCurrentIndex(0);
    QString text;
    QString error;
    if (!TaglinesDocument::load(m_state.folders().taglinesFile(), &text, &error)) {
        m_state.prompts().error(error);
        return false;
    }
    m_taglines->setPlainText(text);
    m_taglines->moveCursor(QTextCursor::Start);
    m_taglines->setFocus();
    return true;
}

bool SettingsDialog::run()
{
    if (!load())
        return false;
    // Where the user left it (this run or the last), else centred.
    if (!m_memory->restore())
        placeOnScreen(this, size());
    return exec() == QDialog::Accepted;
}

void SettingsDialog::accept()
{
    QString error;
    if (!m_state.settings().save(m_state.folders().iniFile(), &error))
        m_state.prompts().error(error);
    const QString path = m_state.folders().taglinesFile();
    if (!TaglinesDocument::save(path, m_taglines->toPlainText(), &error)) {
        m_state.prompts().error(error);
        return;
    }
    m_state.taglines() = state::TaglinesFile::load(path);
    QDialog::accept();
}

void SettingsDialog::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::HelpContents)) {
        m_state.help().showTopic(ui::HelpTopics::SettingsTopic);
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace marvik::maint
