// QtFileDialogs: a save that appends asks no replace question, and each
// dialog belongs to the window that asked for it.
#include "ui/QtFileDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using marvik::ui::FileDialogs;
using marvik::ui::QtFileDialogs;

class TestQtFileDialogs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void savingAsksToReplaceOnlyWhenItReplaces_data()
    {
        QTest::addColumn<int>("existing");
        QTest::addColumn<bool>("confirms");
        QTest::newRow("replace") << int(FileDialogs::Existing::Replace) << true;
        QTest::newRow("append") << int(FileDialogs::Existing::Append) << false;
    }
    void savingAsksToReplaceOnlyWhenItReplaces()
    {
        QFETCH(int, existing);
        QFETCH(bool, confirms);
        QTemporaryDir dir;
        QWidget main;
        QWidget reader;
        main.show();
        reader.show();
        reader.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&reader));
        QtFileDialogs dialogs(&main);
        bool seen = false;
        bool confirmOverwrite = false;
        QWidget *parent = nullptr;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            seen = true;
            confirmOverwrite = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
            parent = dialog->parentWidget();
            dialog->reject();
        });
        const QString chosen = dialogs.saveFile(QStringLiteral("Save Message"), dir.path(),
            QStringLiteral("All Files (*)"), dir.filePath(QStringLiteral("SAVEEM.TXT")),
            FileDialogs::Existing(existing));
        QVERIFY(seen);
        QVERIFY(chosen.isEmpty());
        QCOMPARE(confirmOverwrite, confirms);
        QCOMPARE(parent, &reader);
        QVERIFY(QTest::qWaitForWindowActive(&reader));
    }
};

QTEST_MAIN(TestQtFileDialogs)
#include "tst_qtfiledialogs.moc"
