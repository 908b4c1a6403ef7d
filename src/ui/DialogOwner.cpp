#include "ui/DialogOwner.h"

#include <QApplication>

namespace marvik::ui {

DialogOwner::DialogOwner(QWidget *fallback)
{
    QWidget *active = QApplication::activeWindow();
    // A box asked for while another is up belongs over that one.
    if (QWidget *modal = QApplication::activeModalWidget())
        active = modal;
    if (!active && fallback && fallback->isVisible())
        active = fallback->window();
    m_window = active;
    if (active)
        m_focus = active->focusWidget();
}

DialogOwner::~DialogOwner()
{
    if (!m_window || !m_window->isVisible())
        return;
    m_window->activateWindow();
    if (m_focus && m_focus->window() == m_window && m_focus->isVisible())
        m_focus->setFocus(Qt::ActiveWindowFocusReason);
}

} // namespace marvik::ui
