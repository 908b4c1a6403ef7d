#pragma once

#include "reader/DisplayedMessage.h"

#include <QString>
#include <QStringList>

namespace marvik::reader {

// The text file saved messages are appended to. Each message is one block:
// a line of "=", the header lines, a line of "-", the text, a line of "="
// and an empty line; lines end in CR LF, the file is UTF-8.
class MessageArchive
{
public:
    static constexpr int RuleWidth = 79;

    static QStringList block(const DisplayedMessage &message);

    // Appends the block to `path`, creating the file when missing. False,
    // with the reason in `error`, when the file cannot be opened or written;
    // the file's earlier contents are never touched.
    static bool append(const QString &path, const DisplayedMessage &message, QString *error);
};

} // namespace marvik::reader
