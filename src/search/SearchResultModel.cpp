#include "search/SearchResultModel.h"

namespace marvik::search {

using store::MessageSearch;
using store::SearchHit;

SearchResultModel::SearchResultModel(QObject *parent)
    : QAbstractTableModel(parent)
{ }

void SearchResultModel::reset(const QList<SearchHit> &firstPage, int pageSize, PageSource more)
{
    beginResetModel();
    m_hits = firstPage;
    m_pageSize = pageSize;
    m_more = firstPage.size() >= pageSize ? std::move(more) : PageSource();
    endResetModel();
}

void SearchResultModel::clear()
{
    reset({}, 0, {});
}

QList<qint64> SearchResultModel::recordNumbers() const
{
    QList<qint64> keys;
    keys.reserve(m_hits.size());
    for (const SearchHit &hit : m_hits)
        keys.append(hit.recordNumber);
    return keys;
}

void SearchResultModel::fetchAll()
{
    while (canFetchMore(QModelIndex()))
        fetchMore(QModelIndex());
}

int SearchResultModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_hits.size());
}

int SearchResultModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SearchResultModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_hits.size())
        return {};
    const SearchHit &hit = m_hits.at(index.row());
    if (role == RecordNumberRole)
        return hit.recordNumber;
    if (role == SnippetHtmlRole)
        return index.column() == SnippetColumn ? snippetHtml(hit.snippet) : QVariant();
    if (role == Qt::ToolTipRole && index.column() == SubjectColumn)
        return hit.subject;
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case SystemColumn:
        return hit.qwkId;
    case ConferenceColumn:
        return hit.conferenceName;
    case NumberColumn:
        return hit.messageNumber;
    case FromColumn:
        return hit.from;
    case SubjectColumn:
        return hit.subject;
    case DateColumn:
        return QStringLiteral("%1 %2").arg(hit.date, hit.time).trimmed();
    case SnippetColumn:
        return plainSnippet(hit.snippet);
    default:
        return {};
    }
}

QVariant SearchResultModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case SystemColumn:
        return tr("System");
    case ConferenceColumn:
        return tr("Conference");
    case NumberColumn:
        return tr("Number");
    case FromColumn:
        return tr("From");
    case SubjectColumn:
        return tr("Subject");
    case DateColumn:
        return tr("Date");
    case SnippetColumn:
        return tr("Text");
    default:
        return {};
    }
}

bool SearchResultModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && m_more != nullptr;
}

void SearchResultModel::fetchMore(const QModelIndex &parent)
{
    if (!canFetchMore(parent) || m_hits.isEmpty())
        return;
    const QList<SearchHit> page = m_more(int(m_hits.size()), m_hits.last());
    if (page.size() < m_pageSize)
        m_more = PageSource();
    if (page.isEmpty())
        return;
    beginInsertRows(QModelIndex(), int(m_hits.size()), int(m_hits.size() + page.size() - 1));
    m_hits.append(page);
    endInsertRows();
}

QString SearchResultModel::plainSnippet(const QString &snippet)
{
    QString out = snippet;
    out.remove(MessageSearch::HitStart);
    out.remove(MessageSearch::HitEnd);
    return out;
}

QString SearchResultModel::snippetHtml(const QString &snippet)
{
    // The text is escaped piece by piece, so markup in a message stays text.
    QString html;
    bool open = false;
    qsizetype start = 0;
    const auto flush
        = [&](qsizetype end) { html += snippet.mid(start, end - start).toHtmlEscaped(); };
    for (qsizetype i = 0; i < snippet.size(); ++i) {
        const QChar c = snippet.at(i);
        if (c == MessageSearch::HitStart && !open) {
            flush(i);
            html += QLatin1String("<b>");
            open = true;
            start = i + 1;
        } else if (c == MessageSearch::HitEnd && open) {
            flush(i);
            html += QLatin1String("</b>");
            open = false;
            start = i + 1;
        } else if (c == MessageSearch::HitStart || c == MessageSearch::HitEnd) {
            flush(i);
            start = i + 1;
        }
    }
    flush(snippet.size());
    if (open)
        html += QLatin1String("</b>");
    return html;
}

} // namespace marvik::search
