#pragma once

#include "ui/Progress.h"

#include <QElapsedTimer>

namespace marvik::bench {

// Records the longest stretch without a chance to run window events, which is
// how long the window freezes, and passes every call on to the real progress
// window when one is given (silent otherwise).
class GapProgress : public ui::Progress
{
public:
    explicit GapProgress(ui::Progress *window = nullptr)
        : m_window(window)
    { }

    void start();
    void finish();
    qint64 longestGapMs() const { return m_longest; }
    qint64 eventRuns() const { return m_runs; }
    // The caption and text line shown when the longest stretch ended: which
    // step held the window.
    QString longestGapStep() const { return m_longestStep; }

    void setCaption(const QString &caption) override;
    void setText(const QString &text) override;
    void setPosition(int percent) override;
    void show() override;
    void hide() override;
    void processEvents() override;

private:
    void mark();

    ui::Progress *m_window = nullptr;
    QElapsedTimer m_timer;
    qint64 m_last = 0;
    qint64 m_longest = 0;
    qint64 m_runs = 0;
    QString m_caption;
    QString m_text;
    QString m_longestStep;
};

} // namespace marvik::bench
