#pragma once

#include "screens/CellBuffer.h"

#include <QCache>
#include <QPixmap>
#include <QWidget>

namespace marvik::screens {

class ScreenPainter;

// The picture of a cell buffer as the widget of a scroll area: 80 columns
// by the buffer's lines, never fewer than a terminal's 25 rows. Lines are
// painted in bands the first time they come into view and the bands are
// kept, so a scroll step copies what is already drawn instead of painting
// the cells again. A picture wider than the screen is shown scaled down.
class ScreenCanvas : public QWidget
{
    Q_OBJECT

public:
    // Lines painted and kept as one piece.
    static constexpr int BandLines = 32;

    explicit ScreenCanvas(const ScreenPainter &painter, QWidget *parent = nullptr);
    ~ScreenCanvas() override;

    // Shows `buffer`, which must stay alive and unchanged until clear() or
    // the next setBuffer(), at `scale` (1: one font pixel per screen pixel).
    void setBuffer(const CellBuffer *buffer, double scale = 1.0);
    void clear();

    double scale() const { return m_scale; }
    // One line's height on screen, at the scale.
    double lineHeight() const;
    double columnWidth() const;
    // Lines of the picture: the buffer's, or 25 when it has fewer.
    int pictureLines() const;
    // How many bands were painted since setBuffer(): scrolling back over
    // lines already seen paints none.
    int bandsPainted() const { return m_bandsPainted; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // Top and bottom (exclusive) of a band on screen, at the scale.
    std::pair<int, int> bandSpan(int band) const;
    QPixmap bandPixmap(int band);

    const ScreenPainter &m_painter;
    const CellBuffer *m_buffer = nullptr;
    double m_scale = 1.0;
    QCache<int, QPixmap> m_bands;
    int m_bandsPainted = 0;
};

} // namespace marvik::screens
