#pragma once

#include <QWidget>

namespace marvik::app {

// The borderless window shown while the program starts.
class SplashWindow : public QWidget
{
    Q_OBJECT

public:
    explicit SplashWindow(QWidget *parent = nullptr);

    // Shows the window centred on the screen and paints it at once, before
    // the start-up work blocks the event loop.
    void showNow();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    static void drawGlyph(QPainter &painter, const QRect &box);
};

} // namespace marvik::app
