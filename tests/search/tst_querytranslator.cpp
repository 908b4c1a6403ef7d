// What the search box's text becomes: the FTS5 expression for each form the
// box offers, a reason for the ones it cannot search, and - run against a
// real index - the messages each finds.

#include "search/QueryTranslator.h"
#include "store/MessageSearch.h"
#include "store/MessageStore.h"
#include "store/Records.h"
#include "store/StoreOperations.h"

#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

using namespace marvik;
using marvik::search::QueryTranslator;

class tst_QueryTranslator : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void translates_data();
    void translates();
    void finds_data();
    void finds();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<store::MessageStore> m_store;
};

void tst_QueryTranslator::translates_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("match");
    QTest::addColumn<QString>("error");

    QTest::newRow("nothing") << ""
                             << ""
                             << "";
    QTest::newRow("blanks") << "   "
                            << ""
                            << "";
    QTest::newRow("punctuation only") << "!!! --"
                                      << ""
                                      << "";
    QTest::newRow("one word") << "scsi"
                              << "\"scsi\""
                              << "";
    QTest::newRow("two words") << "scsi card"
                               << "(\"scsi\" AND \"card\")"
                               << "";
    QTest::newRow("phrase") << "\"scsi card\""
                            << "\"scsi card\""
                            << "";
    QTest::newRow("open phrase closes at the end") << "\"scsi ca"
                                                   << "\"scsi ca\""
                                                   << "";
    QTest::newRow("empty phrase") << "\"\" modem"
                                  << "\"modem\""
                                  << "";
    QTest::newRow("prefix") << "mod*"
                            << "\"mod\" *"
                            << "";
    QTest::newRow("phrase prefix") << "\"memory map\"*"
                                   << "\"memory map\" *"
                                   << "";
    QTest::newRow("short prefix") << "mo*"
                                  << ""
                                  << "Type at least 3 letters before \"*\".";
    QTest::newRow("star alone") << "*"
                                << ""
                                << "";
    QTest::newRow("from") << "from:smith"
                          << "From : \"smith\""
                          << "";
    QTest::newRow("field in any case") << "FROM:Smith"
                                       << "From : \"Smith\""
                                       << "";
    QTest::newRow("from phrase") << "from:\"john smith\""
                                 << "From : \"john smith\""
                                 << "";
    QTest::newRow("to and subject") << "to:ken subject:486"
                                    << "(To : \"ken\" AND Subject : \"486\")"
                                    << "";
    QTest::newRow("field prefix") << "subject:wea*"
                                  << "Subject : \"wea\" *"
                                  << "";
    QTest::newRow("field without word") << "from:"
                                        << ""
                                        << "Type a word after \"from:\".";
    QTest::newRow("unknown field is text") << "http://x"
                                           << "\"http://x\""
                                           << "";
    QTest::newRow("quote inside word") << "say\"hi"
                                       << "(\"say\" AND \"hi\")"
                                       << "";
    QTest::newRow("fts syntax is text") << "a:b (c) ^d NEAR"
                                        << "(\"a:b\" AND \"(c)\" AND \"^d\" AND \"NEAR\")"
                                        << "";
    QTest::newRow("lower-case or is a word") << "this or that"
                                             << "(\"this\" AND \"or\" AND \"that\")"
                                             << "";
    QTest::newRow("or") << "modem OR scsi"
                        << "\"modem\" OR \"scsi\""
                        << "";
    QTest::newRow("and") << "modem AND scsi"
                         << "(\"modem\" AND \"scsi\")"
                         << "";
    QTest::newRow("minus") << "modem -scsi"
                           << "((\"modem\") NOT (\"scsi\"))"
                           << "";
    QTest::newRow("not") << "modem NOT scsi card"
                         << "((\"modem\" AND \"card\") NOT (\"scsi\"))"
                         << "";
    QTest::newRow("lone or") << "OR"
                             << ""
                             << "\"OR\" needs a word on each side.";
    QTest::newRow("trailing or") << "modem OR"
                                 << ""
                                 << "\"OR\" needs a word on each side.";
    QTest::newRow("double or") << "a OR OR b"
                               << ""
                               << "\"OR\" needs a word on each side.";
    QTest::newRow("lone and") << "AND"
                              << ""
                              << "\"AND\" needs a word on each side.";
    QTest::newRow("lone not") << "NOT"
                              << ""
                              << "Type a word after \"NOT\".";
    QTest::newRow("not not") << "a NOT NOT b"
                             << ""
                             << "Type a word after \"NOT\".";
    QTest::newRow("only left out") << "-modem"
                                   << ""
                                   << "Type a word to find beside the ones to leave out.";
    QTest::newRow("lone minus") << "-"
                                << ""
                                << "";
    QTest::newRow("quote doubled") << "say \"it's \"\"ok\""
                                   << "(\"say\" AND \"it's \" AND \"ok\")"
                                   << "";
}

