#include "store/MessageSearch.h"

#include "store/MessageStore.h"
#include "store/Rewind.h"
#include "store/Statement.h"

#include <QHash>

#include <limits>

namespace marvik::store {

namespace {

// What a hit shows; `f` is the index, `m` the message, `c` its conference.
QString hitColumns()
{
    return QStringLiteral(
        "f.rowid, m.\"QwkID\", m.\"Conference Number\", c.\"Conference Name\", "
        "m.\"Message Number\", m.\"From\", m.\"To\", m.\"Subject\", m.\"Date\", m.\"Time\", "
        "m.\"Read Flag\", snippet(MESSAGES_FTS, -1, char(57344), char(57345), '…', 14)");
}

QString hitTables()
{
    return QStringLiteral(
        "MESSAGES_FTS AS f JOIN MESSAGES AS m ON m.rowid = f.rowid LEFT JOIN CONFS AS c ON "
        "c.\"QwkID\" = m.\"QwkID\" AND c.\"Conference Number\" = m.\"Conference Number\"");
}

// The scope's conditions; values bound from index 2 on (1 is the match).
QString scopeWhere(const SearchScope &scope)
{
    QString where;
    if (!scope.qwkId.isEmpty()) {
        where += QLatin1String(" AND m.\"QwkID\" = ?2");
        if (scope.conference) {
            where += *scope.conference == -1 ? QLatin1String(" AND m.\"Personal\" = 1")
                                             : QLatin1String(" AND m.\"Conference Number\" = ?3");
        }
    }
    return where;
}

void bindScope(Statement &s, const SearchScope &scope)
{
    if (scope.qwkId.isEmpty())
        return;
    s.bind(2, scope.qwkId);
    if (scope.conference && *scope.conference != -1)
        s.bind(3, *scope.conference);
}

// The snippet on one line: message lines end in CR LF.
QString oneLine(const QString &text)
{
    QString out;
    out.reserve(text.size());
    bool space = false;
    for (const QChar c : text) {
        if (c.isSpace() || c.unicode() < 0x20) {
            space = true;
            continue;
        }
        if (space && !out.isEmpty())
            out += QLatin1Char(' ');
        space = false;
        out += c;
    }
    return out;
}

SearchHit readHit(const Statement &s)
{
    SearchHit hit;
    hit.recordNumber = s.int64(0);
    hit.qwkId = s.text(1);
    hit.conferenceNumber = s.integer(2);
    hit.conferenceName = s.text(3);
    hit.messageNumber = s.integer(4);
    hit.from = s.text(5);
    hit.to = s.text(6);
    hit.subject = s.text(7);
    hit.date = s.text(8);
    hit.time = s.text(9);
    hit.read = s.int64(10) != 0;
    hit.snippet = oneLine(s.text(11));
    return hit;
}

} // namespace

MessageSearch::MessageSearch(const MessageStore &store)
    : m_store(store)
{ }

QList<SearchHit> MessageSearch::find(const QString &match, const SearchScope &scope,
    SearchOrder order, int limit, qint64 after) const
{
    if (match.isEmpty() || limit <= 0)
        return {};
    return order == SearchOrder::Newest ? newest(match, scope, limit, after)
                                        : byRelevance(match, scope, limit, after);
}

QList<SearchHit> MessageSearch::newest(
    const QString &match, const SearchScope &scope, int limit, qint64 after) const
{
    // The index hands out its rows newest first and stops at the limit, so
    // snippets are made for the rows shown only.
    Statement &s = m_store.prepared(
        QStringLiteral("SELECT %1 FROM %2 WHERE MESSAGES_FTS MATCH ?1%3 AND f.rowid < ?4 "
                       "ORDER BY f.rowid DESC LIMIT ?5")
            .arg(hitColumns(), hitTables(), scopeWhere(scope)));
    Rewind rewind(s);
    s.bind(1, match);
    bindScope(s, scope);
    s.bind(4, after > 0 ? after : std::numeric_limits<qint64>::max());
    s.bind(5, limit);
    QList<SearchHit> hits;
    while (s.step())
        hits.append(readHit(s));
    return hits;
}

QList<SearchHit> MessageSearch::byRelevance(
    const QString &match, const SearchScope &scope, int limit, qint64 offset) const
{
    // Ranking needs every match; the snippets are made afterwards for the
    // page alone, since a sort would make them for every match first.
    QList<qint64> keys;
    {
        Statement &s = m_store.prepared(
            QStringLiteral("SELECT f.rowid FROM MESSAGES_FTS AS f JOIN MESSAGES AS m ON "
                           "m.rowid = f.rowid WHERE MESSAGES_FTS MATCH ?1%1 ORDER BY f.rank, "
                           "f.rowid DESC LIMIT ?4 OFFSET ?5")
                .arg(scopeWhere(scope)));
        Rewind rewind(s);
        s.bind(1, match);
        bindScope(s, scope);
        s.bind(4, limit);
        s.bind(5, offset);
        while (s.step())
            keys.append(s.int64(0));
    }
    if (keys.isEmpty())
        return {};
    QByteArray list = "[";
    for (qsizetype i = 0; i < keys.size(); ++i) {
        if (i > 0)
            list += ',';
        list += QByteArray::number(keys.at(i));
    }
    list += ']';
    Statement &s = m_store.prepared(
        QStringLiteral("SELECT %1 FROM %2 WHERE MESSAGES_FTS MATCH ?1 AND f.rowid IN "
                       "(SELECT value FROM json_each(?2))")
            .arg(hitColumns(), hitTables()));
    Rewind rewind(s);
    s.bind(1, match);
    s.bind(2, QString::fromLatin1(list));
    QHash<qint64, SearchHit> found;
    while (s.step()) {
        SearchHit hit = readHit(s);
        found.insert(hit.recordNumber, hit);
    }
    QList<SearchHit> hits;
    for (const qint64 key : keys) {
        const auto it = found.constFind(key);
        if (it != found.constEnd())
            hits.append(*it);
    }
    return hits;
}

} // namespace marvik::store
