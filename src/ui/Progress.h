#pragma once

#include <QString>

namespace marvik::ui {

// The progress window as the long loops see it: a caption, one text line and a
// bar from 0 to 100. Tests pass a recording fake; the program passes the
// window.
class Progress
{
public:
    virtual ~Progress() = default;
    virtual void setCaption(const QString &caption) = 0;
    virtual void setText(const QString &text) = 0;
    virtual void setPosition(int percent) = 0;
    virtual void show() = 0;
    virtual void hide() = 0;
    // Lets pending window events run. Implementations throttle this (about
    // every 20 ms), so calling it once per item is cheap.
    virtual void processEvents() = 0;

    // Caption, empty text, bar at 0 and shown: how every loop begins.
    void start(const QString &caption)
    {
        setCaption(caption);
        setText(QString());
        setPosition(0);
        show();
    }
};

} // namespace marvik::ui
