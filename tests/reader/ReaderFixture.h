#pragma once

#include "../store/StoreTestUtil.h"
#include "state/AppState.h"
#include "store/Selections.h"
#include "support/FakeFileDialogs.h"
#include "support/FakeProgress.h"
#include "support/FakePrompts.h"
#include "ui/HelpTopics.h"

#include <QList>
#include <QTemporaryDir>
#include <memory>

namespace readertest {

using namespace marvik;

class FakeHelp : public ui::HelpTopics
{
public:
    QList<int> topics;
    void showTopic(int topic) override { topics.append(topic); }
};

// System "A" with conferences 0..2 in a fresh store, the application state
// over it with scripted services, and messages added the way an import
// counts them.
struct ReaderFixture
{
    QTemporaryDir dir;
    testing::FakePrompts prompts;
    testing::FakeProgress progress;
    testing::FakeFileDialogs files;
    FakeHelp help;
    std::unique_ptr<state::AppState> state;

    ReaderFixture()
    {
        auto store
            = std::make_unique<store::MessageStore>(dir.filePath(QStringLiteral("MARVIK.db")));
        storetest::addSystem(*store, QStringLiteral("A"), 3);
        state = std::make_unique<state::AppState>(state::AppFolders(dir.path()),
            state::Settings(dir.path()), std::move(store), QStringList());
        state->setServices({&prompts, &progress, &files, &help});
        state->setCurrentQwkId(QStringLiteral("A"));
    }

    store::MessageStore &db() { return state->store(); }

    void add(store::MessageRecord m)
    {
        m.qwkId = QStringLiteral("A");
        db().appendMessage(m);
        const int unread = (!m.read && m.conferenceNumber != -2) ? 1 : 0;
        db().addToConferenceCounts(m.conferenceNumber, m.qwkId, 1, unread);
        if (m.personal && m.conferenceNumber != -2)
            db().addToConferenceCounts(-1, m.qwkId, 1, unread);
    }

    // Messages numbered 1.. in `conference`; `reads` says which are read ('r')
    // and which are not ('u').
    void addMessages(int conference, const QString &reads)
    {
        for (int i = 0; i < reads.size(); ++i)
            add(storetest::message(QStringLiteral("A"), conference, i + 1, reads.at(i) == 'r'));
    }

    void open(int conference)
    {
        state->loadSystemLists();
        state->messages().open(
            store::Selections::conferenceMessages(QStringLiteral("A"), conference));
    }

    // Stored (total, unread) of a conference.
    std::pair<int, int> counts(int conference)
    {
        const auto row = db().findConference(conference, QStringLiteral("A"));
        return row ? std::pair {row->totalMsgs, row->unreadMsgs} : std::pair {-1, -1};
    }
};

} // namespace readertest
