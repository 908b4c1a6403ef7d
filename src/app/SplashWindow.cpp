#include "app/SplashWindow.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

namespace marvik::app {

SplashWindow::SplashWindow(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setFixedSize(427, 231);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void SplashWindow::showNow()
{
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect area(QPoint(0, 0), size());
        area.moveCenter(screen->geometry().center());
        move(area.topLeft());
    }
    show();
    raise();
    repaint();
    QCoreApplication::processEvents();
}

void SplashWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), QColor(0xC0, 0xC0, 0xC0));
    painter.setPen(QPen(QColor(0x80, 0x80, 0x80), 2));
    painter.drawRect(rect().adjusted(1, 1, -2, -2));

    const QRect glyph(30, (height() - 100) / 2, 100, 100);
    drawGlyph(painter, glyph);

    QFont font(QStringLiteral("Arial"), 30, QFont::Bold);
    painter.setFont(font);
    painter.setPen(Qt::red);
    const QRect textArea(glyph.right() + 10, 0, width() - glyph.right() - 20, height());
    painter.drawText(textArea, Qt::AlignCenter, QStringLiteral("Marvik 1.0"));
}

// A desktop modem with its lights on and a telephone handset resting on it:
// the machine that fetched every packet.
void SplashWindow::drawGlyph(QPainter &painter, const QRect &box)
{
    painter.save();
    painter.translate(box.topLeft());

    painter.fillRect(QRect(0, 0, 100, 100), QColor(0x00, 0x00, 0x80));

    // Handset.
    QPainterPath handset;
    handset.moveTo(14, 34);
    handset.cubicTo(14, 14, 86, 14, 86, 34);
    handset.lineTo(74, 40);
    handset.cubicTo(70, 30, 30, 30, 26, 40);
    handset.closeSubpath();
    painter.setPen(QPen(Qt::black, 1.5));
    painter.setBrush(QColor(0xE8, 0xE8, 0xE8));
    painter.drawPath(handset);
    painter.drawRoundedRect(QRectF(8, 32, 22, 12), 4, 4);
    painter.drawRoundedRect(QRectF(70, 32, 22, 12), 4, 4);

    // Modem body.
    painter.setBrush(QColor(0xD0, 0xD0, 0xC8));
    painter.drawRoundedRect(QRectF(8, 52, 84, 32), 5, 5);
    painter.setBrush(QColor(0x40, 0x40, 0x40));
    painter.drawRect(QRectF(14, 58, 72, 4));

    // Status lights.
    const QColor lights[] = {Qt::green, Qt::green, QColor(0xFF, 0xA0, 0x00), Qt::red, Qt::green};
    for (int i = 0; i < 5; ++i) {
        painter.setBrush(lights[i]);
        painter.drawEllipse(QPointF(20 + i * 15, 73), 3.5, 3.5);
    }

    // Sound waves of the carrier.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::white, 2));
    for (int i = 0; i < 3; ++i)
        painter.drawArc(QRectF(38 - i * 6, 88 - i * 2, 24 + i * 12, 14), 0, 180 * 16);

    painter.restore();
}

} // namespace marvik::app
