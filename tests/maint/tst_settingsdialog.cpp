#include "maint/SettingsDialog.h"

#include "system/ReplyFixture.h"

#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

using namespace replytest;

namespace {

struct Fixture : ReplyFixture
{
    Fixture()
        : ReplyFixture({u"Loaded at start"_qs})
    { }
    QString tagPath() const { return state->folders().taglinesFile(); }
    QByteArray tagBytes() const
    {
        QFile file(tagPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
    }
    void writeTags(const QByteArray &bytes)
    {
        QVERIFY(!writeFile(u"MARVIK.TAG"_qs, bytes).isEmpty());
    }
};

} // namespace

class TestSettingsDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void okWritesAndReloads_data();
    void okWritesAndReloads();
    void cancelChangesNothing();
    void unreadableFileDoesNotOpen();
    void runEndsWithOk();
};

void TestSettingsDialog::okWritesAndReloads_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QStringList>("taglines");

    QTest::newRow("first taglines of a new user")
        << QByteArray("<none>") << u"Hello\nWorld\n"_qs << QByteArray("Hello\r\nWorld\r\n")
        << QStringList {u"Hello"_qs, u"World"_qs};
    QTest::newRow("blank lines kept in the file only")
        << QByteArray("old\r\n") << u"  one  \n   \ntwo"_qs
        << QByteArray("  one  \r\n   \r\ntwo\r\n") << QStringList {u"one"_qs, u"two"_qs};
}

void TestSettingsDialog::okWritesAndReloads()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, typed);
    QFETCH(QByteArray, after);
    QFETCH(QStringList, taglines);
    Fixture f;
    if (before != "<none>")
        f.writeTags(before);
    maint::SettingsDialog dialog(*f.state);
    QVERIFY(dialog.load());
    QCOMPARE(dialog.taglinesEdit()->toPlainText(),
        before == "<none>" ? QString() : QString::fromLatin1(before).trimmed());
    dialog.taglinesEdit()->setPlainText(typed);
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(f.tagBytes(), after);
    QCOMPARE(f.state->taglines(), taglines);
    QVERIFY(QFile::exists(f.state->folders().iniFile())); // settings saved too
    QVERIFY(f.prompts.errors.isEmpty());
}

void TestSettingsDialog::cancelChangesNothing()
{
    Fixture f;
    f.writeTags("keep me\r\n");
    maint::SettingsDialog dialog(*f.state);
    QVERIFY(dialog.load());
    dialog.taglinesEdit()->setPlainText(u"changed"_qs);
    dialog.reject();
    QCOMPARE(f.tagBytes(), QByteArray("keep me\r\n"));
    QCOMPARE(f.state->taglines(), QStringList {u"Loaded at start"_qs});
    QVERIFY(!QFile::exists(f.state->folders().iniFile()));
}

void TestSettingsDialog::unreadableFileDoesNotOpen()
{
    Fixture f;
    QVERIFY(QDir().mkpath(f.tagPath()));
    maint::SettingsDialog dialog(*f.state);
    QVERIFY(!dialog.run());
    QCOMPARE(f.prompts.errors.size(), 1);
    QVERIFY(!dialog.isVisible());
}

void TestSettingsDialog::runEndsWithOk()
{
    Fixture f;
    f.writeTags("Kept\r\n");
    maint::SettingsDialog dialog(*f.state);
    bool shown = false;
    QString tab;
    QTimer::singleShot(0, &dialog, [&] {
        shown = dialog.isVisible();
        tab = dialog.tabs()->tabText(dialog.tabs()->currentIndex());
        // Typed in front of a tagline, the text goes in before it, not over it.
        QTest::keyClicks(dialog.taglinesEdit(), u"Typed now"_qs);
        QTest::keyClick(dialog.taglinesEdit(), Qt::Key_Return);
        dialog.accept();
    });
    QTimer::singleShot(5000, &dialog, &QDialog::reject); // never hang on a failure
    const bool ok = dialog.run();
    QVERIFY(shown);
    QVERIFY(ok);
    QCOMPARE(tab, u"Taglines"_qs);
    QCOMPARE(f.state->taglines(), (QStringList {u"Typed now"_qs, u"Kept"_qs}));
}

QTEST_MAIN(TestSettingsDialog)
#include "tst_settingsdialog.moc"
