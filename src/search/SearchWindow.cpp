#include "search/SearchWindow.h"

#include "search/SnippetDelegate.h"
#include "ui/HelpTopics.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QTableView>
#include <QVBoxLayout>

namespace marvik::search {

SearchWindow::SearchWindow(store::MessageStore &store, store::SearchIndexer *indexer,
    ui::HelpTopics *help, QWidget *parent)
    : QDialog(parent)
    , m_session(store, indexer)
    , m_help(help)
{
    setWindowTitle(tr("Search Messages"));
    auto *layout = new QVBoxLayout(this);

    auto *queryRow = new QHBoxLayout;
    auto *queryLabel = new QLabel(tr("&Find:"), this);
    m_query = new QLineEdit(this);
    m_query->setPlaceholderText(
        tr("words, \"a phrase\", prefix*, from:name, to:name, subject:word"));
    m_query->setClearButtonEnabled(true);
    queryLabel->setBuddy(m_query);
    queryRow->addWidget(queryLabel);
    queryRow->addWidget(m_query, 1);
    layout->addLayout(queryRow);

    auto *optionRow = new QHBoxLayout;
    auto *scopeLabel = new QLabel(tr("&In:"), this);
    m_scope = new QComboBox(this);
    scopeLabel->setBuddy(m_scope);
    auto *orderLabel = new QLabel(tr("&Order:"), this);
    m_order = new QComboBox(this);
    m_order->addItem(tr("Newest first"), int(store::SearchOrder::Newest));
    m_order->addItem(tr("Best match first"), int(store::SearchOrder::Relevance));
    orderLabel->setBuddy(m_order);
    optionRow->addWidget(scopeLabel);
    optionRow->addWidget(m_scope);
    optionRow->addSpacing(12);
    optionRow->addWidget(orderLabel);
    optionRow->addWidget(m_order);
    optionRow->addStretch(1);
    m_index = new QLabel(this);
    optionRow->addWidget(m_index);
    layout->addLayout(optionRow);

    m_message = new QLabel(this);
    m_message->setWordWrap(true);
    layout->addWidget(m_message);

    m_results = new QTableView(this);
    m_results->setModel(&m_session.model());
    m_results->setItemDelegateForColumn(
        SearchResultModel::SnippetColumn, new SnippetDelegate(this));
    m_results->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_results->setSelectionMode(QAbstractItemView::SingleSelection);
    m_results->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_results->setWordWrap(false);
    m_results->verticalHeader()->hide();
    m_results->horizontalHeader()->setStretchLastSection(true);
    m_results->installEventFilter(this);
    layout->addWidget(m_results, 1);
    m_query->installEventFilter(this);

    connect(m_query, &QLineEdit::textChanged, &m_session, &SearchSession::setQuery);
    connect(m_scope, &QComboBox::activated, this, [this](int index) {
        m_session.setScope(SearchSession::Scope(m_scope->itemData(index).toInt()));
    });
    connect(m_order, &QComboBox::activated, this, [this](int index) {
        m_session.setOrder(store::SearchOrder(m_order->itemData(index).toInt()));
    });
    connect(&m_session, &SearchSession::messageChanged, m_message, &QLabel::setText);
    connect(&m_session, &SearchSession::indexStatusChanged, m_index, &QLabel::setText);
    connect(m_results, &QTableView::doubleClicked, this,
        [this](const QModelIndex &index) { openRow(index.row()); });
    // The first hit is chosen when a result comes, so Enter in the box opens it.
    connect(&m_session.model(), &QAbstractItemModel::modelReset, this, [this] {
        if (m_session.model().rowCount() == 0)
            return;
        m_results->resizeColumnsToContents();
        m_results->selectRow(0);
    });
    auto *helpKey = new QShortcut(QKeySequence::HelpContents, this);
    connect(helpKey, &QShortcut::activated, this, [this] {
        if (m_help)
            m_help->showTopic(ui::HelpTopics::SearchTopic);
    });
    resize(900, 520);
}

SearchWindow::~SearchWindow() = default;

void SearchWindow::fillScopes()
{
    m_scope->clear();
    const std::pair<SearchSession::Scope, QString> scopes[] = {
        {SearchSession::Scope::Conference, tr("This conference")},
        {SearchSession::Scope::System, tr("This system")},
        {SearchSession::Scope::AllSystems, tr("All systems")},
    };
    for (const auto &[scope, text] : scopes) {
        if (m_session.hasScope(scope))
            m_scope->addItem(text, int(scope));
    }
    m_scope->setCurrentIndex(m_scope->findData(int(m_session.scope())));
}

void SearchWindow::openFor(
    const QString &qwkId, std::optional<int> conference, SearchSession::Scope scope)
{
    m_done = false;
    m_session.setContext(qwkId, conference);
    m_session.setScope(scope);
    fillScopes();
    m_index->setText(m_session.indexStatus());
    // A query left from last time is run again: the messages may have changed.
    if (!m_session.query().isEmpty())
        m_session.run();
    show();
    raise();
    activateWindow();
    m_query->setFocus();
    m_query->selectAll();
}

void SearchWindow::run(
    const QString &qwkId, std::optional<int> conference, SearchSession::Scope scope)
{
    if (m_wait.isWaiting()) {
        raise();
        activateWindow();
        return;
    }
    openFor(qwkId, conference, scope);
    m_wait.wait(m_done);
    hide();
}

void SearchWindow::openRow(int row)
{
    SearchResultModel &model = m_session.model();
    if (row < 0 || row >= model.rowCount() || !m_open)
        return;
    // The reader walks the whole list with N and P.
    model.fetchAll();
    const QList<qint64> keys = model.recordNumbers();
    hide();
    m_showingHit = true;
    qint64 last = 0;
    try {
        last = m_open(keys, row);
    } catch (...) {
        m_showingHit = false;
        show();
        throw;
    }
    m_showingHit = false;
    if (m_done)
        return;
    // What was read or deleted there shows here, on the message read last.
    m_session.run();
    show();
    raise();
    activateWindow();
    const int rows = m_session.model().rowCount();
    if (rows > 0) {
        int current = std::min(row, rows - 1);
        for (int i = 0; i < rows; ++i) {
            if (m_session.model().hits().at(i).recordNumber == last) {
                current = i;
                break;
            }
        }
        m_results->selectRow(current);
    }
    m_results->setFocus();
}

bool SearchWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && (watched == m_query || watched == m_results)) {
            if (watched == m_query && m_session.model().rowCount() == 0) {
                m_session.run(); // no pause when the user asks
                return true;
            }
            const QModelIndex current = m_results->currentIndex();
            openRow(current.isValid() ? current.row() : 0);
            return true;
        }
        if (watched == m_query && (key->key() == Qt::Key_Down || key->key() == Qt::Key_PageDown)
            && m_session.model().rowCount() > 0) {
            m_results->setFocus();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void SearchWindow::finish()
{
    m_done = true;
    if (!m_wait.quit())
        hide();
}

void SearchWindow::reject()
{
    finish();
}

void SearchWindow::closeEvent(QCloseEvent *event)
{
    event->ignore();
    finish();
}

} // namespace marvik::search
