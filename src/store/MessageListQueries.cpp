#include "store/MessageListQueries.h"

#include "store/Database.h"
#include "store/MessageStore.h"
#include "store/Rewind.h"
#include "store/Statement.h"
#include "store/StoreError.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>

namespace marvik::store {

namespace {

// Sort keys made by functions of our own: one call per row, where the same
// in SQL took a dozen string functions and a case-blind comparison at each
// step of the sort.
const QString DateKey = QStringLiteral("marvik_date_key(\"Date\", \"Time\")");
const QString SubjectKey = QStringLiteral("marvik_subject_key(\"Subject\")");

QStringList sortTerms(ListSort sort)
{
    switch (sort) {
    case ListSort::Store:
        return {};
    case ListSort::Number:
        return {QStringLiteral("\"Message Number\"")};
    case ListSort::From:
        return {QStringLiteral("marvik_name_key(\"From\")")};
    case ListSort::To:
        return {QStringLiteral("marvik_name_key(\"To\")")};
    case ListSort::Subject:
        return {SubjectKey};
    case ListSort::Date:
        return {DateKey};
    }
    return {};
}

bool isAscii(const unsigned char *text, int size)
{
    for (int i = 0; i < size; ++i) {
        if (text[i] >= 0x80)
            return false;
    }
    return true;
}

bool asciiContains(const unsigned char *text, int size, const unsigned char *part, int partSize)
{
    for (int start = 0; start + partSize <= size; ++start) {
        int i = 0;
        while (i < partSize && std::tolower(text[start + i]) == std::tolower(part[i]))
            ++i;
        if (i == partSize)
            return true;
    }
    return false;
}

void containsFunction(sqlite3_context *context, int, sqlite3_value **values)
{
    const auto *text = sqlite3_value_text(values[0]);
    const int size = sqlite3_value_bytes(values[0]);
    const auto *part = sqlite3_value_text(values[1]);
    const int partSize = sqlite3_value_bytes(values[1]);
    if (!part || partSize == 0) {
        sqlite3_result_int(context, 1);
        return;
    }
    if (!text) {
        sqlite3_result_int(context, 0);
        return;
    }
    // Most names and subjects are plain ASCII: those are compared in place.
    if (isAscii(text, size) && isAscii(part, partSize)) {
        sqlite3_result_int(context, asciiContains(text, size, part, partSize));
        return;
    }
    const QString hay = QString::fromUtf8(reinterpret_cast<const char *>(text), size);
    const QString needle = QString::fromUtf8(reinterpret_cast<const char *>(part), partSize);
    sqlite3_result_int(context, hay.contains(needle, Qt::CaseInsensitive));
}

int digitsAt(const unsigned char *text, int size, int at, int count)
{
    int value = 0;
    for (int i = at; i < at + count; ++i) {
        if (i >= size || text[i] < '0' || text[i] > '9')
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// QWK dates are MM-DD-YY and times HH:MM: the key is YYYYMMDDHHMM, with
// years before 80 in this century, as packets of both centuries mean them.
// A date that is not one sorts first.
void dateKeyFunction(sqlite3_context *context, int, sqlite3_value **values)
{
    const auto *date = sqlite3_value_text(values[0]);
    const int dateSize = sqlite3_value_bytes(values[0]);
    const auto *time = sqlite3_value_text(values[1]);
    const int timeSize = sqlite3_value_bytes(values[1]);
    const int month = date ? digitsAt(date, dateSize, 0, 2) : -1;
    const int day = date ? digitsAt(date, dateSize, 3, 2) : -1;
    int year = date ? digitsAt(date, dateSize, 6, 2) : -1;
    if (month < 0 || day < 0 || year < 0) {
        sqlite3_result_int64(context, 0);
        return;
    }
    year += year < 80 ? 2000 : 1900;
    const int hour = time ? digitsAt(time, timeSize, 0, 2) : -1;
    const int minute = time ? digitsAt(time, timeSize, 3, 2) : -1;
    const sqlite3_int64 key = ((sqlite3_int64(year) * 100 + month) * 100 + day) * 10000
        + std::max(hour, 0) * 100 + std::max(minute, 0);
    sqlite3_result_int64(context, key);
}

// The subject without a leading "Re:", in lower case (ASCII folded in place,
// other letters as Qt folds them), so a reply sorts beside what it answers;
// a name in lower case.
void subjectKeyFunction(sqlite3_context *context, int, sqlite3_value **values)
{
    const auto *text = sqlite3_value_text(values[0]);
    int size = sqlite3_value_bytes(values[0]);
    if (!text) {
        sqlite3_result_text(context, "", 0, SQLITE_STATIC);
        return;
    }
    const auto skipBlanks = [&] {
        while (size > 0 && *text == ' ') {
            ++text;
            --size;
        }
    };
    // The same function folds names: registered with user data, it keeps
    // what stands in front.
    const bool subject = sqlite3_user_data(context) == nullptr;
    if (subject)
        skipBlanks();
    if (subject && size >= 3 && std::tolower(text[0]) == 'r' && std::tolower(text[1]) == 'e'
        && text[2] == ':') {
        text += 3;
        size -= 3;
        skipBlanks();
    }
    if (!isAscii(text, size)) {
        const QByteArray folded
            = QString::fromUtf8(reinterpret_cast<const char *>(text), size).toCaseFolded().toUtf8();
        sqlite3_result_text(context, folded.constData(), int(folded.size()), SQLITE_TRANSIENT);
        return;
    }
    char *key = static_cast<char *>(sqlite3_malloc(size + 1));
    if (!key) {
        sqlite3_result_error_nomem(context);
        return;
    }
    for (int i = 0; i < size; ++i)
        key[i] = char(std::tolower(text[i]));
    sqlite3_result_text(context, key, size, sqlite3_free);
}

QString viewWhere(const Selection &selection, const ListOrder &order)
{
    QStringList parts;
    if (!selection.where.isEmpty())
        parts << QLatin1Char('(') + selection.where + QLatin1Char(')');
    if (order.view == ListView::Unread)
        parts << QStringLiteral("\"Read Flag\" = 0");
    else if (order.view == ListView::Marked)
        parts << QStringLiteral("\"Marked\" = 1");
    if (!order.filter.isEmpty())
        parts << QStringLiteral("(marvik_contains(\"From\", ?) OR marvik_contains(\"To\", ?) "
                                "OR marvik_contains(\"Subject\", ?))");
    return parts.join(QLatin1String(" AND "));
}

// "SELECT <what> FROM MESSAGES WHERE <selection and view>", unordered.
QString viewSql(const Selection &selection, const ListOrder &order, const QString &what)
{
    QString sql = QStringLiteral("SELECT %1 FROM MESSAGES").arg(what);
    const QString where = viewWhere(selection, order);
    if (!where.isEmpty())
        sql += QLatin1String(" WHERE ") + where;
    return sql;
}

} // namespace

QString MessageListQueries::orderedSql(
    const Selection &selection, const ListOrder &order, const QString &what)
{
    const QString sql = viewSql(selection, order, what);
    QStringList terms = sortTerms(order.sort);
    terms << QStringLiteral("rowid");
    if (order.descending) {
        for (QString &term : terms)
            term += QLatin1String(" DESC");
    }
    return sql + QLatin1String(" ORDER BY ") + terms.join(QLatin1String(", "));
}

void MessageListQueries::bind(
    Statement &statement, const Selection &selection, const ListOrder &order)
{
    bindSelection(statement, selection);
    if (order.filter.isEmpty())
        return;
    const int first = int(selection.values.size()) + 1;
    for (int i = 0; i < 3; ++i)
        statement.bind(first + i, order.filter);
}

int MessageListQueries::count(
    const MessageStore &store, const Selection &selection, const ListOrder &order)
{
    Statement &s = store.prepared(viewSql(selection, order, QStringLiteral("COUNT(*)")));
    Rewind rewind(s);
    bind(s, selection, order);
    return s.step() ? s.integer(0) : 0;
}

QList<MessageListRow> MessageListQueries::rows(const MessageStore &store, const QList<qint64> &keys)
{
    Statement &s = store.prepared(QStringLiteral(
        "SELECT \"Message Number\", \"From\", \"To\", \"Subject\", \"Date\", \"Time\", "
        "\"Read Flag\", \"Personal\", \"Message Status\", \"Marked\" FROM MESSAGES "
        "WHERE rowid = ?"));
    QList<MessageListRow> rows;
    rows.reserve(keys.size());
    for (const qint64 key : keys) {
        Rewind rewind(s);
        s.bind(1, key);
        if (!s.step())
            continue;
        MessageListRow row;
        row.key = key;
        row.messageNumber = s.integer(0);
        row.from = s.text(1);
        row.to = s.text(2);
        row.subject = s.text(3);
        row.date = s.text(4);
        row.time = s.text(5);
        row.read = s.int64(6) != 0;
        row.personal = s.int64(7) != 0;
        const QString status = s.text(8).trimmed();
        row.isPrivate = status == QLatin1String("*") || status == QLatin1String("+");
        row.marked = s.int64(9) != 0;
        rows.append(row);
    }
    return rows;
}

std::vector<ThreadFields> MessageListQueries::threadFields(
    const MessageStore &store, const Selection &selection, const ListOrder &order)
{
    Statement &s = store.prepared(orderedSql(selection, order,
        QStringLiteral("rowid, \"Message Number\", \"Reference Number\", \"Message-ID\", "
                       "\"In-Reply-To\", \"Conference Number\", \"Read Flag\"")));
    Rewind rewind(s);
    bind(s, selection, order);
    std::vector<ThreadFields> fields;
    while (s.step()) {
        ThreadFields row;
        row.key = s.int64(0);
        row.messageNumber = s.integer(1);
        row.referenceNumber = s.integer(2);
        if (!s.isNull(3))
            row.messageId = s.text(3);
        if (!s.isNull(4))
            row.inReplyTo = s.text(4);
        row.conference = s.integer(5);
        row.read = s.int64(6) != 0;
        fields.push_back(std::move(row));
    }
    return fields;
}

bool MessageListQueries::setMarked(MessageStore &store, qint64 key, bool marked)
{
    Statement &s = store.prepared(
        QStringLiteral("UPDATE MESSAGES SET \"Marked\" = ? WHERE rowid = ? RETURNING rowid"));
    Rewind rewind(s);
    s.bind(1, marked);
    s.bind(2, key);
    const bool found = s.step();
    while (found && s.step()) { }
    return found;
}

void MessageListQueries::registerFunctions(const Database &database)
{
    const int rc = sqlite3_create_function_v2(database.handle(), "marvik_contains", 2,
        SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr, containsFunction, nullptr,
        nullptr, nullptr);
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    const int dates = sqlite3_create_function_v2(database.handle(), "marvik_date_key", 2, flags,
        nullptr, dateKeyFunction, nullptr, nullptr, nullptr);
    const int subjects = sqlite3_create_function_v2(database.handle(), "marvik_subject_key", 1,
        flags, nullptr, subjectKeyFunction, nullptr, nullptr, nullptr);
    static int names = 0; // any address: marks the name key
    const int folded = sqlite3_create_function_v2(database.handle(), "marvik_name_key", 1, flags,
        &names, subjectKeyFunction, nullptr, nullptr, nullptr);
    for (const int result : {rc, dates, subjects, folded}) {
        if (result != SQLITE_OK)
            throw StoreError(QStringLiteral("Cannot prepare the message list's order: %1")
                                 .arg(QString::fromUtf8(sqlite3_errstr(result))));
    }
}

} // namespace marvik::store
