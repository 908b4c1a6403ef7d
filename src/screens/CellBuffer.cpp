#include "screens/CellBuffer.h"

namespace marvik::screens {

Cell CellBuffer::cell(int row, int column) const
{
    if (row < 1 || row > lineCount() || column < 1 || column > Columns)
        return Cell {};
    return line(row)[static_cast<size_t>(column - 1)];
}

bool CellBuffer::reach(qint64 row)
{
    const qint64 wanted = qMin<qint64>(row, MaxLines);
    if (wanted > lineCount()) {
        Line blank;
        blank.fill(Cell {});
        m_lines.resize(static_cast<size_t>(wanted), blank);
    }
    return row <= MaxLines;
}

void CellBuffer::clear()
{
    // Release the memory too: a viewer frees its picture when it closes.
    std::vector<Line>().swap(m_lines);
}

} // namespace marvik::screens
