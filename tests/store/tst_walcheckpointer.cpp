// The background checkpointer: commits of the GUI thread's connection are
// folded back into the database file without that thread doing the work.
#include "StoreTestUtil.h"
#include "store/Transaction.h"
#include "store/WalCheckpointer.h"

#include <QFileInfo>
#include <QTest>

#include <sqlite3.h>

using namespace marvik::store;
using namespace storetest;

namespace {

void exec(sqlite3 *db, const char *sql)
{
    QCOMPARE(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
}

} // namespace

class tst_WalCheckpointer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void commitsAreFoldedBackInTheBackground()
    {
        QTemporaryDir dir;
        const QByteArray path = dir.filePath(QStringLiteral("t.db")).toUtf8();
        sqlite3 *writer = nullptr;
        QCOMPARE(sqlite3_open(path.constData(), &writer), SQLITE_OK);
        exec(writer, "PRAGMA journal_mode = WAL");
        exec(writer, "PRAGMA wal_autocheckpoint = 0"); // only the checkpointer copies back
        exec(writer, "CREATE TABLE t (x TEXT)");
        {
            WalCheckpointer checkpointer(QString::fromUtf8(path));
            QVERIFY(checkpointer.isRunning());
            checkpointer.attachTo(writer);
            for (int batch = 0; batch < 20; ++batch) {
                exec(writer, "BEGIN");
                for (int i = 0; i < 200; ++i)
                    exec(writer, "INSERT INTO t VALUES (hex(randomblob(300)))");
                exec(writer, "COMMIT");
            }
            checkpointer.waitIdle();
            // About 2.4 MB were written; without a checkpoint the database
            // file would still hold only its first pages.
            QVERIFY2(QFileInfo(QString::fromUtf8(path)).size() > 2'000'000,
                qPrintable(QString::number(QFileInfo(QString::fromUtf8(path)).size())));
            sqlite3_wal_hook(writer, nullptr, nullptr);
        }
        sqlite3_close(writer);
    }

    void aDatabaseThatCannotBeOpenedLeavesItIdle()
    {
        WalCheckpointer checkpointer(QStringLiteral("/nonexistent-folder/x/t.db"));
        QVERIFY(!checkpointer.isRunning());
        checkpointer.request();
        checkpointer.waitIdle();
    }

    void everyBatchSurvivesClosingTheStore()
    {
        TempStore temp;
        for (int batch = 0; batch < 10; ++batch) {
            Transaction transaction(*temp);
            for (int i = 0; i < 500; ++i)
                temp->appendMessage(message(QStringLiteral("BBS"), 1, batch * 500 + i));
            transaction.commit();
        }
        const QString path = temp.path();
        temp.store.reset();
        QVERIFY(!QFile::exists(path + QStringLiteral("-wal")));
        MessageStore reopened(path);
        QVERIFY(reopened.findMessage(5000).has_value());
        QVERIFY(!reopened.findMessage(5001).has_value());
    }
};

QTEST_GUILESS_MAIN(tst_WalCheckpointer)
#include "tst_walcheckpointer.moc"
