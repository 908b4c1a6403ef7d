#include "ui/MessageBoxPrompts.h"

#include "ui/DialogOwner.h"

#include <QMessageBox>

namespace marvik::ui {

namespace {

QString title()
{
    return QStringLiteral("Marvik");
}

} // namespace

MessageBoxPrompts::MessageBoxPrompts(QWidget *parent)
    : m_parent(parent)
{ }

bool MessageBoxPrompts::ask(const QString &question, bool yesIsDefault)
{
    const DialogOwner owner(m_parent);
    QMessageBox box(QMessageBox::Question, title(), question, QMessageBox::Yes | QMessageBox::No,
        owner.window());
    box.setDefaultButton(yesIsDefault ? QMessageBox::Yes : QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void MessageBoxPrompts::inform(const QString &text)
{
    const DialogOwner owner(m_parent);
    QMessageBox box(QMessageBox::Information, title(), text, QMessageBox::Ok, owner.window());
    box.exec();
}

void MessageBoxPrompts::error(const QString &text)
{
    const DialogOwner owner(m_parent);
    QMessageBox box(QMessageBox::Critical, title(), text, QMessageBox::Ok, owner.window());
    box.exec();
}

} // namespace marvik::ui
