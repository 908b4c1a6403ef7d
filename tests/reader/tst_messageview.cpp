// MessageView: the body drawn from the renderer's lines and colours, the
// switches, what Save and a reply take, and links opened by a click.
#include "reader/MessageView.h"
#include "screens/Palette.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>

using marvik::reader::DisplayedMessage;
using marvik::reader::MessageView;
using marvik::screens::Palette;

namespace {

DisplayedMessage message(const QString &text)
{
    DisplayedMessage m;
    m.conference = QStringLiteral("General");
    m.from = QStringLiteral("ALICE");
    m.subject = QStringLiteral("Colours");
    // The stored text split the way the navigator splits it.
    m.lines = text.split(QStringLiteral("\r\n"));
    return m;
}

// The extra format at `position` of block `line`.
QTextCharFormat formatAt(const MessageView &view, int line, int position)
{
    const QTextBlock block = view.textView()->document()->findBlockByNumber(line);
    for (const auto &range : block.layout()->formats()) {
        if (position >= range.start && position < range.start + range.length)
            return range.format;
    }
    return {};
}

} // namespace

class tst_MessageView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void plainMessageLooksAsStored()
    {
        MessageView view;
        const QPalette before = view.textView()->palette();
        view.setMessage(message(QStringLiteral("Hello\r\n  there\t!")));
        QCOMPARE(view.textView()->toPlainText(), QStringLiteral("Hello\n  there\t!"));
        QCOMPARE(view.headerValue(QStringLiteral("From"))->text(), QStringLiteral("ALICE"));
        QCOMPARE(view.textView()->palette().color(QPalette::Base), before.color(QPalette::Base));
        for (QTextBlock b = view.textView()->document()->begin(); b.isValid(); b = b.next())
            QVERIFY(b.layout()->formats().isEmpty());
    }

    // Read to the end of a long, wide message and on to the next: it starts
    // at its top left, the caret at its first character.
    void nextMessageStartsAtTheTop()
    {
        MessageView view;
        view.resize(300, 200);
        view.show();
        QStringList lines;
        for (int i = 0; i < 200; ++i)
            lines << QStringLiteral("line %1 ").arg(i).repeated(20);
        view.setMessage(message(lines.join(QStringLiteral("\r\n"))));
        view.textView()->moveCursor(QTextCursor::End);
        view.textView()->ensureCursorVisible();
        QVERIFY(view.textView()->verticalScrollBar()->value() > 0);
        QVERIFY(view.textView()->horizontalScrollBar()->value() > 0);
        for (const bool colours : {true, false}) {
            view.setColours(colours);
            view.setMessage(message(lines.join(QStringLiteral("\r\n"))));
            QCOMPARE(view.textView()->textCursor().position(), 0);
            QCOMPARE(view.textView()->verticalScrollBar()->value(), 0);
            QCOMPARE(view.textView()->horizontalScrollBar()->value(), 0);
            view.textView()->moveCursor(QTextCursor::End);
            view.textView()->ensureCursorVisible();
        }
    }

    // Header values are selectable while pointed at, and stay so while
    // something in them is selected.
    void headerValuesSelectableUnderTheMouse()
    {
        MessageView view;
        view.setMessage(message(QStringLiteral("Hello")));
        QLabel *from = view.headerValue(QStringLiteral("From"));
        QCOMPARE(from->textInteractionFlags(), Qt::NoTextInteraction);
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(from, &enter);
        QCOMPARE(from->textInteractionFlags(), Qt::TextSelectableByMouse);
        QCoreApplication::sendEvent(from, &leave);
        QCOMPARE(from->textInteractionFlags(), Qt::NoTextInteraction);
        QCoreApplication::sendEvent(from, &enter);
        from->setSelection(0, 3);
        QCoreApplication::sendEvent(from, &leave);
        QCOMPARE(from->selectedText(), QStringLiteral("ALI"));
        QCOMPARE(from->textInteractionFlags(), Qt::TextSelectableByMouse);
    }

    void colouredMessageIsDrawnOnBlack()
    {
        MessageView view;
        view.setMessage(message(QStringLiteral("@X1FHi@X07 there\r\n|12red")));
        QCOMPARE(view.textView()->toPlainText(), QStringLiteral("Hi there\nred"));
        QCOMPARE(view.textView()->palette().color(QPalette::Base), QColor(Qt::black));
        const QTextCharFormat hi = formatAt(view, 0, 0);
        QCOMPARE(hi.foreground().color(), QColor(Palette::color(15)));
        QCOMPARE(hi.background().color(), QColor(Palette::color(1)));
        // The default attribute is the view's own text colour, the palette's 7.
        QVERIFY(!formatAt(view, 0, 4).hasProperty(QTextFormat::ForegroundBrush));
        QCOMPARE(view.textView()->palette().color(QPalette::Text), QColor(Palette::color(7)));
        QCOMPARE(formatAt(view, 1, 0).foreground().color(), QColor(Palette::color(12)));
    }

    void switchesRedraw()
    {
        MessageView view;
        view.setMessage(
            message(QStringLiteral("\x01MSGID: 1:2/3 ab\r\n@X0CUryyb\r\nSEEN-BY: 1/2")));
        QCOMPARE(view.textView()->toPlainText(), QStringLiteral("Uryyb"));
        view.setShowHidden(true);
        QCOMPARE(view.textView()->toPlainText(),
            QStringLiteral("@MSGID: 1:2/3 ab\nUryyb\nSEEN-BY: 1/2"));
        // Kludges are dimmed.
        QVERIFY(formatAt(view, 0, 0).hasProperty(QTextFormat::ForegroundBrush));
        view.setRot13(true);
        QCOMPARE(view.textView()->document()->findBlockByNumber(1).text(), QStringLiteral("Hello"));
        view.setColours(false);
        QCOMPARE(view.textView()->document()->findBlockByNumber(1).text(),
            QStringLiteral("@K0PHello")); // rot13 turns every letter of the raw text
        QVERIFY(view.textView()->palette().color(QPalette::Base) != QColor(Qt::black));
        // The next message starts without rot13; the other switches stay.
        view.setMessage(message(QStringLiteral("Uryyb")));
        QVERIFY(!view.rot13());
        QVERIFY(view.showsHidden());
        QVERIFY(!view.colours());
        QCOMPARE(view.textView()->toPlainText(), QStringLiteral("Uryyb"));
    }

    // Save takes the text as seen but never its codes; a quote never takes
    // the kludges either.
    void shownAndQuotedText()
    {
        MessageView view;
        view.setMessage(message(QStringLiteral("\x01PID: X\r\n@X1FHello\r\n|09> quoted")));
        QCOMPARE(view.shown().lines, QStringList({"Hello", "> quoted"}));
        QCOMPARE(view.shown().runs.size(), 2);
        QCOMPARE(view.shown().runs.at(0).at(0).attribute, quint8(0x1F));
        QCOMPARE(view.shown().from, QStringLiteral("ALICE"));
        view.setShowHidden(true);
        QCOMPARE(view.shown().lines, QStringList({"@PID: X", "Hello", "> quoted"}));
        QCOMPARE(view.quoted().lines, QStringList({"Hello", "> quoted"}));
        view.setColours(false);
        QCOMPARE(view.shown().lines, QStringList({"@PID: X", "Hello", "> quoted"}));
        QCOMPARE(view.quoted().lines, QStringList({"Hello", "> quoted"}));
    }

    void tintsQuotesAndMarksLinks()
    {
        MessageView view;
        view.setMessage(message(QStringLiteral("> one\r\n>> two\r\nsee https://x.org now")));
        const QColor one = formatAt(view, 0, 2).foreground().color();
        const QColor two = formatAt(view, 1, 3).foreground().color();
        QVERIFY(one.isValid() && two.isValid() && one != two);
        QVERIFY(formatAt(view, 2, 6).fontUnderline());
        QVERIFY(!formatAt(view, 2, 1).fontUnderline());
    }

    void aClickOpensTheLink()
    {
        MessageView view;
        QList<QUrl> opened;
        view.setLinkOpener([&](const QUrl &url) {
            opened.append(url);
            return true;
        });
        view.resize(600, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.setMessage(message(QStringLiteral("see https://x.org/a now\r\nmail a@b.org")));
        QPlainTextEdit *text = view.textView();
        auto pointAt = [&](int line, int position) {
            QTextCursor cursor(text->document()->findBlockByNumber(line));
            cursor.setPosition(cursor.position() + position);
            return text->cursorRect(cursor).center() + QPoint(2, 0);
        };
        QTest::mouseClick(text->viewport(), Qt::LeftButton, {}, pointAt(0, 8));
        QTest::mouseClick(text->viewport(), Qt::LeftButton, {}, pointAt(1, 7));
        QTest::mouseClick(text->viewport(), Qt::LeftButton, {}, pointAt(0, 1));
        QCOMPARE(opened, QList<QUrl>({QUrl("https://x.org/a"), QUrl("mailto:a@b.org")}));
        QCOMPARE(view.linkAt(pointAt(0, 20)), QUrl());
    }

    // Many colour changes share a few formats, and the view still draws.
    void manyColourChangesStayCheap()
    {
        QString text;
        for (int i = 0; i < 10000; ++i)
            text += QStringLiteral("|%1x").arg(9 + i % 2, 2, 10, QLatin1Char('0'));
        const auto body = marvik::screens::BodyRenderer::render(text, {});
        const auto formats = MessageView::formatsFor(body.lines.at(0), body.coloured);
        QCOMPARE(formats.size(), 10000);
        MessageView view;
        view.resize(600, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.setMessage(message(text));
        view.textView()->viewport()->repaint();
        QCOMPARE(view.textView()->document()->blockCount(), 1);
    }
};

QTEST_MAIN(tst_MessageView)
#include "tst_messageview.moc"
