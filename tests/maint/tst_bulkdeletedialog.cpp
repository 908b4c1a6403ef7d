#include "system/BrowseFixture.h"

#include "maint/BulkDeleteDialog.h"

#include <QApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

using namespace browsetest;
using marvik::maint::BulkDeleteDialog;

class TestBulkDeleteDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void opening();
    void ways_data();
    void ways();

private:
    std::unique_ptr<BrowseFixture> m_f;
};

namespace {
const QString Bbs = QStringLiteral("BBS");
}

void TestBulkDeleteDialog::init()
{
    m_f = std::make_unique<BrowseFixture>();
    m_f->addSystem(Bbs, {{1, QStringLiteral("Replies")}, {2, QStringLiteral("Two")}});
    m_f->addMessage(Bbs, 1, true);
    m_f->addMessage(Bbs, 1, false);
    m_f->addMessage(Bbs, 2, true);
    m_f->state->setCurrentQwkId(Bbs);
    m_f->state->loadSystemLists();
}

void TestBulkDeleteDialog::cleanup()
{
    m_f.reset();
}

void TestBulkDeleteDialog::opening()
{
    BulkDeleteDialog dialog(*m_f->state);
    for (int beyond : {0, 5, -3})
        QVERIFY(!dialog.openFor(beyond));
    QVERIFY(!dialog.isVisible());
    dialog.allConferencesButton()->setChecked(true);
    dialog.allMessagesButton()->setChecked(true);
    QVERIFY(dialog.openFor(3));
    // A real conference named "Replies": its own name, its own number.
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Delete Messages - BBS: Replies"));
    QVERIFY(dialog.thisConferenceButton()->isChecked());
    QVERIFY(dialog.readMessagesButton()->isChecked());
    QApplication::setActiveWindow(&dialog);
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(QApplication::focusWidget(), dialog.cancelButton());
    QTest::keyClick(&dialog, Qt::Key_F1);
    QCOMPARE(m_f->help.topics, QList<int> {ui::HelpTopics::BulkDeleteTopic});
    dialog.okButton()->click();
    QVERIFY(dialog.isDone());
    QCOMPARE(m_f->rows(QStringLiteral("\"Conference Number\" = 1"), {}), 1);
    QCOMPARE(m_f->rows(QStringLiteral("\"Conference Number\" = 2"), {}), 1);
    QVERIFY(m_f->countsAgree(Bbs));
}

void TestBulkDeleteDialog::ways_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("left");
    QTest::newRow("ok, all conferences, all messages") << "ok" << 0;
    QTest::newRow("cancel") << "cancel" << 3;
    QTest::newRow("escape") << "escape" << 3;
    QTest::newRow("title bar close") << "close" << 3;
}

void TestBulkDeleteDialog::ways()
{
    QFETCH(QString, how);
    QFETCH(int, left);
    BulkDeleteDialog dialog(*m_f->state);
    bool wasVisible = false;
    QTimer::singleShot(0, &dialog, [&] {
        wasVisible = dialog.isVisible();
        if (how == QLatin1String("ok")) {
            dialog.allConferencesButton()->setChecked(true);
            dialog.allMessagesButton()->setChecked(true);
            dialog.okButton()->click();
        } else if (how == QLatin1String("cancel")) {
            dialog.cancelButton()->click();
        } else if (how == QLatin1String("escape")) {
            QTest::keyClick(&dialog, Qt::Key_Escape);
        } else {
            dialog.close();
        }
    });
    // Should a way fail to end the wait, this ends it and the checks fail.
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, &dialog, [&] { dialog.cancelButton()->click(); });
    watchdog.start(5000);
    dialog.run(4);
    QVERIFY(watchdog.isActive());
    QVERIFY(wasVisible);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(m_f->rows(QString(), {}), left);
    QVERIFY(m_f->countsAgree(Bbs));
}

QTEST_MAIN(TestBulkDeleteDialog)
#include "tst_bulkdeletedialog.moc"
