#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace marvik::editor {

// How an edited text becomes the bodies of stored messages: the text is
// wrapped at column 72 as the editor shows it, each display line becomes one
// stored line, and a long text is cut into parts of 90 lines. Parts after the
// first say which part they are, parts before the last say that more follows,
// and the last one carries the tag block.
class MessageParts
{
public:
    static constexpr int WrapColumn = 72;
    static constexpr int LinesPerPart = 90;

    // Picks an index in [0, count); the program picks at random.
    using TaglinePicker = std::function<int(int count)>;

    // The display lines of `text` (paragraphs separated by LF, CR LF or a
    // lone CR) wrapped at `column`: a paragraph breaks after its last blank
    // that keeps the line within the column, the blanks at the break are
    // dropped, and a word longer than the column is cut. There is always at
    // least one line, as an empty editor shows one.
    static QStringList displayLines(const QString &text, int column = WrapColumn);

    // The bodies of the parts for these display lines, CR LF line ends.
    static QStringList bodies(const QStringList &lines, const QStringList &taglines,
        const TaglinePicker &pick = TaglinePicker());

    // Whether a body already ends in our tag block (a re-edited message).
    static bool hasTagBlock(const QString &body);
    // Adds the tag block to the last body.
    static QString withTagBlock(const QString &body, const QStringList &taglines,
        const TaglinePicker &pick = TaglinePicker());
};

} // namespace marvik::editor
