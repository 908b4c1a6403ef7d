#pragma once

#include <QString>

namespace marvik::search {

// What the user typed, as a query for the full-text index.
struct Translation
{
    // The FTS5 expression; empty when there is nothing to search for.
    QString match;
    // Why the text cannot be searched, in the user's terms; empty when it can.
    QString error;

    bool isSearchable() const { return !match.isEmpty(); }
};

// Turns the search box's text into an FTS5 query expression. Every word and
// phrase goes to the index quoted, so no text the user types is FTS5 syntax
// by accident; what the box offers is:
//   words              every word must occur (in any of the fields)
//   "two words"        the words next to each other; a quote left open is
//                      closed at the end, so a phrase finds while it is typed
//   word*  "a phr"*    words beginning so (at least MinPrefixLetters)
//   from:NAME to:NAME subject:WORD   the word or "phrase" in that field
//   -word, NOT word    leave out messages holding the word
//   a OR b             either side
// Case and accents do not matter; punctuation inside a word splits it as
// the index does ("o'brien" is the phrase "o brien").
class QueryTranslator
{
public:
    // A prefix shorter than this would read much of the index.
    static constexpr int MinPrefixLetters = 3;

    static Translation translate(const QString &text);
};

} // namespace marvik::search