void tst_QueryTranslator::translates()
{
    QFETCH(QString, typed);
    QFETCH(QString, match);
    QFETCH(QString, error);
    const search::Translation translation = QueryTranslator::translate(typed);
    QCOMPARE(translation.match, match);
    QCOMPARE(translation.error, error);
}

void tst_QueryTranslator::initTestCase()
{
    m_store = std::make_unique<store::MessageStore>(m_dir.filePath(QStringLiteral("MARVIK.db")));
    store::SystemRecord system;
    system.qwkId = QStringLiteral("ONE");
    m_store->saveSystem(system);
    struct Row
    {
        const char *from, *to, *subject, *text;
    };
    // Texts as the store holds them: CP437 converted (é from 0x82, ü from 0x81).
    const Row rows[] = {
        {"JOHN SMITH", "ALL", "SCSI card", "Selling my Adaptec SCSI card, works fine."},
        {"MARY JONES", "JOHN SMITH", "Re: SCSI card", "Is the card still for sale?"},
        {"KEN ADAMS", "ALL", "Memory map of my 486", "The memory map is below.\r\n"},
        {"RITA MÜLLER", "KEN ADAMS", "Café meet-up", "See you at the café, O'Brien too."},
        {"TOM BAKER", "ALL", "Modems", "My modem is a 14.4; a modular jack broke."},
        {"ANNA LEE", "ALL", "weather", "rain then card games"},
    };
    store::StoreOperations operations(*m_store);
    int number = 0;
    for (const Row &row : rows) {
        store::MessageRecord m;
        m.qwkId = QStringLiteral("ONE");
        m.messageNumber = ++number;
        m.from = QString::fromUtf8(row.from);
        m.to = QString::fromUtf8(row.to);
        m.subject = QString::fromUtf8(row.subject);
        m.text = QString::fromUtf8(row.text);
        // Stored replies are indexed at once.
        operations.storeWrittenMessage(QStringLiteral("ONE"), {m});
    }
}

void tst_QueryTranslator::finds_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QList<qint64>>("found");
    QTest::newRow("word in subject and text") << "scsi" << QList<qint64> {1, 2};
    QTest::newRow("case") << "SCSI Card" << QList<qint64> {1, 2};
    QTest::newRow("phrase") << "\"scsi card\"" << QList<qint64> {1, 2};
    QTest::newRow("phrase is in order") << "\"card scsi\"" << QList<qint64> {};
    QTest::newRow("accent typed without") << "cafe" << QList<qint64> {4};
    QTest::newRow("accent typed with") << "café" << QList<qint64> {4};
    QTest::newRow("name with umlaut") << "from:muller" << QList<qint64> {4};
    QTest::newRow("apostrophe") << "o'brien" << QList<qint64> {4};
    QTest::newRow("prefix") << "mod*" << QList<qint64> {5};
    QTest::newRow("no prefix, no stem") << "modem" << QList<qint64> {5};
    QTest::newRow("from") << "from:smith" << QList<qint64> {1};
    QTest::newRow("to") << "to:smith" << QList<qint64> {2};
    QTest::newRow("from name phrase") << "from:\"john smith\"" << QList<qint64> {1};
    QTest::newRow("subject") << "subject:card" << QList<qint64> {1, 2};
    QTest::newRow("word outside the subject") << "subject:sale" << QList<qint64> {};
    QTest::newRow("not") << "card -scsi" << QList<qint64> {6};
    QTest::newRow("or") << "weather OR 486" << QList<qint64> {3, 6};
    QTest::newRow("number with a point") << "14.4" << QList<qint64> {5};
    QTest::newRow("syntax as text") << "card)" << QList<qint64> {1, 2, 6};
}

void tst_QueryTranslator::finds()
{
    QFETCH(QString, typed);
    QFETCH(QList<qint64>, found);
    const search::Translation translation = QueryTranslator::translate(typed);
    QVERIFY2(translation.isSearchable(), qPrintable(translation.error));
    QList<qint64> keys;
    for (const store::SearchHit &hit :
        store::MessageSearch(*m_store).find(translation.match, {}, store::SearchOrder::Newest, 100))
        keys.append(hit.recordNumber);
    std::sort(keys.begin(), keys.end());
    QCOMPARE(keys, found);
}

QTEST_GUILESS_MAIN(tst_QueryTranslator)
#include "tst_querytranslator.moc"
