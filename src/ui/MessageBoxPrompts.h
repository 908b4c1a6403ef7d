#pragma once

#include "ui/Prompts.h"

#include <QPointer>
#include <QWidget>

namespace marvik::ui {

// Prompts shown as QMessageBox, all titled "Marvik". Each box belongs to the
// window active when it is asked for, which gets the keys back afterwards.
class MessageBoxPrompts : public Prompts
{
public:
    explicit MessageBoxPrompts(QWidget *parent = nullptr);

    // The window a box belongs to when no window of the program is active.
    void setParent(QWidget *parent) { m_parent = parent; }

    bool ask(const QString &question, bool yesIsDefault = false) override;
    void inform(const QString &text) override;
    void error(const QString &text) override;

private:
    QPointer<QWidget> m_parent;
};

} // namespace marvik::ui
