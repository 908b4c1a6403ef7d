// WindowPlacement: a window's frame is kept inside the available screen
// area, moved first and shrunk only when it is larger.
#include "ui/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QWidget>

using marvik::ui::WindowPlacement;

class TestWindowPlacement : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fitted_data()
    {
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<QRect>("expected");
        // The available area is (0, 30) 1280 x 994: a panel on top.
        QTest::newRow("inside: unchanged")
            << QRect(100, 100, 400, 300) << QRect(100, 100, 400, 300);
        QTest::newRow("15 px below the bottom")
            << QRect(200, 409, 600, 630) << QRect(200, 394, 600, 630);
        QTest::newRow("title bar under the panel")
            << QRect(10, 0, 300, 200) << QRect(10, 30, 300, 200);
        QTest::newRow("off the left and right")
            << QRect(-50, 100, 300, 200) << QRect(0, 100, 300, 200);
        QTest::newRow("past the right") << QRect(1200, 100, 300, 200) << QRect(980, 100, 300, 200);
        QTest::newRow("taller than the area: shrunk, top kept on screen")
            << QRect(100, 500, 400, 1200) << QRect(100, 30, 400, 994);
        QTest::newRow("wider than the area")
            << QRect(-10, 40, 2000, 100) << QRect(0, 40, 1280, 100);
    }
    void fitted()
    {
        QFETCH(QRect, frame);
        QFETCH(QRect, expected);
        QCOMPARE(WindowPlacement::fitted(frame, QRect(0, 30, 1280, 994)), expected);
    }

    void windowsOpenInsideTheScreen_data()
    {
        QTest::addColumn<bool>("shownBefore");
        QTest::newRow("first time: centred") << false;
        QTest::newRow("shown before, moved off the bottom") << true;
    }
    void windowsOpenInsideTheScreen()
    {
        QFETCH(bool, shownBefore);
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        QWidget window;
        window.resize(area.width() / 2, area.height() + 15);
        if (shownBefore) {
            window.show();
            window.hide();
            window.move(area.left() + 10, area.bottom() - 40);
        }
        WindowPlacement::fitIntoScreen(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY2(area.contains(window.frameGeometry()),
            qPrintable(QStringLiteral("%1,%2 %3x%4")
                           .arg(window.frameGeometry().x())
                           .arg(window.frameGeometry().y())
                           .arg(window.frameGeometry().width())
                           .arg(window.frameGeometry().height())));
        if (shownBefore)
            QCOMPARE(window.frameGeometry().left(), area.left() + 10);
    }
};

QTEST_MAIN(TestWindowPlacement)
#include "tst_windowplacement.moc"
