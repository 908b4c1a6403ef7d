// ReaderWindow: what the window shows, its keys, the commands that call the
// editor, save, print and delete, and leaving through its wait loop.
#include "ReaderFixture.h"
#include "editor/EditorWindow.h"
#include "reader/MessageListColumns.h"
#include "reader/MessageListView.h"
#include "reader/MessageView.h"
#include "reader/ReaderWindow.h"

#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QScrollBar>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

using namespace readertest;
using marvik::reader::ReaderWindow;
using marvik::state::EditorRequest;

class tst_ReaderWindow : public QObject
{
    Q_OBJECT

private:
    static QString value(ReaderWindow &w, const QString &caption)
    {
        return w.headerValue(caption)->text();
    }

private Q_SLOTS:
    void showsTheFirstUnreadMessage()
    {
        ReaderFixture f;
        f.addMessages(1, "ru");
        auto m = storetest::message("A", 1, 3);
        m.subject = "<b>bold</b> & <img src=x>";
        m.text = "\u2554\u2550\u2550\u2557\r\n\u2551  \u2551\r\n";
        f.add(m);
        f.open(1);
        ReaderWindow w(*f.state);
        QVERIFY(w.openConference(1));
        QVERIFY(!(w.windowFlags() & Qt::WindowCloseButtonHint));
        QCOMPARE(value(w, "Position"), QStringLiteral("2 of 3"));
        QCOMPARE(value(w, "Conference"), QStringLiteral("Conference 1"));
        QVERIFY(w.textView()->isReadOnly());
        QCOMPARE(w.textView()->lineWrapMode(), QPlainTextEdit::NoWrap);
        QVERIFY(QFontInfo(w.textView()->font()).fixedPitch());
        QVERIFY(w.action(ReaderWindow::Forward)->isEnabled());
        QVERIFY(w.action(ReaderWindow::First)->isEnabled());
        w.action(ReaderWindow::Last)->trigger();
        QCOMPARE(w.headerValue("Subject")->textFormat(), Qt::PlainText);
        QCOMPARE(value(w, "Subject"), m.subject);
        QCOMPARE(w.textView()->document()->blockCount(), 2);
        QVERIFY(!w.action(ReaderWindow::Next)->isEnabled());
        w.closeConference();
    }

    void keysRead_data()
    {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<int>("index");

        QTest::newRow("N") << QList<int> {Qt::Key_N} << 2;
        QTest::newRow("Right Right") << QList<int> {Qt::Key_Right, Qt::Key_Right} << 3;
        QTest::newRow("N P") << QList<int> {Qt::Key_N, Qt::Key_P} << 1;
        QTest::newRow("Right Left") << QList<int> {Qt::Key_Right, Qt::Key_Left} << 1;
        QTest::newRow("Space: next unread") << QList<int> {Qt::Key_Space} << 4;
        QTest::newRow("Delete deletes nothing") << QList<int> {Qt::Key_Delete} << 1;
    }
    void keysRead()
    {
        QFETCH(QList<int>, keys);
        QFETCH(int, index);
        ReaderFixture f;
        f.addMessages(1, "urru");
        f.open(1);
        ReaderWindow w(*f.state);
        QVERIFY(w.openConference(1));
        QVERIFY(QTest::qWaitForWindowActive(&w));
        for (int key : keys)
            QTest::keyClick(w.textView(), Qt::Key(key));
        QCOMPARE(f.state->messageIndex(), index);
        QCOMPARE(f.state->messageCount(), 4);
        QVERIFY(!w.isLeaving());
        QTest::keyClick(w.textView(), Qt::Key_Escape);
        QVERIFY(w.isLeaving());
        w.closeConference();
    }

