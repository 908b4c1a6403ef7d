#include "screens/ScreenViewer.h"

#include "screens/AnsiInterpreter.h"
#include "text/Cp437Codec.h"
#include "ui/Prompts.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>

namespace marvik::screens {

namespace {

const QSize PanelSize(616, 280);

} // namespace

ScreenViewer::ScreenViewer(ui::Prompts &prompts, QWidget *parent)
    : QDialog(parent)
    , m_prompts(prompts)
{
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
        | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(640, 362);
    setModal(true);

    m_panel = new QLabel(this);
    m_panel->setGeometry(QRect(QPoint(0, 0), PanelSize));
    m_panel->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // The bars scroll the picture only; keyboard focus stays on the button.
    m_vertical = new QScrollBar(Qt::Vertical, this);
    m_vertical->setGeometry(616, 0, 16, 280);
    m_vertical->setFocusPolicy(Qt::NoFocus);
    m_horizontal = new QScrollBar(Qt::Horizontal, this);
    m_horizontal->setGeometry(0, 280, 617, 16);
    m_horizontal->setFocusPolicy(Qt::NoFocus);

    m_close = new QPushButton(QStringLiteral("&Close"), this);
    m_close->setGeometry(272, 304, 75, 25);
    m_close->setDefault(true);

    connect(m_vertical, &QScrollBar::valueChanged, this, &ScreenViewer::VertScrollBarChange);
    connect(m_horizontal, &QScrollBar::valueChanged, this, &ScreenViewer::HorzScrollBarChange);
    connect(m_close, &QPushButton::clicked, this, &QDialog::accept);
}

ScreenViewer::~ScreenViewer() = default;

void ScreenViewer::ShowScreen(const QString &caption, const QString &text)
{
    if (!openScreen(caption, text))
        return;
    if (const QScreen *screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    exec();
    closeScreen();
}

bool ScreenViewer::openScreen(const QString &caption, const QString &text)
{
    AnsiResult result = AnsiInterpreter::interpret(text::Cp437Codec::fromUnicode(text));
    if (!result.ok()) {
        m_prompts.error(result.error);
        return false;
    }
    m_buffer = std::move(result.buffer);

    const QSize cell = m_painter.cellSize();
    m_visibleColumns = PanelSize.width() / cell.width();
    m_visibleRows = PanelSize.height() / cell.height();

    const QSignalBlocker blockVertical(m_vertical);
    const QSignalBlocker blockHorizontal(m_horizontal);
    m_vertical->setRange(1, qMax(1, m_buffer.lineCount() - m_visibleRows + 1));
    m_vertical->setPageStep(qMax(1, m_visibleRows));
    m_vertical->setValue(1);
    // A narrow font may show all 80 columns; the bar then has nowhere to go.
    m_horizontal->setRange(1, qMax(1, CellBuffer::Columns + 1 - m_visibleColumns));
    m_horizontal->setPageStep(1);
    m_horizontal->setValue(1);

    m_topLine = 1;
    m_leftColumn = 1;
    renderView();
    setWindowTitle(caption);
    return true;
}

void ScreenViewer::closeScreen()
{
    m_buffer.clear();
    m_image = QImage();
    m_panel->clear();
}

void ScreenViewer::VertScrollBarChange(int position)
{
    m_topLine = position;
    renderView();
}

void ScreenViewer::HorzScrollBarChange(int position)
{
    m_leftColumn = position;
    renderView();
}

void ScreenViewer::renderView()
{
    m_image = m_painter.render(m_buffer, PanelSize, m_topLine, m_leftColumn);
    m_panel->setPixmap(QPixmap::fromImage(m_image));
}

} // namespace marvik::screens
