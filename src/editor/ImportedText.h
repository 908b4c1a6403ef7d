#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace marvik::editor {

// A text file brought into the message being written: UTF-8, or CP437 when
// it is not valid UTF-8 (an old DOS file).
class ImportedText
{
public:
    // Larger files are refused rather than freezing the editor.
    static constexpr qint64 MaxBytes = qint64(4) * 1024 * 1024;

    // The file's lines as paragraphs to append; an empty line becomes a
    // single blank so it survives as a line of its own. No value when the
    // file cannot be opened or read; `tooLarge` is set when it was refused
    // for its size.
    static std::optional<QStringList> readLines(const QString &path, bool *tooLarge = nullptr);
};

} // namespace marvik::editor
