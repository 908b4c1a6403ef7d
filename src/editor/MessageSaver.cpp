#include "editor/MessageSaver.h"

#include "store/ConferenceList.h"
#include "store/StoreOperations.h"

namespace marvik::editor {

QString MessageSaver::dateValue(const QDateTime &when)
{
    return when.toString(QStringLiteral("MM-dd-yy hh:mm"));
}

MessageSaver::Missing MessageSaver::missing(const Draft &draft)
{
    if (draft.to.trimmed().isEmpty())
        return Missing::To;
    const QString &text = draft.lines.isEmpty() ? draft.text : draft.lines.join(u'\n');
    if (text.trimmed().isEmpty())
        return Missing::Text;
    return Missing::Nothing;
}

std::optional<int> MessageSaver::conferenceNumber(
    const store::ConferenceList &conferences, const QString &name, std::optional<int> kept)
{
    const QString wanted = name.toUpper();
    if (kept && *kept >= 0) {
        const int index = conferences.indexOfConference(*kept);
        if (index >= 0 && conferences.at(index).name.toUpper() == wanted)
            return kept;
    }
    for (const store::ConferenceEntry &entry : conferences.entries()) {
        if (entry.number < 0)
            continue;
        if (entry.name.toUpper() == wanted)
            return entry.number;
    }
    return std::nullopt;
}

QList<store::MessageRecord> MessageSaver::buildParts(const Draft &draft, int conference,
    const QStringList &taglines, const MessageParts::TaglinePicker &pick)
{
    bool numeric = false;
    const int reference = draft.refersTo.trimmed().toInt(&numeric);
    const QStringList lines
        = draft.lines.isEmpty() ? MessageParts::displayLines(draft.text) : draft.lines;
    const QStringList bodies = MessageParts::bodies(lines, taglines, pick);
    QList<store::MessageRecord> parts;
    parts.reserve(bodies.size());
    for (const QString &body : bodies) {
        store::MessageRecord part;
        part.conferenceNumber = -2;
        part.status = draft.isPrivate ? QStringLiteral("*") : QStringLiteral(" ");
        part.date = draft.dateValue.left(8);
        part.time = draft.dateValue.mid(9, 5);
        part.to = draft.to.toUpper();
        part.from = draft.from.toUpper();
        part.subject = draft.subject;
        part.referenceNumber = numeric ? reference : 0;
        part.text = body;
        part.read = true;
        part.personal = false;
        part.replyConferenceNumber = conference;
        parts.append(part);
    }
    return parts;
}

QList<store::MessageRecord> MessageSaver::save(store::StoreOperations &operations,
    const QString &qwkId, const Draft &draft, int conference, const QStringList &taglines,
    const MessageParts::TaglinePicker &pick)
{
    QList<store::MessageRecord> parts = buildParts(draft, conference, taglines, pick);
    if (draft.replacesRecord != 0)
        return operations.replaceWrittenMessage(qwkId, draft.replacesRecord, std::move(parts));
    return operations.storeWrittenMessage(qwkId, std::move(parts));
}

} // namespace marvik::editor
