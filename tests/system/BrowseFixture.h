#pragma once

#include "support/FakeFileDialogs.h"
#include "support/FakeProgress.h"
#include "support/FakePrompts.h"

#include "state/AppState.h"
#include "store/Database.h"
#include "store/MessageStore.h"
#include "store/Selection.h"
#include "ui/HelpTopics.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace browsetest {

using namespace marvik;

class FakeHelp : public ui::HelpTopics
{
public:
    QList<int> topics;
    void showTopic(int topic) override { topics.append(topic); }
};

// An application state over a store in a fresh folder, with scripted
// services; systems and messages are added directly.
struct BrowseFixture
{
    QTemporaryDir dir;
    testing::FakePrompts prompts;
    testing::FakeProgress progress;
    testing::FakeFileDialogs fileDialogs;
    FakeHelp help;
    std::unique_ptr<state::AppState> state;

    BrowseFixture()
    {
        const state::AppFolders folders(dir.path());
        folders.create(nullptr);
        state = std::make_unique<state::AppState>(folders, state::Settings(folders.base()),
            std::make_unique<store::MessageStore>(folders.storeFile()), QStringList());
        state->setServices({&prompts, &progress, &fileDialogs, &help});
    }

    store::MessageStore &store() { return state->store(); }

    // The reserved conferences first, as an import writes them.
    void addSystem(const QString &qwkId, const QList<std::pair<int, QString>> &conferences)
    {
        store::SystemRecord system;
        system.qwkId = qwkId;
        system.yourName = QStringLiteral("JOHN SMITH");
        system.controlName = QStringLiteral("QMAIL");
        system.add = QStringLiteral("ADD");
        store().saveSystem(system);
        store().saveConferenceName(-2, qwkId, QStringLiteral("Replies"));
        store().saveConferenceName(-1, qwkId, QStringLiteral("Personal"));
        for (const auto &[number, name] : conferences)
            store().saveConferenceName(number, qwkId, name);
    }

    // A received message, counted as an import counts it.
    qint64 addMessage(const QString &qwkId, int conference, bool read, bool personal = false)
    {
        store::MessageRecord m;
        m.qwkId = qwkId;
        m.conferenceNumber = conference;
        m.messageNumber = ++m_number;
        m.read = read;
        m.personal = personal;
        m.subject = QStringLiteral("Subject %1").arg(m_number);
        m.text = QStringLiteral("Text\r\n");
        const qint64 key = store().appendMessage(m);
        store().addToConferenceCounts(conference, qwkId, 1, read ? 0 : 1);
        if (personal && conference != -2)
            store().addToConferenceCounts(-1, qwkId, 1, read ? 0 : 1);
        return key;
    }

    int rows(const QString &where, const QVariantList &values)
    {
        return store::CountSelection(
            store(), store::Selection {store::Table::Messages, where, values});
    }

    // Each conference's stored counts agree with its rows.
    bool countsAgree(const QString &qwkId)
    {
        for (const store::ConferenceRecord &c : store().conferences(qwkId)) {
            const QString which = c.number == -1
                ? QStringLiteral(
                    "\"QwkID\" = ? AND \"Personal\" = 1 AND \"Conference Number\" <> -2 AND ? = -1")
                : QStringLiteral("\"QwkID\" = ? AND \"Conference Number\" = ?");
            const int total = rows(which, {qwkId, c.number});
            const int unread = c.number == -2
                ? 0
                : rows(which + QStringLiteral(" AND \"Read Flag\" = 0"), {qwkId, c.number});
            if (total != c.totalMsgs || unread != c.unreadMsgs) {
                qWarning("conference %d: stored %d - %d, rows %d - %d", c.number, c.totalMsgs,
                    c.unreadMsgs, total, unread);
                return false;
            }
        }
        return true;
    }

    // Makes every deletion of a message with this number fail, as a store
    // error in the middle of a long deletion would.
    void refuseDeleting(int messageNumber)
    {
        store().database().exec(
            QStringLiteral("CREATE TRIGGER refuse BEFORE DELETE ON MESSAGES WHEN "
                           "old.\"Message Number\" = %1 BEGIN SELECT RAISE(ABORT, 'disk "
                           "refused'); END")
                .arg(messageNumber));
    }

private:
    int m_number = 0;
};

} // namespace browsetest
