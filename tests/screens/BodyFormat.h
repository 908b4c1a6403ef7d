#pragma once

#include "screens/BodyText.h"

#include <QString>
#include <QStringList>

// A line written with its colours inline: "{1F}" wherever the attribute
// changes (in hex), starting from the default 07, so a table can say what a
// line looks like in one string.
inline QString styled(const marvik::screens::BodyLine &line)
{
    QString out;
    quint8 current = 7;
    for (qsizetype i = 0; i < line.text.size(); ++i) {
        const quint8 attribute = line.attributeAt(i);
        if (attribute != current) {
            out += QStringLiteral("{%1}").arg(attribute, 2, 16, QLatin1Char('0')).toUpper();
            current = attribute;
        }
        out += line.text.at(i);
    }
    return out;
}

inline QStringList styledLines(const marvik::screens::RenderedBody &body)
{
    QStringList lines;
    for (const auto &line : body.lines)
        lines.append(styled(line));
    return lines;
}
