#pragma once

#include "screens/CellBuffer.h"
#include "screens/PsfFont.h"

#include <QFont>
#include <QImage>
#include <QSize>

#include <optional>

class QPainter;

namespace marvik::screens {

// Draws cell buffer lines as PC text. With a PSF font the glyph bits are
// copied straight into the image; without one a system monospace font draws
// the CP437 characters through QPainter.
class ScreenPainter
{
public:
    // A screen shows 25 terminal rows, whatever room the picture has.
    static constexpr int Rows = 25;

    // Uses the PC font at PsfFont::defaultPath(), or the fallback font.
    ScreenPainter();
    // No font means the fallback font.
    explicit ScreenPainter(std::optional<PsfFont> font);

    bool hasPcFont() const { return m_font.has_value(); }
    QSize cellSize() const { return m_cellSize; }

    // A black image of `size` with up to `rows` lines painted from `topLine`
    // and `leftColumn` (both from 1). Indexed to the palette with the PC font.
    QImage render(
        const CellBuffer &buffer, QSize size, int topLine, int leftColumn, int rows = Rows) const;

    // Paints over `image` (cleared to black first); returns the number of
    // runs of equal attribute drawn.
    int paint(QImage &image, const CellBuffer &buffer, int topLine, int leftColumn,
        int rows = Rows) const;

    // The character the fallback font draws for a byte: control bytes get the
    // PC's picture characters (1 is a smiling face), not nothing.
    static QChar glyphCharacter(quint8 byte);

private:
    template<typename Pixel>
    void blitRun(QImage &image, const Cell *cells, int count, int x, int y) const;
    void drawRun(QPainter &painter, const Cell *cells, int count, int x, int y) const;

    std::optional<PsfFont> m_font;
    QFont m_fallback;
    int m_ascent = 0;
    QSize m_cellSize;
};

} // namespace marvik::screens
