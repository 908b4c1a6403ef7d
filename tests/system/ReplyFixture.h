#pragma once

#include "packet/ZipArchive.h"
#include "state/AppState.h"
#include "store/MessageStore.h"
#include "store/Selections.h"
#include "support/FakeFileDialogs.h"
#include "support/FakeProgress.h"
#include "support/FakePrompts.h"
#include "ui/HelpTopics.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace replytest {

using namespace marvik;

inline const QString Id = QStringLiteral("MYBBS");

class NoHelp : public ui::HelpTopics
{
public:
    void showTopic(int) override { }
};

// A program state over a fresh store holding system MYBBS with conferences
// 0, 5 and 300 ("Conference 5"...), its folders in a temporary base folder.
// The editor's tests use it too.
struct ReplyFixture
{
    QTemporaryDir dir;
    testing::FakePrompts prompts;
    testing::FakeProgress progress;
    testing::FakeFileDialogs dialogs;
    NoHelp help;
    std::unique_ptr<state::AppState> state;

    explicit ReplyFixture(const QStringList &taglines = {})
    {
        const state::AppFolders folders(dir.path());
        QString error;
        folders.create(&error);
        auto store = std::make_unique<store::MessageStore>(folders.storeFile());
        store::SystemRecord system;
        system.qwkId = Id;
        store->saveSystem(system);
        store->saveConferenceName(-2, Id, QStringLiteral("Replies"));
        store->saveConferenceName(-1, Id, QStringLiteral("Personal"));
        for (int c : {0, 5, 300})
            store->saveConferenceName(c, Id, QStringLiteral("Conference %1").arg(c));
        state = std::make_unique<state::AppState>(
            folders, state::Settings(dir.path()), std::move(store), taglines);
        state->setServices({&prompts, &progress, &dialogs, &help});
        state->setCurrentQwkId(Id);
        state->loadSystemLists();
    }

    store::MessageStore &store() { return state->store(); }

    QList<store::MessageRecord> storeReply(
        const QString &text, int conference = 5, const QString &subject = QStringLiteral("Subject"))
    {
        store::MessageRecord m;
        m.status = QStringLiteral(" ");
        m.date = QStringLiteral("12-24-96");
        m.time = QStringLiteral("18:05");
        m.to = QStringLiteral("ALL");
        m.from = QStringLiteral("JOHN SMITH");
        m.subject = subject;
        m.text = text;
        m.replyConferenceNumber = conference;
        return state->operations().storeWrittenMessage(Id, {m});
    }

    void addReceived(int conference, int number, bool read, bool personal = false)
    {
        store::MessageRecord m;
        m.qwkId = Id;
        m.conferenceNumber = conference;
        m.messageNumber = number;
        m.read = read;
        m.personal = personal;
        m.text = QStringLiteral("text\r\n");
        store().appendMessage(m);
        store().addToConferenceCounts(conference, Id, 1, read ? 0 : 1);
        if (personal)
            store().addToConferenceCounts(-1, Id, 1, read ? 0 : 1);
    }

    QList<store::MessageRecord> storedReplies()
    {
        QList<store::MessageRecord> result;
        store::LiveQuery query(store());
        query.open(store::Selections::replyMessages(Id));
        for (int row = 1; row <= query.count(); ++row) {
            query.moveToRow(row);
            result.append(query.message());
        }
        return result;
    }

    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return QString();
        return file.fileName();
    }

    int replies() { return store::CountSelection(store(), store::Selections::replyMessages(Id)); }
    int total(int conference) { return store().findConference(conference, Id)->totalMsgs; }
    int unread(int conference) { return store().findConference(conference, Id)->unreadMsgs; }

    QString packetPath() const
    {
        return QDir(dir.path()).filePath(QStringLiteral("WORK/MYBBS.REP"));
    }

    static QByteArray readFile(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // The packet's message file, unpacked apart from the program's folders.
    QByteArray packetMessageFile()
    {
        const QString out = dir.filePath(QStringLiteral("check"));
        QDir(out).removeRecursively();
        QDir().mkpath(out);
        QString error;
        if (!packet::ZipArchive::extractAll(packetPath(), out, {}, &error))
            return QByteArray();
        return readFile(QDir(out).filePath(QStringLiteral("MYBBS.MSG")));
    }
};

} // namespace replytest
