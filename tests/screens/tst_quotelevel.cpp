#include "screens/QuoteLevel.h"

#include <QTest>

using marvik::screens::QuoteLevel;

class TestQuoteLevel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void measuresDepth_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("depth");

        QTest::newRow("text") << QStringLiteral("Hello") << 0;
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("mark and space") << QStringLiteral("> quoted") << 1;
        QTest::newRow("mark without space") << QStringLiteral(">quoted") << 1;
        QTest::newRow("two marks") << QStringLiteral(">> deeper") << 2;
        QTest::newRow("spaced marks") << QStringLiteral("> > > deepest") << 3;
        QTest::newRow("initials") << QStringLiteral(" JD> quoted") << 1;
        QTest::newRow("initials, two marks") << QStringLiteral(" JD>> older") << 2;
        QTest::newRow("initials at the margin") << QStringLiteral("MvK> said") << 1;
        QTest::newRow("initials then end of line") << QStringLiteral(" JD>") << 1;
        QTest::newRow("a bare mark") << QStringLiteral(">") << 1;
        QTest::newRow("indented mark") << QStringLiteral("  > x") << 1;
        QTest::newRow("too deep an indent") << QStringLiteral("      > x") << 0;
        QTest::newRow("a comparison") << QStringLiteral("a>b") << 0;
        QTest::newRow("arrow") << QStringLiteral("x->y") << 0;
        QTest::newRow("long word before a mark") << QStringLiteral("result> 0") << 0;
        QTest::newRow("spaced comparison") << QStringLiteral("10 > 5") << 0;
    }

    void measuresDepth()
    {
        QFETCH(QString, line);
        QFETCH(int, depth);
        QCOMPARE(QuoteLevel::of(line), depth);
    }
};

QTEST_GUILESS_MAIN(TestQuoteLevel)
#include "tst_quotelevel.moc"
