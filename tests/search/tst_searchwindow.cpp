// The search window as a user drives it: typing finds, Enter and a
// double-click open the hit with the whole list, Esc leaves.

#include "search/SearchWindow.h"
#include "store/MessageStore.h"
#include "store/Records.h"
#include "store/StoreOperations.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace marvik;
using marvik::search::SearchSession;
using marvik::search::SearchWindow;

class tst_SearchWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void typingFindsAndEnterOpens();
    void scopesOfTheContext();
    void badQuerySaysWhy();
    void escapeLeaves();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<store::MessageStore> m_store;
};

void tst_SearchWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_store = std::make_unique<store::MessageStore>(m_dir->filePath(QStringLiteral("MARVIK.db")));
    store::SystemRecord system;
    system.qwkId = QStringLiteral("ONE");
    m_store->saveSystem(system);
    store::StoreOperations operations(*m_store);
    for (const char *text : {"scsi card", "modem", "scsi cable"}) {
        store::MessageRecord m;
        m.text = QString::fromLatin1(text);
        operations.storeWrittenMessage(QStringLiteral("ONE"), {m});
    }
}

void tst_SearchWindow::cleanup()
{
    m_store.reset();
    m_dir.reset();
}

void tst_SearchWindow::typingFindsAndEnterOpens()
{
    SearchWindow window(*m_store, nullptr, nullptr);
    QList<std::pair<QList<qint64>, int>> opened;
    bool hidden = true;
    window.setOpenHit([&](const QList<qint64> &keys, int row) -> qint64 {
        hidden = hidden && !window.isVisible(); // the reader takes its place
        opened.append({keys, row});
        return keys.value(row);
    });
    window.openFor(QStringLiteral("ONE"), std::nullopt, SearchSession::Scope::System);
    QTest::keyClicks(window.queryBox(), QStringLiteral("scsi"));
    QTRY_COMPARE(window.resultView()->model()->rowCount(), 2);
    QTest::keyClick(window.queryBox(), Qt::Key_Return);
    QCOMPARE(opened.size(), 1);
    QCOMPARE(opened.first().first, (QList<qint64> {3, 1}));
    QCOMPARE(opened.first().second, 0);
    QVERIFY(hidden);
    QVERIFY(window.isVisible());

    const QModelIndex second = window.resultView()->model()->index(1, 0);
    window.resultView()->setCurrentIndex(second);
    QTest::keyClick(window.resultView(), Qt::Key_Return);
    QCOMPARE(opened.size(), 2);
    QCOMPARE(opened.last().second, 1);
}

void tst_SearchWindow::scopesOfTheContext()
{
    SearchWindow window(*m_store, nullptr, nullptr);
    window.openFor(QString(), std::nullopt, SearchSession::Scope::AllSystems);
    QCOMPARE(window.scopeBox()->count(), 1);
    window.openFor(QStringLiteral("ONE"), 0, SearchSession::Scope::Conference);
    QCOMPARE(window.scopeBox()->count(), 3);
    QCOMPARE(window.scopeBox()->currentData().toInt(), int(SearchSession::Scope::Conference));
}

void tst_SearchWindow::badQuerySaysWhy()
{
    SearchWindow window(*m_store, nullptr, nullptr);
    window.openFor(QStringLiteral("ONE"), std::nullopt, SearchSession::Scope::System);
    QTest::keyClicks(window.queryBox(), QStringLiteral("scsi OR"));
    QTRY_COMPARE(
        window.messageLabel()->text(), QStringLiteral("\"OR\" needs a word on each side."));
    QCOMPARE(window.resultView()->model()->rowCount(), 0);
}

void tst_SearchWindow::escapeLeaves()
{
    SearchWindow window(*m_store, nullptr, nullptr);
    window.openFor(QStringLiteral("ONE"), std::nullopt, SearchSession::Scope::System);
    QVERIFY(!window.isDone());
    QTest::keyClick(window.queryBox(), Qt::Key_Escape);
    QVERIFY(window.isDone());
    QVERIFY(!window.isVisible());
}

QTEST_MAIN(tst_SearchWindow)
#include "tst_searchwindow.moc"
