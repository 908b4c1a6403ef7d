#include "ui/MessageBoxPrompts.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using marvik::ui::MessageBoxPrompts;

namespace {

struct SeenBox
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QWidget *parent = nullptr;
};

// Answers the next message box with `button` and records what it showed.
void answerNextBox(SeenBox *seen, QMessageBox::StandardButton button)
{
    QTimer::singleShot(0, [seen, button] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen->title = box->windowTitle();
        seen->text = box->text();
        seen->icon = box->icon();
        seen->buttons = box->standardButtons();
        seen->parent = box->parentWidget();
        if (box->defaultButton())
            seen->defaultButton = box->standardButton(box->defaultButton());
        box->button(button)->click();
    });
}

} // namespace

class TestMessageBoxPrompts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void askIsYesNoQuestion_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("expected");
        QTest::addColumn<bool>("yesIsDefault");
        QTest::newRow("Yes") << int(QMessageBox::Yes) << true << false;
        QTest::newRow("No") << int(QMessageBox::No) << false << false;
        QTest::newRow("Yes, Yes the default") << int(QMessageBox::Yes) << true << true;
    }

    void askIsYesNoQuestion()
    {
        QFETCH(int, button);
        QFETCH(bool, expected);
        QFETCH(bool, yesIsDefault);
        MessageBoxPrompts prompts;
        SeenBox seen;
        answerNextBox(&seen, QMessageBox::StandardButton(button));
        QCOMPARE(prompts.ask(QStringLiteral("Pack Up Replies?"), yesIsDefault), expected);
        // Questions that delete or discard leave No as the default button.
        QCOMPARE(seen.defaultButton, yesIsDefault ? QMessageBox::Yes : QMessageBox::No);
        QCOMPARE(seen.title, QStringLiteral("Marvik"));
        QCOMPARE(seen.text, QStringLiteral("Pack Up Replies?"));
        QCOMPARE(seen.icon, QMessageBox::Question);
        QCOMPARE(seen.buttons, QMessageBox::Yes | QMessageBox::No);
    }

    void noticesHaveOkOnly_data()
    {
        QTest::addColumn<bool>("isError");
        QTest::addColumn<int>("icon");
        QTest::newRow("inform") << false << int(QMessageBox::Information);
        QTest::newRow("error") << true << int(QMessageBox::Critical);
    }

    void noticesHaveOkOnly()
    {
        QFETCH(bool, isError);
        QFETCH(int, icon);
        MessageBoxPrompts prompts;
        SeenBox seen;
        answerNextBox(&seen, QMessageBox::Ok);
        const QString text = QStringLiteral("Couldn't open: CONTROL.DAT!");
        if (isError)
            prompts.error(text);
        else
            prompts.inform(text);
        QCOMPARE(seen.title, QStringLiteral("Marvik"));
        QCOMPARE(seen.text, text);
        QCOMPARE(int(seen.icon), icon);
        QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }

    // A box belongs to the window whose command asked, not to the main
    // window, and that window has the keys again afterwards.
    void boxesBelongToTheActiveWindow()
    {
        QWidget main;
        QWidget reader;
        auto *text = new QLineEdit(&reader);
        main.show();
        reader.show();
        reader.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&reader));
        text->setFocus();
        MessageBoxPrompts prompts(&main);
        SeenBox seen;
        answerNextBox(&seen, QMessageBox::No);
        QVERIFY(!prompts.ask(QStringLiteral("Abort the message?")));
        QCOMPARE(seen.parent, &reader);
        QVERIFY(QTest::qWaitForWindowActive(&reader));
        QCOMPARE(QApplication::focusWidget(), text);
    }
};

QTEST_MAIN(TestMessageBoxPrompts)
#include "tst_messageboxprompts.moc"
