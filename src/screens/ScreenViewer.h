#pragma once

#include "screens/CellBuffer.h"
#include "screens/ScreenPainter.h"

#include <QDialog>

class QPushButton;
class QScrollArea;
class QScrollBar;

namespace marvik::ui {
class Prompts;
}

namespace marvik::screens {

class ScreenCanvas;

// The modal window that shows a BBS screen as an 80-column picture. It
// opens wide enough for all 80 columns and tall enough for a terminal's 25
// rows, as far as the screen has room (scaled down only on a screen too
// narrow for the picture); it can be resized and maximised, and scrolls with
// the wheel, the arrow keys, PgUp/PgDn and Home/End. It holds widgets only:
// the interpreter builds the cells and the painter draws them.
class ScreenViewer : public QDialog
{
    Q_OBJECT

public:
    // Errors (a screen that cannot be shown) go to `prompts`.
    explicit ScreenViewer(ui::Prompts &prompts, QWidget *parent = nullptr);
    ~ScreenViewer() override;

    // Interprets `text`, shows it modally under `caption` and returns when the
    // user closes the window. A screen that cannot be interpreted opens no
    // window; the reason is reported instead.
    void ShowScreen(const QString &caption, const QString &text);

    // The parts of ShowScreen around the modal loop. Opening sizes and
    // places the window on the screen it will show on.
    bool openScreen(const QString &caption, const QString &text);
    void closeScreen();

    struct Fit
    {
        double scale = 1.0;
        QSize size; // of the window, frame included
    };
    // The scale and window size that show `picture` (a screen's 80 columns
    // by 25 rows at the font's size) in a window that adds `chrome` around
    // it, on a screen whose free area is `room`. The picture keeps its size
    // when the width fits and is scaled down to the room's width otherwise;
    // a height that does not fit is scrolled.
    static Fit fitToRoom(QSize picture, QSize chrome, QSize room);

    // First line and column in view (from 1), and how many fit.
    int topLine() const;
    int leftColumn() const;
    int visibleRows() const;
    int visibleColumns() const;
    const CellBuffer &buffer() const { return m_buffer; }
    ScreenCanvas *canvas() const { return m_canvas; }
    QScrollArea *scrollArea() const { return m_scrollArea; }
    QScrollBar *verticalBar() const;
    QScrollBar *horizontalBar() const;
    QPushButton *closeButton() const { return m_close; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    // What the window adds around the picture: frame, margins, button row,
    // and the vertical bar when the picture is taller than 25 rows.
    QSize chrome() const;

    ui::Prompts &m_prompts;
    ScreenPainter m_painter;
    CellBuffer m_buffer;
    ScreenCanvas *m_canvas = nullptr;
    QScrollArea *m_scrollArea = nullptr;
    QPushButton *m_close = nullptr;
};

// The name the rest of the program knows the window by.
using TForm9 = ScreenViewer;

} // namespace marvik::screens
