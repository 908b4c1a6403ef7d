#include "editor/EditorWindow.h"

#include "state/AppState.h"
#include "store/MessageStore.h"
#include "store/Selections.h"
#include "support/FakeFileDialogs.h"
#include "support/FakeProgress.h"
#include "support/FakePrompts.h"
#include "ui/HelpTopics.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

using namespace marvik;

namespace {

const QString Id = QStringLiteral("MYBBS");

class FakeHelp : public ui::HelpTopics
{
public:
    QList<int> topics;
    void showTopic(int topic) override { topics.append(topic); }
};

struct Fixture
{
    QTemporaryDir dir;
    testing::FakePrompts prompts;
    testing::FakeProgress progress;
    testing::FakeFileDialogs dialogs;
    FakeHelp help;
    std::unique_ptr<state::AppState> state;
    std::unique_ptr<editor::EditorWindow> window;

    Fixture()
    {
        const state::AppFolders folders(dir.path());
        auto store = std::make_unique<store::MessageStore>(folders.storeFile());
        store::SystemRecord system;
        system.qwkId = Id;
        store->saveSystem(system);
        store->saveConferenceName(-2, Id, QStringLiteral("Replies"));
        store->saveConferenceName(-1, Id, QStringLiteral("Personal"));
        store->saveConferenceName(0, Id, QStringLiteral("Main Board"));
        store->saveConferenceName(3, Id, QStringLiteral("Chatter"));
        state = std::make_unique<state::AppState>(folders, state::Settings(dir.path()),
            std::move(store), QStringList {QStringLiteral("Only tagline")});
        state->setServices({&prompts, &progress, &dialogs, &help});
        state->setCurrentQwkId(Id);
        state->loadSystemLists();
        window = std::make_unique<editor::EditorWindow>(*state);
    }

    QList<store::MessageRecord> replies()
    {
        QList<store::MessageRecord> result;
        store::LiveQuery query(state->store());
        query.open(store::Selections::replyMessages(Id));
        for (int row = 1; row <= query.count(); ++row) {
            query.moveToRow(row);
            result.append(query.message());
        }
        return result;
    }

    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly))
            return QString();
        file.write(bytes);
        return file.fileName();
    }
};

state::EditorRequest reply()
{
    state::EditorRequest request;
    request.conferenceName = QStringLiteral("Main Board");
    request.from = QStringLiteral("John Smith");
    request.to = QStringLiteral("Sam Sysop");
    request.subject = QStringLiteral("Hello there");
    request.refersTo = QStringLiteral("17");
    request.body = QStringLiteral(" SS> quoted\r\n\r\n");
    request.isPrivate = true;
    return request;
}

} // namespace

class TestEditorWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void opensFilledAndSavesOnSave();
    void conferenceNames_data();
    void conferenceNames();
    void typedFieldsHoldTwentyFiveCharacters();
    void abortAsksFirst();
    void reEditKeepsOneTagBlock();
    void importsTextFiles_data();
    void importsTextFiles();
    void editMenuFollowsSelection();
};

void TestEditorWindow::opensFilledAndSavesOnSave()
{
    Fixture f;
    QString seenDate;
    bool visible = false;
    QTimer::singleShot(0, f.window.get(), [&] {
        visible = f.window->isVisible();
        seenDate = f.window->dateLabel()->text();
        f.window->textEdit()->moveCursor(QTextCursor::End);
        QTest::keyClicks(f.window->textEdit(), QStringLiteral("My answer."));
        f.window->saveAction()->trigger();
    });
    // A save that never ends the loop fails here instead of hanging.
    QTimer::singleShot(5000, f.window.get(), [&] { f.window->abortAction()->trigger(); });
    f.window->RunEditor(reply());

    QVERIFY(visible);
    QVERIFY(!f.window->isVisible());
    QVERIFY(f.window->saved());
    QVERIFY(QDateTime::fromString(seenDate, QStringLiteral("MM-dd-yy hh:mm")).isValid());
    const auto stored = f.replies();
    QCOMPARE(stored.size(), 1);
    const store::MessageRecord &m = stored.first();
    QCOMPARE(m.replyConferenceNumber, 0);
    QCOMPARE(m.to, u"SAM SYSOP"_qs);
    QCOMPARE(m.from, u"JOHN SMITH"_qs);
    QCOMPARE(m.subject, u"Hello there"_qs);
    QCOMPARE(m.referenceNumber, 17);
    QCOMPARE(m.status, u"*"_qs);
    QCOMPARE(m.date + u' ' + m.time, seenDate);
    QCOMPARE(m.text,
        u" SS> quoted\r\nMy answer.\r\n\r\n*** \r\n *   Marvik 1.0 *  - Only tagline\r\n"_qs);
}

