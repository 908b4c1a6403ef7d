#pragma once

class QEventLoop;

namespace marvik::ui {

// The wait of a window that runs "until the user closes it": lets events run
// until quit(). A window whose command is chosen again while it waits
// (from a window below it) must not wait a second time inside the first,
// which could never end the first: it asks isWaiting() and raises itself.
class WaitLoop
{
public:
    bool isWaiting() const { return m_loop != nullptr; }
    // Runs events until quit(); returns at once when `alreadyDone`.
    void wait(bool alreadyDone = false);
    // Ends the wait; true when there was one.
    bool quit();

private:
    QEventLoop *m_loop = nullptr;
};

} // namespace marvik::ui
