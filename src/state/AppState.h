#pragma once

#include "packet/DoorIdFile.h"
#include "state/AppFolders.h"
#include "state/EditorRequest.h"
#include "state/Settings.h"
#include "state/WindowSettings.h"
#include "store/BulletinList.h"
#include "store/ConferenceList.h"
#include "store/LiveQuery.h"
#include "store/StoreOperations.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

namespace marvik::store {
class MessageStore;
class SearchIndexer;
} // namespace marvik::store

namespace marvik::ui {
class FileDialogs;
class HelpTopics;
class Progress;
class Prompts;
} // namespace marvik::ui

namespace marvik::state {

// What the whole run shares, handed to every window when it is made: the
// store and its operations, the open system with its conference and bulletin
// lists, the open message selection, the settings, folders and taglines, what
// the last import read, and the services through which windows ask the user.
// Windows read and change state here, never through the main window.
class AppState
{
public:
    struct Services
    {
        ui::Prompts *prompts = nullptr;
        ui::Progress *progress = nullptr;
        ui::FileDialogs *fileDialogs = nullptr;
        ui::HelpTopics *help = nullptr;
    };

    AppState(const AppFolders &folders, const Settings &settings,
        std::unique_ptr<store::MessageStore> store, const QStringList &taglines);
    ~AppState();
    AppState(const AppState &) = delete;
    AppState &operator=(const AppState &) = delete;

    void setServices(const Services &services) { m_services = services; }
    ui::Prompts &prompts() const { return *m_services.prompts; }
    ui::Progress &progress() const { return *m_services.progress; }
    ui::FileDialogs &fileDialogs() const { return *m_services.fileDialogs; }
    ui::HelpTopics &help() const { return *m_services.help; }

    bool hasStore() const { return m_store != nullptr; }
    store::MessageStore &store() const { return *m_store; }
    store::StoreOperations &operations() { return *m_operations; }
    // Brings the search index up to the stored messages in the background;
    // the application starts it.
    store::SearchIndexer &searchIndexer() const { return *m_indexer; }

    const AppFolders &folders() const { return m_folders; }
    Settings &settings() { return m_settings; }
    // Where windows keep their size, place and columns: [Windows] in
    // MARVIK.INI, read when the state is made.
    ui::LayoutStore *layouts() { return &m_windowSettings; }
    QStringList &taglines() { return m_taglines; }

    // The system open in the system window (or last imported).
    QString currentQwkId() const { return m_currentQwkId; }
    void setCurrentQwkId(const QString &qwkId) { m_currentQwkId = qwkId; }

    store::ConferenceList &conferences() { return m_conferences; }
    store::BulletinList &bulletins() { return m_bulletins; }
    // Refills both lists from the store for the current system.
    void loadSystemLists();

    // The open message selection: MessageCount rows, the current one at
    // MessageIndex (1-based; 0 when there is none).
    store::LiveQuery &messages() { return *m_messages; }
    int messageCount() const { return m_messages->count(); }
    int messageIndex() const { return m_messages->rowNumber(); }
    // The conference whose messages the selection holds (-1: Personal,
    // -2: the replies).
    int openConference() const { return m_openConference; }
    void setOpenConference(int number) { m_openConference = number; }

    QStringList &controlLines() { return m_controlLines; }
    QList<packet::DoorIdRecord> &doorSettings() { return m_doorSettings; }

    // Frees the lists and closes the store; safe to call twice.
    void release();

private:
    AppFolders m_folders;
    Settings m_settings;
    WindowSettings m_windowSettings;
    QStringList m_taglines;
    std::unique_ptr<store::MessageStore> m_store;
    std::unique_ptr<store::StoreOperations> m_operations;
    std::unique_ptr<store::SearchIndexer> m_indexer;
    std::unique_ptr<store::LiveQuery> m_messages;
    store::ConferenceList m_conferences;
    store::BulletinList m_bulletins;
    QString m_currentQwkId;
    int m_openConference = 0;
    QStringList m_controlLines;
    QList<packet::DoorIdRecord> m_doorSettings;
    Services m_services;
};

} // namespace marvik::state
