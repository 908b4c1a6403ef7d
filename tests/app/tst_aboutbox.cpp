#include "app/AboutBox.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

using marvik::app::AboutBox;

class TestAboutBox : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void showsNameAndVersionModallyCentred()
    {
        AboutBox box;
        QStringList texts;
        QString caption;
        QPoint centre;
        bool modal = false;
        QTimer::singleShot(0, [&] {
            auto *shown = qobject_cast<AboutBox *>(QApplication::activeModalWidget());
            if (!shown)
                return;
            modal = true;
            caption = shown->windowTitle();
            for (QLabel *label : shown->findChildren<QLabel *>()) {
                QCOMPARE(label->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
                texts << label->text();
            }
            centre = shown->frameGeometry().center();
            QCOMPARE(shown->okButton()->text(), QString("&Ok"));
            shown->okButton()->click();
        });
        box.exec();
        QVERIFY(modal);
        QCOMPARE(caption, QString("About Marvik..."));
        QCOMPARE(texts, (QStringList {"Marvik", "Version 1.0"}));
        const QPoint screenCentre = box.screen()->geometry().center();
        QVERIFY((centre - screenCentre).manhattanLength() <= 2);
        QVERIFY(!box.isVisible());
    }
};

QTEST_MAIN(TestAboutBox)
#include "tst_aboutbox.moc"
