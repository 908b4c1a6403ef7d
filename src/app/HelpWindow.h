#pragma once

#include "ui/HelpTopics.h"

#include <QWidget>

class QTextBrowser;

namespace marvik::ui {
class LayoutStore;
class WindowMemory;
} // namespace marvik::ui

namespace marvik::app {

// The help window over the HTML pages compiled into the program. Each
// window has a context number; F1 there opens its page.
class HelpWindow : public QWidget, public ui::HelpTopics
{
    Q_OBJECT

public:
    // `layouts` keeps its size and place; none: it opens at its first place.
    explicit HelpWindow(ui::LayoutStore *layouts = nullptr, QWidget *parent = nullptr);

    // Shows the window at the page of `context`; an unknown context shows
    // the contents.
    void showTopic(int context) override;
    // The page a context opens, as a resource URL.
    static QUrl pageFor(int context);

    QTextBrowser *browser() const { return m_browser; }

private:
    QTextBrowser *m_browser = nullptr;
    ui::WindowMemory *m_memory = nullptr;
};

} // namespace marvik::app
