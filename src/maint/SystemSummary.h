#pragma once

#include <QList>
#include <QString>

namespace marvik::store {
class MessageStore;
}

namespace marvik::maint {

// What the systems list shows of one BBS, and what deleting it would lose.
struct SystemSummary
{
    QString qwkId;
    QString bbsName;
    // Unread received messages over all its conferences (the personal
    // conference, which lists messages of the others, is not added again).
    int unread = 0;
    // Messages in its replies conference: written, not yet packed.
    int unsentReplies = 0;

    // Every system of the store in the list's order, the store's key order
    // (ascending BBS id).
    static QList<SystemSummary> readAll(const store::MessageStore &store);
    // One system; a system the store does not hold gives only its id.
    static SystemSummary read(const store::MessageStore &store, const QString &qwkId);

    // The question asked before the system is deleted; it says what is lost
    // that the user wrote and cannot get from the BBS again.
    QString deleteQuestion() const;
};

} // namespace marvik::maint
