#include "screens/HiddenLines.h"

#include <QTest>

using marvik::screens::HiddenLines;

class TestHiddenLines : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void recognisesKludges_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("kludge");

        QTest::newRow("MSGID") << QStringLiteral("\x01MSGID: 1:2/3 12345678") << true;
        QTest::newRow("PID") << QStringLiteral("\x01PID: GoldED+ 1.1.5") << true;
        QTest::newRow("TZUTC") << QStringLiteral("\x01TZUTC: 0100") << true;
        QTest::newRow("gateway header") << QStringLiteral("\x01RFC-Message-ID: <a@b>") << true;
        QTest::newRow("INTL with a space") << QStringLiteral("\x01INTL 1:2/3 1:4/5") << true;
        QTest::newRow("FMPT") << QStringLiteral("\x01"
                                                "FMPT 5")
                              << true;
        QTest::newRow("Via in mixed case") << QStringLiteral("\x01Via 1:2/3 @20260101") << true;
        QTest::newRow("Ctrl+A PATH") << QStringLiteral("\x01PATH: 2/3 4/5") << true;
        QTest::newRow("SEEN-BY") << QStringLiteral("SEEN-BY: 105/81 106/1") << true;
        QTest::newRow("PATH") << QStringLiteral("PATH: 105/81") << true;
        QTest::newRow("QWK MSGID") << QStringLiteral("@MSGID: 1:2/3 abc") << true;
        QTest::newRow("QWK REPLY") << QStringLiteral("@REPLY: 1:2/3 abc") << true;
        QTest::newRow("QWK TZ") << QStringLiteral("@TZ: c418") << true;
        QTest::newRow("QWK VIA") << QStringLiteral("@VIA: VERT") << true;

        QTest::newRow("text") << QStringLiteral("Hello there") << false;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("path in prose") << QStringLiteral("Path: take the left one") << false;
        QTest::newRow("indented SEEN-BY is text") << QStringLiteral(" SEEN-BY: x") << false;
        QTest::newRow("an address") << QStringLiteral("@sysop: hello") << false;
        QTest::newRow("Synchronet colour then text")
            << QStringLiteral("\x01h\x01yWelcome") << false;
        QTest::newRow("Synchronet upper-case colour") << QStringLiteral("\x01NHello") << false;
        QTest::newRow("Synchronet colour before shouting")
            << QStringLiteral("\x01YHELLO THERE") << false;
        QTest::newRow("lone Ctrl+A") << QStringLiteral("\x01") << false;
    }

    void recognisesKludges()
    {
        QFETCH(QString, line);
        QFETCH(bool, kludge);
        QCOMPARE(HiddenLines::isKludge(line), kludge);
    }

    void showsKludgesReadably()
    {
        QCOMPARE(HiddenLines::shown(u"\x01MSGID: a\x01"
                                    "b\tc"),
            QStringLiteral("@MSGID: a\u263A"
                           "b\tc"));
        QCOMPARE(HiddenLines::shown(u"SEEN-BY: 1/2"), QStringLiteral("SEEN-BY: 1/2"));
    }
};

QTEST_GUILESS_MAIN(TestHiddenLines)
#include "tst_hiddenlines.moc"
