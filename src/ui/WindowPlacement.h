#pragma once

#include <QMargins>
#include <QRect>

class QWidget;

namespace marvik::ui {

// Keeps top-level windows inside the usable part of their screen (the
// screen less panels and docks), title bar and frame included.
class WindowPlacement
{
public:
    // Call before showing `window` (again). A window shown for the first time
    // is centred over the window that is active now (or its screen); one
    // shown before keeps its place. Either way it is then moved, and shrunk
    // when larger, until its frame lies inside the available screen area.
    static void fitIntoScreen(QWidget *window);

    // `frame` moved, and shrunk where it is larger, to lie inside `available`.
    static QRect fitted(const QRect &frame, const QRect &available);
    // A `size` window with frame `margins` centred over `over`.
    static QRect centred(const QSize &size, const QMargins &margins, const QRect &over);
};

} // namespace marvik::ui
