#include "system/SystemBrowser.h"

#include "state/AppState.h"
#include "store/MessageStore.h"
#include "store/Selections.h"
#include "system/PacketTimestamp.h"

#include <QDir>
#include <QFileInfo>

namespace marvik::system {

SystemBrowser::SystemBrowser(state::AppState &state)
    : m_state(state)
{ }

QString SystemBrowser::screenTitle(Screen screen)
{
    switch (screen) {
    case Screen::Welcome:
        return QStringLiteral("Welcome Screen");
    case Screen::Goodbye:
        return QStringLiteral("Goodbye Screen");
    case Screen::Newsletter:
        return QStringLiteral("Newsletter");
    case Screen::NewFiles:
        return QStringLiteral("New Files List");
    }
    return QString();
}

std::optional<store::SystemRecord> SystemBrowser::system() const
{
    return m_state.store().findSystem(m_state.currentQwkId());
}

std::optional<store::SystemRecord> SystemBrowser::load()
{
    auto row = system();
    if (row)
        m_state.loadSystemLists();
    return row;
}

QString SystemBrowser::screenText(const store::SystemRecord &system, Screen screen)
{
    switch (screen) {
    case Screen::Welcome:
        return system.welcomeScreen;
    case Screen::Goodbye:
        return system.goodbyeScreen;
    case Screen::Newsletter:
        return system.newsletter;
    case Screen::NewFiles:
        return system.newFiles;
    }
    return QString();
}

QString SystemBrowser::screenText(Screen screen) const
{
    const auto row = system();
    return row ? screenText(*row, screen) : QString();
}

QString SystemBrowser::replyPacketPath() const
{
    return QDir(m_state.folders().work()).filePath(m_state.currentQwkId() + QStringLiteral(".REP"));
}

bool SystemBrowser::replyPacketExists() const
{
    return !m_state.currentQwkId().isEmpty() && QFileInfo(replyPacketPath()).isFile();
}

bool SystemBrowser::isEntry(int entry) const
{
    return entry >= 0 && entry < m_state.conferences().count();
}

int SystemBrowser::openConference(int entry)
{
    if (!isEntry(entry))
        return 0;
    const QString qwkId = m_state.currentQwkId();
    const int number = m_state.conferences().at(entry).number;
    m_state.messages().open(store::Selections::conferenceMessages(qwkId, number));
    m_state.setOpenConference(number);
    const int count = m_state.messageCount();
    if (count > 0)
        m_state.operations().setConferenceTotal(qwkId, number, count);
    return count;
}

int SystemBrowser::nextConferenceWithMessages(int entry) const
{
    const auto &list = m_state.conferences();
    const int count = list.count();
    if (count == 0)
        return entry;
    for (int step = 1; step < count; ++step) {
        const int candidate = ((entry + step) % count + count) % count;
        if (list.at(candidate).total != 0)
            return candidate;
    }
    return entry;
}

std::optional<state::EditorRequest> SystemBrowser::composeRequest(int entry) const
{
    if (isReserved(entry) || !isEntry(entry))
        return std::nullopt;
    const auto row = system();
    state::EditorRequest request;
    request.conferenceName = m_state.conferences().at(entry).name;
    request.from = row ? row->yourName : QString();
    request.refersTo = QStringLiteral("0");
    return request;
}

bool SystemBrowser::takesRequests(const store::SystemRecord &system)
{
    return !system.add.trimmed().isEmpty();
}

std::optional<SystemBrowser::AddRequestTexts> SystemBrowser::addRequestTexts(int entry) const
{
    if (isReserved(entry) || !isEntry(entry))
        return std::nullopt;
    const auto row = system();
    if (!row)
        return std::nullopt;
    const store::ConferenceEntry &conference = m_state.conferences().at(entry);
    const QString which
        = QStringLiteral("conference %1 \"%2\"").arg(conference.number).arg(conference.name);
    AddRequestTexts texts;
    if (!takesRequests(*row)) {
        texts.refusal = QStringLiteral("No request to add %1 can be sent: the packets of %2 do "
                                       "not name the mail door's command for adding a "
                                       "conference.")
                            .arg(which, row->qwkId);
        return texts;
    }
    // The packet brought messages of it, so the BBS sends it already.
    if (conference.total > 0)
        texts.question = QStringLiteral("You already receive %1: %2 of its messages came in "
                                        "your packets.\n\nAsk %3 to add it anyway?")
                             .arg(which)
                             .arg(conference.total)
                             .arg(row->qwkId);
    else
        texts.question = QStringLiteral("Ask %1 to add %2 to your packets?").arg(row->qwkId, which);
    texts.question += QStringLiteral("\n\nThe request waits in Replies and goes out with your "
                                     "next reply packet.");
    texts.queued = QStringLiteral("A request to add %1 is queued in Replies (\"%2\" to %3). It "
                                  "goes out with your next reply packet.")
                       .arg(which, row->add, row->controlName);
    return texts;
}

bool SystemBrowser::addConferenceRequest(int entry, const QDateTime &now)
{
    if (isReserved(entry) || !isEntry(entry))
        return false;
    const auto row = system();
    if (!row || !takesRequests(*row))
        return false;
    store::MessageRecord request;
    request.status = QStringLiteral(" ");
    request.date = PacketTimestamp::date(now);
    request.time = PacketTimestamp::time(now);
    request.to = row->controlName;
    request.from = row->yourName;
    request.subject = row->add;
    request.referenceNumber = 0;
    request.text = QStringLiteral(" \r\n");
    request.replyConferenceNumber = m_state.conferences().at(entry).number;
    m_state.operations().storeWrittenMessage(row->qwkId, {request});
    return true;
}

std::optional<SystemBrowser::Bulletin> SystemBrowser::bulletin(int entry) const
{
    const auto &list = m_state.bulletins();
    if (entry < 0 || entry >= list.count())
        return std::nullopt;
    const store::BulletinEntry &item = list.at(entry);
    const auto row
        = m_state.store().findBulletin(m_state.currentQwkId(), item.conference, item.bulletin);
    if (!row)
        return std::nullopt;
    return Bulletin {QStringLiteral("Conference: %1  Bulletin Number: %2")
                         .arg(item.conference)
                         .arg(item.bulletin),
        row->text};
}

} // namespace marvik::system
