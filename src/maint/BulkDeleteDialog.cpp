#include "maint/BulkDeleteDialog.h"

#include "maint/BulkDeleter.h"
#include "maint/OnScreen.h"
#include "state/AppState.h"
#include "ui/HelpTopics.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QVBoxLayout>

#include <algorithm>

namespace marvik::maint {

namespace {

// Room the title bar takes beside the caption: the icon and the buttons.
constexpr int CaptionMargin = 150;

} // namespace

BulkDeleteDialog::BulkDeleteDialog(state::AppState &state, QWidget *parent)
    : QDialog(parent)
    , m_state(state)
{
    setWindowModality(Qt::ApplicationModal);
    auto *layout = new QVBoxLayout(this);

    auto *conferences = new QGroupBox(QStringLiteral("Conferences"), this);
    auto *conferencesLayout = new QVBoxLayout(conferences);
    m_thisConference = new QRadioButton(QStringLiteral("This Conference"), conferences);
    m_allConferences = new QRadioButton(QStringLiteral("All Conferences"), conferences);
    conferencesLayout->addWidget(m_thisConference);
    conferencesLayout->addWidget(m_allConferences);

    auto *kinds = new QGroupBox(QStringLiteral("Type of Messages"), this);
    auto *kindsLayout = new QVBoxLayout(kinds);
    m_readMessages = new QRadioButton(QStringLiteral("Read Messages"), kinds);
    m_allMessages = new QRadioButton(QStringLiteral("All Messages"), kinds);
    kindsLayout->addWidget(m_readMessages);
    kindsLayout->addWidget(m_allMessages);

    auto *groups = new QHBoxLayout;
    groups->addWidget(conferences);
    groups->addWidget(kinds);
    layout->addLayout(groups);

    auto *buttons = new QHBoxLayout;
    m_ok = new QPushButton(QStringLiteral("&Ok"), this);
    m_cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    // A deletion is never what Enter does by accident.
    m_ok->setAutoDefault(false);
    m_cancel->setDefault(true);
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    buttons->addStretch();
    layout->addLayout(buttons);

    connect(m_ok, &QPushButton::clicked, this, &BulkDeleteDialog::Button1Click);
    connect(m_cancel, &QPushButton::clicked, this, &BulkDeleteDialog::Button2Click);
    auto *help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this,
        [this] { m_state.help().showTopic(ui::HelpTopics::BulkDeleteTopic); });
}

BulkDeleteDialog::~BulkDeleteDialog() = default;

void BulkDeleteDialog::run(int entryIndex)
{
    if (m_wait.isWaiting()) {
        raise();
        activateWindow();
        return;
    }
    if (!openFor(entryIndex))
        return;
    m_wait.wait(m_done);
    hide();
}

bool BulkDeleteDialog::openFor(int entryIndex)
{
    const auto &list = m_state.conferences();
    if (entryIndex < 1 || entryIndex > list.count())
        return false;
    const store::ConferenceEntry &entry = list.at(entryIndex - 1);
    m_done = false;
    m_thisConference->setChecked(true);
    m_readMessages->setChecked(true);
    setWindowTitle(
        QStringLiteral("Delete Messages - %1: %2").arg(m_state.currentQwkId(), entry.name));
    m_conference = entry.number;
    // The caption names the system and the conference; the title bar would
    // cut it short on a dialog sized only for its buttons.
    const int captionWidth = fontMetrics().horizontalAdvance(windowTitle()) + CaptionMargin;
    placeOnScreen(this, QSize(std::max(sizeHint().width(), captionWidth), sizeHint().height()));
    show();
    raise();
    activateWindow();
    m_cancel->setFocus();
    return true;
}

void BulkDeleteDialog::Button1Click()
{
    if (m_done)
        return;
    // Nothing else may start while the deletion lets events run.
    m_ok->setEnabled(false);
    m_cancel->setEnabled(false);
    BulkDeleter deleter(m_state.operations(), m_state.progress(), m_state.prompts());
    deleter.deleteMessages(m_state.currentQwkId(), m_conference,
        m_allConferences->isChecked() ? BulkDeleter::Scope::AllConferences
                                      : BulkDeleter::Scope::ThisConference,
        m_allMessages->isChecked() ? BulkDeleter::Kind::AllMessages
                                   : BulkDeleter::Kind::ReadMessages);
    m_ok->setEnabled(true);
    m_cancel->setEnabled(true);
    finish();
}

void BulkDeleteDialog::Button2Click()
{
    finish();
}

void BulkDeleteDialog::finish()
{
    m_done = true;
    if (!m_wait.quit())
        hide();
}

void BulkDeleteDialog::reject()
{
    if (m_ok->isEnabled())
        Button2Click();
}

void BulkDeleteDialog::closeEvent(QCloseEvent *event)
{
    // The title bar's close is Cancel; while deleting it waits.
    event->ignore();
    if (m_ok->isEnabled())
        Button2Click();
}

} // namespace marvik::maint
