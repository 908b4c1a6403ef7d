#include "GapProgress.h"

namespace marvik::bench {

void GapProgress::start()
{
    m_timer.start();
    m_last = 0;
    m_longest = 0;
    m_runs = 0;
    m_longestStep.clear();
}

void GapProgress::finish()
{
    mark();
}

void GapProgress::setCaption(const QString &caption)
{
    m_caption = caption;
    if (m_window)
        m_window->setCaption(caption);
}

void GapProgress::setText(const QString &text)
{
    m_text = text;
    if (m_window)
        m_window->setText(text);
}

void GapProgress::setPosition(int percent)
{
    if (m_window)
        m_window->setPosition(percent);
}

void GapProgress::show()
{
    if (m_window)
        m_window->show();
}

void GapProgress::hide()
{
    if (m_window)
        m_window->hide();
}

void GapProgress::processEvents()
{
    ++m_runs;
    mark();
    if (m_window)
        m_window->processEvents();
}

void GapProgress::mark()
{
    const qint64 now = m_timer.elapsed();
    if (now - m_last > m_longest) {
        m_longest = now - m_last;
        m_longestStep = m_text.isEmpty() ? m_caption : m_caption + QLatin1String(": ") + m_text;
    }
    m_last = now;
}

} // namespace marvik::bench
