#pragma once

#include <QWidget>

class QTextBrowser;

namespace marvik::app {

// The help window over the HTML pages compiled into the program. Each
// window has a context number; F1 there opens its page.
class HelpWindow : public QWidget
{
    Q_OBJECT

public:
    enum Context
    {
        Contents = 1,
        OpeningPacket = 2,
        StoreAndFolders = 3,
        MainWindowTopic = 4,
    };

    explicit HelpWindow(QWidget *parent = nullptr);

    // Shows the window at the page of `context`; an unknown context shows
    // the contents.
    void showTopic(int context);
    // The page a context opens, as a resource URL.
    static QUrl pageFor(int context);

    QTextBrowser *browser() const { return m_browser; }

private:
    QTextBrowser *m_browser = nullptr;
};

} // namespace marvik::app
