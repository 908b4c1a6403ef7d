#include "editor/EditorWindow.h"

#include "system/ReplyFixture.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

using namespace replytest;

namespace {

state::EditorRequest reply()
{
    state::EditorRequest request;
    request.conferenceName = QStringLiteral("Conference 5");
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
    void abortAsksFirst();
    void reEditKeepsOneTagBlock();
    void importsTextFiles_data();
    void importsTextFiles();
    void tabGoesFromSubjectToText();
    void refusesMessagesToNobodyOrEmpty_data();
    void refusesMessagesToNobodyOrEmpty();
    void escapeAsksLikeAbort();
    void reEditReplacesOnlyWhenSaved_data();
    void reEditReplacesOnlyWhenSaved();
};

void TestEditorWindow::opensFilledAndSavesOnSave()
{
    ReplyFixture f({u"Only tagline"_qs});
    editor::EditorWindow window(*f.state);
    QString seenDate;
    QStringList shown;
    bool visible = false;
    QTimer::singleShot(0, &window, [&] {
        visible = window.isVisible();
        seenDate = window.dateLabel()->text();
        window.textEdit()->moveCursor(QTextCursor::End);
        QTest::keyClicks(window.textEdit(), QStringLiteral("My answer."));
        shown = window.displayedLines();
        window.saveAction()->trigger();
    });
    // A save that never ends the loop fails here instead of hanging.
    QTimer::singleShot(5000, &window, [&] { window.abortAction()->trigger(); });
    window.RunEditor(reply());

    QVERIFY(visible);
    QVERIFY(!window.isVisible());
    QVERIFY(window.saved());
    QVERIFY(QDateTime::fromString(seenDate, QStringLiteral("MM-dd-yy hh:mm")).isValid());
    const auto stored = f.storedReplies();
    QCOMPARE(stored.size(), 1);
    const store::MessageRecord &m = stored.first();
    QCOMPARE(m.replyConferenceNumber, 5);
    QCOMPARE(m.to, u"SAM SYSOP"_qs);
    QCOMPARE(m.referenceNumber, 17);
    QCOMPARE(m.status, u"*"_qs);
    QCOMPARE(m.date + u' ' + m.time, seenDate);
    QCOMPARE(m.text,
        u" SS> quoted\r\nMy answer.\r\n\r\n*** \r\n *   Marvik 1.0 *  - Only tagline\r\n"_qs);

    // A long paragraph is stored as the editor showed it wrapped.
    ReplyFixture g;
    editor::EditorWindow wrapping(*g.state);
    state::EditorRequest request = reply();
    request.body = QStringLiteral("word/path (aside) e-mail-address, ").repeated(12);
    QTimer::singleShot(0, &wrapping, [&] {
        shown = wrapping.displayedLines();
        wrapping.saveAction()->trigger();
    });
    QTimer::singleShot(5000, &wrapping, [&] { wrapping.abortAction()->trigger(); });
    wrapping.RunEditor(request);
    QVERIFY(shown.size() > 5);
    for (const QString &line : shown)
        QVERIFY2(line.size() <= 72, qPrintable(line));
    QVERIFY(g.storedReplies().value(0).text.startsWith(shown.join(u"\r\n"_qs) + u"\r\n"_qs));
}

void TestEditorWindow::conferenceNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("other case") << u"cONFERENCE 300"_qs << true;
    QTest::newRow("replies") << u"Replies"_qs << false;
}

void TestEditorWindow::conferenceNames()
{
    QFETCH(QString, name);
    QFETCH(bool, accepted);
    ReplyFixture f;
    editor::EditorWindow window(*f.state);
    window.fill(reply());
    // Only the packet's conferences are offered.
    QCOMPARE(window.conferenceBox()->count(), 3);
    window.conferenceBox()->setEditText(name);
    window.SaveMessage1Click();
    QCOMPARE(window.saved(), accepted);
    QCOMPARE(f.replies(), accepted ? 1 : 0);
    QCOMPARE(f.prompts.informations,
        accepted ? QStringList() : QStringList {u"Invalid Conference Name."_qs});
}

void TestEditorWindow::abortAsksFirst()
{
    ReplyFixture f;
    editor::EditorWindow window(*f.state);
    f.prompts.answers = {false, true};
    bool stillOpenAfterNo = false;
    QTimer::singleShot(0, &window, [&] {
        window.AbortMessage1Click();
        stillOpenAfterNo = window.isVisible();
        window.AbortMessage1Click();
    });
    window.RunEditor(reply());
    QVERIFY(stillOpenAfterNo);
    QCOMPARE(f.prompts.questions, QStringList(2, u"Abort the message?"_qs));
    QCOMPARE(f.prompts.yesDefaults, QList<bool>(2, false));
    QVERIFY(!window.saved());
    QCOMPARE(f.replies(), 0);
}

