#include "screens/LinkFinder.h"

#include <QTest>

using marvik::screens::BodyLink;
using marvik::screens::LinkFinder;

class TestLinkFinder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void findsLinks_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("found"); // each link's text
        QTest::addColumn<QStringList>("targets");
        using L = QStringList;

        QTest::newRow("none") << QStringLiteral("no links here") << L {} << L {};
        QTest::newRow("https") << QStringLiteral("see https://example.org/a?b=c#d now")
                               << L {"https://example.org/a?b=c#d"}
                               << L {"https://example.org/a?b=c#d"};
        QTest::newRow("http, upper case")
            << QStringLiteral("HTTP://X.ORG") << L {"HTTP://X.ORG"} << L {"HTTP://X.ORG"};
        QTest::newRow("sentence end") << QStringLiteral("Go to http://x.org/page.")
                                      << L {"http://x.org/page"} << L {"http://x.org/page"};
        QTest::newRow("in parentheses")
            << QStringLiteral("(http://x.org/a)") << L {"http://x.org/a"} << L {"http://x.org/a"};
        QTest::newRow("parentheses of its own")
            << QStringLiteral("http://en.wikipedia.org/wiki/X_(y)")
            << L {"http://en.wikipedia.org/wiki/X_(y)"} << L {"http://en.wikipedia.org/wiki/X_(y)"};
        QTest::newRow("in angle brackets")
            << QStringLiteral("<https://x.org>") << L {"https://x.org"} << L {"https://x.org"};
        QTest::newRow("scheme alone") << QStringLiteral("http:// nothing") << L {} << L {};
        QTest::newRow("inside a word") << QStringLiteral("xhttp://x.org") << L {} << L {};
        QTest::newRow("e-mail") << QStringLiteral("mail me: joe.bloggs+bbs@mail.example.com.")
                                << L {"joe.bloggs+bbs@mail.example.com"}
                                << L {"mailto:joe.bloggs+bbs@mail.example.com"};
        QTest::newRow("FidoNet address is no e-mail")
            << QStringLiteral("Joe@1:234/56.7") << L {} << L {};
        QTest::newRow("no top-level domain") << QStringLiteral("me@home") << L {} << L {};
        QTest::newRow("numeric top-level domain") << QStringLiteral("a@b.12") << L {} << L {};
        QTest::newRow("bare at sign") << QStringLiteral("meet @ noon") << L {} << L {};
        QTest::newRow("address in a URL is the URL's")
            << QStringLiteral("https://x.org/u/a@b.com and c@d.net")
            << L {"https://x.org/u/a@b.com", "c@d.net"}
            << L {"https://x.org/u/a@b.com", "mailto:c@d.net"};
        QTest::newRow("two links")
            << QStringLiteral("http://a.org, https://b.org") << L {"http://a.org", "https://b.org"}
            << L {"http://a.org", "https://b.org"};
    }

    void findsLinks()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, found);
        QFETCH(QStringList, targets);
        QStringList gotText;
        QStringList gotTargets;
        for (const BodyLink &link : LinkFinder::find(line)) {
            gotText.append(line.mid(link.start, link.length));
            gotTargets.append(link.target);
        }
        QCOMPARE(gotText, found);
        QCOMPARE(gotTargets, targets);
    }

    void staysLinearOnHostileLines()
    {
        // A line of a million at signs, or one endless address full of
        // closing brackets, must not take quadratic time.
        QVERIFY(LinkFinder::find(QString(1 << 20, QLatin1Char('@'))).isEmpty());
        const QString brackets
            = QStringLiteral("http://x.org/") + QString(1 << 20, QLatin1Char(')'));
        QCOMPARE(LinkFinder::find(brackets).size(), 1);
        QString words;
        while (words.size() < (1 << 20))
            words += QStringLiteral("a.b@");
        LinkFinder::find(words);
    }
};

QTEST_GUILESS_MAIN(TestLinkFinder)
#include "tst_linkfinder.moc"
