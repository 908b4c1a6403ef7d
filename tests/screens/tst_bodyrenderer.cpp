#include "BodyFormat.h"
#include "screens/BodyRenderer.h"
#include "screens/CellBuffer.h"

#include <QElapsedTimer>
#include <QTest>

using marvik::screens::BodyRenderer;
using marvik::screens::CellBuffer;
using marvik::screens::RenderedBody;

namespace {

QString esc(const char *rest)
{
    return QStringLiteral("\x1b") + QLatin1String(rest);
}

BodyRenderer::Options withOptions(bool colours, bool showHidden = false, bool rot13 = false)
{
    BodyRenderer::Options options;
    options.colours = colours;
    options.showHidden = showHidden;
    options.rot13 = rot13;
    return options;
}

} // namespace

class TestBodyRenderer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // What the reader shows with colours on: a text without codes exactly
    // as stored, codes followed and gone.
    void rendersLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("coloured");
        using L = QStringList;
        const QString long120(120, QLatin1Char('w'));

        QTest::newRow("empty") << QString() << L {} << false;
        QTest::newRow("plain lines as stored") << QStringLiteral("Hello\r\n\r\n  indented\ttab\r\n")
                                               << L {"Hello", "", "  indented\ttab"} << false;
        QTest::newRow("LF and lone CR end lines too")
            << QStringLiteral("a\nb\rc") << L {"a", "b", "c"} << false;
        QTest::newRow("a long plain line is not folded") << long120 << L {long120} << false;
        QTest::newRow("accents and symbols stay") << QStringLiteral("Zo\u00eb \u20ac \u201cq\u201d")
                                                  << L {"Zo\u00eb \u20ac \u201cq\u201d"} << false;
        QTest::newRow("a lone ESC is not a picture")
            << QStringLiteral("a\x1b b") << L {"a\x1b b"} << false;
        QTest::newRow("Ctrl+C without a digit stays")
            << QStringLiteral("a\x03x") << L {"a\x03x"} << false;
        QTest::newRow("pipe without two digits stays")
            << QStringLiteral("a|b |1 |99") << L {"a|b |1 |99"} << false;
        QTest::newRow("@X without hex stays")
            << QStringLiteral("@XYZ me@x.org") << L {"@XYZ me@x.org"} << false;

        QTest::newRow("PCBoard") << QStringLiteral("@X1FHi@X07 there") << L {"{1F}Hi{07} there"}
                                 << true;
        QTest::newRow("PCBoard lower-case hex") << QStringLiteral("@x0eHi") << L {"{0E}Hi"} << true;
        QTest::newRow("PCBoard save and restore")
            << QStringLiteral("@X1Ea@X00@X4Fb@XFFc") << L {"{1E}a{4F}b{1E}c"} << true;
        QTest::newRow("Wildcat") << QStringLiteral("@0C@red") << L {"{0C}red"} << true;
        QTest::newRow("colour carries to the next line")
            << QStringLiteral("@X0Ca\r\nb") << L {"{0C}a", "{0C}b"} << true;
        QTest::newRow("Synchronet letters, bright, normal")
            << QStringLiteral("\x01r\x01hR\x01nN\x01YY") << L {"{0C}R{07}N{06}Y"} << true;
        QTest::newRow("Synchronet background keeps the text colour") << QStringLiteral("\x01g\x01"
                                                                                       "4x")
                                                                     << L {"{12}x"} << true;
        QTest::newRow("Synchronet blink") << QStringLiteral("\x01ix") << L {"{87}x"} << true;
        QTest::newRow("Synchronet codes that draw nothing")
            << QStringLiteral("a\x01Lb\x01pc\x01") << L {"abc"} << true;
        // Ctrl+A and byte 0x81 (u with diaeresis in CP437): two columns right.
        QTest::newRow("Synchronet move right")
            << QStringLiteral("a\x01\u00fcb") << L {"a  b"} << true;
        QTest::newRow("WWIV hearts") << QStringLiteral("\x03"
                                                       "1c\x03"
                                                       "4b\x03"
                                                       "0n")
                                     << L {"{0B}c{1F}b{07}n"} << true;
        QTest::newRow("WWIV pipe hash") << QStringLiteral("|#2y") << L {"{0E}y"} << true;
        QTest::newRow("pipe text colours")
            << QStringLiteral("|09a|15b|00c") << L {"{09}a{0F}b{00}c"} << true;
        QTest::newRow("pipe backgrounds")
            << QStringLiteral("|12|17a|23b|25c") << L {"{1C}a{7C}b{9C}c"} << true;

        QTest::newRow("SGR colours")
            << esc("[1;33;44mHi") + esc("[0m!") << L {"{1E}Hi{07}!"} << true;
        QTest::newRow("cursor right over blanks")
            << QStringLiteral("a") + esc("[5Cb") << L {"a     b"} << true;
        QTest::newRow("cursor up overwrites")
            << QStringLiteral("abc\r\nxyz") + esc("[A") + QStringLiteral("Q") << L {"abcQ", "xyz"}
            << true;
        QTest::newRow("clear to end keeps a coloured tail")
            << esc("[44m") + QStringLiteral("a") + esc("[K") << L {"{17}a" + QString(79, ' ')}
            << true;
        QTest::newRow("trailing default blanks are dropped")
            << QStringLiteral("ab") + esc("[20C") + esc("[0m") << L {"ab"} << true;
        QTest::newRow("an ANSI picture folds at 80 columns")
            << esc("[0m") + long120 << L {long120.left(80), long120.mid(80)} << true;
        QTest::newRow("tabs move to the next stop")
            << esc("[0m") + QStringLiteral("a\tb") << L {"a       b"} << true;
        QTest::newRow("characters CP437 lacks survive a picture")
            << esc("[31m") + QStringLiteral("\u201cZo\u00eb\u201d \u20ac")
            << L {"{04}\u201cZo\u00eb\u201d \u20ac"} << true;
        QTest::newRow("control bytes in a picture are glyphs")
            << esc("[0m") + QStringLiteral("a\x07") << L {"a\u2022"} << true;
        QTest::newRow("BBS codes inside a picture")
            << esc("[0m") + QStringLiteral("@X1Fa\x01r\x01hb|02c") << L {"{1F}a{1C}b{12}c"} << true;
        QTest::newRow("Synchronet cursor codes inside a picture")
            << esc("[0m") + QStringLiteral("abcd\x01[XY\x01<Z") << L {"XZcd"} << true;
        QTest::newRow("a broken cursor number is dropped, not fatal")
            << esc("[1;2A") + QStringLiteral("still here") << L {"still here"} << true;
    }

    void rendersLines()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QFETCH(bool, coloured);
        const RenderedBody body = BodyRenderer::render(text, withOptions(true));
        QCOMPARE(styledLines(body), lines);
        QCOMPARE(body.coloured, coloured);
    }

    void plainTextHasNoRuns()
    {
        const RenderedBody body
            = BodyRenderer::render(QStringLiteral("just text\r\nmore"), withOptions(true));
        for (const auto &line : body.lines)
            QVERIFY(line.runs.isEmpty());
    }

    // Colours off: the codes stay, readable.
    void showsRawCodesWhenColoursAreOff_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        using L = QStringList;
        QTest::newRow("ANSI") << esc("[1;31mRed") << L {"\u2190[1;31mRed"};
        QTest::newRow("BBS codes") << QStringLiteral("@X1Fa|09b\x01hc\x03"
                                                     "1d")
                                   << L {"@X1Fa|09b\u263Ahc\u2665"
                                         "1d"};
        QTest::newRow("tab kept") << QStringLiteral("a\tb") << L {"a\tb"};
        QTest::newRow("plain") << QStringLiteral("x\r\ny") << L {"x", "y"};
    }

    void showsRawCodesWhenColoursAreOff()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        const RenderedBody body = BodyRenderer::render(text, withOptions(false));
        QCOMPARE(styledLines(body), lines);
        QVERIFY(!body.coloured);
    }

    void handlesHiddenLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("colours");
        QTest::addColumn<bool>("show");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QList<bool>>("hidden");
        using L = QStringList;
        using B = QList<bool>;
        const QString fido = QStringLiteral(
            "\x01MSGID: 1:2/3 abcd\r\nHello\r\n\x01Via 1:2/3\r\nSEEN-BY: 1/2\r\nBye\r\n");

        QTest::newRow("hidden by default")
            << fido << true << false << L {"Hello", "Bye"} << B {0, 0};
        QTest::newRow("shown in place")
            << fido << true << true
            << L {"@MSGID: 1:2/3 abcd", "Hello", "@Via 1:2/3", "SEEN-BY: 1/2", "Bye"}
            << B {1, 0, 1, 1, 0};
        QTest::newRow("hidden with colours off too")
            << fido << false << false << L {"Hello", "Bye"} << B {0, 0};
        QTest::newRow("QWK style")
            << QStringLiteral("@MSGID: x\r\n@REPLY: y\r\n@TZ: z\r\n@VIA: v\r\nPATH: 1/2\r\ntext")
            << true << false << L {"text"} << B {0};
        QTest::newRow("a Synchronet colour line is text")
            << QStringLiteral("\x01h\x01yHello\r\n\x01NHi") << true << false
            << L {"{0E}Hello", "Hi"} << B {0, 0};
        QTest::newRow("around a picture: before above, the rest below")
            << QStringLiteral("\x01PID: X 1\r\n") + esc("[31mred") + QStringLiteral("\r\n")
                + QStringLiteral("SEEN-BY: 1/2\r\n") + QStringLiteral("more")
            << true << true << L {"@PID: X 1", "{04}red", "{04}more", "SEEN-BY: 1/2"}
            << B {1, 0, 0, 1};
    }

    void handlesHiddenLines()
    {
        QFETCH(QString, text);
        QFETCH(bool, colours);
        QFETCH(bool, show);
        QFETCH(QStringList, lines);
        QFETCH(QList<bool>, hidden);
        const RenderedBody body = BodyRenderer::render(text, withOptions(colours, show));
        QCOMPARE(styledLines(body), lines);
        QList<bool> got;
        for (const auto &line : body.lines)
            got.append(line.hidden);
        QCOMPARE(got, hidden);
    }

    void findsQuotesAndLinksOnWhatIsShown()
    {
        const QString text
            = QStringLiteral("@X0Fsee https://x.org/a\r\n JD> quoted\r\n>> deeper\r\nUryyb\r\n");
        const RenderedBody plain = BodyRenderer::render(text, withOptions(true));
        QCOMPARE(plain.lines.size(), 4);
        QCOMPARE(plain.lines[0].links.size(), 1);
        QCOMPARE(plain.lines[0].links[0].target, QStringLiteral("https://x.org/a"));
        QCOMPARE(plain.lines[0].links[0].start, 4);
        QCOMPARE(plain.lines[1].quoteDepth, 1);
        QCOMPARE(plain.lines[2].quoteDepth, 2);
        QCOMPARE(plain.lines[3].text, QStringLiteral("Uryyb"));

        const RenderedBody turned = BodyRenderer::render(text, withOptions(true, false, true));
        QCOMPARE(turned.lines[3].text, QStringLiteral("Hello"));
        QCOMPARE(turned.lines[1].quoteDepth, 1);
        // rot13 moves letters only, so the colours stay where they were.
        QCOMPARE(turned.lines[0].runs, plain.lines[0].runs);
    }

    void rot13TurnsLettersOnly()
    {
        QCOMPARE(BodyRenderer::rot13(u"Hello, World! 123 \u00e9z"),
            QStringLiteral("Uryyb, Jbeyq! 123 \u00e9m"));
        QCOMPARE(
            BodyRenderer::rot13(BodyRenderer::rot13(u"Round trip")), QStringLiteral("Round trip"));
    }

    // Hostile texts end in bounded pictures, quickly.
    void staysBounded_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("maxLines");

        QTest::newRow("1 MB escape sequence")
            << esc("[") + QString(1 << 20, QLatin1Char('7')) + QStringLiteral("mX") << 1;
        QString changes;
        for (int i = 0; i < 10000; ++i)
            changes += esc(i % 2 ? "[31m" : "[32m") + QLatin1Char('x');
        QTest::newRow("10,000 colour changes on a line") << changes << 125;
        QString codes;
        for (int i = 0; i < 10000; ++i)
            codes += QStringLiteral("|%1x").arg(i % 16, 2, 10, QLatin1Char('0'));
        QTest::newRow("10,000 pipe codes on a line") << codes << 1;
        QTest::newRow("cursor far below")
            << esc("[2000000000B") + QStringLiteral("X") << CellBuffer::MaxLines;
        QTest::newRow("cursor far right and up")
            << esc("[99999999C") + esc("[99999999A") + QStringLiteral("X") << 1;
        QTest::newRow("far positions")
            << esc("[99999999;99999999H") + QStringLiteral("X") << CellBuffer::MaxLines;
        QString escapes;
        while (escapes.size() < 4 * 1024 * 1024)
            escapes += esc("[1;3") + QString::number(escapes.size() % 8) + QStringLiteral("m@\r\n");
        QTest::newRow("4 MB of escapes") << escapes << CellBuffer::MaxLines;
    }

    void staysBounded()
    {
        QFETCH(QString, text);
        QFETCH(int, maxLines);
        QElapsedTimer timer;
        timer.start();
        const RenderedBody body = BodyRenderer::render(text, withOptions(true, true));
        QVERIFY(body.lines.size() <= maxLines);
        for (const auto &line : body.lines)
            QVERIFY(line.text.size() <= qMax<qsizetype>(CellBuffer::Columns, 10000));
        // Generous: a slow build machine, but never a hang.
        QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));
    }
};

QTEST_GUILESS_MAIN(TestBodyRenderer)
#include "tst_bodyrenderer.moc"
