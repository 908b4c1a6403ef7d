#include "screens/BodyRenderer.h"

#include "screens/AnsiInterpreter.h"
#include "screens/BbsColourCodes.h"
#include "screens/HiddenLines.h"
#include "screens/LinkFinder.h"
#include "screens/QuoteLevel.h"
#include "text/Cp437Codec.h"

namespace marvik::screens {

namespace {

using Op = BbsColourCodes::Code::Op;

constexpr quint8 DefaultAttribute = 7;

// The stored text's lines: CR LF, LF and a lone CR each end one, and a final
// line end adds no empty line (the reader has always split them so).
QList<QStringView> splitLines(QStringView text)
{
    QList<QStringView> lines;
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = text[i].unicode();
        if (c != '\r' && c != '\n')
            continue;
        lines.append(text.sliced(start, i - start));
        if (c == '\r' && i + 1 < size && text[i + 1] == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines.append(text.sliced(start));
    return lines;
}

BodyLine hiddenLine(QStringView line)
{
    BodyLine out;
    out.text = HiddenLines::shown(line);
    out.hidden = true;
    return out;
}

// Collects a line's text and its runs of equal attribute.
class LineBuilder
{
public:
    explicit LineBuilder(qsizetype reserve) { m_text.reserve(reserve); }

    void append(QChar c, quint8 attribute)
    {
        if (attribute != m_attribute) {
            close();
            m_attribute = attribute;
        }
        m_text.append(c);
    }

    BodyLine take()
    {
        close();
        BodyLine line;
        line.text = std::move(m_text);
        if (m_coloured)
            line.runs = std::move(m_runs);
        return line;
    }

private:
    void close()
    {
        const qsizetype length = m_text.size() - m_start;
        if (length == 0)
            return;
        m_runs.append(BodyRun {m_start, length, m_attribute});
        m_coloured = m_coloured || m_attribute != DefaultAttribute;
        m_start = m_text.size();
    }

    QString m_text;
    QList<BodyRun> m_runs;
    qsizetype m_start = 0;
    quint8 m_attribute = DefaultAttribute;
    bool m_coloured = false;
};

// Lines of text with BBS colour codes: the codes are followed and dropped,
// the attribute carries on from line to line as it does on a terminal.
class FlowRenderer
{
public:
    explicit FlowRenderer(const BodyRenderer::Options &options)
        : m_options(options)
    { }

    void render(const QList<QStringView> &lines, RenderedBody &body)
    {
        body.lines.reserve(lines.size());
        for (const QStringView line : lines) {
            if (HiddenLines::isKludge(line)) {
                if (m_options.showHidden)
                    body.lines.append(hiddenLine(line));
                continue;
            }
            body.lines.append(renderLine(line));
        }
        body.coloured = m_coloured;
    }

private:
    BodyLine renderLine(QStringView line)
    {
        LineBuilder out(line.size());
        const qsizetype size = line.size();
        for (qsizetype i = 0; i < size;) {
            const QChar c = line[i];
            if (BbsColourCodes::canStart(c)) {
                const BbsColourCodes::Code code = BbsColourCodes::at(line, i);
                if (code.length > 0) {
                    m_coloured = true;
                    m_attribute = BbsColourCodes::apply(code, m_attribute, &m_saved);
                    // A cursor move right over nothing yet written is blank space.
                    if (code.op == Op::Right) {
                        for (int k = 0; k < code.value; ++k)
                            out.append(QLatin1Char(' '), m_attribute);
                    }
                    i += code.length;
                    continue;
                }
            }
            out.append(c, m_attribute);
            ++i;
        }
        return out.take();
    }

    const BodyRenderer::Options &m_options;
    quint8 m_attribute = DefaultAttribute;
    quint8 m_saved = DefaultAttribute;
    bool m_coloured = false;
};

// An ANSI picture: the lines are fed to the screen interpreter one after
// another, BBS codes turned into its attribute and cursor moves, and the
// rows of its cell buffer become the lines shown. Kludge lines cannot stand
// in a picture: those before the first line of text are shown above it, the
// others below.
class TerminalRenderer
{
public:
    explicit TerminalRenderer(const BodyRenderer::Options &options)
        : m_options(options)
        , m_interpreter(AnsiInterpreter::Mode::Message)
    { }

    void render(const QList<QStringView> &lines, RenderedBody &body)
    {
        QList<QStringView> above;
        QList<QStringView> below;
        bool text = false;
        for (const QStringView line : lines) {
            if (HiddenLines::isKludge(line)) {
                (text ? below : above).append(line);
                continue;
            }
            if (text)
                m_interpreter.feed(QStringView(u"\r\n"));
            text = true;
            feedLine(line);
        }
        if (m_options.showHidden) {
            for (const QStringView line : above)
                body.lines.append(hiddenLine(line));
        }
        appendRows(m_interpreter.buffer(), body);
        if (m_options.showHidden) {
            for (const QStringView line : below)
                body.lines.append(hiddenLine(line));
        }
        body.coloured = true;
    }

private:
    void feedLine(QStringView line)
    {
        qsizetype plain = 0;
        const qsizetype size = line.size();
        for (qsizetype i = 0; i < size; ++i) {
            if (!BbsColourCodes::canStart(line[i]))
                continue;
            const BbsColourCodes::Code code = BbsColourCodes::at(line, i);
            if (code.length == 0)
                continue;
            m_interpreter.feed(line.sliced(plain, i - plain));
            follow(code);
            i += code.length - 1;
            plain = i + 1;
        }
        m_interpreter.feed(line.sliced(plain));
    }

    void follow(const BbsColourCodes::Code &code)
    {
        switch (code.op) {
        case Op::CarriageReturn:
            m_interpreter.feed(QStringView(u"\r"));
            break;
        case Op::LineFeed:
            m_interpreter.feed(QStringView(u"\n"));
            break;
        case Op::Backspace:
            m_interpreter.feed(QStringView(u"\b"));
            break;
        case Op::ClearToEnd:
            m_interpreter.feed(QStringView(u"\x1b[K"));
            break;
        case Op::Right:
            m_interpreter.feed(QStringLiteral("\x1b[%1C").arg(code.value));
            break;
        default:
            m_interpreter.setAttribute(
                BbsColourCodes::apply(code, m_interpreter.attribute(), &m_saved));
        }
    }

    static bool isBlank(const Cell &cell)
    {
        return cell.character == ' ' && cell.wide == 0 && (cell.attribute >> 4) == 0;
    }

    static void appendRows(const CellBuffer &buffer, RenderedBody &body)
    {
        body.lines.reserve(body.lines.size() + buffer.lineCount());
        for (int row = 1; row <= buffer.lineCount(); ++row) {
            const CellBuffer::Line &cells = buffer.line(row);
            // Blank cells at the end of a row are the terminal's, not the text's.
            int used = CellBuffer::Columns;
            while (used > 0 && isBlank(cells[size_t(used - 1)]))
                --used;
            LineBuilder out(used);
            for (int column = 0; column < used; ++column) {
                const Cell &cell = cells[size_t(column)];
                const QChar c
                    = cell.wide ? QChar(cell.wide) : text::Cp437Codec::glyph(cell.character);
                out.append(c, cell.attribute);
            }
            body.lines.append(out.take());
        }
    }

    const BodyRenderer::Options &m_options;
    AnsiInterpreter m_interpreter;
    quint8 m_saved = DefaultAttribute;
};

// Codes left as written: control characters drawn as their pictures so that
// the codes they start can be read.
void renderRaw(
    const QList<QStringView> &lines, const BodyRenderer::Options &options, RenderedBody &body)
{
    body.lines.reserve(lines.size());
    for (const QStringView line : lines) {
        if (HiddenLines::isKludge(line)) {
            if (options.showHidden)
                body.lines.append(hiddenLine(line));
            continue;
        }
        BodyLine out;
        out.text = line.toString();
        for (QChar &c : out.text) {
            if (c.unicode() < 0x20 && c != QLatin1Char('\t'))
                c = text::Cp437Codec::glyph(quint8(c.unicode()));
        }
        body.lines.append(std::move(out));
    }
}

} // namespace

bool BodyRenderer::isTerminalText(QStringView text)
{
    return text.contains(QStringView(u"\x1b["));
}

RenderedBody BodyRenderer::render(QStringView text, const Options &options)
{
    const QList<QStringView> lines = splitLines(text);
    RenderedBody body;
    if (!options.colours)
        renderRaw(lines, options, body);
    else if (isTerminalText(text))
        TerminalRenderer(options).render(lines, body);
    else
        FlowRenderer(options).render(lines, body);

    for (BodyLine &line : body.lines) {
        if (line.hidden)
            continue;
        if (options.rot13)
            line.text = rot13(line.text);
        line.quoteDepth = QuoteLevel::of(line.text);
        line.links = LinkFinder::find(line.text);
    }
    return body;
}

QString BodyRenderer::rot13(QStringView text)
{
    QString out = text.toString();
    for (QChar &c : out) {
        const char16_t u = c.unicode();
        if (u >= 'a' && u <= 'z')
            c = QChar(char16_t('a' + (u - 'a' + 13) % 26));
        else if (u >= 'A' && u <= 'Z')
            c = QChar(char16_t('A' + (u - 'A' + 13) % 26));
    }
    return out;
}

} // namespace marvik::screens
