#include "maint/SystemsListWindow.h"

#include "maint/OnScreen.h"
#include "maint/SystemSummary.h"
#include "maint/SystemsListDeleter.h"
#include "state/AppState.h"
#include "store/MessageStore.h"
#include "store/StoreError.h"
#include "ui/HelpTopics.h"
#include "ui/Prompts.h"
#include "ui/WindowMemory.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace marvik::maint {

namespace {

enum Column
{
    IdColumn,
    NameColumn,
    UnreadColumn
};

} // namespace

SystemsListWindow::SystemsListWindow(state::AppState &state, QWidget *parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_state(state)
{
    setWindowTitle(QStringLiteral("BBS Systems"));
    resize(320, 321);

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
    m_list = new QTreeWidget(central);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setItemsExpandable(false);
    m_list->setAllColumnsShowFocus(true);
    m_list->setHeaderLabels(
        {QStringLiteral("BBS Id"), QStringLiteral("BBS Name"), QStringLiteral("Unread")});
    m_list->headerItem()->setTextAlignment(UnreadColumn, Qt::AlignRight | Qt::AlignVCenter);
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionsMovable(false);
    label->setBuddy(m_list);
    m_memory = new ui::WindowMemory(this, QStringLiteral("SystemsList"), state.layouts());
    m_memory->remember(m_list->header(), QStringLiteral("Systems"));
    layout->addWidget(label);
    layout->addWidget(m_list);
    setCentralWidget(central);

    m_list->installEventFilter(this);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &SystemsListWindow::OpenSelectedSystem);
    // Esc leaves the list as "&Close" does.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &SystemsListWindow::Close1Click);
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
    fitToContents();
    show();
    raise();
    activateWindow();
    m_list->setFocus();
    return true;
}

void SystemsListWindow::fillList()
{
    QList<SystemSummary> systems;
    try {
        systems = SystemSummary::readAll(m_state.store());
    } catch (const store::StoreError &error) {
        m_state.prompts().error(error.message());
    }
    m_list->clear();
    for (const SystemSummary &system : systems) {
        auto *item = new QTreeWidgetItem(
            m_list, {system.qwkId, system.bbsName, QString::number(system.unread)});
        item->setTextAlignment(UnreadColumn, Qt::AlignRight | Qt::AlignVCenter);
    }
    if (systems.isEmpty()) {
        Close1Click();
        return;
    }
    m_list->setCurrentItem(m_list->topLevelItem(0));
}

void SystemsListWindow::fitToContents()
{
    ensurePolished();
    // Where the user left it, with the widths given there, else fitted.
    const bool placed = m_memory->restore();
    int listWidth = 2 * m_list->frameWidth()
        + m_list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_list);
    for (int column = 0; column < m_list->columnCount(); ++column) {
        const int given = m_list->columnWidth(column);
        m_list->resizeColumnToContents(column);
        // Some room between the columns, so an id does not run into its name.
        const int wanted = m_list->columnWidth(column) + 12;
        m_list->setColumnWidth(column, placed ? qMax(given, wanted) : wanted);
        listWidth += m_list->columnWidth(column);
    }
    if (placed)
        return;
    const QMargins margins
        = centralWidget()->contentsMargins() + centralWidget()->layout()->contentsMargins();
    const int width = qMax(minimumSizeHint().width(), listWidth + margins.left() + margins.right());
    placeOnScreen(this, QSize(width, qMax(height(), 321)));
}

QString SystemsListWindow::selectedSystem() const
{
    const QTreeWidgetItem *item = m_list->currentItem();
    return item && item->isSelected() ? item->text(IdColumn) : QString();
}

void SystemsListWindow::OpenSelectedSystem()
{
    const QString qwkId = selectedSystem();
    if (qwkId.isEmpty())
        return;
    hide();
    Q_EMIT systemRequested(qwkId);
    // Reading, writing and the clean-up on close change the unread totals.
    fillList();
    if (m_closing)
        return;
    const auto found = m_list->findItems(qwkId, Qt::MatchExactly, IdColumn);
    if (!found.isEmpty())
        m_list->setCurrentItem(found.first());
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
    QString question;
    try {
        question = SystemSummary::read(m_state.store(), qwkId).deleteQuestion();
    } catch (const store::StoreError &error) {
        m_state.prompts().error(error.message());
        return;
    }
    if (!m_state.prompts().ask(question))
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
