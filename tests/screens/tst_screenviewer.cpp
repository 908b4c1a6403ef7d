#include "screens/ScreenViewer.h"
#include "support/FakePrompts.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

using marvik::screens::TForm9;
using marvik::testing::FakePrompts;

namespace {

QString lines(int count)
{
    QString text;
    for (int i = 1; i <= count; ++i)
        text += QStringLiteral("\x1b[%1mLine %2\r\n").arg(30 + i % 8).arg(i);
    return text;
}

} // namespace

class TestScreenViewer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void hasTheWindowLayout()
    {
        FakePrompts prompts;
        TForm9 viewer(prompts);
        QCOMPARE(viewer.size(), QSize(640, 362));
        QCOMPARE(viewer.panel()->geometry(), QRect(0, 0, 616, 280));
        QCOMPARE(viewer.verticalBar()->geometry(), QRect(616, 0, 16, 280));
        QCOMPARE(viewer.horizontalBar()->geometry(), QRect(0, 280, 617, 16));
        QCOMPARE(viewer.closeButton()->geometry(), QRect(272, 304, 75, 25));
        QCOMPARE(viewer.closeButton()->text(), QStringLiteral("&Close"));
        QCOMPARE(viewer.verticalBar()->focusPolicy(), Qt::NoFocus);
        QCOMPARE(viewer.horizontalBar()->focusPolicy(), Qt::NoFocus);
        const Qt::WindowFlags flags = viewer.windowFlags();
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    }

    void setsTheScrollRanges_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("lineCount");

        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("one line") << QStringLiteral("Hello") << 1;
        QTest::newRow("exactly one view") << lines(17).chopped(2) << 17;
        QTest::newRow("long") << lines(100) << 100;
    }

    void setsTheScrollRanges()
    {
        QFETCH(QString, text);
        QFETCH(int, lineCount);
        FakePrompts prompts;
        TForm9 viewer(prompts);
        QVERIFY(viewer.openScreen(QStringLiteral("Newsletter"), text));
        QCOMPARE(viewer.buffer().lineCount(), lineCount);
        QCOMPARE(viewer.windowTitle(), QStringLiteral("Newsletter"));

        const int rows = viewer.visibleRows();
        const int columns = viewer.visibleColumns();
        QVERIFY(rows > 0 && columns > 0);
        QCOMPARE(viewer.verticalBar()->minimum(), 1);
        QCOMPARE(viewer.verticalBar()->maximum(), qMax(1, lineCount - rows + 1));
        QCOMPARE(viewer.verticalBar()->pageStep(), rows);
        QCOMPARE(viewer.verticalBar()->value(), 1);
        QCOMPARE(viewer.horizontalBar()->minimum(), 1);
        QCOMPARE(viewer.horizontalBar()->maximum(), qMax(1, 81 - columns));
        QCOMPARE(viewer.horizontalBar()->pageStep(), 1);
        QCOMPARE(viewer.picture().size(), QSize(616, 280));
        if (lineCount == 0) {
            const QImage picture = viewer.picture().convertToFormat(QImage::Format_RGB32);
            for (int y = 0; y < picture.height(); y += 7)
                for (int x = 0; x < picture.width(); x += 7)
                    QCOMPARE(picture.pixel(x, y), qRgb(0, 0, 0));
        }
    }

    void barsMoveTheView()
    {
        FakePrompts prompts;
        TForm9 viewer(prompts);
        QVERIFY(viewer.openScreen(QStringLiteral("Bulletin"), lines(100)));
        const QImage first = viewer.picture();

        viewer.verticalBar()->setValue(40);
        QCOMPARE(viewer.topLine(), 40);
        QVERIFY(viewer.picture() != first);

        viewer.horizontalBar()->setValue(viewer.horizontalBar()->maximum());
        QCOMPARE(viewer.leftColumn(), viewer.horizontalBar()->maximum());

        // A new screen starts again at the top left.
        QVERIFY(viewer.openScreen(QStringLiteral("Bulletin"), lines(50)));
        QCOMPARE(viewer.topLine(), 1);
        QCOMPARE(viewer.leftColumn(), 1);
        QCOMPARE(viewer.verticalBar()->value(), 1);
        QCOMPARE(viewer.horizontalBar()->value(), 1);
    }

    void showsModallyAndFreesTheBuffer()
    {
        FakePrompts prompts;
        TForm9 viewer(prompts);
        bool wasShown = false;
        QTimer::singleShot(0, &viewer, [&] {
            wasShown = viewer.isVisible() && viewer.isModal();
            QCOMPARE(viewer.buffer().lineCount(), 30);
            QTest::mouseClick(viewer.closeButton(), Qt::LeftButton);
        });
        viewer.ShowScreen(QStringLiteral("Welcome Screen"), lines(30));
        QVERIFY(wasShown);
        QVERIFY(!viewer.isVisible());
        QVERIFY(viewer.buffer().isEmpty());
        QVERIFY(viewer.picture().isNull());
        QVERIFY(prompts.errors.isEmpty());
    }

    void reportsABrokenCursorNumberInsteadOfOpening()
    {
        FakePrompts prompts;
        TForm9 viewer(prompts);
        // Were the window to open, nothing would close it and the test would hang.
        viewer.ShowScreen(QStringLiteral("Goodbye Screen"), QStringLiteral("Bye\x1b[5;H"));
        QVERIFY(!viewer.isVisible());
        QCOMPARE(prompts.errors, QStringList {QStringLiteral("'' is not a valid integer value")});
    }
};

QTEST_MAIN(TestScreenViewer)
#include "tst_screenviewer.moc"
