#pragma once

#include "search/QueryTranslator.h"
#include "search/SearchResultModel.h"
#include "store/MessageSearch.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>

namespace marvik::store {
class MessageStore;
class SearchIndexer;
} // namespace marvik::store

namespace marvik::search {

// What the search window does, without the window: it holds the query, the
// scope and the order, translates the query as the user types (after a
// short pause), fills the result list and says what the user should know:
// what is wrong with the query, how many messages were found, how far the
// index has come.
class SearchSession : public QObject
{
    Q_OBJECT

public:
    enum class Scope
    {
        Conference,
        System,
        AllSystems,
    };

    static constexpr int PageSize = 100;
    static constexpr int PauseMilliseconds = 250;
    // A backlog of the index this small is indexed before a search runs, so
    // a packet just opened is found whole; a larger one is left to the
    // indexer, and what it has done so far is found.
    static constexpr int CatchUpRows = 1000;

    // `indexer` may be null (its progress is then not shown).
    SearchSession(
        store::MessageStore &store, store::SearchIndexer *indexer, QObject *parent = nullptr);

    SearchResultModel &model() { return m_model; }

    // The system and conference the search was opened from; either may be
    // missing (the main window has neither), and so then is its scope.
    void setContext(const QString &qwkId, std::optional<int> conference);
    bool hasScope(Scope scope) const;
    Scope scope() const { return m_scope; }
    // A scope the context lacks becomes the next wider one.
    void setScope(Scope scope);
    store::SearchOrder order() const { return m_order; }
    void setOrder(store::SearchOrder order);

    QString query() const { return m_query; }
    // Runs the search once the user pauses.
    void setQuery(const QString &text);
    // Runs it now.
    void run();

    // What is wrong with the query, or how many were found; empty before
    // anything was searched.
    QString message() const { return m_message; }
    // "Indexing: 41,000 of 100,000 messages" while the index catches up.
    QString indexStatus() const;

Q_SIGNALS:
    void messageChanged(const QString &message);
    void indexStatusChanged(const QString &status);

private:
    store::SearchScope storeScope() const;
    void setMessage(const QString &message);
    void updateCountMessage();

    store::MessageStore &m_store;
    store::SearchIndexer *m_indexer = nullptr;
    SearchResultModel m_model;
    QTimer m_pause;
    QString m_qwkId;
    std::optional<int> m_conference;
    Scope m_scope = Scope::AllSystems;
    store::SearchOrder m_order = store::SearchOrder::Newest;
    QString m_query;
    QString m_match;
    QString m_message;
};

} // namespace marvik::search
