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

void GapProgress::processEvents()
{
    ++m_runs;
    mark();
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
