#include "search/SearchSession.h"

#include "store/MessageStore.h"
#include "store/SearchIndexer.h"
#include "store/StoreError.h"

#include <QLocale>

namespace marvik::search {

using store::SearchHit;

SearchSession::SearchSession(
    store::MessageStore &store, store::SearchIndexer *indexer, QObject *parent)
    : QObject(parent)
    , m_store(store)
    , m_indexer(indexer)
{
    m_pause.setSingleShot(true);
    m_pause.setInterval(PauseMilliseconds);
    connect(&m_pause, &QTimer::timeout, this, &SearchSession::run);
    if (m_indexer) {
        connect(m_indexer, &store::SearchIndexer::progressChanged, this,
            [this] { Q_EMIT indexStatusChanged(indexStatus()); });
    }
    // Pages loaded as the list scrolls change the count shown.
    connect(&m_model, &QAbstractItemModel::rowsInserted, this, &SearchSession::updateCountMessage);
}

void SearchSession::setContext(const QString &qwkId, std::optional<int> conference)
{
    m_qwkId = qwkId;
    m_conference = qwkId.isEmpty() ? std::nullopt : conference;
    setScope(m_scope);
}

bool SearchSession::hasScope(Scope scope) const
{
    switch (scope) {
    case Scope::Conference:
        return !m_qwkId.isEmpty() && m_conference.has_value();
    case Scope::System:
        return !m_qwkId.isEmpty();
    case Scope::AllSystems:
        return true;
    }
    return false;
}

void SearchSession::setScope(Scope scope)
{
    if (scope == Scope::Conference && !hasScope(scope))
        scope = Scope::System;
    if (scope == Scope::System && !hasScope(scope))
        scope = Scope::AllSystems;
    if (scope == m_scope)
        return;
    m_scope = scope;
    if (!m_query.isEmpty())
        run();
}

void SearchSession::setOrder(store::SearchOrder order)
{
    if (order == m_order)
        return;
    m_order = order;
    if (!m_query.isEmpty())
        run();
}

void SearchSession::setQuery(const QString &text)
{
    if (text == m_query)
        return;
    m_query = text;
    m_pause.start();
}

store::SearchScope SearchSession::storeScope() const
{
    store::SearchScope scope;
    if (m_scope != Scope::AllSystems)
        scope.qwkId = m_qwkId;
    if (m_scope == Scope::Conference)
        scope.conference = m_conference;
    return scope;
}

void SearchSession::run()
{
    m_pause.stop();
    const Translation translation = QueryTranslator::translate(m_query);
    m_match = translation.match;
    if (!translation.isSearchable()) {
        m_model.clear();
        setMessage(translation.error);
        return;
    }
    if (m_indexer) {
        try {
            m_indexer->catchUp(CatchUpRows);
        } catch (const store::StoreError &) {
            // The indexer tries again later; what is indexed is searched.
        }
    }
    const store::SearchScope scope = storeScope();
    const store::SearchOrder order = m_order;
    const QString match = m_match;
    store::MessageSearch search(m_store);
    try {
        const QList<SearchHit> first = search.find(match, scope, order, PageSize);
        m_model.reset(first, PageSize,
            [this, match, scope, order](int shown, const SearchHit &last) -> QList<SearchHit> {
                try {
                    store::MessageSearch more(m_store);
                    return more.find(match, scope, order, PageSize,
                        order == store::SearchOrder::Newest ? last.recordNumber : shown);
                } catch (const store::StoreError &) {
                    return {};
                }
            });
    } catch (const store::StoreError &e) {
        // Every word reaches the index quoted, so this is the store's own
        // trouble (a damaged index), said as such.
        m_model.clear();
        setMessage(tr("The search could not be run: %1").arg(e.message()));
        return;
    }
    updateCountMessage();
}

void SearchSession::updateCountMessage()
{
    if (m_match.isEmpty())
        return;
    const int rows = m_model.rowCount();
    if (rows == 0)
        setMessage(tr("No message found."));
    else if (m_model.canFetchMore(QModelIndex()))
        setMessage(tr("%1 messages shown, more as you scroll.").arg(QLocale().toString(rows)));
    else if (rows == 1)
        setMessage(tr("1 message found."));
    else
        setMessage(tr("%1 messages found.").arg(QLocale().toString(rows)));
}

void SearchSession::setMessage(const QString &message)
{
    if (message == m_message)
        return;
    m_message = message;
    Q_EMIT messageChanged(m_message);
}

QString SearchSession::indexStatus() const
{
    if (!m_indexer || m_indexer->isComplete())
        return QString();
    const QLocale locale;
    return tr("Indexing: %1 of %2 messages")
        .arg(locale.toString(m_indexer->done()), locale.toString(m_indexer->total()));
}

} // namespace marvik::search
