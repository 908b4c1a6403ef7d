#pragma once

#include "store/MessageSearch.h"

#include <QAbstractTableModel>
#include <QList>

#include <functional>

namespace marvik::search {

// The hits of a search as a table: system, conference, number, From,
// Subject, date and the snippet. Rows come a page at a time: the view asks
// for more (fetchMore) as it scrolls, and the model asks its page source.
class SearchResultModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column
    {
        SystemColumn,
        ConferenceColumn,
        NumberColumn,
        FromColumn,
        SubjectColumn,
        DateColumn,
        SnippetColumn,
        ColumnCount
    };
    // The snippet as HTML, the hit words in bold (SnippetColumn).
    static constexpr int SnippetHtmlRole = Qt::UserRole + 1;
    static constexpr int RecordNumberRole = Qt::UserRole + 2;

    // Gives the page after the hits so far (their count and the last one).
    using PageSource
        = std::function<QList<store::SearchHit>(int shown, const store::SearchHit &last)>;

    explicit SearchResultModel(QObject *parent = nullptr);

    // A new result: the first page, and where more come from (none when
    // the first page was short).
    void reset(const QList<store::SearchHit> &firstPage, int pageSize, PageSource more);
    void clear();

    const QList<store::SearchHit> &hits() const { return m_hits; }
    // The record numbers of the hits loaded so far, in list order.
    QList<qint64> recordNumbers() const;
    // Loads every page left (the reader walks the whole list).
    void fetchAll();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

    // The snippet without the hit marks, and as HTML with the hits in bold.
    static QString plainSnippet(const QString &snippet);
    static QString snippetHtml(const QString &snippet);

private:
    QList<store::SearchHit> m_hits;
    int m_pageSize = 0;
    PageSource m_more;
};

} // namespace marvik::search
