#include "editor/MessageSaver.h"

#include "store/StoreError.h"
#include "system/ReplyFixture.h"

#include <QTest>

#include <sqlite3.h>

using namespace replytest;
using editor::MessageSaver;

namespace {

// Two conferences of one name, and a system that has sent replies before.
struct Fixture : ReplyFixture
{
    Fixture()
    {
        store::SystemRecord system = *store().findSystem(Id);
        system.lastReply = 41;
        store().saveSystem(system);
        store().saveConferenceName(7, Id, QStringLiteral("Programming"));
        store().saveConferenceName(9, Id, QStringLiteral("programming"));
        state->loadSystemLists();
    }

    int lastReply() { return store().findSystem(Id)->lastReply; }

    // Makes the store refuse any message row whose text starts with `prefix`,
    // as a full disk would part-way through a save.
    void failMessagesStartingWith(const QString &prefix)
    {
        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(store().path()).constData(), &db), SQLITE_OK);
        const QByteArray sql = "CREATE TRIGGER refuse BEFORE INSERT ON MESSAGES WHEN "
                               "substr(NEW.\"Message\", 1, "
            + QByteArray::number(prefix.size()) + ") = '" + prefix.toUtf8()
            + "' BEGIN SELECT RAISE(ABORT, 'disk full'); END;";
        QCOMPARE(sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }
};

MessageSaver::Draft draft(const QString &text)
{
    MessageSaver::Draft d;
    d.from = QStringLiteral("John Smith");
    d.to = QStringLiteral("sam Sysop");
    d.subject = QStringLiteral("Mixed Case Subject");
    d.refersTo = QStringLiteral("1234");
    d.text = text;
    d.dateValue = QStringLiteral("12-24-96 18:05");
    return d;
}

QString linesText(int count)
{
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines.append(QStringLiteral("Line %1 ├─┤ ░▒▓ ü").arg(i));
    return lines.join(u'\n');
}

} // namespace

class TestMessageSaver : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void conferenceByName_data();
    void conferenceByName();
    void fields_data();
    void fields();
    void storesEveryPart();
    void failedPartStoresNothing();
    void keptConference_data();
    void keptConference();
    void missing_data();
    void missing();
    void reEditTakesThePlaceOfTheReply_data();
    void reEditTakesThePlaceOfTheReply();
};

void TestMessageSaver::conferenceByName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("number");

    QTest::newRow("exact") << u"Conference 5"_qs << 5;
    QTest::newRow("other case") << u"cONFERENCE 300"_qs << 300;
    QTest::newRow("first of two same names") << u"PROGRAMMING"_qs << 7;
    QTest::newRow("replies refused") << u"Replies"_qs << -99;
    QTest::newRow("personal refused") << u"personal"_qs << -99;
    QTest::newRow("unknown") << u"Conference"_qs << -99;
    QTest::newRow("empty") << QString() << -99;
}

void TestMessageSaver::conferenceByName()
{
    QFETCH(QString, name);
    QFETCH(int, number);
    Fixture f;
    QCOMPARE(MessageSaver::conferenceNumber(f.state->conferences(), name).value_or(-99), number);
}

void TestMessageSaver::fields_data()
{
    QTest::addColumn<bool>("isPrivate");
    QTest::addColumn<QString>("refersTo");
    QTest::addColumn<QString>("status");
    QTest::addColumn<int>("reference");

    QTest::newRow("public reply") << false << u"1234"_qs << u" "_qs << 1234;
    QTest::newRow("private new") << true << u"0"_qs << u"*"_qs << 0;
    QTest::newRow("empty refers-to") << false << QString() << u" "_qs << 0;
    QTest::newRow("not a number") << false << u"12ab"_qs << u" "_qs << 0;
}

void TestMessageSaver::fields()
{
    QFETCH(bool, isPrivate);
    QFETCH(QString, refersTo);
    QFETCH(QString, status);
    QFETCH(int, reference);

    MessageSaver::Draft d = draft(linesText(100));
    d.isPrivate = isPrivate;
    d.refersTo = refersTo;
    const auto parts = MessageSaver::buildParts(d, 7, {});
    QCOMPARE(parts.size(), 2);
    for (const store::MessageRecord &part : parts) {
        QCOMPARE(part.status, status);
        QCOMPARE(part.referenceNumber, reference);
        QCOMPARE(part.date, u"12-24-96"_qs);
        QCOMPARE(part.time, u"18:05"_qs);
        QCOMPARE(part.to, u"SAM SYSOP"_qs);
        QCOMPARE(part.from, u"JOHN SMITH"_qs);
        QCOMPARE(part.subject, u"Mixed Case Subject"_qs);
        QCOMPARE(part.replyConferenceNumber, 7);
        QCOMPARE(part.conferenceNumber, -2);
        QVERIFY(part.read);
        QVERIFY(!part.personal);
    }
}

