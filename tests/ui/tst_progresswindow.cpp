#include "ui/ProgressWindow.h"

#include <QCoreApplication>
#include <QTest>
#include <QWidget>

using marvik::ui::ProgressWindow;

namespace {

// Counts how many posted events reached it: the proof that events ran.
class EventCounter : public QObject
{
public:
    int delivered = 0;

    void post() { QCoreApplication::postEvent(this, new QEvent(QEvent::User)); }

protected:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::User) {
            ++delivered;
            return true;
        }
        return QObject::event(e);
    }
};

} // namespace

class TestProgressWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void throttlesEventRuns_data()
    {
        // Clock readings (ms) at each processEvents() call after show(), and
        // whether that call must let events run.
        QTest::addColumn<QList<qint64>>("times");
        QTest::addColumn<QList<bool>>("runs");
        QTest::newRow("first call after show runs") << QList<qint64> {5} << QList<bool> {true};
        const qint64 step = ProgressWindow::kEventInterval;
        QTest::newRow("calls inside the interval wait")
            << QList<qint64> {0, 1, step / 2, step - 1} << QList<bool> {true, false, false, false};
        QTest::newRow("a call at the interval runs") << QList<qint64> {0, step, step + 1,
            2 * step - 1, 2 * step} << QList<bool> {true, true, false, false, true};
        QTest::newRow("a long pause runs at once")
            << QList<qint64> {0, 1000, 1001} << QList<bool> {true, true, false};
    }

    void throttlesEventRuns()
    {
        QFETCH(QList<qint64>, times);
        QFETCH(QList<bool>, runs);
        qint64 clock = 0;
        ProgressWindow progress(nullptr, [&clock] { return clock; });
        progress.show();
        EventCounter counter;
        for (qsizetype i = 0; i < times.size(); ++i) {
            clock = times[i];
            counter.delivered = 0;
            counter.post();
            progress.processEvents();
            QCOMPARE(counter.delivered > 0, runs[i]);
            QCoreApplication::removePostedEvents(&counter);
        }
    }

    void showingAgainRunsEventsAtOnce()
    {
        qint64 clock = 100;
        ProgressWindow progress(nullptr, [&clock] { return clock; });
        progress.show();
        progress.processEvents();
        progress.hide();
        progress.show();
        EventCounter counter;
        counter.post();
        progress.processEvents();
        QCOMPARE(counter.delivered, 1);
        QCOMPARE(progress.eventRuns(), 2);
    }

    void showsCaptionTextAndBar()
    {
        ProgressWindow progress;
        progress.start(QStringLiteral("Deleting Messages"));
        QVERIFY(progress.window()->isVisible());
        QCOMPARE(progress.window()->windowTitle(), QStringLiteral("Deleting Messages"));
        QCOMPARE(progress.text(), QString());
        QCOMPARE(progress.position(), 0);
        progress.setText(QStringLiteral("Deleting 3 of 4 messages."));
        progress.setPosition(75);
        QCOMPARE(progress.text(), QStringLiteral("Deleting 3 of 4 messages."));
        QCOMPARE(progress.position(), 75);
        progress.setPosition(250);
        QCOMPARE(progress.position(), 100);
        progress.hide();
        QVERIFY(!progress.window()->isVisible());
    }
};

QTEST_MAIN(TestProgressWindow)
#include "tst_progresswindow.moc"
