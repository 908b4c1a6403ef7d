#include "screens/AnsiInterpreter.h"
#include "screens/PsfFont.h"
#include "screens/ScreenPainter.h"

#include <QTest>

#include <limits>

#include <zlib.h>

using namespace marvik::screens;

namespace {

// A PSF1 font of 8x4 glyphs whose top row spells the glyph's own index, so a
// picture shows which byte each cell drew. The other rows are ink on the left
// half for 'A' only.
QByteArray psf1(int glyphs = 256, int height = 4)
{
    QByteArray data("\x36\x04", 2);
    data.append(char(glyphs == 512 ? 1 : 0));
    data.append(char(height));
    for (int g = 0; g < glyphs; ++g) {
        data.append(char(g));
        for (int row = 1; row < height; ++row)
            data.append(g == 'A' ? char(0xF0) : char(0));
    }
    return data;
}

QByteArray psf2(quint32 count, quint32 width, quint32 height, quint32 glyphSize)
{
    QByteArray data("\x72\xb5\x4a\x86", 4);
    for (const quint32 v : {0u, 32u, 0u, count, glyphSize, height, width})
        for (int i = 0; i < 4; ++i)
            data.append(char((v >> (8 * i)) & 0xFF));
    data.append(QByteArray(qsizetype(count) * glyphSize, char(0x81)));
    return data;
}

QByteArray gzip(const QByteArray &data)
{
    z_stream stream {};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(int(deflateBound(&stream, uLong(data.size())) + 32), 0);
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = uInt(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(qsizetype(stream.total_out));
    deflateEnd(&stream);
    return out;
}

ScreenPainter testPainter()
{
    return ScreenPainter(PsfFont::fromData(psf1()));
}

QRgb pixel(const QImage &image, int x, int y)
{
    return image.pixel(x, y) & 0xFFFFFF;
}

} // namespace

class TestScreenPainter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsFonts_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");

