#include "screens/AnsiInterpreter.h"

#include "text/Cp437Codec.h"

#include <utility>

namespace marvik::screens {

namespace {

constexpr quint8 Esc = 27;
constexpr quint8 EndOfFile = 26;
constexpr int Columns = CellBuffer::Columns;

// Cursor rows may run far below the buffer (the lines there are dropped), but
// they must never overflow; anything this deep is as good as infinitely deep.
constexpr qint64 RowLimit = qint64(1) << 48;
// Parameters saturate here, so a thousand-digit number is just a big number.
constexpr qint64 NumberLimit = qint64(1) << 40;

// Colour numbers of the codes 30-37 and 40-47 in the PC's bit order.
constexpr quint8 ColourBits[8] = {0, 4, 2, 6, 1, 5, 3, 7};

constexpr int SauceSize = 128;
constexpr int CommentLineSize = 64;
constexpr int CommentCountOffset = 104;

qint64 clampRow(qint64 row)
{
    return qBound<qint64>(1, row, RowLimit);
}

int clampColumn(qint64 column)
{
    return static_cast<int>(qBound<qint64>(1, column, qint64(Columns)));
}

} // namespace

AnsiResult AnsiInterpreter::interpret(QByteArrayView text)
{
    AnsiInterpreter interpreter;
    interpreter.feed(text.first(pictureLength(text)));
    AnsiResult result;
    result.error = interpreter.errorText();
    if (result.ok())
        result.buffer = interpreter.takeBuffer();
    return result;
}

qsizetype AnsiInterpreter::exactPictureLength(QByteArrayView text)
{
    const qsizetype size = text.size();
    if (size < SauceSize + 1)
        return size;
    const qsizetype record = size - SauceSize;
    if (!text.sliced(record).startsWith("SAUCE00"))
        return size;
    if (quint8(text[record - 1]) == EndOfFile)
        return record - 1;
    const int comments = quint8(text[record + CommentCountOffset]);
    const qsizetype block = record - 5 - qsizetype(comments) * CommentLineSize;
    if (comments > 0 && block >= 1 && text.sliced(block).startsWith("COMNT")
        && quint8(text[block - 1]) == EndOfFile)
        return block - 1;
    return size;
}

qsizetype AnsiInterpreter::pictureLength(QByteArrayView text)
{
    const qsizetype exact = exactPictureLength(text);
    if (exact != text.size() || !text.endsWith('\n'))
        return exact;
    // A screen stored as text lines comes back with a line end added, and a
    // lone CR inside its record made a line end too: the record is then a
    // few bytes longer than it should be and no longer quite at the end.
    constexpr qsizetype Slack = 16;
    const qsizetype from = qMax<qsizetype>(0, text.size() - SauceSize - Slack - 1);
    const qsizetype mark = QByteArrayView(text).sliced(from).lastIndexOf("\x1aSAUCE00");
    if (mark < 0)
        return exact;
    const qsizetype rest = text.size() - (from + mark + 1);
    return rest >= SauceSize && rest <= SauceSize + Slack ? from + mark : exact;
}

CellBuffer AnsiInterpreter::takeBuffer()
{
    return std::exchange(m_buffer, CellBuffer {});
}

bool AnsiInterpreter::feed(QByteArrayView bytes)
{
    for (const char c : bytes) {
        if (!m_error.isEmpty())
            return false;
        const auto byte = quint8(c);
        // The line under the cursor exists before any byte is handled, so a
        // move past the end shows as blank lines once the next byte arrives.
        m_buffer.reach(m_row);

        switch (m_state) {
        case State::Text:
            switch (byte) {
            case 8:
                if (m_column > 1)
                    --m_column;
                break;
            case 10:
                moveRows(1);
                break;
            case 13:
                m_column = 1;
                break;
            case Esc:
                m_state = State::Escape;
                break;
            default:
                putByte(byte);
            }
            break;
        case State::Escape:
            m_state = byte == '[' ? State::CsiStart : State::Text;
            break;
        case State::CsiStart:
            if (byte >= '0' && byte <= '9') {
                startParameters(byte);
            } else if (byte == '?' || byte == '=' || byte == '>') {
                // Private modes (cursor shape, blink mode, ...) mean nothing
                // here; swallow them whole rather than printing their digits.
                m_state = State::PrivateMode;
            } else {
                m_state = State::Text;
                finishWithoutParameters(byte);
            }
            break;
        case State::CsiParams:
            if ((byte >= '0' && byte <= '9') || byte == ';') {
                m_params.append(char(byte));
            } else {
                m_state = State::Text;
                finishWithParameters(byte);
                m_params.clear();
            }
            break;
        case State::PrivateMode:
            if (byte >= 0x40 && byte <= 0x7E)
                m_state = State::Text;
            break;
        }
    }
    return m_error.isEmpty();
}

void AnsiInterpreter::putByte(quint8 byte)
{
    if (m_row <= m_buffer.lineCount()) {
        Cell &cell = m_buffer.line(int(m_row))[size_t(m_column - 1)];
        cell.attribute = m_attribute;
        cell.character = byte;
    }
    if (++m_column > Columns) {
        m_column = 1;
        moveRows(1);
    }
}

void AnsiInterpreter::clearToEndOfLine()
{
    if (m_row > m_buffer.lineCount())
        return;
    auto &line = m_buffer.line(int(m_row));
    for (int column = m_column; column <= Columns; ++column)
        line[size_t(column - 1)] = Cell {m_attribute, ' '};
}

void AnsiInterpreter::moveRows(qint64 delta)
{
    m_row = clampRow(m_row + delta);
}

void AnsiInterpreter::moveColumns(qint64 delta)
{
    m_column = clampColumn(m_column + delta);
}

void AnsiInterpreter::startParameters(quint8 digit)
{
    m_params.clear();
    m_params.append(char(digit));
    m_state = State::CsiParams;
}

void AnsiInterpreter::finishWithoutParameters(quint8 final)
{
    switch (final) {
    case 'A':
        moveRows(-1);
        break;
    case 'B':
        moveRows(1);
        break;
    case 'C':
        moveColumns(1);
        break;
    case 'D':
        moveColumns(-1);
        break;
    case 'F':
    case 'H':
        m_row = 1;
        m_column = 1;
        break;
    case 'K':
        clearToEndOfLine();
        break;
    case 's':
        m_savedRow = m_row;
        m_savedColumn = m_column;
        break;
    case 'u':
        m_row = m_savedRow;
        m_column = m_savedColumn;
        break;
    default:
        break;
    }
}

void AnsiInterpreter::finishWithParameters(quint8 final)
{
    qint64 amount = 0;
    switch (final) {
    case 'A':
    case 'B':
    case 'C':
    case 'D':
        if (!readWhole(m_params, &amount))
            return;
        if (final == 'A')
            moveRows(-amount);
        else if (final == 'B')
            moveRows(amount);
        else if (final == 'C')
            moveColumns(amount);
        else
            moveColumns(-amount);
        break;
    case 'F':
    case 'H':
    case 'f':
    case 'h': {
        const qsizetype semicolon = m_params.indexOf(';');
        qint64 row = 0;
        qint64 column = 1;
        if (semicolon < 0) {
            if (!readWhole(m_params, &row))
                return;
        } else if (!readWhole(QByteArrayView(m_params).first(semicolon), &row)
            || !readWhole(QByteArrayView(m_params).sliced(semicolon + 1), &column)) {
            return;
        }
        // Positions off the 80-column grid or above the first line are
        // brought back onto it rather than written outside the buffer.
        m_row = clampRow(row);
        m_column = clampColumn(column);
        break;
    }
    case 'm':
        setAttributes();
        break;
    default:
        // ESC[2J, ESC[2K and the like: nothing to do.
        break;
    }
}

bool AnsiInterpreter::readWhole(QByteArrayView text, qint64 *value)
{
    qint64 number = 0;
    bool valid = !text.isEmpty();
    for (const char c : text) {
        if (c < '0' || c > '9') {
            valid = false;
            break;
        }
        number = qMin(number * 10 + (c - '0'), NumberLimit);
    }
    if (valid) {
        *value = number;
        return true;
    }
    // A runaway parameter would make an unreadable message box.
    constexpr int Shown = 60;
    QString shown = text::Cp437Codec::toUnicode(text.first(qMin<qsizetype>(text.size(), Shown)));
    if (text.size() > Shown)
        shown += QStringLiteral("...");
    m_error = QStringLiteral("'%1' is not a valid integer value").arg(shown);
    return false;
}

void AnsiInterpreter::setAttributes()
{
    // Pieces between ';' are applied in turn; an empty piece is skipped.
    qsizetype start = 0;
    while (start < m_params.size()) {
        qsizetype end = m_params.indexOf(';', start);
        if (end < 0)
            end = m_params.size();
        const QByteArrayView piece = QByteArrayView(m_params).sliced(start, end - start);
        start = end + 1;
        if (piece.isEmpty())
            continue;
        qint64 code = 0;
        for (const char c : piece)
            code = qMin(code * 10 + (c - '0'), NumberLimit);
        if (code == 0)
            m_attribute = 7;
        else if (code == 1)
            m_attribute |= 0x08;
        else if (code == 5)
            m_attribute |= 0x80;
        else if (code >= 30 && code <= 37)
            m_attribute = quint8((m_attribute & ~0x07) | ColourBits[code - 30]);
        else if (code >= 40 && code <= 47)
            m_attribute = quint8((m_attribute & ~0x70) | (ColourBits[code - 40] << 4));
    }
}

} // namespace marvik::screens
