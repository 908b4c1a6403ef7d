#include "screens/Palette.h"

namespace marvik::screens {

const std::array<QRgb, 16> &Palette::colors()
{
    static const std::array<QRgb, 16> table = {
        qRgb(0, 0, 0),
        qRgb(0, 0, 128),
        qRgb(0, 128, 0),
        qRgb(0, 128, 128),
        qRgb(128, 0, 0),
        qRgb(128, 0, 128),
        qRgb(128, 128, 0),
        qRgb(128, 128, 128),
        qRgb(192, 192, 192),
        qRgb(0, 0, 255),
        qRgb(0, 255, 0),
        qRgb(0, 255, 255),
        qRgb(255, 0, 0),
        qRgb(255, 0, 255),
        qRgb(255, 255, 0),
        qRgb(255, 255, 255),
    };
    return table;
}

QList<QRgb> Palette::colorTable()
{
    return QList<QRgb>(colors().begin(), colors().end());
}

} // namespace marvik::screens
