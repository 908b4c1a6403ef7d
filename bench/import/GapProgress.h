#pragma once

#include "ui/Progress.h"

#include <QElapsedTimer>

namespace marvik::bench {

// A silent progress window that records the longest stretch without a chance
// to run window events, which is how long the real window would freeze.
class GapProgress : public ui::Progress
{
public:
    void start();
    void finish();
    qint64 longestGapMs() const { return m_longest; }
    qint64 eventRuns() const { return m_runs; }
    // The caption and text line shown when the longest stretch ended: which
    // step held the window.
    QString longestGapStep() const { return m_longestStep; }

    void setCaption(const QString &caption) override { m_caption = caption; }
    void setText(const QString &text) override { m_text = text; }
    void setPosition(int) override { }
    void show() override { }
    void hide() override { }
    void processEvents() override;

private:
    void mark();

    QElapsedTimer m_timer;
    qint64 m_last = 0;
    qint64 m_longest = 0;
    qint64 m_runs = 0;
    QString m_caption;
    QString m_text;
    QString m_longestStep;
};

} // namespace marvik::bench
