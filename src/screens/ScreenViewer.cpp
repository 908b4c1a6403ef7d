#include "screens/ScreenViewer.h"

#include "screens/AnsiInterpreter.h"
#include "screens/ScreenCanvas.h"
#include "text/Cp437Codec.h"
#include "ui/Prompts.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

#include <cmath>

namespace marvik::screens {

namespace {

// Below this a picture is no longer readable; a smaller screen scrolls.
constexpr double MinimumScale = 0.25;

// The frame the window manager adds, known once the window has been shown;
// before that, room for a title bar.
QSize frameOf(const QWidget *window)
{
    const QSize frame = window->frameGeometry().size() - window->geometry().size();
    return frame.isEmpty() ? QSize(8, 40) : frame;
}

} // namespace

ScreenViewer::ScreenViewer(ui::Prompts &prompts, QWidget *parent)
    : QDialog(parent)
    , m_prompts(prompts)
{
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
        | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    setModal(true);
    setSizeGripEnabled(true);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);

    m_canvas = new ScreenCanvas(m_painter);
    m_scrollArea = new QScrollArea(this);
    m_scrollArea->setWidget(m_canvas);
    m_scrollArea->setWidgetResizable(false);
    m_scrollArea->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_scrollArea->setBackgroundRole(QPalette::Shadow);
    QPalette black = m_scrollArea->palette();
    black.setColor(QPalette::Shadow, Qt::black);
    m_scrollArea->setPalette(black);
    // The area takes the keys, so the arrows and PgUp/PgDn scroll at once.
    m_scrollArea->setFocusPolicy(Qt::StrongFocus);
    layout->addWidget(m_scrollArea, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_close = new QPushButton(QStringLiteral("&Close"), this);
    m_close->setDefault(true);
    buttons->addWidget(m_close);
    buttons->addStretch(1);
    layout->addLayout(buttons);

    connect(m_close, &QPushButton::clicked, this, &QDialog::accept);
}

ScreenViewer::~ScreenViewer() = default;

QScrollBar *ScreenViewer::verticalBar() const
{
    return m_scrollArea->verticalScrollBar();
}

QScrollBar *ScreenViewer::horizontalBar() const
{
    return m_scrollArea->horizontalScrollBar();
}

void ScreenViewer::ShowScreen(const QString &caption, const QString &text)
{
    if (!openScreen(caption, text))
        return;
    exec();
    closeScreen();
}

ScreenViewer::Fit ScreenViewer::fitToRoom(QSize picture, QSize chrome, QSize room)
{
    Fit fit;
    if (picture.isEmpty())
        return {1.0, chrome.boundedTo(room)};
    const int roomForPicture = room.width() - chrome.width();
    if (picture.width() > roomForPicture)
        fit.scale = qMax(MinimumScale, double(roomForPicture) / picture.width());
    const QSize shown(
        int(std::ceil(picture.width() * fit.scale)), int(std::ceil(picture.height() * fit.scale)));
    fit.size = (shown + chrome).boundedTo(room);
    return fit;
}

QSize ScreenViewer::chrome() const
{
    const QMargins margins = layout()->contentsMargins();
    const int frame = 2 * m_scrollArea->frameWidth();
    QSize around(margins.left() + margins.right() + frame,
        margins.top() + margins.bottom() + frame + layout()->spacing()
            + m_close->sizeHint().height());
    if (m_buffer.lineCount() > ScreenPainter::Rows)
        around.rwidth() += style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    return around + frameOf(this);
}

bool ScreenViewer::openScreen(const QString &caption, const QString &text)
{
    AnsiResult result = AnsiInterpreter::interpret(text::Cp437Codec::fromUnicode(text));
    if (!result.ok()) {
        m_prompts.error(result.error);
        return false;
    }
    m_canvas->clear();
    m_buffer = std::move(result.buffer);

    // Open on the screen of the window the viewer is shown over.
    const QWidget *over = parentWidget() ? parentWidget()->window() : QApplication::activeWindow();
    const QScreen *screen = over && over->screen() ? over->screen() : QApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const QSize cell = m_painter.cellSize();
    const Fit fit
        = fitToRoom(QSize(CellBuffer::Columns * cell.width(), ScreenPainter::Rows * cell.height()),
            chrome(), area.size());
    if (isMaximized())
        showNormal();
    const QSize frame = frameOf(this);
    resize(fit.size - frame);
    // Until the frame is known Qt places the inside of the window where it
    // is moved to, not its frame.
    const bool frameKnown = frameGeometry().size() != geometry().size();
    const QPoint inside = frameKnown ? QPoint() : QPoint(frame.width() / 2, frame.height() * 3 / 4);
    move(QPoint(qMax(area.left(), area.center().x() - fit.size.width() / 2),
             qMax(area.top(), area.center().y() - fit.size.height() / 2))
        + inside);

    m_canvas->setBuffer(&m_buffer, fit.scale);
    verticalBar()->setSingleStep(qMax(1, int(std::lround(m_canvas->lineHeight()))));
    horizontalBar()->setSingleStep(qMax(1, int(std::lround(m_canvas->columnWidth()))));
    verticalBar()->setValue(0);
    horizontalBar()->setValue(0);
    setWindowTitle(caption);
    m_scrollArea->setFocus();
    return true;
}

void ScreenViewer::closeScreen()
{
    m_canvas->clear();
    m_buffer.clear();
}

int ScreenViewer::topLine() const
{
    return int(verticalBar()->value() / m_canvas->lineHeight()) + 1;
}

int ScreenViewer::leftColumn() const
{
    return int(horizontalBar()->value() / m_canvas->columnWidth()) + 1;
}

int ScreenViewer::visibleRows() const
{
    return int(m_scrollArea->viewport()->height() / m_canvas->lineHeight());
}

int ScreenViewer::visibleColumns() const
{
    return qMin(
        CellBuffer::Columns, int(m_scrollArea->viewport()->width() / m_canvas->columnWidth()));
}

void ScreenViewer::keyPressEvent(QKeyEvent *event)
{
    // The scroll area leaves Home and End alone: they go to the top and the
    // end of the picture (with or without Ctrl, as in a text view).
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if ((event->key() == Qt::Key_Home || event->key() == Qt::Key_End)
        && (modifiers == Qt::NoModifier || modifiers == Qt::ControlModifier)) {
        const bool home = event->key() == Qt::Key_Home;
        verticalBar()->setValue(home ? verticalBar()->minimum() : verticalBar()->maximum());
        if (home)
            horizontalBar()->setValue(horizontalBar()->minimum());
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace marvik::screens
