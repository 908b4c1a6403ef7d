#include "state/AppState.h"

#include "store/MessageStore.h"
#include "store/SearchIndexer.h"
#include "ui/Progress.h"

namespace marvik::state {

AppState::AppState(const AppFolders &folders, const Settings &settings,
    std::unique_ptr<store::MessageStore> store, const QStringList &taglines)
    : m_folders(folders)
    , m_settings(settings)
    , m_windowSettings(folders.base().isEmpty() ? QString() : folders.iniFile())
    , m_taglines(taglines)
    , m_store(std::move(store))
{
    // A file that cannot be read leaves every window at its first place;
    // start-up has said so already.
    m_windowSettings.load();
    if (m_store) {
        m_operations = std::make_unique<store::StoreOperations>(*m_store);
        m_operations->setConferenceList(&m_conferences);
        // A long deletion lets the windows repaint while it reads its keys.
        m_operations->setEventPump([this] {
            if (m_services.progress)
                m_services.progress->processEvents();
        });
        m_messages = std::make_unique<store::LiveQuery>(*m_store);
        m_indexer = std::make_unique<store::SearchIndexer>(*m_store);
    }
}

AppState::~AppState()
{
    release();
}

void AppState::loadSystemLists()
{
    m_conferences.setConferences(m_currentQwkId, m_operations->conferencesForList(m_currentQwkId));
    QList<store::BulletinEntry> bulletins;
    for (const auto &[conference, bulletin] : m_store->bulletinNumbers(m_currentQwkId))
        bulletins.append({conference, bulletin});
    m_bulletins.setBulletins(bulletins);
}

void AppState::release()
{
    m_conferences.clear();
    m_bulletins.clear();
    m_doorSettings.clear();
    m_controlLines.clear();
    m_taglines.clear();
    m_messages.reset();
    m_indexer.reset();
    m_operations.reset();
    m_store.reset();
}

} // namespace marvik::state
