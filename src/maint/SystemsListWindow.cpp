#include "maint/SystemsListWindow.h"

#include "maint/SystemsListDeleter.h"
#include "state/AppState.h"
#include "store/MessageStore.h"
#include "store/StoreError.h"
#include "ui/HelpTopics.h"
#include "ui/Prompts.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

namespace marvik::maint {

SystemsListWindow::SystemsListWindow(
    state::AppState &state, std::function<void()> runSystemWindow, QWidget *parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_state(state)
    , m_runSystemWindow(std::move(runSystemWindow))
{
    setWindowTitle(QStringLiteral("BBS Systems"));
    resize(160, 321);

    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    m_delete = file->addAction(
        QStringLiteral("&Delete BBS System"), this, &SystemsListWindow::DeleteBBSSystem1Click);
    file->addSeparator();
    m_close = file->addAction(QStringLiteral("&Close"), this, &SystemsListWindow::Close1Click);

    QToolBar *bar = addToolBar(QStringLiteral("Commands"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setContextMenuPolicy(Qt::PreventContextMenu);
    bar->setIconSize(QSize(16, 16));
    m_delete->setToolTip(QStringLiteral("Delete BBS System"));
    m_delete->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
    m_close->setToolTip(QStringLiteral("Close"));
    m_close->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    bar->addAction(m_delete);
    bar->addAction(m_close);

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(6, 6, 6, 6);
    auto *label = new QLabel(QStringLiteral("BBS Systems:"), central);
    m_list = new QListWidget(central);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    label->setBuddy(m_list);
    layout->addWidget(label);
    layout->addWidget(m_list);
    setCentralWidget(central);

    m_list->installEventFilter(this);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &SystemsListWindow::OpenSelectedSystem);
    auto *help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this,
        [this] { m_state.help().showTopic(ui::HelpTopics::SystemsListTopic); });
}

SystemsListWindow::~SystemsListWindow() = default;

void SystemsListWindow::run()
{
    if (m_wait.isWaiting()) {
        raise();
        activateWindow();
        return;
    }
    if (!openList())
        return;
    m_wait.wait(m_closing);
    hide();
}

bool SystemsListWindow::openList()
{
    m_closing = false;
    fillList();
    if (m_closing) {
        m_state.prompts().inform(QStringLiteral("There are no BBS systems available yet."));
        return false;
    }
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
    raise();
    activateWindow();
    m_list->setFocus();
    return true;
}

void SystemsListWindow::fillList()
{
    QStringList systems;
    try {
        systems = m_state.store().systemIds();
    } catch (const store::StoreError &error) {
        m_state.prompts().error(error.message());
    }
    m_list->clear();
    m_list->addItems(systems);
    if (systems.isEmpty()) {
        Close1Click();
        return;
    }
    m_list->setCurrentRow(0);
}

QString SystemsListWindow::selectedSystem() const
{
    const QListWidgetItem *item = m_list->currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

void SystemsListWindow::OpenSelectedSystem()
{
    const QString qwkId = selectedSystem();
    if (qwkId.isEmpty())
        return;
    hide();
    m_state.setCurrentQwkId(qwkId);
    if (m_runSystemWindow)
        m_runSystemWindow();
    show();
    raise();
    activateWindow();
}

void SystemsListWindow::DeleteBBSSystem1Click()
{
    const QString qwkId = selectedSystem();
    if (qwkId.isEmpty())
        return;
    m_state.setCurrentQwkId(qwkId);
    if (!m_state.prompts().ask(QStringLiteral("Are you sure you want to delete %1?").arg(qwkId)))
        return;
    hide();
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    SystemsListDeleter(m_state.operations(), m_state.progress(), m_state.prompts())
        .deleteSystem(qwkId);
    QGuiApplication::restoreOverrideCursor();
    fillList();
    if (!m_closing) {
        show();
        raise();
        activateWindow();
    }
}

void SystemsListWindow::Close1Click()
{
    m_closing = true;
    m_wait.quit();
}

bool SystemsListWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            OpenSelectedSystem();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void SystemsListWindow::closeEvent(QCloseEvent *event)
{
    // No close box; a close from the desktop is "&Close".
    if (!m_closing) {
        event->ignore();
        Close1Click();
        return;
    }
    QMainWindow::closeEvent(event);
}

} // namespace marvik::maint