    void spacePagesBeforeMovingOn()
    {
        ReaderFixture f;
        auto m = storetest::message("A", 1, 1);
        for (int i = 0; i < 300; ++i)
            m.text += QStringLiteral("line %1\r\n").arg(i);
        f.add(m);
        f.addMessages(1, "ru");
        f.open(1);
        ReaderWindow w(*f.state);
        QVERIFY(w.openConference(1));
        QScrollBar *bar = w.textView()->verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        w.action(ReaderWindow::ReadOn)->trigger();
        QVERIFY(bar->value() > 0);
        QCOMPARE(f.state->messageIndex(), 1);
        while (bar->value() < bar->maximum())
            w.action(ReaderWindow::ReadOn)->trigger();
        w.action(ReaderWindow::ReadOn)->trigger();
        QCOMPARE(f.state->messageIndex(), 3);
        // Nothing unread is left: the notice, once.
        w.action(ReaderWindow::ReadOn)->trigger();
        w.action(ReaderWindow::ReadOn)->trigger();
        QCOMPARE(f.prompts.informations,
            QStringList {"There are no more unread messages in this conference."});
        QCOMPARE(f.state->messageIndex(), 3);
        w.closeConference();
    }

    void copyOnlyWithSelection()
    {
        ReaderFixture f;
        f.addMessages(1, "u");
        f.open(1);
        ReaderWindow w(*f.state);
        w.openConference(1);
        QMetaObject::invokeMethod(&w, "Edit1Click");
        QVERIFY(!w.action(ReaderWindow::Copy)->isEnabled());
        w.action(ReaderWindow::SelectAll)->trigger();
        QMetaObject::invokeMethod(&w, "Edit1Click");
        QVERIFY(w.action(ReaderWindow::Copy)->isEnabled());
        w.closeConference();
    }

