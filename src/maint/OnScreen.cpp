#include "maint/OnScreen.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace marvik::maint {

void placeOnScreen(QWidget *window, QSize wanted)
{
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        window->resize(wanted);
        return;
    }
    const QRect area = screen->availableGeometry();
    QSize frame = window->frameGeometry().size() - window->geometry().size();
    // Before the first showing the frame is not known yet: room for a title bar.
    if (frame.isEmpty())
        frame = QSize(8, 32);
    const QSize size = wanted.boundedTo(area.size() - frame);
    window->resize(size);
    const QSize outer = size + frame;
    window->move(qMax(area.left(), area.center().x() - outer.width() / 2),
        qMax(area.top(), area.center().y() - outer.height() / 2));
}

} // namespace marvik::maint
