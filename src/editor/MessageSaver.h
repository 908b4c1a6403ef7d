#pragma once

#include "editor/MessageParts.h"
#include "store/Records.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace marvik::store {
class ConferenceList;
class StoreOperations;
} // namespace marvik::store

namespace marvik::editor {

// What Save does with the editor's fields, without the window: finds the
// conference the message goes to, builds every part as a reply row and
// stores them all in one call, so a message is never half stored.
class MessageSaver
{
public:
    struct Draft
    {
        QString from;
        QString to;
        QString subject;
        QString refersTo; // decimal or empty
        QString text; // as edited, lines separated by LF or CR LF
        // The text's display lines when the editor knows them; otherwise
        // the text is wrapped at column 72 here.
        QStringList lines;
        bool isPrivate = false;
        QString dateValue; // "MM-dd-yy hh:mm"
        // A stored reply this message replaces (a re-edit); 0 for none.
        qint64 replacesRecord = 0;
    };

    // What a draft lacks to be sent: a BBS takes no message to nobody, and
    // an empty one is a slip, not a message.
    enum class Missing
    {
        Nothing,
        To,
        Text,
    };
    static Missing missing(const Draft &draft);

    // The editor's date value for `when`, for example 12-24-96 18:05.
    static QString dateValue(const QDateTime &when);

    // The conference a name typed in the drop-down stands for: `kept` while
    // the name is still that conference's, else the first packet conference
    // (reserved ones never) whose name matches without regard to case.
    static std::optional<int> conferenceNumber(const store::ConferenceList &conferences,
        const QString &name, std::optional<int> kept = std::nullopt);

    // The reply rows for the draft, addressed to `conference`; record and
    // message numbers are left to the store.
    static QList<store::MessageRecord> buildParts(const Draft &draft, int conference,
        const QStringList &taglines,
        const MessageParts::TaglinePicker &pick = MessageParts::TaglinePicker());

    // Builds the parts and stores them for system `qwkId` in one
    // transaction, in place of the reply the draft replaces. Throws
    // StoreError when nothing could be stored; the replaced reply then stays.
    static QList<store::MessageRecord> save(store::StoreOperations &operations,
        const QString &qwkId, const Draft &draft, int conference, const QStringList &taglines,
        const MessageParts::TaglinePicker &pick = MessageParts::TaglinePicker());
};

} // namespace marvik::editor