        QTest::newRow("PSF1") << psf1() << true << 8 << 4;
        QTest::newRow("PSF1 gzip") << gzip(psf1(256, 16)) << true << 8 << 16;
        QTest::newRow("PSF1 with 512 glyphs") << psf1(512) << true << 8 << 4;
        QTest::newRow("PSF2 12 wide") << psf2(256, 12, 10, 20) << true << 12 << 10;
        QTest::newRow("empty") << QByteArray() << false << 0 << 0;
        QTest::newRow("not a font") << QByteArray("hello, world") << false << 0 << 0;
        QTest::newRow("PSF1 truncated") << psf1().chopped(1) << false << 0 << 0;
        QTest::newRow("PSF1 zero height") << psf1(256, 0) << false << 0 << 0;
        QTest::newRow("gzip truncated") << gzip(psf1()).first(40) << false << 0 << 0;
        QTest::newRow("gzip garbage") << QByteArray("\x1f\x8b garbage") << false << 0 << 0;
        QTest::newRow("PSF2 too few glyphs") << psf2(128, 8, 16, 16) << false << 0 << 0;
        QTest::newRow("PSF2 glyph size lies") << psf2(256, 8, 16, 4) << false << 0 << 0;
        QTest::newRow("PSF2 huge glyphs") << psf2(256, 4000, 16, 8000) << false << 0 << 0;
        QTest::newRow("PSF2 header only") << psf2(256, 8, 16, 16).first(32) << false << 0 << 0;
    }

    void readsFonts()
    {
        QFETCH(QByteArray, data);
        QFETCH(bool, valid);
        QFETCH(int, width);
        QFETCH(int, height);
        QString error;
        const auto font = PsfFont::fromData(data, &error);
        QCOMPARE(font.has_value(), valid);
        if (!valid) {
            QVERIFY(!error.isEmpty());
            return;
        }
        QCOMPARE(font->width(), width);
        QCOMPARE(font->height(), height);
        QVERIFY(font->glyphCount() >= 256);
    }

    void drawsEveryByteAsItsGlyph()
    {
        CellBuffer buffer;
        buffer.reach(4);
        for (int byte = 0; byte < 256; ++byte)
            buffer.line(byte / 64 + 1)[size_t(byte % 64)] = Cell {0x0F, quint8(byte)};
        const QImage image = testPainter().render(buffer, QSize(640, 16), 1, 1);
        for (int byte = 0; byte < 256; ++byte) {
            const int y = (byte / 64) * 4;
            for (int bit = 0; bit < 8; ++bit) {
                const bool ink = byte & (0x80 >> bit);
                QCOMPARE(pixel(image, (byte % 64) * 8 + bit, y),
                    ink ? qRgb(255, 255, 255) & 0xFFFFFF : 0u);
            }
        }
    }

    void colours_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<QColor>("color");

        // 'A' has ink on the left half of rows 1-3 of the test font.
        QTest::newRow("default text") << QByteArray("A") << 0 << 1 << QColor(128, 128, 128);
        QTest::newRow("default background") << QByteArray("A") << 7 << 1 << QColor(0, 0, 0);
        QTest::newRow("bright brown text")
            << QByteArray("\x1b[1;33;44mA") << 0 << 1 << QColor(255, 255, 0);
        QTest::newRow("on blue") << QByteArray("\x1b[1;33;44mA") << 7 << 1 << QColor(0, 0, 128);
        QTest::newRow("blink gives the light grey background")
            << QByteArray("\x1b[5;40mA") << 7 << 1 << QColor(192, 192, 192);
        QTest::newRow("blink on red is bright red")
            << QByteArray("\x1b[5;41mA") << 7 << 1 << QColor(255, 0, 0);
        QTest::newRow("bright white")
            << QByteArray("\x1b[1;37mA") << 0 << 1 << QColor(255, 255, 255);
        QTest::newRow("cleared line keeps its background")
            << QByteArray("\x1b[42m\x1b[K") << 600 << 2 << QColor(0, 128, 0);
        QTest::newRow("past the text is black") << QByteArray("A\r\n") << 0 << 5 << QColor(0, 0, 0);
    }

    void colours()
    {
        QFETCH(QByteArray, input);
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(QColor, color);
        const AnsiResult result = AnsiInterpreter::interpret(input);
        QVERIFY(result.ok());
        const QImage image = testPainter().render(result.buffer, QSize(640, 100), 1, 1);
        QCOMPARE(QColor(image.pixel(x, y)), color);
        // The same picture in true colour.
        QImage rgb(640, 100, QImage::Format_RGB32);
        testPainter().paint(rgb, result.buffer, 1, 1);
        QCOMPARE(QColor(rgb.pixel(x, y)), color);
    }

    void groupsRuns_data()
    {
        QTest::addColumn<QList<int>>("attributes");
        QTest::addColumn<int>("leftColumn");
        QTest::addColumn<int>("runs");

        QTest::newRow("plain line") << QList<int> {} << 1 << 1;
        QTest::newRow("one change") << QList<int> {7, 7, 0x1E} << 1 << 2;
        QTest::newRow("back and forth") << QList<int> {7, 0x1E, 0x1E, 7} << 1 << 3;
        QTest::newRow("change left of the view") << QList<int> {0x1E, 7} << 3 << 1;
        QTest::newRow("change next to the left column") << QList<int> {7, 7, 7, 0x1E} << 3 << 2;
    }

    void groupsRuns()
    {
        QFETCH(QList<int>, attributes);
        QFETCH(int, leftColumn);
        QFETCH(int, runs);
        CellBuffer buffer;
        buffer.reach(1);
        // The rest of the line keeps the last attribute listed.
        for (int i = 0; i < attributes.size(); ++i)
            for (int column = i; column < CellBuffer::Columns; ++column)
                buffer.line(1)[size_t(column)].attribute = quint8(attributes[i]);
        QImage image(640, 16, QImage::Format_Indexed8);
        QCOMPARE(testPainter().paint(image, buffer, 1, leftColumn), runs);
    }

    void drawsFromTheTopLineAndLeftColumn()
    {
        // Line n holds the byte n in column n.
        CellBuffer buffer;
        buffer.reach(40);
        for (int n = 1; n <= 40; ++n)
            buffer.line(n)[size_t(n - 1)] = Cell {0x0F, quint8(0xFF)};
        const ScreenPainter painter = testPainter();

        const QImage shifted = painter.render(buffer, QSize(640, 160), 3, 3);
        QCOMPARE(pixel(shifted, 0, 0), qRgb(255, 255, 255) & 0xFFFFFF); // line 3, column 3
        QCOMPARE(pixel(shifted, 8, 4), qRgb(255, 255, 255) & 0xFFFFFF); // line 4, column 4

        // Only 25 rows are ever drawn, even with room for all 40.
        const QImage tall = painter.render(buffer, QSize(640, 160), 1, 1);
        QCOMPARE(pixel(tall, 24 * 8, 24 * 4), qRgb(255, 255, 255) & 0xFFFFFF);
        for (int y = 25 * 4; y < 160; ++y)
            for (int x = 0; x < 640; ++x)
                QCOMPARE(pixel(tall, x, y), 0u);

        // A top line past the end draws nothing.
        const QImage past = painter.render(buffer, QSize(640, 160), 41, 1);
        QCOMPARE(past.pixelIndex(320, 0), 0);
    }

    void toleratesOddViewPositions_data()
    {
        QTest::addColumn<int>("topLine");
        QTest::addColumn<int>("leftColumn");
        QTest::newRow("zero") << 0 << 0;
        QTest::newRow("negative") << -5 << -3;
        QTest::newRow("past column 80") << 1 << 81;
        QTest::newRow("largest") << std::numeric_limits<int>::max()
                                 << std::numeric_limits<int>::max();
    }

    void toleratesOddViewPositions()
    {
        QFETCH(int, topLine);
        QFETCH(int, leftColumn);
        const AnsiResult result = AnsiInterpreter::interpret(QByteArray(500, 'A'));
        const QImage image
            = testPainter().render(result.buffer, QSize(640, 100), topLine, leftColumn);
        QCOMPARE(image.size(), QSize(640, 100));
    }

    void clipsToSmallPictures()
    {
        const AnsiResult result = AnsiInterpreter::interpret(QByteArray(2000, 'A'));
        const QImage image = testPainter().render(result.buffer, QSize(13, 5), 1, 1);
        QCOMPARE(image.size(), QSize(13, 5));
        QCOMPARE(QColor(image.pixel(11, 1)), QColor(128, 128, 128)); // second 'A', left half
        QCOMPARE(QColor(image.pixel(12, 1)), QColor(0, 0, 0));
    }

    void fallbackFontPaintsBackgrounds()
    {
        const ScreenPainter painter {std::nullopt};
        QVERIFY(!painter.hasPcFont());
        const QSize cell = painter.cellSize();
        QVERIFY(cell.width() > 0 && cell.height() > 0);
        const AnsiResult result = AnsiInterpreter::interpret("\x1b[44m\x1b[K");
        const QImage image = painter.render(result.buffer, QSize(640, 100), 1, 1);
        QCOMPARE(QColor(image.pixel(cell.width() * 3 + 1, 1)), QColor(0, 0, 128));
        QCOMPARE(QColor(image.pixel(1, cell.height() + 1)), QColor(0, 0, 0));

        // Control bytes still show as the PC's picture characters.
        QCOMPARE(ScreenPainter::glyphCharacter(1), QChar(0x263A));
        QCOMPARE(ScreenPainter::glyphCharacter(26), QChar(0x2192));
        QCOMPARE(ScreenPainter::glyphCharacter(0xB3), QChar(0x2502));
    }
};

QTEST_MAIN(TestScreenPainter)
#include "tst_screenpainter.moc"
