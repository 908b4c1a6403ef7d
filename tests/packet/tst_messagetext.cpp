#include "packet/MessageText.h"

#include <QTest>

using marvik::packet::MessageText;

// What QWKE doors add: UTF-8 texts and the header lines at the top of a text.
class TestMessageText : public QObject
{
    Q_OBJECT

private slots:
    void decode_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("utf8");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("fellBack");
        QTest::newRow("utf8 text")
            << QByteArray("caf\xC3\xA9") << true << QString::fromUtf8("café") << false;
        QTest::newRow("cp437 when not marked")
            << QByteArray("caf\xC3\xA9") << false << QString::fromUtf8("caf├⌐") << false;
        QTest::newRow("0xE3 line end in utf8") << QByteArray("a\xE3"
                                                             "b")
                                               << true << "a\r\nb" << false;
        QTest::newRow("0xE3 starting a character")
            << QByteArray("\xE3\x81\x82\xE3") << true << QString::fromUtf8("あ\r\n") << false;
        QTest::newRow("LF line ends") << QByteArray("a\nb\n") << true << "a\r\nb\r\n" << false;
        QTest::newRow("invalid falls back byte for byte")
            << QByteArray("caf\x82 \xC3") << true << QString::fromUtf8("café ├") << true;
        QTest::newRow("overlong is not utf8")
            << QByteArray("\xC0\xAF") << true << QString::fromUtf8("└»") << true;
        QTest::newRow("surrogate is not utf8")
            << QByteArray("\xED\xA0\x80") << true << QString::fromUtf8("φáÇ") << true;
        QTest::newRow("cut at the end")
            << QByteArray("x\xE2\x82") << true << QString::fromUtf8("xΓé") << true;
    }
    void decode()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, utf8);
        QFETCH(QString, expected);
        QFETCH(bool, fellBack);
        bool fell = !fellBack;
        QCOMPARE(MessageText::decode(bytes, utf8, &fell), expected);
        QCOMPARE(fell, fellBack);
    }

    // Texts no packet marked: CP437 art and accented CP437 letters stay
    // CP437; what modern writers send as UTF-8 becomes UTF-8.
    void decodeUnmarked_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("guess");
        const int cp437 = int(MessageText::Guess::Cp437);
        const int utf8 = int(MessageText::Guess::Utf8);
        const int undecided = int(MessageText::Guess::Undecided);

        QTest::newRow("double box")
            << QByteArray("\xC9\xCD\xCD\xBB\xE3\xBA Hi \xBA\xE3\xC8\xCD\xCD\xBC")
            << QString::fromUtf8("╔══╗\r\n║ Hi ║\r\n╚══╝") << cp437;
        QTest::newRow("single lines") << QByteArray("\xDA\xC4\xC4\xBF\xB3\xC0\xC4\xD9")
                                      << QString::fromUtf8("┌──┐│└─┘") << cp437;
        QTest::newRow("shades and blocks")
            << QByteArray("\xB0\xB1\xB2\xDB\xDC\xDF") << QString::fromUtf8("░▒▓█▄▀") << cp437;
        QTest::newRow("ANSI art") << QByteArray("\x1b[1;31m\xDB\xDB\xDC\x1b[0m\xFE")
                                  << QString::fromUtf8("\x1b[1;31m██▄\x1b[0m■") << cp437;
        QTest::newRow("French in CP437") << QByteArray("caf\x82 cr\x8Ame br\x96l\x82"
                                                       "e")
                                         << QString::fromUtf8("café crème brûlée") << cp437;
        QTest::newRow("German in CP437") << QByteArray("Gr\x81\xE1"
                                                       "e aus K\x94ln")
                                         << QString::fromUtf8("Grüße aus Köln") << cp437;
        QTest::newRow("ASCII with QWK line ends")
            << QByteArray("one\xE3two\xE3") << QStringLiteral("one\r\ntwo\r\n") << undecided;

        QTest::newRow("accented name")
            << QByteArray("Zo\xC3\xAB") << QStringLiteral("Zo\u00eb") << utf8;
        QTest::newRow("symbols") << QByteArray(
            "\xE2\x82\xAC 5, \xE2\x80\x9Cquoted\xE2\x80\x9D \xE2\x80\x94")
                                 << QString::fromUtf8("€ 5, “quoted” —") << utf8;
        QTest::newRow("UTF-8 with QWK line ends")
            << QByteArray("Fran\xC3\xA7ois\xE3na\xC3\xAFve\xE3")
            << QString::fromUtf8("François\r\nnaïve\r\n") << utf8;
        QTest::newRow("emoji") << QByteArray("hi \xF0\x9F\x98\x80") << QString::fromUtf8("hi 😀")
                               << utf8;
        QTest::newRow("kana then a line end")
            << QByteArray("\xE3\x81\x82\xE3") << QString::fromUtf8("あ\r\n") << utf8;
        QTest::newRow("box drawing written as UTF-8")
            << QByteArray("\xE2\x95\x94\xE2\x95\x90\xE2\x95\x97") << QString::fromUtf8("╔═╗")
            << utf8;
        QTest::newRow("one CP437 byte makes it all CP437")
            << QByteArray("Zo\xC3\xAB caf\x82") << QString::fromUtf8("Zo├½ café") << cp437;
        QTest::newRow("a cut character at the end is not UTF-8")
            << QByteArray("Zo\xC3\xAB \xE2\x82") << QString::fromUtf8("Zo├½ Γé") << cp437;
    }
    void decodeUnmarked()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QFETCH(int, guess);
        MessageText::Guess got = MessageText::Guess::Undecided;
        QCOMPARE(MessageText::decodeUnmarked(bytes, &got), expected);
        QCOMPARE(int(got), guess);
    }

    // Fields: a 25-byte field may end inside a character; what the text
    // said decides first, the field's own bytes when the text said nothing.
    void decodeFields_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("marking"); // -1 marked UTF-8, else the text's guess
        QTest::addColumn<QString>("expected");
        const int marked = -1;
        const int cp437 = int(MessageText::Guess::Cp437);
        const int utf8 = int(MessageText::Guess::Utf8);
        const int undecided = int(MessageText::Guess::Undecided);
        // "François Lefèvre-Ôtéç" cut at byte 25, inside the "ç".
        const QByteArray cut("Fran\xC3\xA7ois Lef\xC3\xA8vre-\xC3\x94t\xC3\xA9\xC3");
        const QString whole = QString::fromUtf8("François Lefèvre-Ôté");

        QTest::newRow("marked, cut at byte 25") << cut << marked << whole;
        QTest::newRow("unmarked UTF-8 text, cut field") << cut << utf8 << whole;
        QTest::newRow("unmarked ASCII text, cut field") << cut << undecided << whole;
        QTest::newRow("unmarked, cut after a space")
            << QByteArray("Zo\xC3\xAB \xC3") << undecided << QStringLiteral("Zo\u00eb");
        QTest::newRow("CP437 text keeps its fields CP437")
            << QByteArray("Zo\xC3\xAB") << cp437 << QString::fromUtf8("Zo├½");
        QTest::newRow("a CP437 name")
            << QByteArray("J\x81rgen M\x81ller") << undecided << QString::fromUtf8("Jürgen Müller");
        QTest::newRow("a box in a subject")
            << QByteArray("\xC9\xCD New \xCD\xBB") << undecided << QString::fromUtf8("╔═ New ═╗");
        QTest::newRow("only a cut character says too little")
            << QByteArray("Jos\xC3") << undecided << QString::fromUtf8("Jos├");
        QTest::newRow("marked but not UTF-8")
            << QByteArray("caf\x82") << marked << QString::fromUtf8("café");
        QTest::newRow("padding trimmed")
            << QByteArray("  Zo\xC3\xAB  ") << undecided << QStringLiteral("Zo\u00eb");
    }
    void decodeFields()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, marking);
        QFETCH(QString, expected);
        const QString got = marking < 0
            ? MessageText::decodeField(bytes, true)
            : MessageText::decodeUnmarkedField(bytes, MessageText::Guess(marking));
        QCOMPARE(got, expected);
    }

    void takeHeaderLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("subject"); // the header's own field
        QTest::addColumn<QString>("expectedText");
        QTest::addColumn<QString>("expectedTo");
        QTest::addColumn<QString>("expectedSubject");
        const QString longSubject = "A subject much longer than twenty-five characters";
        QTest::newRow("all three")
            << "To: Johnathan Q. Smithington\r\nFrom: Sam\r\nSubject: " + longSubject + "\r\nBody"
            << longSubject.left(25) << "Body"
            << "Johnathan Q. Smithington" << longSubject;
        QTest::newRow("any case, whole text")
            << "subject: " + longSubject << longSubject.left(25).toUpper() << ""
            << "Johnathan Q. Smit" << longSubject;
        QTest::newRow("value not the header's: stays")
            << "Subject: Something else\r\nBody" << longSubject.left(25)
            << "Subject: Something else\r\nBody"
            << "Johnathan Q. Smit" << longSubject.left(25);
    }
    void takeHeaderLines()
    {
        QFETCH(QString, text);
        QFETCH(QString, subject);
        QFETCH(QString, expectedText);
        QFETCH(QString, expectedTo);
        QFETCH(QString, expectedSubject);
        MessageText::Fields fields {"Johnathan Q. Smit", "Sam", subject};
        MessageText::takeHeaderLines(text, fields);
        QCOMPARE(text, expectedText);
        QCOMPARE(fields.to, expectedTo);
        QCOMPARE(fields.subject, expectedSubject);
        QCOMPARE(fields.from, "Sam");
    }
};

QTEST_GUILESS_MAIN(TestMessageText)
#include "tst_messagetext.moc"
