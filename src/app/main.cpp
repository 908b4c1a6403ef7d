#include "app/AppController.h"
#include "app/InstanceChannel.h"
#include "app/LaunchOptions.h"
#include "app/MainWindow.h"
#include "app/SplashWindow.h"
#include "app/Startup.h"
#include "store/MessageStore.h"
#include "ui/MessageBoxPrompts.h"
#include "ui/ProgressWindow.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QIcon>
#include <QThread>
#include <QTimer>

#include <memory>

using namespace marvik;

namespace {

// How long a second start waits for the running Marvik to take its packets.
constexpr int HandOverMs = 3000;

// While a Marvik that has just taken the store is not yet listening, a
// second start asks again for a little while before giving up.
bool handOverToStarting(const QString &name, const QStringList &files)
{
    const QDeadlineTimer deadline(HandOverMs);
    while (!deadline.hasExpired()) {
        if (app::InstanceChannel::handOver(name, files, int(deadline.remainingTime())))
            return true;
        QThread::msleep(50);
    }
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Marvik"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));
    QApplication::setDesktopFileName(QStringLiteral("marvik"));
    // Every window carries the program's icon.
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/marvik.svg")));

    const app::LaunchOptions options
        = app::LaunchOptions::parse(QApplication::arguments(), QDir::currentPath());
    ui::MessageBoxPrompts prompts;

    // From a terminal Marvik works where it is started; from the desktop
    // menu or a file manager (whose current folder is the home folder or
    // anything) in a folder of its own.
    QString folder = QDir::currentPath();
    if (options.fromDesktop()) {
        folder = app::LaunchOptions::desktopFolder(QDir::homePath());
        if (!QDir().mkpath(folder)) {
            prompts.error(QStringLiteral("Cannot create the folder %1, where Marvik keeps its "
                                         "messages.")
                              .arg(QDir::toNativeSeparators(folder)));
            return 1;
        }
        // A relative name in the settings means the same as from a terminal
        // start there.
        QDir::setCurrent(folder);
    }

    // A Marvik already running in this folder takes the packets instead.
    const QString serverName = app::InstanceChannel::serverName(folder);
    if (app::InstanceChannel::handOver(serverName, options.files(), HandOverMs))
        return 0;

    auto splash = std::make_unique<app::SplashWindow>();
    splash->showNow();

    app::Startup startup;
    // Shown only when opening the store takes long: the first start after an
    // upgrade of the program builds the search index.
    ui::ProgressWindow upgradeProgress;
    if (!startup.run(folder, &upgradeProgress)) {
        if (startup.storeInUse() && handOverToStarting(serverName, options.files()))
            return 0;
        splash.reset();
        prompts.error(startup.errorText());
        return 1;
    }

    app::AppController controller(
        startup.folders(), startup.settings(), startup.takeStore(), startup.taglines(), prompts);
    app::MainWindow &window = controller.mainWindow();
    prompts.setParent(&window);
    window.setFirstShownHandler([&splash] { splash.reset(); });

    app::InstanceChannel channel;
    QObject::connect(
        &channel, &app::InstanceChannel::filesHandedOver, &window, &app::MainWindow::openPackets);
    // Without the channel Marvik still works; a second start is refused as before.
    channel.listen(serverName);

    window.show();
    if (!startup.warningText().isEmpty())
        prompts.error(startup.warningText());
    if (!options.files().isEmpty())
        window.openPackets(options.files());
    return application.exec();
}
