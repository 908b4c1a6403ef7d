#include "app/MainWindow.h"
#include "app/SplashWindow.h"
#include "app/Startup.h"
#include "store/MessageStore.h"
#include "ui/MessageBoxPrompts.h"
#include "ui/ProgressWindow.h"

#include <QApplication>
#include <QDir>
#include <QIcon>

#include <memory>

using namespace marvik;

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Marvik"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));
    QApplication::setDesktopFileName(QStringLiteral("marvik"));
    // Every window carries the program's icon.
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/marvik.svg")));

    auto splash = std::make_unique<app::SplashWindow>();
    splash->showNow();

    ui::MessageBoxPrompts prompts;
    app::Startup startup;
    // Shown only when opening the store takes long: the first start after an
    // upgrade of the program builds the search index.
    ui::ProgressWindow upgradeProgress;
    if (!startup.run(QDir::currentPath(), &upgradeProgress)) {
        splash.reset();
        prompts.error(startup.errorText());
        return 1;
    }

    app::MainWindow window(
        startup.folders(), startup.settings(), startup.takeStore(), startup.taglines(), prompts);
    prompts.setParent(&window);
    window.setFirstShownHandler([&splash] { splash.reset(); });
    window.show();
    if (!startup.warningText().isEmpty())
        prompts.error(startup.warningText());
    return application.exec();
}
