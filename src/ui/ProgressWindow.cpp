#include "ui/ProgressWindow.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>
#include <QWidget>

namespace marvik::ui {

ProgressWindow::ProgressWindow(QWidget *parent, std::function<qint64()> clock)
    : m_window(std::make_unique<QWidget>(parent, Qt::Dialog | Qt::WindowTitleHint))
    , m_clock(std::move(clock))
{
    m_window->setWindowModality(Qt::ApplicationModal);
    auto *layout = new QVBoxLayout(m_window.get());
    m_text = new QLabel(m_window.get());
    m_text->setMinimumWidth(320);
    m_bar = new QProgressBar(m_window.get());
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    layout->addWidget(m_text);
    layout->addWidget(m_bar);
    m_elapsed.start();
}

ProgressWindow::~ProgressWindow() = default;

void ProgressWindow::setCaption(const QString &caption)
{
    m_window->setWindowTitle(caption);
}

void ProgressWindow::setText(const QString &text)
{
    m_text->setText(text);
}

void ProgressWindow::setPosition(int percent)
{
    m_bar->setValue(qBound(0, percent, 100));
}

void ProgressWindow::show()
{
    m_window->show();
    m_window->raise();
    // The first call after showing always runs, so the window paints at once.
    m_runPending = true;
}

void ProgressWindow::hide()
{
    m_window->hide();
}

void ProgressWindow::processEvents()
{
    const qint64 t = now();
    if (!m_runPending && t - m_lastRun < kEventInterval)
        return;
    m_runPending = false;
    m_lastRun = t;
    ++m_eventRuns;
    QCoreApplication::processEvents();
}

QString ProgressWindow::caption() const
{
    return m_window->windowTitle();
}

QString ProgressWindow::text() const
{
    return m_text->text();
}

int ProgressWindow::position() const
{
    return m_bar->value();
}

qint64 ProgressWindow::now() const
{
    return m_clock ? m_clock() : m_elapsed.elapsed();
}

} // namespace marvik::ui
