#include "screens/PsfFont.h"

#include <QFile>
#include <QtEndian>

#include <zlib.h>

namespace marvik::screens {

namespace {

// Console fonts are a few kilobytes; anything bigger is not a font.
constexpr qsizetype MaxFontSize = 4 * 1024 * 1024;
constexpr int MaxGlyphSide = 64;

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

std::optional<QByteArray> gunzip(const QByteArray &data, QString *error)
{
    z_stream stream {};
    // 16 + MAX_WBITS: expect a gzip header rather than a bare zlib stream.
    if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK) {
        setError(error, QStringLiteral("cannot start decompression"));
        return std::nullopt;
    }
    QByteArray out;
    char chunk[16384];
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    stream.avail_in = static_cast<uInt>(data.size());
    int status = Z_OK;
    while (status == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef *>(chunk);
        stream.avail_out = sizeof chunk;
        status = inflate(&stream, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END)
            break;
        out.append(chunk, qsizetype(sizeof chunk - stream.avail_out));
        if (out.size() > MaxFontSize) {
            status = Z_MEM_ERROR;
            break;
        }
        if (status == Z_OK && stream.avail_in == 0 && stream.avail_out != 0) {
            status = Z_DATA_ERROR; // truncated
            break;
        }
    }
    inflateEnd(&stream);
    if (status != Z_STREAM_END) {
        setError(error, QStringLiteral("the compressed font is damaged"));
        return std::nullopt;
    }
    return out;
}

quint32 word(const QByteArray &data, int offset)
{
    return qFromLittleEndian<quint32>(data.constData() + offset);
}

} // namespace

QString PsfFont::defaultPath()
{
    return QStringLiteral("/usr/share/consolefonts/default8x16.psf.gz");
}

std::optional<PsfFont> PsfFont::load(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, QStringLiteral("%1: %2").arg(path, file.errorString()));
        return std::nullopt;
    }
    if (file.size() > MaxFontSize) {
        setError(error, QStringLiteral("%1: too large for a font").arg(path));
        return std::nullopt;
    }
    return fromData(file.readAll(), error);
}

std::optional<PsfFont> PsfFont::fromData(const QByteArray &raw, QString *error)
{
    QByteArray data = raw;
    if (data.startsWith("\x1f\x8b")) {
        auto unpacked = gunzip(raw, error);
        if (!unpacked)
            return std::nullopt;
        data = *unpacked;
    }

    PsfFont font;
    qsizetype offset = 0;
    if (data.size() >= 4 && quint8(data[0]) == 0x36 && quint8(data[1]) == 0x04) {
        const quint8 mode = quint8(data[2]);
        font.m_width = 8;
        font.m_height = quint8(data[3]);
        font.m_glyphCount = (mode & 0x01) ? 512 : 256;
        offset = 4;
    } else if (data.size() >= 32 && data.startsWith("\x72\xb5\x4a\x86")) {
        const quint32 headerSize = word(data, 8);
        const quint32 count = word(data, 16);
        const quint32 glyphSize = word(data, 20);
        const quint32 height = word(data, 24);
        const quint32 width = word(data, 28);
        if (headerSize < 32 || headerSize > quint32(data.size()) || width == 0
            || width > MaxGlyphSide || height > MaxGlyphSide || count > 65536
            || glyphSize != height * ((width + 7) / 8)) {
            setError(error, QStringLiteral("the font header is not valid"));
            return std::nullopt;
        }
        font.m_width = int(width);
        font.m_height = int(height);
        font.m_glyphCount = int(count);
        offset = headerSize;
    } else {
        setError(error, QStringLiteral("not a PSF font"));
        return std::nullopt;
    }

    font.m_bytesPerRow = (font.m_width + 7) / 8;
    if (font.m_height < 1 || font.m_height > MaxGlyphSide) {
        setError(error, QStringLiteral("the font header is not valid"));
        return std::nullopt;
    }
    if (font.m_glyphCount < 256) {
        setError(error, QStringLiteral("the font has fewer than 256 glyphs"));
        return std::nullopt;
    }
    const qsizetype bitmapSize = qsizetype(font.m_glyphCount) * font.m_height * font.m_bytesPerRow;
    if (data.size() - offset < bitmapSize) {
        setError(error, QStringLiteral("the font is truncated"));
        return std::nullopt;
    }
    font.m_bitmaps = data.sliced(offset, bitmapSize);
    return font;
}

} // namespace marvik::screens
