#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace marvik::screens {

// A stretch of one line drawn in one PC attribute: low nibble the text
// colour (bit 3 bright, which is what BBSes call bold), high nibble the
// background (bit 7 the blink bit, shown as a bright background as the
// screen viewer does).
struct BodyRun
{
    qsizetype start = 0;
    qsizetype length = 0;
    quint8 attribute = 7;

    int foreground() const { return attribute & 0x0F; }
    int background() const { return attribute >> 4; }
    bool bold() const { return (attribute & 0x08) != 0; }
    bool blink() const { return (attribute & 0x80) != 0; }

    friend bool operator==(const BodyRun &, const BodyRun &) = default;
};

// A web address or e-mail address found in a line's visible text.
struct BodyLink
{
    qsizetype start = 0;
    qsizetype length = 0;
    QString target; // what to open: the URL, or "mailto:" and the address

    friend bool operator==(const BodyLink &, const BodyLink &) = default;
};

// One line as the reader shows it.
struct BodyLine
{
    QString text;
    // Cover the text from its start, in order. Empty when the whole line has
    // the default attribute.
    QList<BodyRun> runs;
    QList<BodyLink> links;
    int quoteDepth = 0; // 1 for "> ", 2 for ">> " or " JD>> "...
    bool hidden = false; // a line the mail network wrote for itself

    // The attribute at `position` of the text.
    quint8 attributeAt(qsizetype position) const;
};

struct RenderedBody
{
    QList<BodyLine> lines;
    // True when the text carried colour codes that were followed: such a
    // text was written for a black terminal and is drawn on black.
    bool coloured = false;

    QStringList texts() const;
};

} // namespace marvik::screens
