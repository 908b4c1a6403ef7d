#pragma once

#include "ui/Progress.h"

#include <QElapsedTimer>

#include <functional>
#include <memory>

class QLabel;
class QProgressBar;
class QWidget;

namespace marvik::ui {

// The progress window the long loops report to. Loops call processEvents()
// once per item; it only lets events run when about 20 ms have passed since
// the last run, so repainting never dominates the work.
class ProgressWindow : public Progress
{
public:
    static constexpr qint64 kEventInterval = 20;

    // `clock` returns milliseconds; tests pass their own to step time by hand.
    explicit ProgressWindow(QWidget *parent = nullptr, std::function<qint64()> clock = {});
    ~ProgressWindow() override;

    void setCaption(const QString &caption) override;
    void setText(const QString &text) override;
    void setPosition(int percent) override;
    void show() override;
    void hide() override;
    void processEvents() override;

    QWidget *window() const { return m_window.get(); }
    QString caption() const;
    QString text() const;
    int position() const;
    // How often processEvents() actually let events run.
    int eventRuns() const { return m_eventRuns; }

private:
    qint64 now() const;

    std::unique_ptr<QWidget> m_window;
    QLabel *m_text = nullptr;
    QProgressBar *m_bar = nullptr;
    std::function<qint64()> m_clock;
    QElapsedTimer m_elapsed;
    qint64 m_lastRun = 0;
    bool m_runPending = true;
    int m_eventRuns = 0;
};

} // namespace marvik::ui
