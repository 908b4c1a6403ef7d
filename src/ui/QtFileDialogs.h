#pragma once

#include "ui/FileDialogs.h"

#include <QPointer>
#include <QWidget>

namespace marvik::ui {

// File dialogs through QFileDialog. Qt's own dialog is used rather than the
// platform's, so the first filter is always the selected one. Like the
// message boxes, a dialog belongs to the window active when it is asked for.
class QtFileDialogs : public FileDialogs
{
public:
    explicit QtFileDialogs(QWidget *parent = nullptr);

    void setParent(QWidget *parent) { m_parent = parent; }

    QString openFile(const QString &caption, const QString &folder, const QString &filter) override;
    QString saveFile(const QString &caption, const QString &folder, const QString &filter,
        const QString &proposedName, Existing existing) override;

private:
    QPointer<QWidget> m_parent;
};

} // namespace marvik::ui
