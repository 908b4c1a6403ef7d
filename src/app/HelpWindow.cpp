#include "app/HelpWindow.h"

#include "ui/WindowMemory.h"
#include "ui/WindowPlacement.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

// Resources of a static library must be registered by name; this cannot be
// done from inside a namespace.
static void registerHelpPages()
{
    Q_INIT_RESOURCE(help);
}

namespace marvik::app {

HelpWindow::HelpWindow(ui::LayoutStore *layouts, QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    registerHelpPages();
    setWindowTitle(QStringLiteral("Marvik Help"));
    m_browser = new QTextBrowser(this);
    m_browser->setOpenLinks(true);
    m_browser->setOpenExternalLinks(false);

    auto *contents = new QPushButton(QStringLiteral("Co&ntents"), this);
    auto *back = new QPushButton(QStringLiteral("&Back"), this);
    auto *close = new QPushButton(QStringLiteral("&Close"), this);
    connect(contents, &QPushButton::clicked, this, [this] { showTopic(Contents); });
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    back->setEnabled(false);
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(back);
    buttons->addStretch();
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_browser);
    resize(560, 480);
    m_memory = new ui::WindowMemory(this, QStringLiteral("Help"), layouts);
}

QUrl HelpWindow::pageFor(int context)
{
    const char *page = "contents";
    switch (context) {
    case OpeningPacket:
        page = "openpacket";
        break;
    case StoreAndFolders:
        page = "store";
        break;
    case MainWindowTopic:
        page = "mainwindow";
        break;
    case SystemsListTopic:
        page = "systemslist";
        break;
    case SystemWindowTopic:
        page = "systemwindow";
        break;
    case ReaderTopic:
        page = "reader";
        break;
    case EditorTopic:
        page = "editor";
        break;
    case SettingsTopic:
        page = "settings";
        break;
    case BulkDeleteTopic:
        page = "bulkdelete";
        break;
    case SearchTopic:
        page = "search";
        break;
    }
    return QUrl(QStringLiteral("qrc:/help/%1.html").arg(QLatin1String(page)));
}

void HelpWindow::showTopic(int context)
{
    m_browser->setSource(pageFor(context));
    m_memory->restore();
    ui::WindowPlacement::fitIntoScreen(this);
    show();
    raise();
    activateWindow();
}

} // namespace marvik::app