    void replyAndForwardCallTheEditor()
    {
        ReaderFixture f;
        auto m = storetest::message("A", 2, 9, false, true);
        m.from = "ALICE";
        m.date = "12-24-96";
        m.time = "18:05";
        f.add(m);
        f.open(-1);
        QList<EditorRequest> requests;
        ReaderWindow w(*f.state);
        connect(&w, &ReaderWindow::editorRequested, this,
            [&](const EditorRequest &r) { requests.append(r); });
        w.setClock([] { return QDateTime(QDate(2000, 1, 2), QTime(3, 4, 5)); });
        QVERIFY(w.openConference(-1));
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_R, Qt::ControlModifier);
        w.action(ReaderWindow::Forward)->trigger();
        QCOMPARE(requests.size(), 2);
        // The reply goes to the message's own conference, from the user.
        QCOMPARE(requests.at(0).conferenceName, QStringLiteral("Conference 2"));
        QCOMPARE(requests.at(0).from, QStringLiteral("JOHN DOE"));
        QCOMPARE(requests.at(0).to, QStringLiteral("ALICE"));
        QVERIFY(requests.at(0).body.startsWith("On 12-24-96, ALICE wrote:\r\n\r\n>"));
        QVERIFY(requests.at(1).to.isEmpty());
        QCOMPARE(f.state->messageCount(), 1);
        w.closeConference();
    }

    void reEditKeepsTheReplyUntilSaved()
    {
        ReaderFixture f;
        f.addMessages(-2, "r");
        auto reply = storetest::message("A", -2, 2, true);
        reply.referenceNumber = 106;
        reply.replyConferenceNumber = 2;
        f.add(reply);
        f.open(-2);
        QList<EditorRequest> requests;
        QList<int> totalsSeen;
        ReaderWindow w(*f.state);
        connect(&w, &ReaderWindow::editorRequested, this, [&](const EditorRequest &r) {
            requests.append(r);
            totalsSeen.append(f.counts(-2).first); // then aborted
        });
        QVERIFY(w.openConference(-2));
        QVERIFY(!w.action(ReaderWindow::Forward)->isEnabled());
        w.action(ReaderWindow::Last)->trigger();
        const qint64 key = f.state->messages().message().recordNumber;
        w.action(ReaderWindow::Reply)->trigger();
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests.at(0).refersTo, QStringLiteral("106"));
        QCOMPARE(requests.at(0).conferenceNumber, 2);
        QCOMPARE(requests.at(0).replacesRecord, key);
        // Nothing is taken out while the editor is open, nor after an abort.
        QCOMPARE(totalsSeen, QList<int> {2});
        QCOMPARE(f.counts(-2), std::pair(2, 0));
        QCOMPARE(value(w, "Position"), QStringLiteral("2 of 2"));
        QCOMPARE(value(w, "Refers To"), QStringLiteral("106"));
        QVERIFY(!w.isLeaving());
        w.closeConference();
    }

    // A second Reply or Forward while the editor is open keeps the draft,
    // and leaving the reader meanwhile takes effect once the editor closes.
    void editorOpenTwiceKeepsTheDraft()
    {
        ReaderFixture f;
        f.addMessages(1, "uu");
        f.open(1);
        marvik::editor::EditorWindow editor(*f.state);
        ReaderWindow w(*f.state);
        connect(&w, &ReaderWindow::editorRequested, &editor,
            [&](const EditorRequest &r) { editor.RunEditor(r); });
        QString textAfter;
        bool readerHidden = false;
        bool editorWaiting = false;
        QTimer::singleShot(0, &w, [&] {
            QTimer::singleShot(0, &w, [&] {
                editor.textEdit()->setPlainText(QStringLiteral("My draft"));
                w.action(ReaderWindow::Next)->trigger();
                w.action(ReaderWindow::Reply)->trigger();
                w.action(ReaderWindow::Forward)->trigger();
                textAfter = editor.textEdit()->toPlainText();
                w.action(ReaderWindow::Exit)->trigger();
                readerHidden = !w.isVisible();
                editorWaiting = editor.isOpen() && editor.isVisible();
                editor.abortAction()->trigger(); // answered Yes
            });
            w.action(ReaderWindow::Reply)->trigger();
        });
        // Never wait forever: a wait nested wrongly ends only with all of them.
        QTimer::singleShot(5000, &w, [] { QCoreApplication::exit(1); });
        w.RunReader(1);
        QCOMPARE(textAfter, QStringLiteral("My draft"));
        QVERIFY(f.prompts.informations.isEmpty());
        QVERIFY(readerHidden);
        QVERIFY(editorWaiting);
        QVERIFY(!editor.isVisible());
        QVERIFY(!w.isVisible());
        QVERIFY(!editor.isOpen());
        QCOMPARE(f.prompts.questions, QStringList {"Abort the message?"});
    }

    void deletingTheLastMessageEndsTheWaitLoop()
    {
        ReaderFixture f;
        f.addMessages(1, "uu");
        f.open(1);
        ReaderWindow w(*f.state);
        bool sawWindow = false;
        QTimer::singleShot(0, &w, [&] {
            sawWindow = w.isVisible();
            w.action(ReaderWindow::Delete)->trigger();
            w.action(ReaderWindow::Delete)->trigger();
        });
        QTimer::singleShot(5000, &w, [&] { w.Exit1Click(); }); // never wait forever
        w.RunReader(1);
        QVERIFY(sawWindow);
        QVERIFY(!w.isVisible());
        QCOMPARE(f.state->messageCount(), 0);
        QCOMPARE(f.counts(1), std::pair(0, 0));
        QVERIFY(f.prompts.questions.isEmpty());
    }

    void saveAppendsOrSaysWhy()
    {
        ReaderFixture f;
        f.addMessages(1, "u");
        f.open(1);
        ReaderWindow w(*f.state);
        w.openConference(1);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        const QString good = f.dir.filePath("mine.txt");
        f.files.nextFileNames = {good, good, f.dir.path()};
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(f.files.proposedNames.size(), 3);
        // Saving appends, so the dialog has no replace question to ask.
        QCOMPARE(f.files.existing,
            QList<marvik::ui::FileDialogs::Existing>(3, marvik::ui::FileDialogs::Existing::Append));
        QCOMPARE(f.files.proposedNames.at(0), f.state->settings().defaultArchiveName());
        QCOMPARE(f.files.proposedNames.at(1), good);
        QCOMPARE(storetest::fileBytes(good).count(QByteArray(79, '=')), 4);
        QCOMPARE(f.prompts.errors.size(), 1); // the folder could not take it
        w.closeConference();
    }

    // C and K switch colours and kludge lines; both are remembered in
    // MARVIK.INI for the next run. T turns rot13 on for this message only.
    void viewSwitchesAreRemembered()
    {
        ReaderFixture f;
        auto m = storetest::message("A", 1, 1);
        m.text = "\x01MSGID: 1:2/3 ab\r\n@X0CUryyb\r\n";
        f.add(m);
        f.addMessages(1, "uu");
        f.open(1);
        {
            ReaderWindow w(*f.state);
            QVERIFY(w.openConference(1));
            QVERIFY(QTest::qWaitForWindowActive(&w));
            QCOMPARE(w.textView()->toPlainText(), QStringLiteral("Uryyb"));
            QTest::keyClick(w.textView(), Qt::Key_T);
            QCOMPARE(w.textView()->toPlainText(), QStringLiteral("Hello"));
            QTest::keyClick(w.textView(), Qt::Key_T);
            QTest::keyClick(w.textView(), Qt::Key_C);
            QTest::keyClick(w.textView(), Qt::Key_K);
            QCOMPARE(w.textView()->toPlainText(), QStringLiteral("@MSGID: 1:2/3 ab\n@X0CUryyb"));
            QVERIFY(!w.action(ReaderWindow::ShowColours)->isChecked());
            QVERIFY(w.action(ReaderWindow::ShowHidden)->isChecked());
            QTest::keyClick(w.textView(), Qt::Key_T);
            QTest::keyClick(w.textView(), Qt::Key_N);
            QVERIFY(!w.action(ReaderWindow::Rot13)->isChecked());
            w.closeConference();
        }
        QVERIFY(f.prompts.errors.isEmpty());
        marvik::state::Settings saved(f.dir.path() + "/");
        QVERIFY(saved.load(f.state->folders().iniFile()));
        QVERIFY(!saved.messageColours());
        QVERIFY(saved.showHiddenLines());

        ReaderWindow again(*f.state);
        QVERIFY(!again.action(ReaderWindow::ShowColours)->isChecked());
        QVERIFY(again.action(ReaderWindow::ShowHidden)->isChecked());
        QVERIFY(!again.messageView()->colours());
    }

    // Save writes what is read, without codes; a reply quotes it without the
    // kludges; Copy copies the visible text.
    void commandsTakeTheTextAsShown()
    {
        ReaderFixture f;
        auto m = storetest::message("A", 1, 1);
        m.text = "\x01PID: X 1\r\n\x1b[1;31mRed\x1b[0m and @X1Fblue\r\n";
        f.add(m);
        f.open(1);
        QList<EditorRequest> requests;
        ReaderWindow w(*f.state);
        connect(&w, &ReaderWindow::editorRequested, this,
            [&](const EditorRequest &r) { requests.append(r); });
        QVERIFY(w.openConference(1));
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(w.textView(), Qt::Key_K);
        const QString file = f.dir.filePath("saved.txt");
        f.files.nextFileNames = {file};
        QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
        const QByteArray saved = storetest::fileBytes(file);
        QVERIFY(saved.contains("\r\n@PID: X 1\r\nRed and blue\r\n"));
        QVERIFY(!saved.contains("\x1b"));
        QVERIFY(!saved.contains("@X1F"));

        QTest::keyClick(&w, Qt::Key_R, Qt::ControlModifier);
        QCOMPARE(requests.size(), 1);
        QVERIFY(requests.at(0).body.endsWith("wrote:\r\n\r\n>Red and blue\r\n"));

        w.action(ReaderWindow::SelectAll)->trigger();
        w.action(ReaderWindow::Copy)->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("@PID: X 1\nRed and blue"));
        w.closeConference();
    }

    void aFailedPrintIsReported()
    {
        ReaderFixture f;
        f.addMessages(1, "u");
        f.open(1);
        ReaderWindow w(*f.state);
        w.openConference(1);
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(f.dir.filePath("missing/out.pdf"));
        QVERIFY(!w.printTo(printer));
        QCOMPARE(f.prompts.errors.size(), 1);
        w.closeConference();
    }

    // The list and the reader move together: keys in the text move the
    // line, a line chosen shows its message, a header click sorts, and in
    // threads Left and Right belong to the tree while the list has focus.
    void theListFollowsTheReader()
    {
        ReaderFixture f;
        for (int i = 1; i <= 5; ++i) {
            auto m = storetest::message("A", 1, i);
            m.from = QStringLiteral("Writer %1").arg(i);
            m.referenceNumber = i == 5 ? 1 : 0;
            f.add(m);
        }
        f.open(1);
        ReaderWindow w(*f.state);
        QVERIFY(w.openConference(1));
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTreeView *list = w.listView();
        QVERIFY(list->isVisible());
        QCOMPARE(list->model()->rowCount(), 5);
        QCOMPARE(list->currentIndex().row(), 0);
        QTest::keyClick(w.textView(), Qt::Key_N);
        QCOMPARE(list->currentIndex().row(), 1);

        list->setCurrentIndex(list->model()->index(3, 0));
        QCOMPARE(f.state->messageIndex(), 4);
        QCOMPARE(value(w, "Position"), QStringLiteral("4 of 5"));
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(value(w, "Message No"), QStringLiteral("5"));
        QTest::keyClick(list, Qt::Key_W); // no jump to "Writer ..."
        QCOMPARE(value(w, "Message No"), QStringLiteral("5"));

        // Sorted by number, then descending; the message shown stays.
        const int number = marvik::reader::MessageListColumns::Number;
        QTest::mouseClick(list->header()->viewport(), Qt::LeftButton, {},
            QPoint(list->header()->sectionViewportPosition(number) + 5, 5));
        QCOMPARE(value(w, "Position"), QStringLiteral("5 of 5"));
        QCOMPARE(list->header()->sortIndicatorSection(), number);
        w.sortList(marvik::store::ListSort::Number, true);
        QCOMPARE(value(w, "Message No"), QStringLiteral("5"));
        QCOMPARE(value(w, "Position"), QStringLiteral("1 of 5"));
        QCOMPARE(list->currentIndex().row(), 0);

        w.action(ReaderWindow::Threads)->trigger();
        QCOMPARE(list->model()->rowCount(), 4); // 5 answers 1
        list->setFocus();
        const QModelIndex first = list->model()->index(3, 0); // message 1, with 5 under it
        list->setCurrentIndex(first);
        QCOMPARE(value(w, "Message No"), QStringLiteral("1"));
        QTest::keyClick(list, Qt::Key_Left);
        QVERIFY(!list->isExpanded(first));
        QCOMPARE(value(w, "Message No"), QStringLiteral("1"));
        QTest::keyClick(list, Qt::Key_Right);
        QVERIFY(list->isExpanded(first));
        QTest::keyClick(w.textView(), Qt::Key_N); // into the thread
        QCOMPARE(value(w, "Message No"), QStringLiteral("5"));

        w.action(ReaderWindow::Delete)->trigger();
        QCOMPARE(f.state->messageCount(), 4);
        QVERIFY(!f.db().findMessage(5));
        QCOMPARE(list->model()->rowCount(), 4);
        QCOMPARE(list->currentIndex(), list->model()->index(3, 0));

        // A filter nobody matches leaves the list; Esc clears it.
        QTest::keyClicks(w.filterBox(), QStringLiteral("nobody"));
        QTest::keyClick(w.filterBox(), Qt::Key_Return);
        QCOMPARE(f.state->messageCount(), 4);
        QTest::keyClicks(w.filterBox(), QString());
        w.filterBox()->clear();
        QTest::keyClicks(w.filterBox(), QStringLiteral("writer 2"));
        QTest::keyClick(w.filterBox(), Qt::Key_Return);
        QCOMPARE(f.state->messageCount(), 1);
        QCOMPARE(value(w, "Message No"), QStringLiteral("2"));
        QTest::keyClick(w.filterBox(), Qt::Key_Escape);
        QVERIFY(!w.isLeaving());
        QCOMPARE(f.state->messageCount(), 4);
        w.closeConference();

        marvik::state::Settings saved(f.dir.path() + "/");
        QVERIFY(saved.load(f.state->folders().iniFile()));
        QCOMPARE(saved.listSort(), marvik::store::ListSort::Number);
        QVERIFY(saved.listDescending());
        QVERIFY(saved.listThreads());
        QVERIFY(f.prompts.errors.isEmpty());
    }
};

QTEST_MAIN(tst_ReaderWindow)
#include "tst_readerwindow.moc"
