#pragma once

#include "store/Selection.h"

#include <QString>
#include <optional>

namespace marvik::store {

// Every selection the windows open, by name. Each yields its rows in key
// order: conferences by ascending number (so -2 and -1 come first), messages
// and bulletins in append order.
class Selections
{
public:
    // Conferences of a system (system window's list).
    static Selection conferences(const QString &qwkId);
    // A conference of a system by its name; several rows with one name come
    // lowest number first.
    static Selection conferenceByName(const QString &qwkId, const QString &name);
    // The replies conference row of a system.
    static Selection repliesConference(const QString &qwkId);

    // Bulletins of a system (bulletin list, and the old bulletins at import).
    static Selection bulletins(const QString &qwkId);
    static Selection bulletin(const QString &qwkId, int conference, int bulletin);

    // Messages of one conference; -1 gives every personal message of the
    // system whatever its conference.
    static Selection conferenceMessages(const QString &qwkId, int conference);
    // Written messages waiting to be packed (conference -2).
    static Selection replyMessages(const QString &qwkId);
    // Read received messages, for the clean-up when a system is closed.
    static Selection readMessages(const QString &qwkId);
    // Bulk delete: only read messages or all; one conference, or (nullopt)
    // every conference but the replies.
    static Selection bulkDelete(const QString &qwkId, bool onlyRead, std::optional<int> conference);

    // Everything of one system, for deleting it: bulletins, messages, conferences.
    static Selection systemBulletins(const QString &qwkId);
    static Selection systemMessages(const QString &qwkId);
    static Selection systemConferences(const QString &qwkId);
};

} // namespace marvik::store
