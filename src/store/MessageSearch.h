#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace marvik::store {

class MessageStore;

// Where a search looks: every system (empty qwkId), one system, or one
// conference of it (-1: the system's personal messages).
struct SearchScope
{
    QString qwkId;
    std::optional<int> conference;
};

enum class SearchOrder
{
    Newest, // the message stored last first
    Relevance, // best match first
};

// One message found, with what the result list shows.
struct SearchHit
{
    qint64 recordNumber = 0;
    QString qwkId;
    int conferenceNumber = 0;
    QString conferenceName;
    int messageNumber = 0;
    QString from;
    QString to;
    QString subject;
    QString date;
    QString time;
    bool read = false;
    // A few words around the hit, on one line; each hit word stands between
    // HitStart and HitEnd.
    QString snippet;
};

// Runs a full-text query over the search index. `match` is an FTS5 query
// expression (the search window's translation of what the user typed);
// every value reaches SQL as a bound parameter.
class MessageSearch
{
public:
    static constexpr QChar HitStart = QChar(0xE000);
    static constexpr QChar HitEnd = QChar(0xE001);

    explicit MessageSearch(const MessageStore &store);

    // Up to `limit` hits. Newest first pages by key: `after` is the last key
    // of the page before (0 for the first page). By relevance it pages by
    // position: `after` is the number of hits already shown.
    QList<SearchHit> find(const QString &match, const SearchScope &scope, SearchOrder order,
        int limit, qint64 after = 0) const;

private:
    QList<SearchHit> newest(
        const QString &match, const SearchScope &scope, int limit, qint64 after) const;
    QList<SearchHit> byRelevance(
        const QString &match, const SearchScope &scope, int limit, qint64 offset) const;

    const MessageStore &m_store;
};

} // namespace marvik::store