void TestMessageSaver::storesEveryPart()
{
    Fixture f;
    const auto stored = MessageSaver::save(f.state->operations(), Id, draft(linesText(200)), 0, {});
    QCOMPARE(stored.size(), 3);
    QCOMPARE(f.replies(), 3);
    QCOMPARE(f.lastReply(), 44);
    QCOMPARE(f.total(-2), 3);
    QCOMPARE(f.state->conferences().at(0).total, 3); // the grid's replies entry follows
    for (int i = 0; i < 3; ++i) {
        const auto row = f.store().findMessage(stored.at(i).recordNumber);
        QVERIFY(row);
        QCOMPARE(row->messageNumber, 42 + i);
        QCOMPARE(row->text, stored.at(i).text);
        QVERIFY(row->text.contains(u"├─┤ ░▒▓ ü"_qs));
    }
}

void TestMessageSaver::failedPartStoresNothing()
{
    Fixture f;
    f.failMessagesStartingWith(QStringLiteral("Part 3 of 3"));
    QVERIFY_THROWS_EXCEPTION(store::StoreError,
        MessageSaver::save(f.state->operations(), Id, draft(linesText(200)), 0, {}));
    // A "Part 1 of 3" without its rest must never wait for the packet.
    QCOMPARE(f.replies(), 0);
    QCOMPARE(f.lastReply(), 41);
    QCOMPARE(f.total(-2), 0);
    QCOMPARE(f.state->conferences().at(0).total, 0);
}

void TestMessageSaver::keptConference_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("kept"); // -99: none
    QTest::addColumn<int>("number");

    QTest::newRow("the second of two same names") << u"programming"_qs << 9 << 9;
    QTest::newRow("same name typed in other case") << u"PROGRAMMING"_qs << 9 << 9;
    QTest::newRow("name changed") << u"Conference 5"_qs << 9 << 5;
    QTest::newRow("kept one has another name") << u"programming"_qs << 5 << 7;
    QTest::newRow("kept one is gone") << u"programming"_qs << 44 << 7;
    QTest::newRow("none kept") << u"programming"_qs << -99 << 7;
}

void TestMessageSaver::keptConference()
{
    QFETCH(QString, name);
    QFETCH(int, kept);
    QFETCH(int, number);
    Fixture f;
    const std::optional<int> keep = kept == -99 ? std::nullopt : std::optional<int>(kept);
    QCOMPARE(
        MessageSaver::conferenceNumber(f.state->conferences(), name, keep).value_or(-99), number);
}

void TestMessageSaver::missing_data()
{
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("missing");

    using M = MessageSaver::Missing;
    QTest::newRow("complete") << u"ALL"_qs << u"Hi"_qs << int(M::Nothing);
    QTest::newRow("no To") << QString() << u"Hi"_qs << int(M::To);
    QTest::newRow("blank To") << u" "_qs << u"Hi"_qs << int(M::To);
    QTest::newRow("no text") << u"ALL"_qs << QString() << int(M::Text);
    QTest::newRow("blank lines only") << u"ALL"_qs << u" \r\n\t\r\n"_qs << int(M::Text);
    QTest::newRow("neither: To first") << QString() << QString() << int(M::To);
}

void TestMessageSaver::missing()
{
    QFETCH(QString, to);
    QFETCH(QString, text);
    QFETCH(int, missing);
    MessageSaver::Draft d = draft(text);
    d.to = to;
    QCOMPARE(int(MessageSaver::missing(d)), missing);
}

void TestMessageSaver::reEditTakesThePlaceOfTheReply_data()
{
    QTest::addColumn<bool>("failing");
    QTest::newRow("saved") << false;
    QTest::newRow("store fails: the reply stays") << true;
}

void TestMessageSaver::reEditTakesThePlaceOfTheReply()
{
    QFETCH(bool, failing);
    Fixture f;
    const qint64 key = f.storeReply(u"Old\r\n"_qs).first().recordNumber;
    MessageSaver::Draft d = draft(linesText(100));
    d.replacesRecord = key;
    if (failing) {
        f.failMessagesStartingWith(QStringLiteral("Part 2 of 2"));
        QVERIFY_THROWS_EXCEPTION(
            store::StoreError, MessageSaver::save(f.state->operations(), Id, d, 5, {}));
    } else {
        QCOMPARE(MessageSaver::save(f.state->operations(), Id, d, 5, {}).size(), 2);
    }
    QCOMPARE(bool(f.store().findMessage(key)), failing);
    QCOMPARE(f.replies(), failing ? 1 : 2);
    QCOMPARE(f.total(-2), f.replies());
    QCOMPARE(f.state->conferences().at(0).total, f.replies());
}

QTEST_GUILESS_MAIN(TestMessageSaver)
#include "tst_messagesaver.moc"
