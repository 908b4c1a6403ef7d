#include "packet/QwkField.h"

#include <QTest>

using marvik::packet::QwkField;

class TestQwkField : public QObject
{
    Q_OBJECT

private slots:
    void decimal_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("value");
        QTest::newRow("padded") << QByteArray("  42   ") << true << 42;
        QTest::newRow("zero") << QByteArray("0      ") << true << 0;
        QTest::newRow("leading zeros") << QByteArray("000") << true << 0;
        QTest::newRow("negative") << QByteArray("-1") << true << -1;
        QTest::newRow("plus") << QByteArray("+7") << true << 7;
        QTest::newRow("nul padded") << QByteArray("12\0\0\0", 5) << true << 12;
        QTest::newRow("large") << QByteArray("2147483647") << true << 2147483647;
        QTest::newRow("smallest") << QByteArray("-2147483648") << true << int(-2147483647 - 1);
        QTest::newRow("overflow") << QByteArray("2147483648") << false << 0;
        QTest::newRow("huge") << QByteArray("99999999999999999999") << false << 0;
        QTest::newRow("empty") << QByteArray("") << false << 0;
        QTest::newRow("blank") << QByteArray("      ") << false << 0;
        QTest::newRow("sign only") << QByteArray("-") << false << 0;
        QTest::newRow("inner space") << QByteArray("1 2") << false << 0;
        QTest::newRow("letters") << QByteArray("Main Board") << false << 0;
        QTest::newRow("hex") << QByteArray("0x10") << false << 0;
        QTest::newRow("high byte") << QByteArray("1\xE3") << false << 0;
    }
    void decimal()
    {
        QFETCH(QByteArray, field);
        QFETCH(bool, valid);
        QFETCH(int, value);
        const std::optional<int> got = QwkField::decimal(field);
        QCOMPARE(got.has_value(), valid);
        if (valid)
            QCOMPARE(*got, value);
        // The text form agrees with the byte form.
        QCOMPARE(QwkField::decimalText(QString::fromLatin1(field)).has_value(), valid);
    }

    void text_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<QString>("expected");
        QTest::newRow("spaces") << QByteArray("  JOHN SMITH   ") << "JOHN SMITH";
        QTest::newRow("controls") << QByteArray("\t\x1A x \0\x01", 7) << "x";
        QTest::newRow("quotes kept") << QByteArray("Say \"hi\"") << "Say \"hi\"";
        QTest::newRow("cp437") << QByteArray("\x82t\xE9") << QString::fromUtf8("étΘ");
        QTest::newRow("only blanks") << QByteArray("   ") << "";
    }
    void text()
    {
        QFETCH(QByteArray, field);
        QFETCH(QString, expected);
        QCOMPARE(QwkField::text(field), expected);
    }
};

QTEST_GUILESS_MAIN(TestQwkField)
#include "tst_qwkfield.moc"
