#pragma once

#include <QByteArray>
#include <QString>

namespace marvik::maint {

// The taglines file MARVIK.TAG as the settings dialog edits it: the whole
// file as text, one tagline per line. Written in UTF-8 with CR LF line ends;
// read as UTF-8, or as CP437 when it is not valid UTF-8.
class TaglinesDocument
{
public:
    // The editor text for the file at `path`: its lines joined by LF. A file
    // that does not exist yet gives an empty text, so the first taglines can
    // be written; a file that exists but cannot be read gives false and a
    // reason, since saving over it would lose it.
    static bool load(const QString &path, QString *text, QString *error);

    // The file's bytes for an editor text: every line followed by CR LF, no
    // final empty line.
    static QByteArray encode(const QString &editorText);

    // Replaces the file in one step: a failure leaves the old file whole.
    static bool save(const QString &path, const QString &editorText, QString *error);
};

} // namespace marvik::maint
