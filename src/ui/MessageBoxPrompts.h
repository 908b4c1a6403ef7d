#pragma once

#include "ui/Prompts.h"

#include <QPointer>
#include <QWidget>

namespace marvik::ui {

// Prompts shown as QMessageBox, all titled "Marvik".
class MessageBoxPrompts : public Prompts
{
public:
    explicit MessageBoxPrompts(QWidget *parent = nullptr);

    // Boxes are centred over this window once it exists.
    void setParent(QWidget *parent) { m_parent = parent; }

    bool ask(const QString &question, bool yesIsDefault = false) override;
    void inform(const QString &text) override;
    void error(const QString &text) override;

private:
    QPointer<QWidget> m_parent;
};

} // namespace marvik::ui