void TestEditorWindow::conferenceNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("listed") << u"Chatter"_qs << true;
    QTest::newRow("other case") << u"cHATTER"_qs << true;
    QTest::newRow("replies") << u"Replies"_qs << false;
    QTest::newRow("personal") << u"PERSONAL"_qs << false;
    QTest::newRow("unknown") << u"Nowhere"_qs << false;
}

void TestEditorWindow::conferenceNames()
{
    QFETCH(QString, name);
    QFETCH(bool, accepted);
    Fixture f;
    f.window->fill(reply());
    // Only the packet's conferences are offered.
    QCOMPARE(f.window->conferenceBox()->count(), 2);
    f.window->conferenceBox()->setEditText(name);
    f.window->SaveMessage1Click();
    QCOMPARE(f.window->saved(), accepted);
    QCOMPARE(f.replies().size(), accepted ? 1 : 0);
    QCOMPARE(f.prompts.informations,
        accepted ? QStringList() : QStringList {u"Invalid Conference Name."_qs});
}

void TestEditorWindow::typedFieldsHoldTwentyFiveCharacters()
{
    Fixture f;
    f.window->fill(state::EditorRequest());
    for (QLineEdit *edit : {f.window->fromEdit(), f.window->toEdit(), f.window->subjectEdit()}) {
        QTest::keyClicks(edit, QString(30, u'x'));
        QCOMPARE(edit->text().size(), 25);
    }
}

void TestEditorWindow::abortAsksFirst()
{
    Fixture f;
    f.prompts.answers = {false, true};
    bool stillOpenAfterNo = false;
    QTimer::singleShot(0, f.window.get(), [&] {
        f.window->AbortMessage1Click();
        stillOpenAfterNo = f.window->isVisible();
        f.window->AbortMessage1Click();
    });
    f.window->RunEditor(reply());
    QVERIFY(stillOpenAfterNo);
    QCOMPARE(f.prompts.questions, QStringList(2, u"Abort the message?"_qs));
    QCOMPARE(f.prompts.yesDefaults, QList<bool>(2, false));
    QVERIFY(!f.window->saved());
    QVERIFY(f.replies().isEmpty());
}

void TestEditorWindow::reEditKeepsOneTagBlock()
{
    Fixture f;
    state::EditorRequest request = reply();
    request.body = u"Text\r\n\r\n*** \r\n *   Marvik 1.0 *  - Old one\r\n"_qs;
    f.window->fill(request);
    f.window->SaveMessage1Click();
    const auto stored = f.replies();
    QCOMPARE(stored.size(), 1);
    QCOMPARE(stored.first().text, request.body); // unchanged, no empty line gained
}

void TestEditorWindow::importsTextFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");

    QTest::newRow("utf-8 with empty line")
        << QByteArray("first\r\n\r\nthird ü\n") << u"Start\nfirst\n \nthird ü"_qs;
    QTest::newRow("cp437") << QByteArray("box \xC9\xCD\xBB \x81") << u"Start\nbox ╔═╗ ü"_qs;
    QTest::newRow("empty file") << QByteArray() << u"Start"_qs;
}

void TestEditorWindow::importsTextFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    Fixture f;
    state::EditorRequest request = reply();
    request.body = QStringLiteral("Start");
    f.window->fill(request);
    f.dialogs.nextFileNames = {f.writeFile(QStringLiteral("in.txt"), bytes)};
    f.window->ImportFile1Click();
    QCOMPARE(f.window->textEdit()->toPlainText(), expected);

    // A file that is not there changes nothing and says nothing.
    f.dialogs.nextFileNames = {f.dir.filePath(QStringLiteral("missing.txt"))};
    f.window->ImportFile1Click();
    QCOMPARE(f.window->textEdit()->toPlainText(), expected);
    QVERIFY(f.prompts.informations.isEmpty());
}

void TestEditorWindow::editMenuFollowsSelection()
{
    Fixture f;
    f.window->fill(reply());
    f.window->Edit4Click();
    QVERIFY(!f.window->cutAction()->isEnabled());
    QVERIFY(!f.window->copyAction()->isEnabled());
    QVERIFY(!f.window->deleteAction()->isEnabled());
    f.window->textEdit()->selectAll();
    f.window->Edit4Click();
    QVERIFY(f.window->cutAction()->isEnabled());
    QVERIFY(f.window->deleteAction()->isEnabled());
    f.window->deleteAction()->trigger();
    QVERIFY(f.window->textEdit()->toPlainText().isEmpty());
}

QTEST_MAIN(TestEditorWindow)
#include "tst_editorwindow.moc"
