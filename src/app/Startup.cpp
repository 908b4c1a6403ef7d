#include "app/Startup.h"

#include "state/TaglinesFile.h"
#include "store/MessageStore.h"
#include "store/StoreError.h"
#include "store/StoreOperations.h"
#include "system/ReplyPacketRecovery.h"

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

    // A packing cut short by a crash is finished, or undone, before anything
    // can show the replies it holds.
    try {
        store::StoreOperations operations(*m_store);
        const system::ReplyPacketRecovery::Result settled
            = system::ReplyPacketRecovery::recover(operations);
        if (!settled.error.isEmpty())
            m_warning = QStringLiteral("An earlier packing of replies could not be checked: %1")
                            .arg(settled.error);
    } catch (const store::StoreError &e) {
        m_warning = QStringLiteral("An earlier packing of replies could not be finished: %1")
                        .arg(e.message());
    }

    m_settings = state::Settings(m_folders.base());
    QString problem;
    if (!m_settings.load(m_folders.iniFile(), &problem)
        || !m_settings.save(m_folders.iniFile(), &problem))
        m_warning = m_warning.isEmpty() ? problem : m_warning + u'\n' + problem;

    m_taglines = state::TaglinesFile::load(m_folders.taglinesFile());
    return true;
}

std::unique_ptr<store::MessageStore> Startup::takeStore()
{
    return std::move(m_store);
}

} // namespace marvik::app
