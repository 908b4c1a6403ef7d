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
    QCOMPARE(f.progress.captions,
        (QStringList {"Deleting Bulletins", "Deleting Messages", "Deleting Conferences"}));
    // 10 received messages and one reply; each table's first and last rows shown.
    for (const char *text :
        {"Deleting 1 of 2 bulletins.", "Deleting 2 of 2 bulletins.", "Deleting 1 of 11 messages.",
            "Deleting 11 of 11 messages.", "Deleting 4 of 4 conferences."})
        QVERIFY2(f.progress.texts.contains(QLatin1String(text)), text);
    QVERIFY(rowsOf(f, Other) == otherBefore);
    QVERIFY(f.countsAgree(Other));
    QVERIFY(f.state->conferences().isEmpty());
    QVERIFY(!f.progress.visible);
    QVERIFY(f.prompts.errors.isEmpty());
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
