#pragma once

#include <QByteArrayView>
#include <QStringList>

namespace marvik::state {

// The taglines file MARVIK.TAG: one tagline per line.
class TaglinesFile
{
public:
    // The taglines in file order, blanks and control characters trimmed from
    // both ends, empty lines left out. A missing or unreadable file gives an
    // empty list and no message: taglines are optional.
    static QStringList load(const QString &path);
    static QStringList parse(QByteArrayView bytes);
    // Trims what counts as blank around a tagline: spaces, tabs, control
    // characters and other white space.
    static QString trimmed(const QString &line);
};

} // namespace marvik::state