void TestEditorWindow::reEditKeepsOneTagBlock()
{
    ReplyFixture f({u"New one"_qs});
    editor::EditorWindow window(*f.state);
    state::EditorRequest request = reply();
    request.body = u"Text\r\n\r\n*** \r\n *   Marvik 1.0 *  - Old one\r\n"_qs;
    window.fill(request);
    window.SaveMessage1Click();
    const auto stored = f.storedReplies();
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
    ReplyFixture f;
    editor::EditorWindow window(*f.state);
    state::EditorRequest request = reply();
    request.body = QStringLiteral("Start");
    window.fill(request);
    f.dialogs.nextFileNames = {f.writeFile(QStringLiteral("in.txt"), bytes)};
    window.ImportFile1Click();
    QCOMPARE(window.textEdit()->toPlainText(), expected);

    // Files without a dot are offered too.
    const QString filter = f.dialogs.filters.value(0);
    const QString patterns = filter.section(u'(', 1).section(u')', 0, 0);
    QVERIFY2(QDir::match(patterns, QStringLiteral("README")), qPrintable(filter));

    // A file that is not there changes nothing and says nothing.
    f.dialogs.nextFileNames = {f.dir.filePath(QStringLiteral("missing.txt"))};
    window.ImportFile1Click();
    QCOMPARE(window.textEdit()->toPlainText(), expected);
    QVERIFY(f.prompts.informations.isEmpty());
}

void TestEditorWindow::tabGoesFromSubjectToText()
{
    ReplyFixture f;
    editor::EditorWindow window(*f.state);
    window.fill(reply());
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.subjectEdit()->setFocus();
    QTest::keyClick(window.subjectEdit(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), window.textEdit());
    QTest::keyClicks(window.textEdit(), QStringLiteral(" typed"));
    QVERIFY(window.textEdit()->toPlainText().contains(u"typed"_qs));
    QVERIFY(window.privateBox()->isChecked()); // as the request had it
}

void TestEditorWindow::refusesMessagesToNobodyOrEmpty_data()
{
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("toFocused"); // where the user is sent to fix it

    QTest::newRow("empty To") << QString() << u"Hello"_qs << true;
    QTest::newRow("blank To") << u"   "_qs << u"Hello"_qs << true;
    QTest::newRow("empty text") << u"ALL"_qs << QString() << false;
    QTest::newRow("only blanks and lines") << u"ALL"_qs << u"  \n\n \n"_qs << false;
}

void TestEditorWindow::refusesMessagesToNobodyOrEmpty()
{
    QFETCH(QString, to);
    QFETCH(QString, text);
    QFETCH(bool, toFocused);
    ReplyFixture f;
    editor::EditorWindow window(*f.state);
    // A new message starts addressed to everyone.
    state::EditorRequest request;
    request.conferenceName = u"Conference 5"_qs;
    window.fill(request);
    QCOMPARE(window.toEdit()->text(), u"ALL"_qs);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.toEdit()->setText(to);
    window.textEdit()->setPlainText(text);
    window.SaveMessage1Click();
    QVERIFY(!window.saved());
    QCOMPARE(f.replies(), 0);
    QCOMPARE(f.prompts.informations.size(), 1);
    QCOMPARE(QApplication::focusWidget(),
        toFocused ? static_cast<QWidget *>(window.toEdit()) : window.textEdit());
}

void TestEditorWindow::escapeAsksLikeAbort()
{
    ReplyFixture f;
    editor::EditorWindow window(*f.state);
    f.prompts.answers = {false, true};
    bool stillOpenAfterNo = false;
    QTimer::singleShot(0, &window, [&] {
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(window.textEdit(), Qt::Key_Escape);
        stillOpenAfterNo = window.isVisible();
        QTest::keyClick(window.subjectEdit(), Qt::Key_Escape);
    });
    QTimer::singleShot(5000, &window, [&] {
        f.prompts.defaultAnswer = true;
        window.abortAction()->trigger();
    });
    window.RunEditor(reply());
    QVERIFY(stillOpenAfterNo);
    QCOMPARE(f.prompts.questions, QStringList(2, u"Abort the message?"_qs));
    QCOMPARE(f.prompts.yesDefaults, QList<bool>(2, false));
    QCOMPARE(window.textEdit()->toPlainText(), u" SS> quoted\n"_qs); // never saved
    QCOMPARE(f.replies(), 0);
}

void TestEditorWindow::reEditReplacesOnlyWhenSaved_data()
{
    QTest::addColumn<bool>("save");
    QTest::newRow("saved") << true;
    QTest::newRow("aborted") << false;
}

void TestEditorWindow::reEditReplacesOnlyWhenSaved()
{
    QFETCH(bool, save);
    ReplyFixture f;
    const qint64 key = f.storeReply(u"Old text\r\n"_qs, 300).first().recordNumber;
    editor::EditorWindow window(*f.state);
    state::EditorRequest request = reply();
    request.conferenceName = u"Conference 300"_qs;
    request.conferenceNumber = 300;
    request.body = u"Old text\r\n"_qs;
    request.replacesRecord = key;
    QTimer::singleShot(0, &window, [&] {
        QTest::keyClicks(window.textEdit(), QStringLiteral("New "));
        if (save)
            window.saveAction()->trigger();
        else
            window.abortAction()->trigger();
    });
    QTimer::singleShot(5000, &window, [&] { window.abortAction()->trigger(); });
    window.RunEditor(request);
    const auto stored = f.storedReplies();
    QCOMPARE(stored.size(), 1);
    QCOMPARE(f.total(-2), 1);
    QCOMPARE(bool(f.store().findMessage(key)), !save);
    QCOMPARE(stored.first().text.startsWith(u"New Old text"_qs), save);
    QCOMPARE(stored.first().replyConferenceNumber, 300);
}

QTEST_MAIN(TestEditorWindow)
#include "tst_editorwindow.moc"
