#pragma once

#include "state/AppFolders.h"
#include "state/Settings.h"

#include <QStringList>

#include <memory>

namespace marvik::store {
class MessageStore;
}

namespace marvik::ui {
class Progress;
}

namespace marvik::app {

// The start-up work that needs no window: folders, the store, the settings
// written straight back, the taglines. main() shows what it reports.
class Startup
{
public:
    Startup();
    ~Startup();

    // False when the program cannot run; errorText() says why.
    // A store of an earlier Marvik is upgraded first; a long upgrade (the
    // search index built for every message) reports to `upgradeProgress`.
    bool run(const QString &currentFolder, ui::Progress *upgradeProgress = nullptr);

    QString errorText() const { return m_error; }
    // After a failed run(): another running Marvik holds the store.
    bool storeInUse() const { return m_storeInUse; }
    // Something went wrong that does not stop the program (the settings file
    // could not be written back).
    QString warningText() const { return m_warning; }

    const state::AppFolders &folders() const { return m_folders; }
    const state::Settings &settings() const { return m_settings; }
    const QStringList &taglines() const { return m_taglines; }
    std::unique_ptr<store::MessageStore> takeStore();

private:
    state::AppFolders m_folders;
    state::Settings m_settings;
    QStringList m_taglines;
    std::unique_ptr<store::MessageStore> m_store;
    QString m_error;
    QString m_warning;
    bool m_storeInUse = false;
};

} // namespace marvik::app
