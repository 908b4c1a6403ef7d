#include "screens/AnsiInterpreter.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTest>

using marvik::screens::AnsiInterpreter;
using marvik::screens::AnsiResult;
using marvik::screens::CellBuffer;

namespace {

// Each line's characters with trailing spaces trimmed.
QList<QByteArray> textLines(const CellBuffer &buffer)
{
    QList<QByteArray> lines;
    for (int row = 1; row <= buffer.lineCount(); ++row) {
        QByteArray text;
        for (const auto &cell : buffer.line(row))
            text.append(char(cell.character));
        while (text.endsWith(' '))
            text.chop(1);
        lines.append(text);
    }
    return lines;
}

QByteArray esc(const char *rest)
{
    return QByteArray("\x1b") + rest;
}

// A SAUCE record of 128 bytes announcing `comments` comment lines.
QByteArray sauceRecord(int comments)
{
    QByteArray record("SAUCE00");
    record.append(128 - record.size(), ' ');
    record[104] = char(comments);
    return record;
}

} // namespace

class TestAnsiInterpreter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void drawsText_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QList<QByteArray>>("lines");
        using L = QList<QByteArray>;
        const QByteArray eighty(80, 'x');

        QTest::newRow("empty text") << QByteArray() << L {};
        QTest::newRow("plain") << QByteArray("AB") << L {"AB"};
        QTest::newRow("line feed keeps the column") << QByteArray("AB\nC") << L {"AB", "  C"};
        QTest::newRow("CR LF") << QByteArray("AB\r\nC") << L {"AB", "C"};
        QTest::newRow("final line feed adds no line") << QByteArray("AB\r\n") << L {"AB"};
        QTest::newRow("80 characters then CR LF leave an empty line")
            << eighty + "\r\nY" << L {eighty, "", "Y"};
        QTest::newRow("wrap after column 80") << eighty + "z" << L {eighty, "z"};
        QTest::newRow("backspace") << QByteArray("AB\bC") << L {"AC"};
        QTest::newRow("backspace at column 1") << QByteArray("\bA") << L {"A"};
        QTest::newRow("control bytes are glyphs")
            << QByteArray("\t\f\a\x1a\x01") << L {"\t\f\a\x1a\x01"};
        QTest::newRow("NUL is a glyph") << QByteArray("\0A", 2) << L {QByteArray("\0A", 2)};
        QTest::newRow("ESC and another byte are dropped") << esc("XAB") << L {"AB"};
        QTest::newRow("ESC ESC drops both") << esc("\x1b"
                                                   "A")
                                            << L {"A"};
        QTest::newRow("unknown final is dropped") << esc("[zA") << L {"A"};
        QTest::newRow("unknown final after parameters") << esc("[1zA") << L {"A"};
        QTest::newRow("stray byte inside parameters") << esc("[1;2?A") << L {"A"};
        QTest::newRow("semicolon first ends the sequence") << esc("[;5H") << L {"5H"};

        QTest::newRow("up stops at row 1") << esc("[AX") << L {"X"};
        QTest::newRow("up") << QByteArray("A\r\nB") + esc("[AC") << L {"AC", "B"};
        QTest::newRow("down") << QByteArray("A") + esc("[BX") << L {"A", " X"};
        QTest::newRow("right") << QByteArray("A") + esc("[CX") << L {"A X"};
        QTest::newRow("right stops at 80")
            << QByteArray(79, 'a') + esc("[C") + esc("[CX") << L {QByteArray(79, 'a') + "X"};
        QTest::newRow("left") << QByteArray("AB") + esc("[DX") << L {"AX"};
        QTest::newRow("left stops at 1") << esc("[DX") << L {"X"};
        QTest::newRow("home H") << QByteArray("\r\n\r\nAB") + esc("[HX") << L {"X", "", "AB"};
        QTest::newRow("home F") << QByteArray("\r\nAB") + esc("[FX") << L {"X", "AB"};
        QTest::newRow("save and restore")
            << QByteArray("AB") + esc("[sCD\r\n") + esc("[uX") << L {"ABXD", ""};
        QTest::newRow("clear to end of line")
            << QByteArray("ABCDE") + esc("[3D") + esc("[K") << L {"AB"};

        QTest::newRow("down by 3") << esc("[3BX") << L {"", "", "", "X"};
        QTest::newRow("up by 5 stops at 1") << QByteArray("\r\n") + esc("[5AX") << L {"X", ""};
        QTest::newRow("right by 10") << esc("[10CX") << L {"          X"};
        QTest::newRow("right by 100 stops at 80") << esc("[100CX") << L {QByteArray(79, ' ') + "X"};
        QTest::newRow("left by 5 stops at 1") << QByteArray("AB") + esc("[5DX") << L {"XB"};
        QTest::newRow("position H") << esc("[3;5HX") << L {"", "", "    X"};
        QTest::newRow("position f, row only") << esc("[2fX") << L {"", "X"};
        QTest::newRow("position f") << esc("[2;3fX") << L {"", "  X"};
        QTest::newRow("position h") << esc("[2;3hX") << L {"", "  X"};
        QTest::newRow("position F") << esc("[2;3FX") << L {"", "  X"};
        QTest::newRow("row 0 is clamped to 1") << esc("[0;3HX") << L {"  X"};
        QTest::newRow("column 0 is clamped to 1") << esc("[1;0HX") << L {"X"};
        QTest::newRow("column 200 is clamped to 80")
            << esc("[1;200HX") << L {QByteArray(79, ' ') + "X"};

        QTest::newRow("2J erases nothing") << QByteArray("AB") + esc("[2JC") << L {"ABC"};
        QTest::newRow("J without parameter") << QByteArray("A") + esc("[JB") << L {"AB"};
        QTest::newRow("2K does nothing")
            << QByteArray("ABC") + esc("[2D") + esc("[2KX") << L {"AXC"};
        QTest::newRow("m without parameter") << QByteArray("A") + esc("[mB") << L {"AB"};
        QTest::newRow("10B at the end adds nothing yet")
            << QByteArray("A") + esc("[10B") << L {"A"};
        QTest::newRow("10B then a byte appends blank lines") << QByteArray("A") + esc("[10B")
                + "\r" << L {"A", "", "", "", "", "", "", "", "", "", ""};

        QTest::newRow("private mode ?25h") << esc("[?25hA") << L {"A"};
        QTest::newRow("private mode ?33h") << esc("[?33hA") << L {"A"};
        QTest::newRow("private mode =7h") << esc("[=7hA") << L {"A"};
        QTest::newRow("private mode >1;2c") << esc("[>1;2cA") << L {"A"};
        QTest::newRow("unfinished private mode") << esc("[?25") << L {""};
    }

    void drawsText()
    {
        QFETCH(QByteArray, input);
        QFETCH(QList<QByteArray>, lines);
        const AnsiResult result = AnsiInterpreter::interpret(input);
        QVERIFY2(result.ok(), qPrintable(result.error));
        QCOMPARE(textLines(result.buffer), lines);
    }

    void setsAttributes_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("attribute");

        QTest::newRow("default") << QByteArray("A") << 1 << 1 << 0x07;
        QTest::newRow("bright brown on blue") << esc("[1;33;44mA") << 1 << 1 << 0x1E;
        QTest::newRow("blink on black") << esc("[5;40mA") << 1 << 1 << 0x87;
        QTest::newRow("no parameter keeps it") << esc("[1;31m") + esc("[mA") << 1 << 1 << 0x0C;
        QTest::newRow("reset") << esc("[1;44m") + esc("[0mA") << 1 << 1 << 0x07;
        QTest::newRow("leading zeros") << esc("[031mA") << 1 << 1 << 0x04;
        QTest::newRow("empty piece skipped") << esc("[1;;31mA") << 1 << 1 << 0x0C;
        QTest::newRow("final semicolon adds nothing") << esc("[31;mA") << 1 << 1 << 0x04;
        QTest::newRow("unknown codes") << esc("[2;4;7;38;48mA") << 1 << 1 << 0x07;
        QTest::newRow("huge code") << esc("[99999999999999999999999931mA") << 1 << 1 << 0x07;
        QTest::newRow("other bits stay") << esc("[1;5;44;31m") + esc("[32mA") << 1 << 1 << 0x9A;
        QTest::newRow("K paints the current attribute")
            << esc("[44m") + esc("[K") << 1 << 80 << 0x17;
        QTest::newRow("control bytes take the attribute") << esc("[31m\t") << 1 << 1 << 0x04;
        QTest::newRow("wrapped text keeps it")
            << esc("[32m") + QByteArray(81, 'x') << 2 << 1 << 0x02;

        // The PC order of colour numbers, not the ANSI one.
        const int order[8] = {0, 4, 2, 6, 1, 5, 3, 7};
        for (int i = 0; i < 8; ++i) {
            QTest::addRow("text colour 3%d", i)
                << esc(qPrintable(QStringLiteral("[3%1mA").arg(i))) << 1 << 1 << order[i];
            QTest::addRow("background 4%d", i) << esc(qPrintable(QStringLiteral("[4%1mA").arg(i)))
                                               << 1 << 1 << ((order[i] << 4) | 7);
        }
    }

    void setsAttributes()
    {
        QFETCH(QByteArray, input);
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(int, attribute);
        const AnsiResult result = AnsiInterpreter::interpret(input);
        QVERIFY2(result.ok(), qPrintable(result.error));
        QCOMPARE(int(result.buffer.cell(row, column).attribute), attribute);
    }

    void rejectsBrokenCursorNumbers_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("error");

        const QString message = QStringLiteral("'%1' is not a valid integer value");
        QTest::newRow("up 1;2") << esc("[1;2A") << message.arg("1;2");
        QTest::newRow("down 1;2") << esc("[1;2B") << message.arg("1;2");
        QTest::newRow("right 3;") << esc("[3;C") << message.arg("3;");
        QTest::newRow("left 4;;") << esc("[4;;D") << message.arg("4;;");
        QTest::newRow("nothing after the semicolon") << esc("[5;H") << message.arg("");
        QTest::newRow("two semicolons") << esc("[1;2;3H") << message.arg("2;3");
        QTest::newRow("f with empty column") << esc("[5;f") << message.arg("");
        QTest::newRow("after text") << QByteArray("Hello") + esc("[1;2AX") << message.arg("1;2");
        QTest::newRow("runaway parameter is shortened") << esc("[1;") + QByteArray(500, '7')
                + "A" << message.arg(QStringLiteral("1;") + QString(58, '7') + "...");
    }

    void rejectsBrokenCursorNumbers()
    {
        QFETCH(QByteArray, input);
        QFETCH(QString, error);
        const AnsiResult result = AnsiInterpreter::interpret(input);
        QCOMPARE(result.error, error);
        QVERIFY(result.buffer.isEmpty());
    }

    void stopsAtSauce_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QList<QByteArray>>("lines");
        using L = QList<QByteArray>;

        QTest::newRow("record") << QByteArray("AB\x1a") + sauceRecord(0) << L {"AB"};
        QTest::newRow("record with comments") << QByteArray("AB\x1a"
                                                            "COMNT")
                + QByteArray(128, 'c')
                + sauceRecord(2) << L {"AB"};
        QTest::newRow("earlier 26 is a glyph") << QByteArray("A\x1a"
                                                             "B\x1a")
                + sauceRecord(0)
                                               << L {"A\x1a"
                                                     "B"};
        QTest::newRow("26 without a record is a glyph") << QByteArray("AB\x1a") << L {"AB\x1a"};
        QTest::newRow("record without 26 is text")
            << QByteArray("AB") + sauceRecord(0) << L {"ABSAUCE00", ""};
        QTest::newRow("record not at the end is text")
            << QByteArray("\x1a") + sauceRecord(0) + "Z" << L {"\x1aSAUCE00", ""};
        QByteArray rewritten = sauceRecord(0);
        rewritten.replace(90, 1, "\r\n"); // a lone CR of the record, stored as a line end
        QTest::newRow("record with its line ends rewritten") << QByteArray("AB\x1a") + rewritten
                + "\r\n" << L {"AB"};
        QTest::newRow("line end after a record far from the end is text") << QByteArray("\x1a")
                + sauceRecord(0) + QByteArray(17, 'Z') + "\n" << L {"\x1aSAUCE00", ""};
        QTest::newRow("comment count that lies") << QByteArray("\x1a"
                                                               "COMNT")
                + QByteArray(64, 'c') + sauceRecord(9)
                                                 << L {QByteArray("\x1a"
                                                                  "COMNT")
                                                            + QByteArray(64, 'c') + "SAUCE00",
                                                        QByteArray(), ""};
    }

    void stopsAtSauce()
    {
        QFETCH(QByteArray, input);
        QFETCH(QList<QByteArray>, lines);
        const AnsiResult result = AnsiInterpreter::interpret(input);
        QVERIFY2(result.ok(), qPrintable(result.error));
        const QList<QByteArray> got = textLines(result.buffer);
        QCOMPARE(got.size(), lines.size());
        // Compare only the start of each line: the record's blanks are not the point.
        for (int i = 0; i < lines.size(); ++i)
            QVERIFY2(got[i].startsWith(lines[i]), got[i].constData());
    }

    void keepsTheBufferBounded_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("lineCount");
        QTest::addColumn<int>("markRow");
        QTest::addColumn<int>("markColumn");

        const QByteArray nines(100000, '9');
        QTest::newRow("far move down") << esc("[2000000000BX") << 10000 << 0 << 0;
        QTest::newRow("far down and back up")
            << esc("[2000000000B") + esc("[2000000000AX") << 10000 << 1 << 1;
        QTest::newRow("last line still holds text") << esc("[9999BX") << 10000 << 10000 << 1;
        QTest::newRow("line feeds past the ceiling")
            << QByteArray(10005, '\n') + "X" << 10000 << 0 << 0;
        QTest::newRow("hundred thousand digits down") << esc("[") + nines + "BX" << 10000 << 0 << 0;
        QTest::newRow("hundred thousand digits up") << esc("[") + nines + "AX" << 1 << 1 << 1;
        QTest::newRow("hundred thousand digits right") << esc("[") + nines + "CX" << 1 << 1 << 80;
        QTest::newRow("huge position")
            << esc("[99999999999999999999;99999999999999999999HX") << 10000 << 0 << 0;
        QTest::newRow("huge row, then home")
            << esc("[99999999999999999999H") + esc("[HX") << 10000 << 1 << 1;
    }

    void keepsTheBufferBounded()
    {
        QFETCH(QByteArray, input);
        QFETCH(int, lineCount);
        QFETCH(int, markRow);
        QFETCH(int, markColumn);
        const AnsiResult result = AnsiInterpreter::interpret(input);
        QVERIFY2(result.ok(), qPrintable(result.error));
        QCOMPARE(result.buffer.lineCount(), lineCount);
        int marks = 0;
        for (int row = 1; row <= result.buffer.lineCount(); ++row)
            for (const auto &cell : result.buffer.line(row))
                marks += cell.character == 'X';
        QCOMPARE(marks, markRow ? 1 : 0);
        if (markRow)
            QCOMPARE(result.buffer.cell(markRow, markColumn).character, quint8('X'));
    }

    void interpretsRealScreens_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("lineCount");
        QTest::addColumn<int>("endOfFileGlyphs");
        QTest::addColumn<QByteArray>("absent");

        // Row counts as the artists' SAUCE records and the files' sources give them.
        QTest::newRow("SAUCE record")
            << "ansilove-bs-ansilove.ans" << 23 << 0 << QByteArray("SAUCE");
        QTest::newRow("blocky art") << "ansilove-n-silove.ans" << 34 << 0 << QByteArray("SAUCE");
        QTest::newRow("SUB at the end") << "ansilove-cl-al02.ans" << 30 << 1 << QByteArray("\x1b");
        QTest::newRow("private mode in a test sheet")
            << "enigma-general-test.ans" << 86 << 0 << QByteArray("33h");
    }

    void interpretsRealScreens()
    {
        QFETCH(QString, file);
        QFETCH(int, lineCount);
        QFETCH(int, endOfFileGlyphs);
        QFETCH(QByteArray, absent);
        QFile input(qEnvironmentVariable("MARVIK_TEST_DATA") + QStringLiteral("/screens/") + file);
        QVERIFY2(input.open(QIODevice::ReadOnly), qPrintable(input.fileName()));
        const AnsiResult result = AnsiInterpreter::interpret(input.readAll());
        QVERIFY2(result.ok(), qPrintable(result.error));
        QCOMPARE(result.buffer.lineCount(), lineCount);
        int glyphs = 0;
        for (const QByteArray &line : textLines(result.buffer)) {
            QVERIFY2(!line.contains(absent), line.constData());
            glyphs += int(line.count('\x1a'));
        }
        QCOMPARE(glyphs, endOfFileGlyphs);
    }

    // Whatever a sender puts in a screen ends in a picture or in the
    // integer-value message.
    void survivesRandomInput()
    {
        QRandomGenerator random(20261208);
        const QByteArray alphabet(
            "\x1b\x1b\x1b[[[[0123456789;;;?=>ABCDFHKJfhmsuz\r\n\b\t\x1aSAUCE00"
            "COMNT \x7f\xff");
        for (int round = 0; round < 3000; ++round) {
            QByteArray input;
            const int size = random.bounded(400);
            const bool anyByte = round % 4 == 0;
            for (int i = 0; i < size; ++i)
                input.append(anyByte ? char(random.bounded(256))
                                     : alphabet[random.bounded(int(alphabet.size()))]);
            const AnsiResult result = AnsiInterpreter::interpret(input);
            QVERIFY(result.buffer.lineCount() <= CellBuffer::MaxLines);
            if (!result.ok())
                QVERIFY2(result.error.endsWith(QLatin1String("is not a valid integer value")),
                    qPrintable(result.error));
        }
    }
};

QTEST_GUILESS_MAIN(TestAnsiInterpreter)
#include "tst_ansiinterpreter.moc"
