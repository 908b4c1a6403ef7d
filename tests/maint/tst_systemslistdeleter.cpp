#include "system/BrowseFixture.h"

#include "maint/SystemsListDeleter.h"
#include "store/Selections.h"

using namespace browsetest;
using marvik::maint::SystemsListDeleter;

class TestSystemsListDeleter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void deletesOneOfTwo();
    void progressTexts_data();
    void progressTexts();
    void storeErrorIsShown();
};

namespace {

const QString Bbs = QStringLiteral("BBS");
const QString Other = QStringLiteral("OTHER");

struct Rows
{
    int systems, conferences, messages, bulletins;
    bool operator==(const Rows &) const = default;
};

Rows rowsOf(BrowseFixture &f, const QString &qwkId)
{
    auto &s = f.store();
    return {s.findSystem(qwkId) ? 1 : 0,
        store::CountSelection(s, store::Selections::systemConferences(qwkId)),
        store::CountSelection(s, store::Selections::systemMessages(qwkId)),
        store::CountSelection(s, store::Selections::systemBulletins(qwkId))};
}

void fill(BrowseFixture &f, const QString &qwkId, int messages, int bulletins)
{
    f.addSystem(qwkId, {{0, QStringLiteral("Main")}, {1, QStringLiteral("Chat")}});
    for (int i = 0; i < messages; ++i)
        f.addMessage(qwkId, i % 2, i % 3 == 0, i % 5 == 0);
    for (int b = 1; b <= bulletins; ++b)
        f.store().saveBulletin({0, qwkId, 0, b, QStringLiteral("bulletin %1").arg(b)});
    store::MessageRecord reply;
    f.state->operations().storeWrittenMessage(qwkId, {reply});
}

} // namespace

void TestSystemsListDeleter::deletesOneOfTwo()
{
    BrowseFixture f;
    fill(f, Bbs, 10, 2);
    fill(f, Other, 4, 1);
    const Rows otherBefore = rowsOf(f, Other);
    f.state->setCurrentQwkId(Bbs);
    f.state->loadSystemLists();
    SystemsListDeleter deleter(f.state->operations(), f.progress, f.prompts);
    QVERIFY(deleter.deleteSystem(Bbs));
    QVERIFY(rowsOf(f, Bbs) == (Rows {0, 0, 0, 0}));
    QVERIFY(rowsOf(f, Other) == otherBefore);
    QVERIFY(f.countsAgree(Other));
    QVERIFY(f.state->conferences().isEmpty());
    QVERIFY(!f.progress.visible);
    QVERIFY(f.prompts.errors.isEmpty());
}

void TestSystemsListDeleter::progressTexts_data()
{
    QTest::addColumn<int>("bulletins");
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QStringList>("lastTexts");

    QTest::newRow("with bulletins")
        << 3 << QStringList {"Deleting Bulletins", "Deleting Messages", "Deleting Conferences"}
        << QStringList {"Deleting 3 of 3 bulletins.", "Deleting 6 of 6 messages.",
               "Deleting 4 of 4 conferences."};
    // A table with nothing to delete shows no progress at all.
    QTest::newRow("no bulletins") << 0 << QStringList {"Deleting Messages", "Deleting Conferences"}
                                  << QStringList {"Deleting 6 of 6 messages.",
                                         "Deleting 4 of 4 conferences."};
}

void TestSystemsListDeleter::progressTexts()
{
    QFETCH(int, bulletins);
    QFETCH(QStringList, captions);
    QFETCH(QStringList, lastTexts);
    BrowseFixture f;
    fill(f, Bbs, 5, bulletins);
    SystemsListDeleter deleter(f.state->operations(), f.progress, f.prompts);
    QVERIFY(deleter.deleteSystem(Bbs));
    QCOMPARE(f.progress.captions, captions);
    for (const QString &text : lastTexts)
        QVERIFY2(f.progress.texts.contains(text), qPrintable(text));
    QCOMPARE(f.progress.texts.at(1).left(12), QStringLiteral("Deleting 1 o"));
    QCOMPARE(f.progress.positions.last(), 100);
    QVERIFY(!f.progress.visible);
}

void TestSystemsListDeleter::storeErrorIsShown()
{
    BrowseFixture f;
    fill(f, Bbs, 6, 1);
    f.refuseDeleting(4);
    SystemsListDeleter deleter(f.state->operations(), f.progress, f.prompts);
    QVERIFY(!deleter.deleteSystem(Bbs));
    QCOMPARE(f.prompts.errors.size(), 1);
    QVERIFY(f.prompts.errors.first().contains(QStringLiteral("disk refused")));
    QVERIFY(!f.progress.visible);
    // The system stays listed, so it can be deleted again once the store
    // lets it; what is left still counts right.
    QCOMPARE(rowsOf(f, Bbs).systems, 1);
    QVERIFY(f.countsAgree(Bbs));
}

QTEST_GUILESS_MAIN(TestSystemsListDeleter)
#include "tst_systemslistdeleter.moc"
