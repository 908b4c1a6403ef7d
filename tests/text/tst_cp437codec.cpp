#include "text/Cp437Codec.h"

#include <QTest>

using marvik::text::Cp437Codec;

class TestCp437Codec : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyByteSurvivesTheRoundTrip()
    {
        QByteArray all;
        for (int i = 0; i < 256; ++i)
            all.append(static_cast<char>(i));
        const QString text = Cp437Codec::toUnicode(all);
        QCOMPARE(text.size(), 256);
        bool lossless = false;
        QCOMPARE(Cp437Codec::fromUnicode(text, &lossless), all);
        QVERIFY(lossless);
    }

    void theHighHalfMapsToDistinctCharacters()
    {
        QSet<char16_t> seen;
        for (int i = 0x80; i < 0x100; ++i) {
            const QChar ch = Cp437Codec::toUnicode(static_cast<unsigned char>(i));
            QVERIFY2(ch.unicode() >= 0x80, qPrintable(QString::number(i, 16)));
            seen.insert(ch.unicode());
        }
        QCOMPARE(seen.size(), 128);
    }

    void knownCharacters_data()
    {
        QTest::addColumn<int>("byte");
        QTest::addColumn<int>("unicode");
        QTest::newRow("escape stays escape") << 0x1B << 0x1B;
        QTest::newRow("NUL stays NUL") << 0x00 << 0x00;
        QTest::newRow("smiley byte stays a control byte") << 0x01 << 0x01;
        QTest::newRow("C cedilla") << 0x80 << 0x00C7;
        QTest::newRow("light shade") << 0xB0 << 0x2591;
        QTest::newRow("double box corner") << 0xC9 << 0x2554;
        QTest::newRow("full block") << 0xDB << 0x2588;
        QTest::newRow("pi, the QWK line end") << 0xE3 << 0x03C0;
        QTest::newRow("no-break space") << 0xFF << 0x00A0;
    }

    void knownCharacters()
    {
        QFETCH(int, byte);
        QFETCH(int, unicode);
        QCOMPARE(int(Cp437Codec::toUnicode(static_cast<unsigned char>(byte)).unicode()), unicode);
        QCOMPARE(static_cast<unsigned char>(Cp437Codec::fromUnicode(QChar(unicode))), byte);
    }

    void charactersCp437LacksBecomeQuestionMarks_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("euro sign") << QStringLiteral("5 \u20AC") << QByteArray("5 ?");
        QTest::newRow("emoji is one character")
            << QString::fromUtf8("a\xF0\x9F\x98\x80z") << QByteArray("a?z");
        QTest::newRow("cyrillic") << QString::fromUtf8("\xD0\x96") << QByteArray("?");
    }

    void charactersCp437LacksBecomeQuestionMarks()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        bool lossless = true;
        QCOMPARE(Cp437Codec::fromUnicode(text, &lossless), bytes);
        QVERIFY(!lossless);
        QCOMPARE(Cp437Codec::byteLength(text), bytes.size());
    }
};

QTEST_GUILESS_MAIN(TestCp437Codec)
#include "tst_cp437codec.moc"
