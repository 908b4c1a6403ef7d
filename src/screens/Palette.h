#pragma once

#include <QList>
#include <QRgb>

#include <array>

namespace marvik::screens {

// The 16 PC colours a cell attribute indexes: low nibble for the text,
// high nibble for the background. Entry 7 (default text) is the darker grey.
class Palette
{
public:
    static const std::array<QRgb, 16> &colors();
    static QRgb color(int index) { return colors()[static_cast<size_t>(index & 15)]; }
    // For indexed images, whose pixel values are palette indexes.
    static QList<QRgb> colorTable();
};

} // namespace marvik::screens
