#pragma once

#include <QtGlobal>

#include <array>
#include <vector>

namespace marvik::screens {

// One character cell of a screen: the PC attribute byte (low nibble text
// colour, high nibble background colour) and the CP437 character byte. A
// text fed as characters may hold one that CP437 lacks: `wide` keeps it then
// (and `character` is '?'); it is 0 for every CP437 character.
struct Cell
{
    quint8 attribute = 7;
    quint8 character = ' ';
    char16_t wide = 0;

    friend bool operator==(const Cell &, const Cell &) = default;
};

// The interpreted picture: lines of 80 cells, numbered from 1. Lines are only
// appended while a text is interpreted. A hostile cursor move must not exhaust
// memory, so the buffer stops growing at MaxLines; what would land below it
// is dropped.
class CellBuffer
{
public:
    static constexpr int Columns = 80;
    static constexpr int MaxLines = 10000;
    using Line = std::array<Cell, Columns>;

    int lineCount() const { return static_cast<int>(m_lines.size()); }
    bool isEmpty() const { return m_lines.empty(); }

    // `number` from 1 to lineCount().
    const Line &line(int number) const { return m_lines[static_cast<size_t>(number - 1)]; }
    Line &line(int number) { return m_lines[static_cast<size_t>(number - 1)]; }
    // `row` and `column` from 1; a cell outside the buffer reads as a blank cell.
    Cell cell(int row, int column) const;

    // Appends blank lines until the buffer holds `row` (never past MaxLines).
    // Returns false when `row` lies below the ceiling and cannot be held.
    bool reach(qint64 row);

    void clear();

private:
    std::vector<Line> m_lines;
};

} // namespace marvik::screens
