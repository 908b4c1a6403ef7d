#pragma once

#include "app/AppFolders.h"
#include "app/Settings.h"
#include "packet/DoorIdFile.h"

#include <QMainWindow>
#include <QStringList>

#include <functional>
#include <memory>

namespace marvik::store {
class MessageStore;
}

namespace marvik::screens {
class ScreenViewer;
}

namespace marvik::ui {
class DoorInfoWindow;
class FileDialogs;
class ProgressWindow;
class Prompts;
} // namespace marvik::ui

namespace marvik::app {

class AboutBox;
class HelpWindow;

// The thin window across the top of the screen whose menu starts every
// command. It owns what lives for the whole run: the store, the folders,
// the settings, the lists of the last import, the taglines, and the windows
// created once at start-up.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    MainWindow(const AppFolders &folders, const Settings &settings,
        std::unique_ptr<store::MessageStore> store, const QStringList &taglines,
        ui::Prompts &prompts, QWidget *parent = nullptr);
    ~MainWindow() override;

    // Left 0, top 0, as wide as the screen, only the menu bar high.
    void placeAtTop();

    store::MessageStore *store() const { return m_store.get(); }
    const AppFolders &folders() const { return m_folders; }
    Settings &settings() { return m_settings; }
    QStringList &taglines() { return m_taglines; }
    QStringList &controlLines() { return m_controlLines; }
    QList<packet::DoorIdRecord> &doorSettings() { return m_doorSettings; }
    QString currentQwkId() const { return m_currentQwkId; }
    void setCurrentQwkId(const QString &qwkId) { m_currentQwkId = qwkId; }

    ui::Prompts &prompts() const { return m_prompts; }
    ui::ProgressWindow &progress() const { return *m_progress; }
    ui::DoorInfoWindow &doorInfo() const { return *m_doorInfo; }
    ui::FileDialogs &fileDialogs() const { return *m_fileDialogs; }
    // Tests answer the file dialogs in advance.
    void setFileDialogs(std::unique_ptr<ui::FileDialogs> dialogs);
    HelpWindow &help() const { return *m_help; }
    AboutBox &aboutBox() const { return *m_about; }
    screens::ScreenViewer &screenViewer() const { return *m_screenViewer; }

    // What "&Open QWK File" runs: the packet import, unless replaced.
    void setOpenQwkFileHandler(std::function<void()> handler);
    // Called once, the first time the window is shown (the splash goes then).
    void setFirstShownHandler(std::function<void()> handler);

public Q_SLOTS:
    void OpenQWKFile1Click();
    void OpenBBSSystem1Click();
    void Options1Click();
    void Exit1Click();
    void Help2Click();
    void AboutMarvik1Click();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createMenus();
    // Asks for a packet and imports it into the store.
    void importPacket();
    // Frees the lists and closes the store; safe to call twice.
    void release();

    AppFolders m_folders;
    Settings m_settings;
    std::unique_ptr<store::MessageStore> m_store;
    QStringList m_taglines;
    QStringList m_controlLines;
    QList<packet::DoorIdRecord> m_doorSettings;
    QString m_currentQwkId;

    ui::Prompts &m_prompts;
    std::unique_ptr<AboutBox> m_about;
    std::unique_ptr<ui::ProgressWindow> m_progress;
    std::unique_ptr<ui::DoorInfoWindow> m_doorInfo;
    std::unique_ptr<ui::FileDialogs> m_fileDialogs;
    std::unique_ptr<HelpWindow> m_help;
    std::unique_ptr<screens::ScreenViewer> m_screenViewer;

    std::function<void()> m_openQwkFile;
    std::function<void()> m_firstShown;
};

} // namespace marvik::app
