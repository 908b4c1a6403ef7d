#include "ui/QtFileDialogs.h"

#include "ui/DialogOwner.h"

#include <QDir>
#include <QFileDialog>

namespace marvik::ui {

namespace {

QString run(QFileDialog &dialog, const QString &filter)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilter(filter);
    const QStringList filters = filter.split(QStringLiteral(";;"));
    if (!filters.isEmpty())
        dialog.selectNameFilter(filters.first());
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : QDir::toNativeSeparators(chosen.first());
}

} // namespace

QtFileDialogs::QtFileDialogs(QWidget *parent)
    : m_parent(parent)
{ }

QString QtFileDialogs::openFile(
    const QString &caption, const QString &folder, const QString &filter)
{
    const DialogOwner owner(m_parent);
    QFileDialog dialog(owner.window(), caption, folder);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return run(dialog, filter);
}

QString QtFileDialogs::saveFile(const QString &caption, const QString &folder,
    const QString &filter, const QString &proposedName, Existing existing)
{
    const DialogOwner owner(m_parent);
    QFileDialog dialog(owner.window(), caption, folder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (existing == Existing::Append) {
        // Nothing is replaced, so there is nothing to confirm.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        dialog.setLabelText(QFileDialog::Accept, QStringLiteral("&Append"));
    }
    if (!proposedName.isEmpty())
        dialog.selectFile(proposedName);
    return run(dialog, filter);
}

} // namespace marvik::ui
