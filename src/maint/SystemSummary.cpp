#include "maint/SystemSummary.h"

#include "store/MessageStore.h"
#include "store/Selection.h"
#include "store/Selections.h"

namespace marvik::maint {

QList<SystemSummary> SystemSummary::readAll(const store::MessageStore &store)
{
    QList<SystemSummary> systems;
    for (const QString &qwkId : store.systemIds())
        systems.append(read(store, qwkId));
    return systems;
}

SystemSummary SystemSummary::read(const store::MessageStore &store, const QString &qwkId)
{
    SystemSummary summary;
    summary.qwkId = qwkId;
    if (const auto system = store.findSystem(qwkId))
        summary.bbsName = system->bbsName;
    for (const store::ConferenceRecord &conference : store.conferences(qwkId)) {
        if (conference.number >= 0)
            summary.unread += qMax(0, conference.unreadMsgs);
    }
    // Counted from the rows, not the stored total: this number warns of a loss.
    summary.unsentReplies = store::CountSelection(store, store::Selections::replyMessages(qwkId));
    return summary;
}

QString SystemSummary::deleteQuestion() const
{
    QString question = QStringLiteral("Are you sure you want to delete %1?").arg(qwkId);
    if (unsentReplies == 1)
        question += QStringLiteral("\n\nIts unsent reply (the message in its Replies conference, "
                                   "not yet packed) will be lost with it.");
    else if (unsentReplies > 1)
        question += QStringLiteral("\n\nIts %1 unsent replies (the messages in its Replies "
                                   "conference, not yet packed) will be lost with it.")
                        .arg(unsentReplies);
    return question;
}

} // namespace marvik::maint
