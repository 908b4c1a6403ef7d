#include "ui/DoorInfoWindow.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using marvik::ui::DoorInfoWindow;

class TestDoorInfoWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void showsBothLinesModallyUntilOk_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::newRow("plain") << QStringLiteral("QWK packet was created by: QMAIL 4.0")
                               << QStringLiteral("BBS software used was: Wildcat!");
        // Names come from a packet someone sent: markup must show as typed.
        QTest::newRow("markup stays text")
            << QStringLiteral("QWK packet was created by: <b>X</b> 1")
            << QStringLiteral("BBS software used was: a&b");
    }

    void showsBothLinesModallyUntilOk()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        DoorInfoWindow window;
        bool sawModal = false;
        QString caption;
        QStringList shownTexts;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<DoorInfoWindow *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            sawModal = true;
            caption = dialog->windowTitle();
            for (QLabel *label : dialog->findChildren<QLabel *>()) {
                QCOMPARE(label->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
                QCOMPARE(label->textFormat(), Qt::PlainText);
                shownTexts << label->text();
            }
            QCOMPARE(dialog->okButton()->text(), QStringLiteral("&Ok"));
            dialog->okButton()->click();
        });
        window.showDoorInfo(first, second);
        QVERIFY(sawModal);
        QVERIFY(!window.isVisible());
        QCOMPARE(caption, QStringLiteral("DOOR.ID Information..."));
        QCOMPARE(shownTexts, (QStringList {first, second}));
    }
};

QTEST_MAIN(TestDoorInfoWindow)
#include "tst_doorinfowindow.moc"
