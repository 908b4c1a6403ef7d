#include "editor/MessageParts.h"

#include <QTest>

using marvik::editor::MessageParts;

namespace {

QStringList numberedLines(int count)
{
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines.append(QStringLiteral("line %1").arg(i));
    return lines;
}

const QString Tag = QStringLiteral("*** \r\n *   Marvik 1.0 * ");

} // namespace

class TestMessageParts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void wraps_data();
    void wraps();
    void wrappedLinesStayWithinColumn();
    void partsAndLines_data();
    void partsAndLines();
    void tagBlock_data();
    void tagBlock();
};

void TestMessageParts::wraps_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");

    const QString a72(72, u'a');
    const QString b10(10, u'b');
    QTest::newRow("empty text is one empty line") << QString() << QStringList {QString()};
    QTest::newRow("short") << QStringLiteral("Hi") << QStringList {QStringLiteral("Hi")};
    QTest::newRow("CR LF paragraphs")
        << QStringLiteral("a\r\nb\r\n") << QStringList {u"a"_qs, u"b"_qs, QString()};
    QTest::newRow("lone CR and LF")
        << QStringLiteral("a\rb\nc") << QStringList {u"a"_qs, u"b"_qs, u"c"_qs};
    QTest::newRow("exactly 72 stays") << a72 << QStringList {a72};
    QTest::newRow("73 without blank is cut") << a72 + u"x"_qs << QStringList {a72, u"x"_qs};
    QTest::newRow("break at last blank")
        << QString(70, u'a') + u" bbbb"_qs << QStringList {QString(70, u'a'), u"bbbb"_qs};
    QTest::newRow("blank at column 72 hangs") << a72 + u" next"_qs << QStringList {a72, u"next"_qs};
    QTest::newRow("several blanks at the break dropped") << QString(60, u'a') + u"     "_qs
            + QString(20, u'c') << QStringList {QString(60, u'a'), QString(20, u'c')};
    QTest::newRow("after a hyphen") << QString(62, u'a') + u" seventy-two"_qs
                                    << QStringList {QString(62, u'a') + u" seventy-"_qs, u"two"_qs};
    QTest::newRow("not before a digit") << QString(62, u'a') + u" number-2345678"_qs
                                        << QStringList {QString(62, u'a'), u"number-2345678"_qs};
    QTest::newRow("trailing blanks past the column") << a72 + u"   "_qs << QStringList {a72};
    QTest::newRow("indentation kept on the first line") << u"    "_qs
            + QString(80, u'd') << QStringList {u"    "_qs + QString(68, u'd'), QString(12, u'd')};
    QTest::newRow("second line holds the rest") << QString(50, u'w') + u" "_qs + QString(50, u'x')
            + u" "_qs + b10 << QStringList {QString(50, u'w'), QString(50, u'x') + u" "_qs + b10};
}

void TestMessageParts::wraps()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(MessageParts::displayLines(text), lines);
}

void TestMessageParts::wrappedLinesStayWithinColumn()
{
    // Words of every length, so breaks fall everywhere.
    QString text;
    for (int i = 0; i < 400; ++i)
        text += QString(1 + (i * 7) % 90, QChar(u'a' + i % 26)) + (i % 5 ? u" "_qs : u"  "_qs);
    const QStringList lines = MessageParts::displayLines(text);
    QString joined;
    for (const QString &line : lines) {
        QVERIFY2(line.size() <= MessageParts::WrapColumn, qPrintable(line));
        joined += line;
    }
    // Only blanks are lost at the breaks.
    QString letters = text;
    letters.remove(u' ');
    joined.remove(u' ');
    QCOMPARE(joined, letters);
}

void TestMessageParts::partsAndLines_data()
{
    QTest::addColumn<int>("lineCount");
    QTest::addColumn<int>("parts");
    QTest::addColumn<int>("linesInLast");

    QTest::newRow("1") << 1 << 1 << 1;
    QTest::newRow("89") << 89 << 1 << 89;
    QTest::newRow("90") << 90 << 1 << 90;
    QTest::newRow("91") << 91 << 2 << 1;
    QTest::newRow("180") << 180 << 2 << 90;
    QTest::newRow("200") << 200 << 3 << 20;
}

void TestMessageParts::partsAndLines()
{
    QFETCH(int, lineCount);
    QFETCH(int, parts);
    QFETCH(int, linesInLast);

    const QStringList lines = numberedLines(lineCount);
    const QStringList bodies = MessageParts::bodies(lines, {});
    QCOMPARE(bodies.size(), parts);
    QStringList seen;
    for (int i = 0; i < parts; ++i) {
        QStringList bodyLines = bodies.at(i).split(QStringLiteral("\r\n"));
        QVERIFY(bodyLines.last().isEmpty()); // every line ends in CR LF
        bodyLines.removeLast();
        if (i > 0) {
            QCOMPARE(bodyLines.takeFirst(), QStringLiteral("Part %1 of %2").arg(i + 1).arg(parts));
            QCOMPARE(bodyLines.takeFirst(), QString());
        }
        if (i + 1 < parts) {
            QCOMPARE(bodyLines.takeLast(), QStringLiteral("Continued to next message..."));
            QCOMPARE(bodyLines.takeLast(), QString());
            QCOMPARE(bodyLines.size(), MessageParts::LinesPerPart);
            QVERIFY(!MessageParts::hasTagBlock(bodies.at(i)));
        } else {
            QVERIFY(MessageParts::hasTagBlock(bodies.at(i)));
            bodyLines = bodyLines.mid(0, linesInLast);
        }
        seen += bodyLines;
    }
    QCOMPARE(seen, lines); // every line once, in order
}

void TestMessageParts::tagBlock_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QStringList>("taglines");
    QTest::addColumn<QString>("expected");

    QTest::newRow("one line, no taglines")
        << u"Hello\r\n"_qs << QStringList() << u"Hello\r\n\r\n"_qs + Tag + u"\r\n"_qs;
    QTest::newRow("tagline picked") << u"Hello\r\n"_qs << QStringList {u"first"_qs, u"second"_qs}
                                    << u"Hello\r\n\r\n"_qs + Tag + u" - second\r\n"_qs;
    QTest::newRow("blank line already there")
        << u"Hello\r\n\r\n"_qs << QStringList() << u"Hello\r\n\r\n"_qs + Tag + u"\r\n"_qs;
    QTest::newRow("re-edited body keeps its one block")
        << u"Hi\r\n\r\n"_qs + Tag + u" - old\r\n"_qs << QStringList {u"new"_qs}
        << u"Hi\r\n\r\n"_qs + Tag + u" - old\r\n"_qs;
}

void TestMessageParts::tagBlock()
{
    QFETCH(QString, body);
    QFETCH(QStringList, taglines);
    QFETCH(QString, expected);
    QCOMPARE(
        MessageParts::withTagBlock(body, taglines, [](int count) { return count - 1; }), expected);
}

QTEST_GUILESS_MAIN(TestMessageParts)
#include "tst_messageparts.moc"
