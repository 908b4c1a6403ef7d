#include "screens/ScreenPainter.h"

#include "screens/Palette.h"
#include "text/Cp437Codec.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QLoggingCategory>
#include <QPainter>

namespace marvik::screens {

namespace {

Q_LOGGING_CATEGORY(screensLog, "marvik.screens")

std::optional<PsfFont> loadDefaultFont()
{
    QString error;
    auto font = PsfFont::load(PsfFont::defaultPath(), &error);
    if (!font)
        qCInfo(screensLog, "PC font unavailable (%s); drawing screens with a system monospace font",
            qPrintable(error));
    return font;
}

template<typename Pixel> Pixel pixelValue(int index);

template<> uchar pixelValue<uchar>(int index)
{
    return uchar(index);
}

template<> QRgb pixelValue<QRgb>(int index)
{
    return Palette::color(index);
}

} // namespace

ScreenPainter::ScreenPainter()
    : ScreenPainter(loadDefaultFont())
{ }

ScreenPainter::ScreenPainter(std::optional<PsfFont> font)
    : m_font(std::move(font))
{
    if (m_font) {
        m_cellSize = QSize(m_font->width(), m_font->height());
        return;
    }
    m_fallback = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    m_fallback.setStyleHint(QFont::TypeWriter);
    m_fallback.setPointSize(10);
    const QFontMetrics metrics(m_fallback);
    m_ascent = metrics.ascent();
    m_cellSize
        = QSize(qMax(1, metrics.horizontalAdvance(QLatin1Char(' '))), qMax(1, metrics.height()));
}

QChar ScreenPainter::glyphCharacter(quint8 byte)
{
    return text::Cp437Codec::glyph(byte);
}

QImage ScreenPainter::render(
    const CellBuffer &buffer, QSize size, int topLine, int leftColumn, int rows) const
{
    QImage image;
    if (m_font) {
        image = QImage(size, QImage::Format_Indexed8);
        image.setColorTable(Palette::colorTable());
    } else {
        image = QImage(size, QImage::Format_RGB32);
    }
    paint(image, buffer, topLine, leftColumn, rows);
    return image;
}

int ScreenPainter::paint(
    QImage &image, const CellBuffer &buffer, int topLine, int leftColumn, int rows) const
{
    if (image.isNull())
        return 0;
    const QImage::Format format = image.format();
    const bool bytePixels = m_font && format == QImage::Format_Indexed8;
    if (bytePixels) {
        // Pixel values are palette indexes, so the image must carry our palette.
        image.setColorTable(Palette::colorTable());
        image.fill(0);
    } else {
        if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32
            && format != QImage::Format_ARGB32_Premultiplied)
            image = image.convertToFormat(QImage::Format_RGB32);
        image.fill(QColor(Qt::black));
    }
    std::optional<QPainter> painter;
    if (!m_font) {
        painter.emplace(&image);
        painter->setFont(m_fallback);
    }

    const int first = qBound(1, leftColumn, CellBuffer::Columns);
    int runs = 0;
    for (int r = 0; r < rows; ++r) {
        const qint64 number = qint64(topLine) + r;
        if (number < 1 || number > buffer.lineCount())
            break;
        const int y = r * m_cellSize.height();
        if (y >= image.height())
            break;
        const Cell *cells = buffer.line(int(number)).data() + (first - 1);
        const int count = CellBuffer::Columns - first + 1;
        int start = 0;
        for (int i = 1; i <= count; ++i) {
            if (i < count && cells[i].attribute == cells[start].attribute)
                continue;
            const int x = start * m_cellSize.width();
            if (painter)
                drawRun(*painter, cells + start, i - start, x, y);
            else if (bytePixels)
                blitRun<uchar>(image, cells + start, i - start, x, y);
            else
                blitRun<QRgb>(image, cells + start, i - start, x, y);
            ++runs;
            start = i;
        }
    }
    return runs;
}

template<typename Pixel>
void ScreenPainter::blitRun(QImage &image, const Cell *cells, int count, int x, int y) const
{
    const int width = m_font->width();
    const int height = qMin(m_font->height(), image.height() - y);
    const int stride = m_font->bytesPerRow();
    const quint8 attribute = cells[0].attribute;
    const Pixel ink = pixelValue<Pixel>(attribute & 15);
    const Pixel paper = pixelValue<Pixel>(attribute >> 4);
    const int visible = qMin(count, (image.width() - x + width - 1) / width);
    for (int gy = 0; gy < height; ++gy) {
        auto *out = reinterpret_cast<Pixel *>(image.scanLine(y + gy)) + x;
        int room = image.width() - x;
        for (int c = 0; c < visible; ++c) {
            const uchar *bits = m_font->glyph(cells[c].character) + gy * stride;
            const int columns = qMin(width, room);
            for (int gx = 0; gx < columns; ++gx)
                out[gx] = (bits[gx >> 3] & (0x80 >> (gx & 7))) ? ink : paper;
            out += width;
            room -= width;
        }
    }
}

void ScreenPainter::drawRun(QPainter &painter, const Cell *cells, int count, int x, int y) const
{
    QString text(count, Qt::Uninitialized);
    for (int i = 0; i < count; ++i)
        text[i] = glyphCharacter(cells[i].character);
    const quint8 attribute = cells[0].attribute;
    painter.fillRect(x, y, count * m_cellSize.width(), m_cellSize.height(),
        QColor(Palette::color(attribute >> 4)));
    painter.setPen(QColor(Palette::color(attribute & 15)));
    painter.drawText(x, y + m_ascent, text);
}

} // namespace marvik::screens
