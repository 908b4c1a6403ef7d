#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace marvik::screens {

// A console bitmap font in PSF (version 1 or 2), plain or gzip-compressed,
// as Linux distributions ship them. Glyph index = CP437 byte for PC fonts.
class PsfFont
{
public:
    // The PC 8x16 font of the console-data package.
    static QString defaultPath();

    static std::optional<PsfFont> load(const QString &path, QString *error = nullptr);
    // `data` may be gzip-compressed. Fonts with fewer than 256 glyphs are
    // refused: every byte needs a glyph.
    static std::optional<PsfFont> fromData(const QByteArray &data, QString *error = nullptr);

    int width() const { return m_width; }
    int height() const { return m_height; }
    int glyphCount() const { return m_glyphCount; }
    int bytesPerRow() const { return m_bytesPerRow; }

    // `height()` rows of `bytesPerRow()` bytes, leftmost pixel in the top bit.
    const uchar *glyph(int index) const
    {
        return reinterpret_cast<const uchar *>(m_bitmaps.constData())
            + qsizetype(index) * m_height * m_bytesPerRow;
    }
    bool pixel(int index, int x, int y) const
    {
        return glyph(index)[y * m_bytesPerRow + x / 8] & (0x80 >> (x % 8));
    }

private:
    QByteArray m_bitmaps;
    int m_width = 0;
    int m_height = 0;
    int m_glyphCount = 0;
    int m_bytesPerRow = 0;
};

} // namespace marvik::screens
