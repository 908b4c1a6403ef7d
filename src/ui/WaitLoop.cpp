#include "ui/WaitLoop.h"

#include <QEventLoop>

namespace marvik::ui {

void WaitLoop::wait(bool alreadyDone)
{
    if (m_loop || alreadyDone)
        return;
    QEventLoop loop;
    m_loop = &loop;
    loop.exec();
    m_loop = nullptr;
}

bool WaitLoop::quit()
{
    if (!m_loop)
        return false;
    m_loop->quit();
    return true;
}

} // namespace marvik::ui
