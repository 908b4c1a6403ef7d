#include "app/HelpWindow.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <QTextBrowser>

using marvik::app::HelpWindow;

class TestHelpWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void contextsOpenTheirPages_data()
    {
        QTest::addColumn<int>("context");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("heading");
        QTest::newRow("contents") << 1 << "contents.html"
                                  << "Marvik Help";
        QTest::newRow("opening a packet") << 2 << "openpacket.html"
                                          << "Opening a QWK packet";
        QTest::newRow("store and folders") << 3 << "store.html"
                                           << "Where Marvik keeps its files";
        QTest::newRow("main window") << 4 << "mainwindow.html"
                                     << "The main window";
        QTest::newRow("unknown context: contents") << 99 << "contents.html"
                                                   << "Marvik Help";
        QTest::newRow("no context: contents") << 0 << "contents.html"
                                              << "Marvik Help";
    }

    void contextsOpenTheirPages()
    {
        QFETCH(int, context);
        QFETCH(QString, page);
        QFETCH(QString, heading);
        HelpWindow help;
        help.showTopic(context);
        QVERIFY(help.isVisible());
        QCOMPARE(help.browser()->source().fileName(), page);
        QVERIFY2(help.browser()->toPlainText().startsWith(heading),
            qPrintable(help.browser()->toPlainText().left(80)));
    }

    // Every topic a window asks for has a page of its own.
    void everyWindowTopicHasItsPage()
    {
        using Topics = marvik::ui::HelpTopics;
        for (int topic : {Topics::OpeningPacket, Topics::StoreAndFolders, Topics::MainWindowTopic,
                 Topics::SystemsListTopic, Topics::SystemWindowTopic, Topics::ReaderTopic,
                 Topics::EditorTopic, Topics::SettingsTopic, Topics::BulkDeleteTopic}) {
            const QUrl page = HelpWindow::pageFor(topic);
            QVERIFY2(page.fileName() != "contents.html", qPrintable(QString::number(topic)));
            QVERIFY2(QFile::exists(":" + page.path()), qPrintable(page.toString()));
        }
    }

    // Every link between the pages leads to a page that is there.
    void linksLeadToPages()
    {
        HelpWindow help;
        const QStringList pages = QDir(":/help").entryList({"*.html"});
        QVERIFY(pages.size() >= 10);
        for (const QString &page : pages) {
            QFile file(QString(":/help/") + page);
            QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(page));
            const QString html = QString::fromUtf8(file.readAll());
            static const QRegularExpression link("href=\"([^\"]+)\"");
            for (auto match = link.globalMatch(html); match.hasNext();) {
                const QString target = match.next().captured(1);
                QVERIFY2(QFile::exists(":/help/" + target), qPrintable(page + " -> " + target));
            }
        }
    }
};

QTEST_MAIN(TestHelpWindow)
#include "tst_helpwindow.moc"
