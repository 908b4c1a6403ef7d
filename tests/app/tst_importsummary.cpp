#include "app/ImportSummary.h"

#include <QTest>

using marvik::app::ImportSummary;
using marvik::packet::ImportResult;

class TestImportSummary : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void summary_data()
    {
        QTest::addColumn<int>("imported");
        QTest::addColumn<int>("conferences");
        QTest::addColumn<int>("personal");
        QTest::addColumn<int>("bulletins");
        QTest::addColumn<int>("already");
        QTest::addColumn<int>("skipped");
        QTest::addColumn<QString>("line");
        QTest::newRow("usual")
            << 12 << 5 << 4 << 2 << 0 << 0
            << "HARBOR: 12 new messages in 5 conferences, 4 personal, 2 bulletins";
        QTest::newRow("one of each")
            << 1 << 1 << 1 << 1 << 0 << 0
            << "HARBOR: 1 new message in 1 conference, 1 personal, 1 bulletin";
        QTest::newRow("opened again") << 0 << 0 << 0 << 2 << 12 << 0
                                      << "HARBOR: 0 new messages in 0 conferences, 0 personal, 2 "
                                         "bulletins, 12 already stored";
        QTest::newRow("skips") << 3 << 1 << 0 << 0 << 0 << 2
                               << "HARBOR: 3 new messages in 1 conference, 0 personal, 0 "
                                  "bulletins, 2 skipped";
    }

    void summary()
    {
        QFETCH(int, imported);
        QFETCH(int, conferences);
        QFETCH(int, personal);
        QFETCH(int, bulletins);
        QFETCH(int, already);
        QFETCH(int, skipped);
        QFETCH(QString, line);
        ImportResult result;
        result.qwkId = "HARBOR";
        result.messagesImported = imported;
        result.conferencesWithNewMessages = conferences;
        result.personalImported = personal;
        result.bulletinsStored = bulletins;
        result.alreadyStored = already;
        result.messagesSkipped = skipped;
        QCOMPARE(ImportSummary::text(result), line);
    }
};

QTEST_GUILESS_MAIN(TestImportSummary)
#include "tst_importsummary.moc"
