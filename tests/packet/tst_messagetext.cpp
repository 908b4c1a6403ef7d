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
