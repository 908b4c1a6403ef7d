#pragma once

#include "store/ListOrder.h"
#include "store/Selection.h"

#include <QList>
#include <QString>

#include <vector>

namespace marvik::store {

class Database;
class Statement;
class MessageStore;

// What one line of a message list shows: never the text.
struct MessageListRow
{
    qint64 key = 0;
    int messageNumber = 0;
    QString from;
    QString to;
    QString subject;
    QString date;
    QString time;
    bool read = false;
    bool personal = false;
    bool isPrivate = false;
    bool marked = false;
};

// What threading needs of one message of a list.
struct ThreadFields
{
    qint64 key = 0; // Record Number
    int messageNumber = 0;
    int referenceNumber = 0; // the number of the message it answers, 0 for none
    QString messageId; // from HEADERS.DAT, empty when the packet gave none
    QString inReplyTo;
    int conference = 0; // numbers answer numbers of the same conference only
    bool read = false;
};

// The queries behind a message list: the keys of a selection in a list's
// order and view, the few columns a line shows, read by key, and the fields
// threads are built from. Sorting and filtering happen in SQL over the
// selection, so they never change what is stored.
class MessageListQueries
{
public:
    // "SELECT <what> FROM MESSAGES WHERE <selection and view> ORDER BY ...";
    // the values to bind are the selection's followed by the filter's.
    static QString orderedSql(
        const Selection &selection, const ListOrder &order, const QString &what);
    static void bind(Statement &statement, const Selection &selection, const ListOrder &order);

    // Number of the selection's rows in the list's view.
    static int count(const MessageStore &store, const Selection &selection, const ListOrder &order);

    // The lines of messages `keys`, in that order; keys no longer stored are
    // left out.
    static QList<MessageListRow> rows(const MessageStore &store, const QList<qint64> &keys);
    // The thread fields of the selection's rows, in the list's order.
    static std::vector<ThreadFields> threadFields(
        const MessageStore &store, const Selection &selection, const ListOrder &order);

    // Sets or clears the user's mark on a message. A mark changes no count.
    // False when the message is no longer stored.
    static bool setMarked(MessageStore &store, qint64 key, bool marked);

    // Makes the list's functions known to a connection: marvik_contains(text,
    // part), the filter's case-insensitive test (SQLite's own LIKE folds
    // ASCII only), and the sort keys marvik_date_key(date, time),
    // marvik_subject_key(subject) and marvik_name_key(name).
    static void registerFunctions(const Database &database);
};

} // namespace marvik::store
