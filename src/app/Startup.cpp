#include "app/Startup.h"

#include "state/TaglinesFile.h"
#include "store/MessageStore.h"
#include "store/StoreError.h"

#include <QLockFile>

namespace marvik::app {

Startup::Startup() = default;
Startup::~Startup() = default;

bool Startup::run(const QString &currentFolder, ui::Progress *upgradeProgress)
{
    m_error.clear();
    m_warning.clear();
    m_storeInUse = false;
    m_folders = state::AppFolders(currentFolder);

    // Folders first: in a folder we may not write to, the system's own
    // reason is the clearest message, and nothing else has been touched yet.
    if (!m_folders.create(&m_error))
        return false;

    try {
        m_store = std::make_unique<store::MessageStore>(m_folders.storeFile(), upgradeProgress);
    } catch (const store::StoreError &e) {
        m_error = e.message();
        // Asked of the lock itself rather than read from the message.
        QLockFile lock(m_folders.storeFile() + QLatin1String(".lock"));
        lock.setStaleLockTime(0);
        m_storeInUse = !lock.tryLock(0) && lock.error() == QLockFile::LockFailedError;
        return false;
    }

    m_settings = state::Settings(m_folders.base());
    QString problem;
    if (!m_settings.load(m_folders.iniFile(), &problem)
        || !m_settings.save(m_folders.iniFile(), &problem))
        m_warning = problem;

    m_taglines = state::TaglinesFile::load(m_folders.taglinesFile());
    return true;
}

std::unique_ptr<store::MessageStore> Startup::takeStore()
{
    return std::move(m_store);
}

} // namespace marvik::app
