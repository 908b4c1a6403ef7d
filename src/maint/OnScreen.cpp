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
    // Before the first showing the frame is not known yet: room for a title
    // bar. Qt then also places the inside of the window where it is moved to,
    // not its frame.
    const bool frameKnown = !frame.isEmpty();
    if (!frameKnown)
        frame = QSize(8, 40);
    const QPoint inside = frameKnown ? QPoint() : QPoint(frame.width() / 2, frame.height() * 3 / 4);
    const QSize size = wanted.boundedTo(area.size() - frame);
    window->resize(size);
    const QSize outer = size + frame;
    window->move(QPoint(qMax(area.left(), area.center().x() - outer.width() / 2),
                     qMax(area.top(), area.center().y() - outer.height() / 2))
        + inside);
}

} // namespace marvik::maint
