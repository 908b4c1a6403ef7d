#pragma once

#include <QSize>

class QWidget;

namespace marvik::maint {

// Gives a top-level window `wanted` as its size, or as much of it as the
// available screen (the screen less panels and docks) has room for, and
// centres it there, title bar and frame included.
void placeOnScreen(QWidget *window, QSize wanted);

} // namespace marvik::maint
