#include "screens/ScreenCanvas.h"

#include "screens/ScreenPainter.h"

#include <QPaintEvent>
#include <QPainter>

#include <cmath>

namespace marvik::screens {

namespace {

// Painted bands kept, in KiB: a few thousand lines at the PC font's size.
// Longer screens drop the bands seen least recently and paint them again.
constexpr qsizetype KeptKiB = 64 * 1024;

} // namespace

ScreenCanvas::ScreenCanvas(const ScreenPainter &painter, QWidget *parent)
    : QWidget(parent)
    , m_painter(painter)
    , m_bands(KeptKiB)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(sizeHint());
}

ScreenCanvas::~ScreenCanvas() = default;

void ScreenCanvas::setBuffer(const CellBuffer *buffer, double scale)
{
    m_buffer = buffer;
    m_scale = scale > 0 ? scale : 1.0;
    m_bands.clear();
    m_bandsPainted = 0;
    resize(sizeHint());
    update();
}

void ScreenCanvas::clear()
{
    setBuffer(nullptr, 1.0);
}

double ScreenCanvas::lineHeight() const
{
    return m_painter.cellSize().height() * m_scale;
}

double ScreenCanvas::columnWidth() const
{
    return m_painter.cellSize().width() * m_scale;
}

int ScreenCanvas::pictureLines() const
{
    return qMax(ScreenPainter::Rows, m_buffer ? m_buffer->lineCount() : 0);
}

QSize ScreenCanvas::sizeHint() const
{
    const QSize cell = m_painter.cellSize();
    return QSize(int(std::lround(CellBuffer::Columns * cell.width() * m_scale)),
        int(std::lround(qint64(pictureLines()) * cell.height() * m_scale)));
}

std::pair<int, int> ScreenCanvas::bandSpan(int band) const
{
    const qint64 cellHeight = m_painter.cellSize().height();
    const qint64 top = qint64(band) * BandLines * cellHeight;
    const qint64 bottom = qMin(qint64(band + 1) * BandLines, qint64(pictureLines())) * cellHeight;
    return {int(std::lround(top * m_scale)), int(std::lround(bottom * m_scale))};
}

QPixmap ScreenCanvas::bandPixmap(int band)
{
    if (const QPixmap *kept = m_bands.object(band))
        return *kept;
    const QSize cell = m_painter.cellSize();
    const int firstLine = band * BandLines + 1;
    const int lines = qMin(BandLines, pictureLines() - firstLine + 1);
    QImage image = m_painter.render(*m_buffer,
        QSize(CellBuffer::Columns * cell.width(), lines * cell.height()), firstLine, 1, lines);
    if (m_scale != 1.0) {
        const auto [top, bottom] = bandSpan(band);
        image
            = image.scaled(width(), bottom - top, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    const QPixmap pixmap = QPixmap::fromImage(image);
    ++m_bandsPainted;
    // Pixmaps share their pixels: the cache's copy costs nothing more.
    m_bands.insert(band, new QPixmap(pixmap),
        qMax<qsizetype>(1, qsizetype(pixmap.width()) * pixmap.height() / 256));
    return pixmap;
}

void ScreenCanvas::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QRect area = event->rect();
    painter.fillRect(area, Qt::black);
    if (!m_buffer || m_buffer->isEmpty())
        return;
    const double bandHeight = BandLines * lineHeight();
    const int bands = (pictureLines() + BandLines - 1) / BandLines;
    const int first = qBound(0, int(area.top() / bandHeight) - 1, bands - 1);
    for (int band = first; band < bands; ++band) {
        const auto [top, bottom] = bandSpan(band);
        if (top > area.bottom())
            break;
        if (bottom <= area.top())
            continue;
        painter.drawPixmap(0, top, bandPixmap(band));
    }
}

} // namespace marvik::screens
