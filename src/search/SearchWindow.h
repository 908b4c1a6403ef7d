#pragma once

#include "search/SearchSession.h"
#include "ui/WaitLoop.h"

#include <QDialog>
#include <QList>

#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QTableView;

namespace marvik::store {
class MessageStore;
class SearchIndexer;
} // namespace marvik::store

namespace marvik::ui {
class HelpTopics;
}

namespace marvik::search {

// "Search Messages": the query box, the scope and order, the state of the
// index, and the result list. Results come as the user types. Enter or a
// double-click opens the hit in the reader (the window hides meanwhile and
// comes back with the list as it was); Esc leaves.
//
// Made once; run from a window's File > Search:
//     window.run(qwkId, conference, SearchSession::Scope::Conference);
class SearchWindow : public QDialog
{
    Q_OBJECT

public:
    // Opens the reader on the listed messages at row `row` (0-based) and
    // returns when the reader is left, with the record number of the message
    // shown last (0: none), which the list then has chosen.
    using OpenHit = std::function<qint64(const QList<qint64> &recordNumbers, int row)>;

    SearchWindow(store::MessageStore &store, store::SearchIndexer *indexer, ui::HelpTopics *help,
        QWidget *parent = nullptr);
    ~SearchWindow() override;

    void setOpenHit(OpenHit open) { m_open = std::move(open); }

    // Shows the window for the system and conference it is opened from
    // (either may be missing) with `scope` chosen, and returns when the
    // user leaves it.
    void run(const QString &qwkId, std::optional<int> conference, SearchSession::Scope scope);
    // run() without the wait, for tests.
    void openFor(const QString &qwkId, std::optional<int> conference, SearchSession::Scope scope);
    bool isDone() const { return m_done; }
    // While a hit is open in the reader.
    bool isShowingHit() const { return m_showingHit; }

    SearchSession &session() { return m_session; }
    QLineEdit *queryBox() const { return m_query; }
    QComboBox *scopeBox() const { return m_scope; }
    QComboBox *orderBox() const { return m_order; }
    QLabel *messageLabel() const { return m_message; }
    QLabel *indexLabel() const { return m_index; }
    QTableView *resultView() const { return m_results; }

    // Opens the hit in row `row` (the list's current row for Enter).
    void openRow(int row);

public Q_SLOTS:
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void finish();
    void fillScopes();

    SearchSession m_session;
    ui::HelpTopics *m_help = nullptr;
    OpenHit m_open;
    QLineEdit *m_query = nullptr;
    QComboBox *m_scope = nullptr;
    QComboBox *m_order = nullptr;
    QLabel *m_message = nullptr;
    QLabel *m_index = nullptr;
    QTableView *m_results = nullptr;
    ui::WaitLoop m_wait;
    bool m_done = true;
    bool m_showingHit = false;
};

} // namespace marvik::search
