#include "ui/QtFileDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using marvik::ui::QtFileDialogs;

namespace {

struct SeenDialog
{
    QString caption;
    QString folder;
    QString selectedFilter;
    QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
};

void closeNextDialog(SeenDialog *seen, const QString &chooseName)
{
    QTimer::singleShot(0, [seen, chooseName] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        seen->caption = dialog->windowTitle();
        seen->folder = dialog->directory().absolutePath();
        seen->selectedFilter = dialog->selectedNameFilter();
        seen->mode = dialog->acceptMode();
        if (chooseName.isEmpty()) {
            dialog->reject();
        } else {
            dialog->selectFile(chooseName);
            static_cast<QDialog *>(dialog)->accept();
        }
    });
}

} // namespace

class TestQtFileDialogs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void opensInFolderWithFirstFilter_data()
    {
        QTest::addColumn<bool>("save");
        QTest::addColumn<bool>("cancel");
        QTest::newRow("open, cancelled") << false << true;
        QTest::newRow("open, chosen") << false << false;
        QTest::newRow("save, cancelled") << true << true;
        QTest::newRow("save, chosen") << true << false;
    }

    void opensInFolderWithFirstFilter()
    {
        QFETCH(bool, save);
        QFETCH(bool, cancel);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString name = QStringLiteral("MYBBS.QWK");
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();

        const QString filter = QStringLiteral("QWK Files (*.QW*);;All Files (*.*)");
        QtFileDialogs dialogs;
        SeenDialog seen;
        // Saving over an existing file would ask first; save under a new name.
        const QString target = save ? QStringLiteral("MYBBS.REP") : name;
        closeNextDialog(&seen, cancel ? QString() : target);
        const QString chosen = save
            ? dialogs.saveFile(QStringLiteral("Save As"), dir.path(), filter, name)
            : dialogs.openFile(QStringLiteral("Open"), dir.path(), filter);

        QCOMPARE(seen.caption, save ? QStringLiteral("Save As") : QStringLiteral("Open"));
        QCOMPARE(seen.folder, QDir(dir.path()).absolutePath());
        QCOMPARE(seen.selectedFilter, QStringLiteral("QWK Files (*.QW*)"));
        QCOMPARE(seen.mode, save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        if (cancel)
            QVERIFY(chosen.isEmpty());
        else
            QCOMPARE(QFileInfo(chosen).absoluteFilePath(),
                QFileInfo(QDir(dir.path()).filePath(target)).absoluteFilePath());
    }
};

QTEST_MAIN(TestQtFileDialogs)
#include "tst_qtfiledialogs.moc"
