#include "screens/AnsiInterpreter.h"
#include "screens/ScreenCanvas.h"
#include "screens/ScreenViewer.h"
#include "support/FakePrompts.h"

#include <QApplication>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

using marvik::screens::CellBuffer;
using marvik::screens::ScreenCanvas;
using marvik::screens::ScreenPainter;
using marvik::screens::ScreenViewer;
using marvik::screens::TForm9;
using marvik::testing::FakePrompts;

namespace {

QString lines(int count)
{
    QString text;
    for (int i = 1; i <= count; ++i)
        text += QStringLiteral("\x1b[%1;4%2mLine %3\r\n").arg(30 + i % 8).arg((i + 3) % 8).arg(i);
    return text;
}

// Ends a modal loop that a failing test would otherwise leave open.
void closeLater(QDialog &dialog)
{
    QTimer::singleShot(5000, &dialog, &QDialog::reject);
}

} // namespace

class TestScreenViewer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fitsTheRoom_data()
    {
        QTest::addColumn<QSize>("room");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QSize>("size");

        // A picture of 640 x 400 in a window that adds 30 x 80.
        QTest::newRow("room to spare") << QSize(1280, 1024) << 1.0 << QSize(670, 480);
        QTest::newRow("exactly the room") << QSize(670, 480) << 1.0 << QSize(670, 480);
        QTest::newRow("short screen scrolls, keeps the size")
            << QSize(1280, 300) << 1.0 << QSize(670, 300);
        QTest::newRow("narrow screen scales down") << QSize(350, 600) << 0.5 << QSize(350, 280);
        QTest::newRow("tiny screen: no smaller than a quarter")
            << QSize(100, 100) << 0.25 << QSize(100, 100);
    }

    void fitsTheRoom()
    {
        QFETCH(QSize, room);
        QFETCH(double, scale);
        QFETCH(QSize, size);
        const ScreenViewer::Fit fit = ScreenViewer::fitToRoom(QSize(640, 400), QSize(30, 80), room);
        QCOMPARE(fit.scale, scale);
        QCOMPARE(fit.size, size);
    }

    void opensWithAllColumnsResizable_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("lineCount");
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("one screen") << lines(25).chopped(2) << 25;
        QTest::newRow("long") << lines(300) << 300;
    }

    void opensWithAllColumnsResizable()
    {
        QFETCH(QString, text);
        QFETCH(int, lineCount);
        FakePrompts prompts;
        TForm9 viewer(prompts);
        QVERIFY(viewer.openScreen(QStringLiteral("Newsletter"), text));
        viewer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        QCOMPARE(viewer.buffer().lineCount(), lineCount);
        QCOMPARE(viewer.windowTitle(), QStringLiteral("Newsletter"));

        // The offscreen screen has room for the whole 80 x 25 picture.
        QCOMPARE(viewer.canvas()->scale(), 1.0);
        QCOMPARE(viewer.visibleColumns(), CellBuffer::Columns);
        QCOMPARE(viewer.horizontalBar()->maximum(), 0);
        QVERIFY(viewer.visibleRows() >= ScreenPainter::Rows);
        QCOMPARE(viewer.verticalBar()->maximum() > 0, lineCount > ScreenPainter::Rows);
        QVERIFY(viewer.screen()->availableGeometry().contains(viewer.frameGeometry()));

        QVERIFY(viewer.windowFlags() & Qt::WindowMaximizeButtonHint);
        QVERIFY(viewer.windowFlags() & Qt::WindowCloseButtonHint);
        QVERIFY(viewer.minimumSize() != viewer.maximumSize());
        viewer.resize(300, 200);
        QTRY_COMPARE(viewer.size(), QSize(300, 200));
        QVERIFY(viewer.horizontalBar()->maximum() > 0);
        viewer.close();
    }

    void keysAndWheelScroll()
    {
        FakePrompts prompts;
        TForm9 viewer(prompts);
        QVERIFY(viewer.openScreen(QStringLiteral("Bulletin"), lines(200)));
        viewer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        QWidget *area = viewer.scrollArea();
        QScrollBar *bar = viewer.verticalBar();
        QCOMPARE(viewer.topLine(), 1);

        QTest::keyClick(area, Qt::Key_Down);
        QCOMPARE(viewer.topLine(), 2);
        QTest::keyClick(area, Qt::Key_PageDown);
        QVERIFY(viewer.topLine() >= 2 + ScreenPainter::Rows - 1);
        QTest::keyClick(area, Qt::Key_End);
        QCOMPARE(bar->value(), bar->maximum());
        QCOMPARE(viewer.topLine() + viewer.visibleRows() - 1, 200);
        QTest::keyClick(area, Qt::Key_PageUp);
        QVERIFY(bar->value() < bar->maximum());
        QTest::keyClick(area, Qt::Key_Home);
        QCOMPARE(bar->value(), 0);

        QWidget *viewport = viewer.scrollArea()->viewport();
        const QPointF at(viewport->rect().center());
        QWheelEvent wheel(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
            Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &wheel);
        QVERIFY(viewer.topLine() > 1);
        viewer.close();
    }

    void scrollingReusesWhatWasPainted()
    {
        FakePrompts prompts;
        TForm9 viewer(prompts);
        QVERIFY(viewer.openScreen(QStringLiteral("Bulletin"), lines(200)));
        viewer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        QWidget *viewport = viewer.scrollArea()->viewport();
        viewport->repaint();
        const int first = viewer.canvas()->bandsPainted();
        QVERIFY(first > 0);

        for (int i = 0; i < 5; ++i) {
            QTest::keyClick(viewer.scrollArea(), Qt::Key_Down);
            viewport->repaint();
        }
        QTest::keyClick(viewer.scrollArea(), Qt::Key_Home);
        viewport->repaint();
        QCOMPARE(viewer.canvas()->bandsPainted(), first);

        // Lines not seen before are painted once, then kept too.
        QTest::keyClick(viewer.scrollArea(), Qt::Key_End);
        viewport->repaint();
        const int atEnd = viewer.canvas()->bandsPainted();
        QVERIFY(atEnd > first);
        QTest::keyClick(viewer.scrollArea(), Qt::Key_Up);
        viewport->repaint();
        QCOMPARE(viewer.canvas()->bandsPainted(), atEnd);
        viewer.close();
    }

    void linesLandWhereThePainterDrawsThem_data()
    {
        QTest::addColumn<int>("line");
        QTest::newRow("first") << 1;
        QTest::newRow("last of the first band") << ScreenCanvas::BandLines;
        QTest::newRow("first of the second band") << ScreenCanvas::BandLines + 1;
        QTest::newRow("last") << 100;
    }

    void linesLandWhereThePainterDrawsThem()
    {
        QFETCH(int, line);
        const ScreenPainter painter;
        CellBuffer buffer;
        {
            auto result = marvik::screens::AnsiInterpreter::interpret(lines(100).toLatin1());
            buffer = std::move(result.buffer);
        }
        ScreenCanvas canvas(painter);
        canvas.setBuffer(&buffer);
        const QSize cell = painter.cellSize();
        const QRect row(
            0, (line - 1) * cell.height(), CellBuffer::Columns * cell.width(), cell.height());
        const QImage shown = canvas.grab(row).toImage().convertToFormat(QImage::Format_RGB32);
        const QImage expected
            = painter.render(buffer, row.size(), line, 1, 1).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shown, expected);

        // Scaled down, the picture keeps its proportions and its colours.
        canvas.setBuffer(&buffer, 0.5);
        QCOMPARE(
            canvas.size(), QSize(CellBuffer::Columns * cell.width() / 2, 100 * cell.height() / 2));
    }

    void escAndCloseEndTheWindowAndFreeTheBuffer_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Esc") << true;
        QTest::newRow("Close button") << false;
    }

    void escAndCloseEndTheWindowAndFreeTheBuffer()
    {
        QFETCH(bool, escape);
        FakePrompts prompts;
        TForm9 viewer(prompts);
        bool wasShown = false;
        int lineCount = 0;
        QTimer::singleShot(0, &viewer, [&] {
            wasShown = viewer.isVisible() && viewer.isModal();
            lineCount = viewer.buffer().lineCount();
            if (escape)
                QTest::keyClick(viewer.scrollArea(), Qt::Key_Escape);
            else
                QTest::mouseClick(viewer.closeButton(), Qt::LeftButton);
        });
        closeLater(viewer);
        viewer.ShowScreen(QStringLiteral("Welcome Screen"), lines(30));
        QVERIFY(wasShown);
        QCOMPARE(lineCount, 30);
        QVERIFY(!viewer.isVisible());
        QVERIFY(viewer.buffer().isEmpty());
        QVERIFY(prompts.errors.isEmpty());
    }

    void reportsABrokenCursorNumberInsteadOfOpening()
    {
        FakePrompts prompts;
        TForm9 viewer(prompts);
        closeLater(viewer);
        viewer.ShowScreen(QStringLiteral("Goodbye Screen"), QStringLiteral("Bye\x1b[5;H"));
        QVERIFY(!viewer.isVisible());
        QCOMPARE(prompts.errors, QStringList {QStringLiteral("'' is not a valid integer value")});
    }
};

QTEST_MAIN(TestScreenViewer)
#include "tst_screenviewer.moc"
