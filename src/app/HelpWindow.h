#pragma once

#include "ui/HelpTopics.h"

#include <QWidget>

class QTextBrowser;

namespace marvik::app {

// The help window over the HTML pages compiled into the program. Each
// window has a context number; F1 there opens its page.
class HelpWindow : public QWidget, public ui::HelpTopics
{
    Q_OBJECT

public:
    explicit HelpWindow(QWidget *parent = nullptr);

    // Shows the window at the page of `context`; an unknown context shows
    // the contents.
    void showTopic(int context) override;
    // The page a context opens, as a resource URL.
    static QUrl pageFor(int context);

    QTextBrowser *browser() const { return m_browser; }

private:
    QTextBrowser *m_browser = nullptr;
};

} // namespace marvik::app
