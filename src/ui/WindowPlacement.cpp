#include "ui/WindowPlacement.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>

#include <algorithm>

namespace marvik::ui {

namespace {

QMargins frameMargins(const QWidget *window)
{
    const QRect frame = window->frameGeometry();
    const QRect inner = window->geometry();
    return QMargins(inner.left() - frame.left(), inner.top() - frame.top(),
        frame.right() - inner.right(), frame.bottom() - inner.bottom());
}

// A window not shown yet has no frame: the window manager adds it when the
// window is mapped. Windows of one program get the same decoration, so a
// framed window on the screen tells how large it will be; failing one, the
// style's title bar height stands in for it.
QMargins expectedMargins(const QWidget *window)
{
    const QMargins own = frameMargins(window);
    if (!own.isNull())
        return own;
    for (const QWidget *other : QApplication::topLevelWidgets()) {
        if (other != window && other->isVisible() && other->isWindow()) {
            const QMargins margins = frameMargins(other);
            if (!margins.isNull())
                return margins;
        }
    }
    const int title = QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
    return QMargins(4, title + 4, 4, 4);
}

} // namespace

QRect WindowPlacement::fitted(const QRect &frame, const QRect &available)
{
    if (!available.isValid())
        return frame;
    QRect result(frame.topLeft(),
        QSize(std::min(frame.width(), available.width()),
            std::min(frame.height(), available.height())));
    if (result.right() > available.right())
        result.moveRight(available.right());
    if (result.bottom() > available.bottom())
        result.moveBottom(available.bottom());
    if (result.left() < available.left())
        result.moveLeft(available.left());
    if (result.top() < available.top())
        result.moveTop(available.top());
    return result;
}

QRect WindowPlacement::centred(const QSize &size, const QMargins &margins, const QRect &over)
{
    const QSize outer = size.grownBy(margins);
    QRect frame(QPoint(0, 0), outer);
    frame.moveCenter(over.center());
    return frame;
}

void WindowPlacement::fitIntoScreen(QWidget *window)
{
    if (!window || !window->isWindow())
        return;
    const QMargins margins = expectedMargins(window);
    const QWidget *active = QApplication::activeWindow();
    if (active == window)
        active = nullptr;

    QRect frame;
    QScreen *screen = nullptr;
    if (window->testAttribute(Qt::WA_Moved) || window->isVisible()) {
        frame = QRect(window->pos(), window->size().grownBy(margins));
        screen = window->screen();
    } else if (active) {
        frame = centred(window->size(), margins, active->frameGeometry());
        screen = active->screen();
    } else {
        screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
        if (screen)
            frame = centred(window->size(), margins, screen->availableGeometry());
    }
    if (QScreen *under = QGuiApplication::screenAt(frame.center()))
        screen = under;
    if (!screen)
        return;

    const QRect target = fitted(frame, screen->availableGeometry());
    if (target.size() != frame.size())
        window->resize(target.size().shrunkBy(margins));
    // A window's position is that of its frame, also before its first
    // showing: the window manager then puts the frame where it was asked.
    window->move(target.topLeft());
}

} // namespace marvik::ui
