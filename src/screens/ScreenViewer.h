#pragma once

#include "screens/CellBuffer.h"
#include "screens/ScreenPainter.h"

#include <QDialog>
#include <QImage>

class QLabel;
class QPushButton;
class QScrollBar;

namespace marvik::ui {
class Prompts;
}

namespace marvik::screens {

// The modal window that shows a BBS screen as an 80-column picture with two
// scroll bars. It holds widgets only: the interpreter builds the cells and
// the painter draws them.
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

    // The parts of ShowScreen around the modal loop.
    bool openScreen(const QString &caption, const QString &text);
    void closeScreen();

    int topLine() const { return m_topLine; }
    int leftColumn() const { return m_leftColumn; }
    int visibleColumns() const { return m_visibleColumns; }
    int visibleRows() const { return m_visibleRows; }
    const CellBuffer &buffer() const { return m_buffer; }
    const QImage &picture() const { return m_image; }
    QScrollBar *verticalBar() const { return m_vertical; }
    QScrollBar *horizontalBar() const { return m_horizontal; }
    QLabel *panel() const { return m_panel; }
    QPushButton *closeButton() const { return m_close; }

private Q_SLOTS:
    void VertScrollBarChange(int position);
    void HorzScrollBarChange(int position);

private:
    void renderView();

    ui::Prompts &m_prompts;
    ScreenPainter m_painter;
    CellBuffer m_buffer;
    QImage m_image;
    QLabel *m_panel = nullptr;
    QScrollBar *m_vertical = nullptr;
    QScrollBar *m_horizontal = nullptr;
    QPushButton *m_close = nullptr;
    int m_topLine = 1;
    int m_leftColumn = 1;
    int m_visibleColumns = 0;
    int m_visibleRows = 0;
};

// The name the rest of the program knows the window by.
using TForm9 = ScreenViewer;

} // namespace marvik::screens
