#include "ui/MessageBoxPrompts.h"

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
    QMessageBox box(
        QMessageBox::Question, title(), question, QMessageBox::Yes | QMessageBox::No, m_parent);
    box.setDefaultButton(yesIsDefault ? QMessageBox::Yes : QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void MessageBoxPrompts::inform(const QString &text)
{
    QMessageBox box(QMessageBox::Information, title(), text, QMessageBox::Ok, m_parent);
    box.exec();
}

void MessageBoxPrompts::error(const QString &text)
{
    QMessageBox box(QMessageBox::Critical, title(), text, QMessageBox::Ok, m_parent);
    box.exec();
}

} // namespace marvik::ui
