#include "ui/QtFileDialogs.h"

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
    QFileDialog dialog(m_parent, caption, folder);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return run(dialog, filter);
}

QString QtFileDialogs::saveFile(const QString &caption, const QString &folder,
    const QString &filter, const QString &proposedName)
{
    QFileDialog dialog(m_parent, caption, folder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!proposedName.isEmpty())
        dialog.selectFile(proposedName);
    return run(dialog, filter);
}

} // namespace marvik::ui
