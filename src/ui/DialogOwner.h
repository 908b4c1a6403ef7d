#pragma once

#include <QPointer>
#include <QWidget>

namespace marvik::ui {

// The window a message box or file dialog belongs to: the one active when it
// is asked for (the window whose command opened it), else `fallback`. The
// dialog is parented to it, so it appears over that window, and when the
// owner goes out of scope that window is made active again, so the keys go
// back to where the user was typing rather than to whichever window the
// desktop picks.
class DialogOwner
{
public:
    explicit DialogOwner(QWidget *fallback);
    ~DialogOwner();
    DialogOwner(const DialogOwner &) = delete;
    DialogOwner &operator=(const DialogOwner &) = delete;

    QWidget *window() const { return m_window; }

private:
    QPointer<QWidget> m_window;
    QPointer<QWidget> m_focus;
};

} // namespace marvik::ui
